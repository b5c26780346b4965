#pragma once

#include <windows.h>
#include <tlhelp32.h>

// How long TerminateProcessById waits for an ended process to be gone.
const DWORD ParentExitTimeoutMs = 5000;

// The id of the process that started this one, 0 when none was found. The
// first lookup that finds it fixes it for the whole run; a lookup that found
// nothing is done again in full at the next call.
DWORD GetParentProcessId();

// Ends the process with exit code 0 and waits until it is gone, at most
// ParentExitTimeoutMs (not at all when it had ended already). A process
// created after this one holds a reused id and is left alone: it cannot be
// the one that started this process.
void TerminateProcessById(DWORD processId);

// The result of the last full lookup: -1 before the first, then the id, or 0
// when none was found.
extern LONG CachedParentProcessId;

// The process snapshot functions, looked up by name in kernel32 at first use
// so that the program still starts where they are missing. Null until then;
// tests put their own in place.
typedef HANDLE(WINAPI *CreateSnapshotFunction)(DWORD flags, DWORD processId);
typedef BOOL(WINAPI *WalkSnapshotFunction)(HANDLE snapshot, PROCESSENTRY32W *entry);
struct SnapshotFunctions {
    CreateSnapshotFunction createSnapshot;
    WalkSnapshotFunction firstProcess;
    WalkSnapshotFunction nextProcess;
};
extern SnapshotFunctions ProcessSnapshotFunctions;
