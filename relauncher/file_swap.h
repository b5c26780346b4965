#pragma once

#include <windows.h>

// How long, at most, a swap goes on trying while a file is locked.
const DWORD SwapRetryWindowMs = 2000;

// Puts `newFile` in the place of `target`. Nothing is touched unless `newFile`
// names an existing file (not a directory). At every moment `target` holds the
// whole old file or the whole new one; a swap that fails leaves both files as
// they were. A new file on another volume is first copied beside the target.
// A locked file is waited for, SwapRetryWindowMs at most; any other failure
// ends the swap at once.
void MoveNewFileIntoPlace(const wchar_t *newFile, const wchar_t *target);
