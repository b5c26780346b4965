#pragma once

// Runs the real relauncher.exe the way an application does: a stand-in
// application (helpers/test_parent.cpp) starts it with given arguments.
// Shared by the end-to-end tests and the benchmark.

#include <windows.h>

#include <string>

const DWORD GraceMs = 4000;
// FILETIME units per millisecond.
const ULONGLONG FileTimeMs = 10000;

enum class ParentMode { Stay, Exit };

std::wstring Quote(const std::wstring &s);

struct ProcessTimes {
    ULONGLONG created = 0, exited = 0;  // FILETIME values
};
ProcessTimes TimesOf(HANDLE process);

bool WaitForFile(const std::wstring &path, DWORD timeoutMs);

// What a stand-in application (helpers/test_target.cpp) wrote when it ran.
struct TargetRecord {
    bool ran = false;
    int version = 0;
    ULONGLONG started = 0;  // FILETIME
    int argumentCount = 0;
};
TargetRecord ReadRecord(const std::wstring &program, DWORD timeoutMs);

class RelauncherRun {
public:
    // Starts the stand-in parent in `workingDirectory`, which starts the
    // relauncher; returns once the relauncher runs. Throws when it cannot.
    // The parent holds `heldFile` open while it lives, if one is named.
    RelauncherRun(ParentMode mode, const std::wstring &arguments, const std::wstring &workingDirectory,
                  const std::wstring &parentPath = L"", const std::wstring &relauncherPath = L"",
                  const std::wstring &heldFile = L"");
    ~RelauncherRun();
    RelauncherRun(const RelauncherRun &) = delete;
    RelauncherRun &operator=(const RelauncherRun &) = delete;

    bool ParentAlive() const { return WaitForSingleObject(parent, 0) == WAIT_TIMEOUT; }
    // How long the relauncher ran, once it has ended.
    ULONGLONG RelauncherLifetimeMs() const;
    ULONGLONG RelauncherCreated() const { return TimesOf(relauncher).created; }
    ULONGLONG ParentExited() const { return TimesOf(parent).exited; }

    HANDLE parent = nullptr;
    HANDLE parentThread = nullptr;
    DWORD parentId = 0;
    DWORD parentThreadId = 0;
    HANDLE relauncher = nullptr;
};
