// Measures the real relauncher.exe under Wine over several runs and prints
// a Markdown table: how long an idle run takes, how far a replace run goes
// past the 4 s grace, how soon the target starts once the parent has ended,
// and the relauncher's peak memory.
//
//   benchmark.exe [RUNS]
#include "relauncher_run.h"
#include "test_files.h"

#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Samples {
    const char *name;
    const char *unit;
    std::vector<double> values;
};

// Polls the relauncher's peak working set until it ends: Wine answers only
// for a process that still runs.
double WaitAndMeasurePeakKiB(HANDLE process)
{
    SIZE_T peak = 0;
    while (WaitForSingleObject(process, 5) == WAIT_TIMEOUT) {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        if (GetProcessMemoryInfo(process, &counters, sizeof(counters)))
            peak = std::max(peak, counters.PeakWorkingSetSize);
    }
    return peak / 1024.0;
}

void PrintRow(const Samples &samples)
{
    std::vector<double> v = samples.values;
    if (v.empty()) {
        printf("| %s | no data | | | |\n", samples.name);
        return;
    }
    std::sort(v.begin(), v.end());
    double median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    printf("| %s | %.0f %s | %.0f %s | %.0f %s | %zu |\n", samples.name, v.front(), samples.unit, median,
           samples.unit, v.back(), samples.unit, v.size());
}

}  // namespace

int main(int argc, char **argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 5;
    if (runs < 1)
        runs = 1;
    const std::wstring version1 = ProgramDirectory() + L"\\test_target_v1.exe";
    const std::wstring version2 = ProgramDirectory() + L"\\test_target_v2.exe";

    Samples idle = {"idle run, start to exit", "ms", {}};
    Samples pastGrace = {"replace run past the 4000 ms grace", "ms", {}};
    Samples parentToTarget = {"parent ended to target started", "ms", {}};
    Samples idlePeak = {"peak working set, idle run", "KiB", {}};
    Samples replacePeak = {"peak working set, replace run", "KiB", {}};

    try {
        for (int i = 0; i < runs; ++i) {
            fprintf(stderr, "run %d of %d\n", i + 1, runs);
            TestDirectory dir;
            {
                RelauncherRun run(ParentMode::Stay, L"", dir.Path());
                idlePeak.values.push_back(WaitAndMeasurePeakKiB(run.relauncher));
                idle.values.push_back(static_cast<double>(run.RelauncherLifetimeMs()));
            }

            const std::wstring app = dir / L"app.exe";
            const std::wstring update = dir / L"app.new";
            CopyFileOrFail(version1, app);
            CopyFileOrFail(version2, update);
            RelauncherRun run(ParentMode::Stay, Quote(app) + L" " + Quote(update), dir.Path());
            replacePeak.values.push_back(WaitAndMeasurePeakKiB(run.relauncher));
            pastGrace.values.push_back(static_cast<double>(run.RelauncherLifetimeMs()) - GraceMs);
            TargetRecord record = ReadRecord(app, 15000);
            if (!record.ran || record.version != 2)
                throw std::runtime_error("the replace run did not start version 2");
            WaitForSingleObject(run.parent, 10000);
            parentToTarget.values.push_back(static_cast<double>(record.started - run.ParentExited()) / FileTimeMs);
        }
    } catch (const std::exception &e) {
        fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }

    WIN32_FILE_ATTRIBUTE_DATA exe;
    GetFileAttributesExW((ProgramDirectory() + L"\\relauncher.exe").c_str(), GetFileExInfoStandard, &exe);

    printf("| measure | min | median | max | runs |\n");
    printf("|---|---|---|---|---|\n");
    PrintRow(idle);
    PrintRow(pastGrace);
    PrintRow(parentToTarget);
    PrintRow(idlePeak);
    PrintRow(replacePeak);
    printf("| relauncher.exe size | %lu bytes | | | |\n", exe.nFileSizeLow);
    return 0;
}
