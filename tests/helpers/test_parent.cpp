// Stands in for the application that starts the relauncher.
//
//   test_parent.exe stay|exit TESTER_HANDLE REPORT_FILE [HELD_FILE]
//
// It starts RELAUNCHER_PATH with the command line RELAUNCHER_COMMAND_LINE
// (both from the environment), gives a handle to that process to the tester
// (whose process handle TESTER_HANDLE it inherited), writes the handle's
// value to REPORT_FILE, and then stays alive until it is ended ("stay") or
// exits at once with code 3 ("exit"). HELD_FILE, if given, is held open
// without delete sharing for as long as the process lives, the way Windows
// holds a running program's executable.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static const int NotEnded = 99;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = __argc;
    wchar_t **argv = __wargv;
    if (argc != 4 && argc != 5)
        return 2;
    if (argc == 5 && CreateFileW(argv[4], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr) ==
                         INVALID_HANDLE_VALUE)
        return 2;
    bool stay = wcscmp(argv[1], L"stay") == 0;
    HANDLE tester = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(wcstoul(argv[2], nullptr, 10)));
    const wchar_t *report = argv[3];

    static wchar_t path[32768], commandLine[32768];
    if (!GetEnvironmentVariableW(L"RELAUNCHER_PATH", path, 32768) ||
        !GetEnvironmentVariableW(L"RELAUNCHER_COMMAND_LINE", commandLine, 32768))
        return 2;

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started;
    if (!CreateProcessW(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return 2;
    HANDLE forTester = nullptr;
    BOOL handedOver = DuplicateHandle(GetCurrentProcess(), started.hProcess, tester, &forTester, 0, FALSE,
                                      DUPLICATE_SAME_ACCESS);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    if (!handedOver)
        return 2;

    wchar_t partial[32800];
    swprintf(partial, 32800, L"%ls.partial", report);
    FILE *out = _wfopen(partial, L"w");
    if (!out)
        return 2;
    fprintf(out, "%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(forTester)));
    fclose(out);
    if (!MoveFileExW(partial, report, MOVEFILE_REPLACE_EXISTING))
        return 2;

    if (!stay)
        return 3;
    Sleep(INFINITE);
    return NotEnded;
}
