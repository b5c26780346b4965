#include <windows.h>
#include <shellapi.h>
#include <wchar.h>

#include "command_line.h"
#include "file_swap.h"
#include "parent_process.h"

const DWORD ParentGraceDelayMs = 4000;
static const wchar_t RestartKeyword[] = L"RESTART";

static void LaunchWithShell(const wchar_t *path)
{
    ShellExecuteW(nullptr, L"open", path, L"", L"", SW_SHOWNORMAL);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Before anything else: the parent may end by itself at any moment.
    GetParentProcessId();

    const wchar_t *commandLine = GetCommandLineW();
    size_t size = (lstrlenW(commandLine) + 1) * sizeof(wchar_t);
    HANDLE heap = GetProcessHeap();
    wchar_t *first = static_cast<wchar_t *>(HeapAlloc(heap, 0, size));
    wchar_t *second = static_cast<wchar_t *>(HeapAlloc(heap, 0, size));
    if (first && second) {
        CopyCommandLineArgument(commandLine, 1, first);
        CopyCommandLineArgument(commandLine, 2, second);
        if (first[0] != L'\0') {
            Sleep(ParentGraceDelayMs);
            TerminateProcessById(GetParentProcessId());
            if (wcscmp(first, RestartKeyword) == 0) {
                LaunchWithShell(second);
            } else {
                MoveNewFileIntoPlace(second, first);
                LaunchWithShell(first);
            }
        }
    }
    if (first)
        HeapFree(heap, 0, first);
    if (second)
        HeapFree(heap, 0, second);
    return 0;
}
