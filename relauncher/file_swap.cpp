#include "file_swap.h"

#include <windows.h>

// Appended to the target's path to name the copy of a new file that comes
// from another volume.
static const wchar_t StagedFileSuffix[] = L".relauncher-staged";

static bool IsExistingFile(const wchar_t *path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A rename within one volume: the target never stands without a file.
static bool ReplaceAtomically(const wchar_t *source, const wchar_t *target)
{
    return MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING) != FALSE;
}

static void MoveFromOtherVolume(const wchar_t *newFile, const wchar_t *target)
{
    int targetLength = lstrlenW(target);
    size_t size = (targetLength + sizeof(StagedFileSuffix) / sizeof(wchar_t)) * sizeof(wchar_t);
    wchar_t *staged = static_cast<wchar_t *>(HeapAlloc(GetProcessHeap(), 0, size));
    if (!staged)
        return;
    lstrcpyW(staged, target);
    lstrcpyW(staged + targetLength, StagedFileSuffix);

    if (CopyFileW(newFile, staged, FALSE) && ReplaceAtomically(staged, target))
        DeleteFileW(newFile);
    else
        DeleteFileW(staged);
    HeapFree(GetProcessHeap(), 0, staged);
}

void MoveNewFileIntoPlace(const wchar_t *newFile, const wchar_t *target)
{
    if (!IsExistingFile(newFile))
        return;
    if (ReplaceAtomically(newFile, target))
        return;
    if (GetLastError() == ERROR_NOT_SAME_DEVICE)
        MoveFromOtherVolume(newFile, target);
}
