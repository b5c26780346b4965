// Stands in for the application that the relauncher starts. It records, in a
// file named after its own path plus ".ran", which version it is, when it
// started and the command line it got, and exits.
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    unsigned long long started = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;

    wchar_t record[32768];
    DWORD length = GetModuleFileNameW(nullptr, record, 32000);
    if (length == 0 || length >= 32000)
        return 1;
    wcscpy(record + length, L".ran");

    wchar_t text[34000];
    int textLength = swprintf(text, 34000, L"version=%d\nstarted=%llu\ncommand_line=%ls\n", TARGET_VERSION, started,
                              GetCommandLineW());
    if (textLength < 0)
        return 1;

    // Written under another name and renamed, so a reader never sees half.
    wchar_t partial[32800];
    swprintf(partial, 32800, L"%ls.partial", record);
    HANDLE file = CreateFileW(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    WriteFile(file, text, textLength * sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(partial, record, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
