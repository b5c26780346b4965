#pragma once

// Puts `newFile` in the place of `target`. Nothing is touched unless `newFile`
// names an existing file (not a directory). At every moment `target` holds the
// whole old file or the whole new one; a swap that fails leaves both files as
// they were. A new file on another volume is first copied beside the target.
void MoveNewFileIntoPlace(const wchar_t *newFile, const wchar_t *target);
