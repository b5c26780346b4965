// A live self-update under Wine: version 1 of the example application
// (docs/examples/self_update.c) runs with version 2 staged beside it, starts
// the relauncher and is replaced by version 2. Prints each step as it
// happens, with the time since version 1 was started.
#include "test_files.h"

#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>

#include <string>

namespace {

ULONGLONG FileTimeOf(HANDLE process, bool exited)
{
    FILETIME created, exitTime, kernel, user;
    if (!GetProcessTimes(process, &created, &exitTime, &kernel, &user))
        return 0;
    const FILETIME &t = exited ? exitTime : created;
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

std::string Narrow(const std::wstring &s)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, &out[0], size, nullptr, nullptr);
    return out;
}

ULONGLONG startTick;

void Step(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    printf("  %6.3f s  ", (GetTickCount64() - startTick) / 1000.0);
    vprintf(format, arguments);
    printf("\n");
    fflush(stdout);
    va_end(arguments);
}

// The relauncher that `parentId` started, if it runs.
HANDLE OpenRelauncherOf(DWORD parentId, DWORD *id)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return nullptr;
    HANDLE found = nullptr;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parentId && lstrcmpiW(entry.szExeFile, L"relauncher.exe") == 0) {
            found = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID);
            *id = entry.th32ProcessID;
        }
    }
    CloseHandle(snapshot);
    return found;
}

}  // namespace

int main()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"relauncher-demo";
    const std::wstring folder = root + L"\\My App";
    const std::wstring app = folder + L"\\app.exe";
    const std::wstring staged = app + L".new";
    const std::wstring log = app + L".log";
    const std::wstring bin = ProgramDirectory();

    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    DeleteFileW(log.c_str());
    if (!CopyFileW((bin + L"\\self_update_v1.exe").c_str(), app.c_str(), FALSE) ||
        !CopyFileW((bin + L"\\relauncher.exe").c_str(), (folder + L"\\relauncher.exe").c_str(), FALSE) ||
        !CopyFileW((bin + L"\\self_update_v2.exe").c_str(), staged.c_str(), FALSE)) {
        fprintf(stderr, "cannot set up %s\n", Narrow(folder).c_str());
        return 1;
    }
    const std::string version2 = ReadFileBytes(staged);

    printf("In %s:\n", Narrow(folder).c_str());
    printf("  app.exe         version 1 of the application\n");
    printf("  app.exe.new     version 2, staged there by its update download\n");
    printf("  relauncher.exe  shipped with the application\n\n");

    std::wstring commandLine = L"\"" + app + L"\" stay";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION version1 = {};
    startTick = GetTickCount64();
    if (!CreateProcessW(app.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &version1)) {
        fprintf(stderr, "cannot start app.exe\n");
        return 1;
    }
    CloseHandle(version1.hThread);
    Step("version 1 starts (process %lu)", version1.dwProcessId);

    size_t logShown = 0;
    HANDLE relauncher = nullptr;
    DWORD relauncherId = 0;
    ULONGLONG relauncherCreated = 0;
    bool version1Running = true, replaced = false, version2Started = false, relauncherRunning = false;
    const ULONGLONG deadline = startTick + 30000;
    while (GetTickCount64() < deadline && !(version2Started && !relauncherRunning && replaced && !version1Running)) {
        std::string text = ReadFileBytes(log);
        while (logShown < text.size()) {
            size_t end = text.find('\n', logShown);
            if (end == std::string::npos)
                break;
            std::string line = text.substr(logShown, end - logShown);
            line = line.substr(line.find(' ') + 1);  // drop the application's own tick count
            Step("app.exe says: %s", line.c_str());
            if (line.find("version 2: started") == 0)
                version2Started = true;
            logShown = end + 1;
        }
        if (!relauncher && version1Running) {
            relauncher = OpenRelauncherOf(version1.dwProcessId, &relauncherId);
            if (relauncher) {
                relauncherRunning = true;
                relauncherCreated = FileTimeOf(relauncher, false);
                Step("relauncher.exe runs (process %lu) and gives version 1 its 4 s of grace", relauncherId);
            }
        }
        if (version1Running && WaitForSingleObject(version1.hProcess, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(version1.hProcess, &code);
            version1Running = false;
            if (relauncherCreated)
                Step("version 1 has been ended (exit code %lu), %.3f s after the relauncher started", code,
                     (FileTimeOf(version1.hProcess, true) - relauncherCreated) / 1e7);
            else
                Step("version 1 has ended (exit code %lu)", code);
        }
        if (!replaced && !version1Running && ReadFileBytes(app) == version2) {
            replaced = true;
            Step("app.exe now holds version 2; app.exe.new is %s", GetFileAttributesW(staged.c_str()) ==
                                                                        INVALID_FILE_ATTRIBUTES
                                                                    ? "gone"
                                                                    : "still there");
        }
        if (relauncherRunning && WaitForSingleObject(relauncher, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(relauncher, &code);
            relauncherRunning = false;
            Step("relauncher.exe has exited (exit code %lu)", code);
        }
        Sleep(10);
    }
    if (relauncher)
        CloseHandle(relauncher);
    if (version1Running)
        TerminateProcess(version1.hProcess, 1);
    CloseHandle(version1.hProcess);

    bool done = version2Started && replaced && !version1Running;
    printf("\n%s\n", done ? "Version 2 has taken the place of version 1." : "The update did not take.");
    return done ? 0 : 1;
}
