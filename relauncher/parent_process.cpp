#include "parent_process.h"

LONG CachedParentProcessId = -1;
SnapshotFunctions ProcessSnapshotFunctions;

static bool snapshotFunctionsLookedUp;

static void LookUpSnapshotFunctions()
{
    if (snapshotFunctionsLookedUp || ProcessSnapshotFunctions.createSnapshot)
        return;
    snapshotFunctionsLookedUp = true;
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    if (!kernel32)
        return;
    SnapshotFunctions found;
    found.createSnapshot = reinterpret_cast<CreateSnapshotFunction>(
        reinterpret_cast<void *>(GetProcAddress(kernel32, "CreateToolhelp32Snapshot")));
    found.firstProcess = reinterpret_cast<WalkSnapshotFunction>(
        reinterpret_cast<void *>(GetProcAddress(kernel32, "Process32FirstW")));
    found.nextProcess = reinterpret_cast<WalkSnapshotFunction>(
        reinterpret_cast<void *>(GetProcAddress(kernel32, "Process32NextW")));
    if (found.createSnapshot && found.firstProcess && found.nextProcess)
        ProcessSnapshotFunctions = found;
}

// Reads this process's own entry of the process list, not the parent's, so
// the answer does not depend on the parent still running.
static DWORD FindParentInSnapshot(DWORD ownId)
{
    LookUpSnapshotFunctions();
    const SnapshotFunctions &f = ProcessSnapshotFunctions;
    if (!f.createSnapshot)
        return 0;
    HANDLE snapshot = f.createSnapshot(TH32CS_SNAPPROCESS, ownId);
    if (snapshot == INVALID_HANDLE_VALUE || !snapshot)
        return 0;
    DWORD parentId = 0;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = f.firstProcess(snapshot, &entry); more; more = f.nextProcess(snapshot, &entry)) {
        if (entry.th32ProcessID == ownId) {
            parentId = entry.th32ParentProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    return parentId;
}

DWORD GetParentProcessId()
{
    if (CachedParentProcessId > 0)
        return static_cast<DWORD>(CachedParentProcessId);
    DWORD parentId = FindParentInSnapshot(GetCurrentProcessId());
    CachedParentProcessId = static_cast<LONG>(parentId);
    return parentId;
}

static ULONGLONG CreationTime(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// The parent was alive when it created this process, so its id can only have
// been given to another process after that moment.
static bool StartedBeforeCurrentProcess(HANDLE process)
{
    ULONGLONG created = CreationTime(process);
    ULONGLONG ownCreated = CreationTime(GetCurrentProcess());
    return created != 0 && ownCreated != 0 && created <= ownCreated;
}

void TerminateProcessById(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, processId);
    if (!process)
        return;
    if (StartedBeforeCurrentProcess(process)) {
        TerminateProcess(process, 0);
        // TerminateProcess only starts the end: the executable stays mapped,
        // and so cannot be replaced, until the process is torn down.
        WaitForSingleObject(process, ParentExitTimeoutMs);
    }
    CloseHandle(process);
}
