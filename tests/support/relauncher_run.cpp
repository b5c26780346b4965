#include "relauncher_run.h"

#include "test_files.h"

#include <shellapi.h>

#include <stdexcept>

static ULONGLONG ToUll(FILETIME t)
{
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

std::wstring Quote(const std::wstring &s)
{
    return L"\"" + s + L"\"";
}

ProcessTimes TimesOf(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    ProcessTimes times;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        times.created = ToUll(created);
        times.exited = ToUll(exited);
    }
    return times;
}

bool WaitForFile(const std::wstring &path, DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!FileExists(path)) {
        if (GetTickCount64() > deadline)
            return false;
        Sleep(20);
    }
    return true;
}

TargetRecord ReadRecord(const std::wstring &program, DWORD timeoutMs)
{
    TargetRecord record;
    const std::wstring path = program + L".ran";
    if (!WaitForFile(path, timeoutMs))
        return record;
    std::string bytes = ReadFileBytes(path);
    std::wstring text(reinterpret_cast<const wchar_t *>(bytes.data()), bytes.size() / sizeof(wchar_t));
    record.ran = true;
    size_t at = text.find(L"version=");
    if (at != std::wstring::npos)
        record.version = std::stoi(text.substr(at + 8));
    at = text.find(L"started=");
    if (at != std::wstring::npos)
        record.started = std::stoull(text.substr(at + 8));
    at = text.find(L"command_line=");
    if (at != std::wstring::npos) {
        std::wstring commandLine = text.substr(at + 13);
        commandLine = commandLine.substr(0, commandLine.find(L'\n'));
        LPWSTR *argv = CommandLineToArgvW(commandLine.c_str(), &record.argumentCount);
        LocalFree(argv);
    }
    return record;
}

RelauncherRun::RelauncherRun(ParentMode mode, const std::wstring &arguments, const std::wstring &workingDirectory,
                             const std::wstring &parentProgram, const std::wstring &relauncherProgram,
                             const std::wstring &heldFile)
{
    const std::wstring parentPath = parentProgram.empty() ? ProgramDirectory() + L"\\test_parent.exe" : parentProgram;
    const std::wstring relauncherPath =
        relauncherProgram.empty() ? ProgramDirectory() + L"\\relauncher.exe" : relauncherProgram;
    SetEnvironmentVariableW(L"RELAUNCHER_PATH", relauncherPath.c_str());
    SetEnvironmentVariableW(L"RELAUNCHER_COMMAND_LINE", (Quote(relauncherPath) + L" " + arguments).c_str());

    // The parent hands the relauncher's process handle over to this process.
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
    const std::wstring report = workingDirectory + L"\\parent-report.txt";
    DeleteFileW(report.c_str());
    std::wstring commandLine = Quote(parentPath) + (mode == ParentMode::Stay ? L" stay " : L" exit ") +
                               std::to_wstring(reinterpret_cast<UINT_PTR>(self)) + L" " + Quote(report);
    if (!heldFile.empty())
        commandLine += L" " + Quote(heldFile);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    BOOL ok = CreateProcessW(parentPath.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                             workingDirectory.c_str(), &startup, &started);
    CloseHandle(self);
    if (!ok)
        throw std::runtime_error("cannot start test_parent.exe");
    parent = started.hProcess;
    parentThread = started.hThread;
    parentId = started.dwProcessId;
    parentThreadId = started.dwThreadId;
    if (!WaitForFile(report, 20000))
        throw std::runtime_error("test_parent.exe did not start the relauncher");
    relauncher = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(std::stoul(ReadFileBytes(report))));
    DeleteFileW(report.c_str());
}

RelauncherRun::~RelauncherRun()
{
    if (parent) {
        TerminateProcess(parent, 1);
        CloseHandle(parent);
    }
    if (parentThread)
        CloseHandle(parentThread);
    if (relauncher) {
        TerminateProcess(relauncher, 1);
        CloseHandle(relauncher);
    }
}

ULONGLONG RelauncherRun::RelauncherLifetimeMs() const
{
    ProcessTimes times = TimesOf(relauncher);
    return (times.exited - times.created) / FileTimeMs;
}
