/*
 * A small application that updates itself with relauncher.exe.
 *
 * It ships with relauncher.exe in its own folder. When it starts and finds a
 * new version of itself staged beside it as "<its own path>.new" (put there
 * by its update download), it starts the relauncher, which ends it after
 * 4 seconds, moves the new file onto its executable and starts it again.
 * If the swap could not be done, the relauncher starts the old version
 * again; it then finds the staged file still there, marked as tried, and
 * drops it rather than going round for ever.
 *
 *   self_update.exe          exits at once after starting the relauncher,
 *                            the recommended way: save your state and go
 *   self_update.exe stay     keeps running until the relauncher ends it
 *
 * It writes what it does to "<its own path>.log".
 */
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

#ifndef APP_VERSION
#define APP_VERSION 1
#endif

/* Windows paths are at most 32767 characters long. */
#define PATH_CAPACITY 32768

static wchar_t logPath[PATH_CAPACITY + 8];

static void Log(const char *what)
{
    FILE *log = _wfopen(logPath, L"a");
    if (!log)
        return;
    fprintf(log, "%llu version %d: %s\n", (unsigned long long)GetTickCount64(), APP_VERSION, what);
    fclose(log);
}

/*
 * Starts relauncher.exe to replace `target` with `newFile` and start it
 * again. The relauncher splits its command line at blanks, groups what
 * stands in double quotes and drops the quotes; it knows no escapes, so a
 * backslash before a quote is just a backslash. Windows paths never contain
 * a double quote, so quoting each path whole is all it takes.
 */
static BOOL StartRelauncher(const wchar_t *relauncher, const wchar_t *target, const wchar_t *newFile)
{
    static wchar_t commandLine[3 * PATH_CAPACITY + 16];
    STARTUPINFOW startup;
    PROCESS_INFORMATION started;
    BOOL ok;

    if (_snwprintf(commandLine, sizeof(commandLine) / sizeof(commandLine[0]), L"\"%ls\" \"%ls\" \"%ls\"",
                   relauncher, target, newFile) < 0)
        return FALSE;

    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    /* The relauncher shows no window: no busy cursor while it starts. */
    startup.dwFlags = STARTF_FORCEOFFFEEDBACK;
    /* The relauncher must outlive this process. Some launchers run their
     * programs in a job that is killed as a whole when the program ends:
     * break away from it where the job allows. */
    ok = CreateProcessW(relauncher, commandLine, NULL, NULL, FALSE, CREATE_BREAKAWAY_FROM_JOB, NULL, NULL,
                        &startup, &started);
    if (!ok && GetLastError() == ERROR_ACCESS_DENIED)
        ok = CreateProcessW(relauncher, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &started);
    if (!ok)
        return FALSE;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return TRUE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show)
{
    static wchar_t self[PATH_CAPACITY], staged[PATH_CAPACITY + 8], tried[PATH_CAPACITY + 16];
    static wchar_t relauncher[PATH_CAPACITY + 32];
    HANDLE mark;
    DWORD length = GetModuleFileNameW(NULL, self, PATH_CAPACITY);
    wchar_t *folderEnd;
    BOOL stay = wcscmp(arguments, L"stay") == 0;
    (void)instance;
    (void)previous;
    (void)show;

    if (length == 0 || length >= PATH_CAPACITY)
        return 1;
    swprintf(logPath, sizeof(logPath) / sizeof(logPath[0]), L"%ls.log", self);
    swprintf(staged, sizeof(staged) / sizeof(staged[0]), L"%ls.new", self);
    swprintf(tried, sizeof(tried) / sizeof(tried[0]), L"%ls.new.tried", self);
    wcscpy(relauncher, self);
    folderEnd = wcsrchr(relauncher, L'\\');
    if (!folderEnd)
        return 1;
    wcscpy(folderEnd + 1, L"relauncher.exe");

    Log("started");
    if (GetFileAttributesW(staged) == INVALID_FILE_ATTRIBUTES) {
        DeleteFileW(tried);
        Log("no update staged");
        return 0;
    }
    if (GetFileAttributesW(tried) != INVALID_FILE_ATTRIBUTES) {
        /* Tried once already and still here: the swap could not be done
         * (a read-only folder, a file that stayed locked). */
        DeleteFileW(staged);
        DeleteFileW(tried);
        Log("the staged update did not take; dropped it");
        return 0;
    }
    Log("found a staged update");
    mark = CreateFileW(tried, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (mark != INVALID_HANDLE_VALUE)
        CloseHandle(mark);
    if (!StartRelauncher(relauncher, self, staged)) {
        Log("could not start the relauncher");
        return 1;
    }
    Log("started the relauncher");
    if (!stay) {
        Log("exiting so that the update can take");
        return 0;
    }
    Log("staying until the relauncher ends this process");
    Sleep(INFINITE);
    return 0;
}
