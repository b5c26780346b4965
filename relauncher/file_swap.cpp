#include "file_swap.h"

#include <windows.h>

// Appended to the target's path to name the copy of a new file that comes
// from another volume.
static const wchar_t StagedFileSuffix[] = L".relauncher-staged";

// An ended program's executable stays locked until its process is torn
// down, and virus scanners and indexers often hold a freshly written file
// open for a moment: a file step that fails for a lock is tried again.
const DWORD SwapRetryIntervalMs = 100;

typedef BOOL (*FileStep)(const wchar_t *from, const wchar_t *to);

static BOOL RenameOver(const wchar_t *from, const wchar_t *to)
{
    // Within one volume a rename: the target never stands without a file.
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING);
}

// Copies and flushes the copy to disk, so that a rename that follows never
// puts a file in place whose data a power cut could still take away.
static BOOL CopyOver(const wchar_t *from, const wchar_t *to)
{
    if (!CopyFileW(from, to, FALSE))
        return FALSE;
    HANDLE copy = CreateFileW(to, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (copy == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL flushed = FlushFileBuffers(copy);
    CloseHandle(copy);
    return flushed;
}

static bool IsLockError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Runs `step`, retrying while it fails for a lock and `retryBudgetMs` lasts.
// Leaves the step's own error as the last error.
static bool RunFileStep(FileStep step, const wchar_t *from, const wchar_t *to, DWORD *retryBudgetMs)
{
    for (;;) {
        if (step(from, to))
            return true;
        DWORD error = GetLastError();
        if (!IsLockError(error) || *retryBudgetMs == 0) {
            SetLastError(error);
            return false;
        }
        DWORD pause = *retryBudgetMs < SwapRetryIntervalMs ? *retryBudgetMs : SwapRetryIntervalMs;
        Sleep(pause);
        *retryBudgetMs -= pause;
    }
}

static bool IsExistingFile(const wchar_t *path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

static void MoveFromOtherVolume(const wchar_t *newFile, const wchar_t *target, DWORD *retryBudgetMs)
{
    int targetLength = lstrlenW(target);
    size_t size = (targetLength + sizeof(StagedFileSuffix) / sizeof(wchar_t)) * sizeof(wchar_t);
    wchar_t *staged = static_cast<wchar_t *>(HeapAlloc(GetProcessHeap(), 0, size));
    if (!staged)
        return;
    lstrcpyW(staged, target);
    lstrcpyW(staged + targetLength, StagedFileSuffix);

    if (RunFileStep(CopyOver, newFile, staged, retryBudgetMs) &&
        RunFileStep(RenameOver, staged, target, retryBudgetMs))
        DeleteFileW(newFile);
    else
        DeleteFileW(staged);
    HeapFree(GetProcessHeap(), 0, staged);
}

void MoveNewFileIntoPlace(const wchar_t *newFile, const wchar_t *target)
{
    if (!IsExistingFile(newFile))
        return;
    DWORD retryBudgetMs = SwapRetryWindowMs;
    if (RunFileStep(RenameOver, newFile, target, &retryBudgetMs))
        return;
    if (GetLastError() == ERROR_NOT_SAME_DEVICE)
        MoveFromOtherVolume(newFile, target, &retryBudgetMs);
}
