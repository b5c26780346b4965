#include <windows.h>
#include <shellapi.h>
#include <wchar.h>

#include "command_line.h"
#include "file_swap.h"
#include "parent_process.h"

const DWORD ParentGraceDelayMs = 4000;
static const wchar_t RestartKeyword[] = L"RESTART";

typedef BOOL(WINAPI *ShellExecuteExFunction)(SHELLEXECUTEINFOW *);
typedef BOOL(WINAPI *SetDefaultDllDirectoriesFunction)(DWORD);

// The relauncher often runs from a folder that others can write to, and
// Windows looks for DLLs in the executable's own folder first. From here on,
// DLLs come from the system folder only. SetDefaultDllDirectories is looked
// up because Windows 7 has it only with an update.
static void RestrictDllSearchToSystemFolder()
{
    SetDefaultDllDirectoriesFunction setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories)
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    else
        SetDllDirectoryW(L"");
}

// shell32 is loaded here, by its full path, rather than imported: it is a
// known DLL, but it pulls in DLLs that are not, and those would be looked
// for beside the executable while the process starts. Its dependencies come
// from the system folder too; Windows 7 without the update that brought the
// LOAD_LIBRARY_SEARCH flags refuses them, and there the altered search path
// starts the search in shell32's own folder.
static HMODULE LoadSystemLibrary(const wchar_t *name)
{
    wchar_t path[MAX_PATH + 32];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    path[length] = L'\\';
    lstrcpyW(path + length + 1, name);
    HMODULE library = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library && GetLastError() == ERROR_INVALID_PARAMETER)
        library = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return library;
}

static void LaunchWithShell(const wchar_t *path)
{
    // An empty name names nothing to start.
    if (path[0] == L'\0')
        return;
    HMODULE shell32 = LoadSystemLibrary(L"shell32.dll");
    if (!shell32)
        return;
    ShellExecuteExFunction shellExecuteEx = reinterpret_cast<ShellExecuteExFunction>(
        reinterpret_cast<void *>(GetProcAddress(shell32, "ShellExecuteExW")));
    if (shellExecuteEx) {
        SHELLEXECUTEINFOW launch = {};
        launch.cbSize = sizeof(launch);
        // The process exits right after this call: the launch must be done
        // when it returns, and a failure must not bring up a message box.
        launch.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        launch.lpVerb = L"open";
        launch.lpFile = path;
        launch.lpParameters = L"";
        launch.lpDirectory = L"";
        launch.nShow = SW_SHOWNORMAL;
        shellExecuteEx(&launch);
    }
    FreeLibrary(shell32);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    RestrictDllSearchToSystemFolder();
    // Before anything else that takes time: the parent may end by itself at
    // any moment.
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
