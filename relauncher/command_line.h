#pragma once

#include <windows.h>

// Copies argument `index` of `commandLine` (0 is the program's own path) into
// `argument`, which must have room for lstrlenW(commandLine) + 1 characters.
// A missing argument comes out empty.
//
// The rule: blanks are the characters 0x01 to 0x20; a pair of double quotes
// standing where an argument would start is skipped; a double quote opens a
// stretch, up to the next double quote or the end, in which blanks are
// ordinary; quotes themselves are dropped; a backslash is an ordinary
// character. Blanks and quotes are ASCII, so UTF-16 code units can be
// scanned one at a time without splitting a character.
void CopyCommandLineArgument(const wchar_t *commandLine, int index, wchar_t *argument);
