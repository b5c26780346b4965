#include "parent_process.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Snapshot functions that count what they are asked and serve a list of
// (process id, parent id) pairs.
struct FakeProcessList {
    bool failSnapshot = false;
    std::vector<std::pair<DWORD, DWORD>> entries;
    size_t next = 0;
    int snapshots = 0;
    HANDLE lastSnapshot = nullptr;
};
FakeProcessList fake;

HANDLE WINAPI FakeCreateSnapshot(DWORD, DWORD)
{
    ++fake.snapshots;
    if (fake.failSnapshot)
        return INVALID_HANDLE_VALUE;
    fake.next = 0;
    // A real handle, so that closing it can be seen.
    fake.lastSnapshot = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return fake.lastSnapshot;
}

BOOL ServeEntry(PROCESSENTRY32W *entry)
{
    if (entry->dwSize != sizeof(PROCESSENTRY32W) || fake.next >= fake.entries.size())
        return FALSE;
    entry->th32ProcessID = fake.entries[fake.next].first;
    entry->th32ParentProcessID = fake.entries[fake.next].second;
    ++fake.next;
    return TRUE;
}

BOOL WINAPI FakeFirstProcess(HANDLE, PROCESSENTRY32W *entry)
{
    fake.next = 0;
    return ServeEntry(entry);
}

BOOL WINAPI FakeNextProcess(HANDLE, PROCESSENTRY32W *entry)
{
    return ServeEntry(entry);
}

bool IsOpenHandle(HANDLE handle)
{
    DWORD flags;
    return GetHandleInformation(handle, &flags) != FALSE;
}

class ParentLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake = FakeProcessList();
        CachedParentProcessId = -1;
        ProcessSnapshotFunctions = {FakeCreateSnapshot, FakeFirstProcess, FakeNextProcess};
    }
    void TearDown() override
    {
        CachedParentProcessId = -1;
        ProcessSnapshotFunctions = {};
    }
};

// Run only in a child process, by FindsTheProcessThatStartedIt: exits with
// the id that the real lookup finds.
TEST(ParentLookupChild, DISABLED_ExitWithParentId)
{
    ExitProcess(GetParentProcessId());
}

TEST_F(ParentLookup, FindsTheProcessThatStartedIt)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t commandLine[] =
        L"unit_tests.exe --gtest_also_run_disabled_tests --gtest_filter=ParentLookupChild.DISABLED_ExitWithParentId";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    BOOL started =
        CreateProcessW(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
    ASSERT_TRUE(started);
    ASSERT_EQ(WaitForSingleObject(child.hProcess, 30000), WAIT_OBJECT_0);
    DWORD found = 0;
    GetExitCodeProcess(child.hProcess, &found);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_EQ(found, GetCurrentProcessId());
}

TEST_F(ParentLookup, SecondCallTakesNoSnapshot)
{
    fake.entries = {{8, 4}, {GetCurrentProcessId(), 1232}};
    EXPECT_EQ(GetParentProcessId(), 1232u);
    // Even once the list no longer shows it, the first answer stands.
    fake.entries.clear();
    EXPECT_EQ(GetParentProcessId(), 1232u);
    EXPECT_EQ(GetParentProcessId(), 1232u);
    EXPECT_EQ(fake.snapshots, 1);
}

TEST_F(ParentLookup, NothingFoundIsLookedUpAgain)
{
    fake.failSnapshot = true;
    EXPECT_EQ(GetParentProcessId(), 0u);
    EXPECT_EQ(CachedParentProcessId, 0);
    EXPECT_EQ(GetParentProcessId(), 0u);
    EXPECT_EQ(fake.snapshots, 2);

    fake.failSnapshot = false;
    fake.entries = {{GetCurrentProcessId(), 1228}};
    EXPECT_EQ(GetParentProcessId(), 1228u);
    EXPECT_EQ(fake.snapshots, 3);
    EXPECT_EQ(GetParentProcessId(), 1228u);
    EXPECT_EQ(fake.snapshots, 3);
}

TEST_F(ParentLookup, WalksTheListForTheOwnEntry)
{
    const DWORD self = GetCurrentProcessId();
    struct WalkCase {
        const char *name;
        std::vector<std::pair<DWORD, DWORD>> entries;
        DWORD expected;
    };
    const WalkCase cases[] = {
        {"own entry first", {{self, 1234}, {8, 4}, {12, 8}}, 1234},
        {"own entry in the middle", {{8, 4}, {self, 1236}, {12, 8}}, 1236},
        {"own entry last", {{8, 4}, {12, 8}, {self, 1240}}, 1240},
        {"the first match counts", {{self, 1244}, {self, 9999}}, 1244},
        {"own entry missing", {{8, 4}, {12, 8}}, 0},
        {"first read fails", {}, 0},
        {"parent id 0 in the own entry", {{8, 4}, {self, 0}}, 0},
    };
    for (const WalkCase &c : cases) {
        SCOPED_TRACE(c.name);
        CachedParentProcessId = -1;
        fake.entries = c.entries;
        fake.snapshots = 0;
        EXPECT_EQ(GetParentProcessId(), c.expected);
        EXPECT_EQ(CachedParentProcessId, static_cast<LONG>(c.expected));
        EXPECT_EQ(fake.snapshots, 1);
        EXPECT_FALSE(IsOpenHandle(fake.lastSnapshot)) << "the snapshot handle was left open";
    }
}

TEST(Termination, LeavesAProcessYoungerThanItselfAlone)
{
    // Created after this one, as a process that took over a reused id is.
    PROCESS_INFORMATION younger = StartSuspendedProcess();
    ASSERT_NE(younger.hProcess, nullptr);
    TerminateProcessById(younger.dwProcessId);
    EXPECT_EQ(WaitForSingleObject(younger.hProcess, 500), static_cast<DWORD>(WAIT_TIMEOUT))
        << "a process created after the relauncher was ended";
    TerminateProcess(younger.hProcess, 0);
    CloseHandle(younger.hThread);
    CloseHandle(younger.hProcess);
}

}  // namespace
