// The real relauncher.exe, started by a real parent process, against real
// files. Each replace or restart run waits out the relauncher's 4 s grace.
#include "relauncher_run.h"
#include "test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Sleep may end up to one clock tick early.
const ULONGLONG ClockTickMs = 16;

// A run with the checks that every test makes of it.
class CheckedRun : public RelauncherRun {
public:
    using RelauncherRun::RelauncherRun;

    // Waits for the relauncher to end and returns its exit code.
    DWORD WaitForRelauncher(DWORD timeoutMs = 30000)
    {
        EXPECT_EQ(WaitForSingleObject(relauncher, timeoutMs), WAIT_OBJECT_0) << "the relauncher did not end";
        DWORD code = 12345;
        GetExitCodeProcess(relauncher, &code);
        return code;
    }

    // Checks that the parent was ended, with exit code 0, after the grace.
    void ExpectParentEndedAfterGrace()
    {
        ASSERT_EQ(WaitForSingleObject(parent, 10000), WAIT_OBJECT_0) << "the parent was not ended";
        DWORD code = 12345;
        GetExitCodeProcess(parent, &code);
        EXPECT_EQ(code, 0u);
        ULONGLONG waitedMs = (ParentExited() - RelauncherCreated()) / FileTimeMs;
        EXPECT_GE(waitedMs + ClockTickMs, GraceMs) << "the parent was ended too early";
    }
};

class RelauncherTest : public ::testing::Test {
protected:
    TestDirectory dir;
    const std::wstring app = dir / L"app.exe";
    const std::wstring update = dir / L"app.new";
    const std::wstring version1 = ProgramDirectory() + L"\\test_target_v1.exe";
    const std::wstring version2 = ProgramDirectory() + L"\\test_target_v2.exe";

    void SetUp() override
    {
        CopyFileOrFail(version1, app);
        CopyFileOrFail(version2, update);
    }

    void ExpectBytesOf(const std::wstring &path, const std::wstring &original)
    {
        bool exists = false;
        const std::string bytes = ReadFileBytes(path, &exists);
        const std::string expected = ReadFileBytes(original);
        EXPECT_TRUE(exists && bytes == expected)
            << ::testing::PrintToString(path) << (exists ? " holds " + std::to_string(bytes.size()) : " is missing")
            << ", not the " << expected.size() << " bytes of " << ::testing::PrintToString(original);
    }

    void ExpectRan(const std::wstring &program, int version)
    {
        TargetRecord record = ReadRecord(program, 15000);
        ASSERT_TRUE(record.ran) << ::testing::PrintToString(program) << " was not started";
        EXPECT_EQ(record.version, version);
        EXPECT_EQ(record.argumentCount, 1) << "the program was started with arguments";
    }
};

using Idle = RelauncherTest;
using Replace = RelauncherTest;
using Restart = RelauncherTest;
using Paths = RelauncherTest;
using Locks = RelauncherTest;

TEST_F(Idle, EmptyFirstArgumentEndsAtOnceAndLeavesTheParent)
{
    for (const wchar_t *arguments : {L"", L"  \t ", L"\"\"", L"\"\" \"\"  "}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(arguments)));
        CheckedRun run(ParentMode::Stay, arguments, dir.Path());
        ULONGLONG before = GetTickCount64();
        EXPECT_EQ(run.WaitForRelauncher(GraceMs), 0u);
        EXPECT_LT(GetTickCount64() - before, 2500u) << "idle mode waited";
        Sleep(200);
        EXPECT_TRUE(run.ParentAlive()) << "idle mode ended the parent";
    }
    ExpectBytesOf(app, version1);
    ExpectBytesOf(update, version2);
    EXPECT_EQ(ListDirectory(dir.Path()), L"app.exe|app.new") << "idle mode started something";
}

TEST_F(Replace, SwapsTheFilesAndStartsTheNewVersion)
{
    CheckedRun run(ParentMode::Stay, Quote(app) + L" " + Quote(update), dir.Path());
    EXPECT_EQ(run.WaitForRelauncher(), 0u);
    run.ExpectParentEndedAfterGrace();
    // With nothing locked, nothing is waited for past the grace.
    EXPECT_LT(run.RelauncherLifetimeMs(), GraceMs + 1500);
    ExpectBytesOf(app, version2);
    EXPECT_FALSE(FileExists(update));
    ExpectRan(app, 2);
}

TEST_F(Replace, ArgumentsPastTheSecondChangeNothing)
{
    const std::wstring other = dir / L"other.exe";
    CopyFileOrFail(version1, other);
    CheckedRun run(ParentMode::Stay, Quote(app) + L" " + Quote(update) + L" " + Quote(other) + L" RESTART", dir.Path());
    EXPECT_EQ(run.WaitForRelauncher(), 0u);
    run.ExpectParentEndedAfterGrace();
    ExpectBytesOf(app, version2);
    ExpectRan(app, 2);
    ExpectBytesOf(other, version1);
    EXPECT_FALSE(FileExists(other + L".ran"));
}

TEST_F(Replace, MissingNewFileStartsTheOldVersion)
{
    for (const std::wstring &newFile : {Quote(dir / L"missing.new"), Quote(dir.Path()), std::wstring()}) {
        SCOPED_TRACE(::testing::PrintToString(newFile));
        DeleteFileW((app + L".ran").c_str());
        CheckedRun run(ParentMode::Stay, Quote(app) + L" " + newFile, dir.Path());
        EXPECT_EQ(run.WaitForRelauncher(), 0u);
        run.ExpectParentEndedAfterGrace();
        ExpectBytesOf(app, version1);
        ExpectRan(app, 1);
    }
    ExpectBytesOf(update, version2);
}

TEST_F(Replace, LowerCaseRestartIsATargetPath)
{
    // Relative paths are taken in the working directory, the parent's. The
    // new file is data, so that starting "restart" afterwards runs nothing.
    const std::string data = "not a program";
    WriteFileBytes(update, data);
    CheckedRun run(ParentMode::Stay, L"restart app.new", dir.Path());
    EXPECT_EQ(run.WaitForRelauncher(), 0u);
    run.ExpectParentEndedAfterGrace();
    EXPECT_EQ(ReadFileBytes(dir / L"restart"), data);
    EXPECT_FALSE(FileExists(update)) << "restart mode was taken";
}

TEST_F(Restart, StartsTheProgramAndTouchesNoFile)
{
    for (const wchar_t *keyword : {L"RESTART", L"\"RESTART\"", L"\"\" RE\"START\""}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(keyword)));
        DeleteFileW((app + L".ran").c_str());
        CheckedRun run(ParentMode::Stay, std::wstring(keyword) + L" " + Quote(app) + L" " + Quote(update), dir.Path());
        EXPECT_EQ(run.WaitForRelauncher(), 0u);
        run.ExpectParentEndedAfterGrace();
        ExpectRan(app, 1);
        ExpectBytesOf(app, version1);
        ExpectBytesOf(update, version2);
    }
}

TEST_F(Restart, ProgramThatCannotBeStartedEndsTheRunSilently)
{
    // Missing, and not a program at all: no message box may hold the run up.
    WriteFileBytes(dir / L"notes.unknownkind", "no program opens this");
    for (const wchar_t *program : {L"missing.exe", L"notes.unknownkind"}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(program)));
        CheckedRun run(ParentMode::Stay, L"RESTART " + Quote(dir / program), dir.Path());
        EXPECT_EQ(run.WaitForRelauncher(), 0u);
        run.ExpectParentEndedAfterGrace();
        EXPECT_LT(run.RelauncherLifetimeMs(), GraceMs + 1500);
    }
}

TEST_F(Restart, WithoutAProgramStillEndsTheParent)
{
    CheckedRun run(ParentMode::Stay, L"RESTART", dir.Path());
    EXPECT_EQ(run.WaitForRelauncher(), 0u);
    run.ExpectParentEndedAfterGrace();
    EXPECT_EQ(ListDirectory(dir.Path()), L"app.exe|app.new");
}

TEST_F(Restart, ParentThatEndedByItselfStillGetsTheProgramStarted)
{
    CheckedRun run(ParentMode::Exit, L"RESTART " + Quote(app), dir.Path());
    EXPECT_EQ(run.WaitForRelauncher(), 0u);
    ExpectRan(app, 1);
}

// How long a swap goes on trying while a file is locked, and what a run
// may take on top of the grace and that window.
const DWORD SwapRetryWindowMs = 2000;
const DWORD RunOverheadMs = 2000;

TEST_F(Locks, LockThatStaysStartsTheOldVersionWithinTheBound)
{
    for (const std::wstring *locked : {&app, &update}) {
        SCOPED_TRACE(::testing::PrintToString(*locked));
        DeleteFileW((app + L".ran").c_str());
        HeldOpen lock(*locked);
        CheckedRun run(ParentMode::Stay, Quote(app) + L" " + Quote(update), dir.Path());
        EXPECT_EQ(run.WaitForRelauncher(), 0u);
        run.ExpectParentEndedAfterGrace();
        EXPECT_LT(run.RelauncherLifetimeMs(), GraceMs + SwapRetryWindowMs + RunOverheadMs);
        ExpectRan(app, 1);
        ExpectBytesOf(app, version1);
        ExpectBytesOf(update, version2);
    }
}

TEST_F(Locks, LockLetGoAfterASecondIsWaitedFor)
{
    // The lock is let go from this process while the relauncher is retrying
    // (a second thread here is no option: Wine run under qemu does not
    // survive two threads of one process waiting at once).
    TestDirectory otherVolume(L"D:");
    const std::wstring downloaded = otherVolume / L"app.new";
    struct Case {
        const char *name;
        const std::wstring *locked;
        const std::wstring *newFile;
    };
    const Case cases[] = {
        {"target locked", &app, &update},
        {"new file locked", &update, &update},
        {"target locked, new file on another volume", &app, &downloaded},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CopyFileOrFail(version1, app);
        CopyFileOrFail(version2, *c.newFile);
        DeleteFileW((app + L".ran").c_str());
        auto lock = std::make_unique<HeldOpen>(*c.locked);
        CheckedRun run(ParentMode::Stay, Quote(app) + L" " + Quote(*c.newFile), dir.Path());
        // The swap starts once the parent is gone; the lock stays a second longer.
        ASSERT_EQ(WaitForSingleObject(run.parent, 15000), WAIT_OBJECT_0);
        Sleep(1000);
        lock.reset();
        EXPECT_EQ(run.WaitForRelauncher(), 0u);
        run.ExpectParentEndedAfterGrace();
        ExpectRan(app, 2);
        ExpectBytesOf(app, version2);
        EXPECT_FALSE(FileExists(*c.newFile));
        EXPECT_EQ(ListDirectory(dir.Path()), L"app.exe|app.exe.ran") << "a staged copy was left behind";
    }
}

TEST_F(Locks, ParentsOwnRunningExecutableIsReplaced)
{
    // The usual case: the application replaces its own executable, which it
    // holds open until its process is torn down, a while after it was told
    // to end.
    CopyFileOrFail(ProgramDirectory() + L"\\test_parent.exe", app);
    CheckedRun run(ParentMode::Stay, Quote(app) + L" " + Quote(update), dir.Path(), app, L"", app);
    EXPECT_EQ(run.WaitForRelauncher(), 0u);
    run.ExpectParentEndedAfterGrace();
    ExpectBytesOf(app, version2);
    EXPECT_FALSE(FileExists(update));
    ExpectRan(app, 2);
}

TEST_F(Paths, NewFileOnAnotherVolume)
{
    // Drive D: of the test prefix is a file system of its own, as a second
    // drive would be: no rename reaches across.
    TestDirectory download(L"D:");
    const std::wstring downloaded = download / L"app.new";
    CopyFileOrFail(version2, downloaded);
    CheckedRun run(ParentMode::Stay, Quote(app) + L" " + Quote(downloaded), dir.Path());
    EXPECT_EQ(run.WaitForRelauncher(), 0u);
    run.ExpectParentEndedAfterGrace();
    ExpectBytesOf(app, version2);
    EXPECT_FALSE(FileExists(downloaded));
    ExpectRan(app, 2);
    EXPECT_EQ(ListDirectory(dir.Path()), L"app.exe|app.exe.ran|app.new") << "a staged copy was left behind";
}

TEST_F(Paths, CyrillicAndSpacesInThePaths)
{
    // C:\...\Дмитрий\Мои программы\приложение.exe
    TestDirectory user(dir / L"\x0414\x043c\x0438\x0442\x0440\x0438\x0439");
    const std::wstring folder = user / L"\x041c\x043e\x0438 \x043f\x0440\x043e\x0433\x0440\x0430\x043c\x043c\x044b";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring target = folder + L"\\\x043f\x0440\x0438\x043b\x043e\x0436\x0435\x043d\x0438\x0435.exe";
    const std::wstring newFile = user / L"\x043d\x043e\x0432\x044b\x0439.exe";
    CopyFileOrFail(version1, target);
    CopyFileOrFail(version2, newFile);
    CheckedRun run(ParentMode::Stay, Quote(target) + L" " + Quote(newFile), dir.Path());
    EXPECT_EQ(run.WaitForRelauncher(), 0u);
    run.ExpectParentEndedAfterGrace();
    ExpectBytesOf(target, version2);
    EXPECT_FALSE(FileExists(newFile));
    ExpectRan(target, 2);
}

DWORD WINAPI EndAtOnce(void *)
{
    return 0;
}

// Creates a thread that ends at once, waits for it to be gone and returns
// the id it had. Wine hands out thread and process ids from one table and,
// once that is full, reuses freed ids first in, first out.
DWORD ChurnThreadId()
{
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, &id);
    if (!thread)
        return 0;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return id;
}

// Churns threads until ids come back, so the id table is full and the next
// ids handed out are freed ones.
bool FillIdTable(DWORD timeoutMs)
{
    std::vector<DWORD> seen;
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < deadline) {
        DWORD id = ChurnThreadId();
        if (std::find(seen.begin(), seen.end(), id) != seen.end())
            return true;
        seen.push_back(id);
    }
    return false;
}

// Counts the ids on Wine's free list: churns one, then churns until it comes
// back.
size_t FreeIdCount(DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    const DWORD marker = ChurnThreadId();
    size_t count = 1;
    while (ChurnThreadId() != marker) {
        if (GetTickCount64() > deadline)
            return 0;
        ++count;
    }
    return count;
}

// Ids taken off the front of Wine's free list and kept until the object
// goes, so that a freed id comes round again sooner: the threads have
// ended, but an id is freed only with the last handle. (Wine reuses ids only
// while at least 256 are free, and, run under qemu, does not survive two
// threads of one process waiting at once.)
class HeldIds {
public:
    explicit HeldIds(size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            HANDLE thread = CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, nullptr);
            if (!thread)
                break;
            WaitForSingleObject(thread, INFINITE);
            threads_.push_back(thread);
        }
    }
    ~HeldIds()
    {
        for (HANDLE thread : threads_)
            CloseHandle(thread);
    }
    HeldIds(const HeldIds &) = delete;
    HeldIds &operator=(const HeldIds &) = delete;

private:
    std::vector<HANDLE> threads_;
};

TEST(ParentIdentity, ProcessThatReusedTheParentsIdSurvives)
{
    TestDirectory dir;
    const std::wstring app = dir / L"app.exe";
    CopyFileOrFail(ProgramDirectory() + L"\\test_target_v1.exe", app);
    ASSERT_TRUE(FillIdTable(20000)) << "Wine's id table never filled up";
    const size_t freeIds = FreeIdCount(20000);
    ASSERT_GT(freeIds, 0u) << "Wine's free ids did not come round";
    HeldIds shorterRound(freeIds > 300 ? freeIds - 300 : 0);

    CheckedRun run(ParentMode::Exit, L"RESTART " + Quote(app), dir.Path());
    ULONGLONG relauncherCreated = run.RelauncherCreated();
    ASSERT_EQ(WaitForSingleObject(run.parent, 10000), WAIT_OBJECT_0);
    const DWORD parentId = run.parentId;

    // Wine frees an id when the last reference to its process or thread
    // goes: our handles, and the parent's Unix process. Its thread's id is
    // freed first and its own right after, so the id handed out after its
    // thread's comes back is the parent's.
    CloseHandle(run.parentThread);
    run.parentThread = nullptr;
    CloseHandle(run.parent);
    run.parent = nullptr;
    for (ULONGLONG until = GetTickCount64() + 2000;;) {
        HANDLE stillThere = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parentId);
        if (!stillThere)
            break;
        CloseHandle(stillThere);
        ASSERT_LT(GetTickCount64(), until) << "the parent's id was not freed";
        Sleep(5);
    }

    const ULONGLONG deadline = GetTickCount64() + GraceMs - 500;
    DWORD churned = 0;
    for (DWORD id = 0; id != run.parentThreadId && GetTickCount64() < deadline; ++churned)
        id = ChurnThreadId();
    PROCESS_INFORMATION impostor = StartSuspendedProcess();
    ASSERT_NE(impostor.hProcess, nullptr);
    ULONGLONG impostorCreated = TimesOf(impostor.hProcess).created;
    EXPECT_EQ(impostor.dwProcessId, parentId) << "the parent's id was not reused (" << churned << " threads churned)";
    EXPECT_LT((impostorCreated - relauncherCreated) / FileTimeMs, GraceMs - 200)
        << "the id came back too late to test anything";

    EXPECT_EQ(run.WaitForRelauncher(), 0u);
    EXPECT_EQ(WaitForSingleObject(impostor.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the relauncher ended a process that only had its parent's old id";
    TerminateProcess(impostor.hProcess, 0);
    CloseHandle(impostor.hThread);
    CloseHandle(impostor.hProcess);
    TargetRecord record = ReadRecord(app, 15000);
    EXPECT_TRUE(record.ran);
}

TEST(DllSearch, DllPlantedBesideTheRelauncherIsNotLoaded)
{
    // A download folder that anyone could have written to, holding the
    // relauncher and a DLL under the name of one that it loads only when it
    // starts the program (user32 loads imm32 by name).
    TestDirectory downloads;
    TestDirectory appFolder;
    const std::wstring relauncher = downloads / L"relauncher.exe";
    const std::wstring planted = downloads / L"imm32.dll";
    const std::wstring marker = planted + L".loaded";
    const std::wstring app = appFolder / L"app.exe";
    CopyFileOrFail(ProgramDirectory() + L"\\relauncher.exe", relauncher);
    CopyFileOrFail(ProgramDirectory() + L"\\planted.dll", planted);
    CopyFileOrFail(ProgramDirectory() + L"\\load_library.exe", downloads / L"load_library.exe");
    CopyFileOrFail(ProgramDirectory() + L"\\test_target_v1.exe", app);

    // Wine prefers its own DLLs; the test runs with WINEDLLOVERRIDES set to
    // take one found on disk first. Wine reads it from the Unix environment
    // when a process starts, so it cannot be set from here.

    // Proof that the plant works: a program that loads imm32 by its bare
    // name from this folder gets the planted one.
    std::wstring commandLine = Quote(downloads / L"load_library.exe") + L" imm32.dll";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION control = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               downloads.Path().c_str(), &startup, &control));
    WaitForSingleObject(control.hProcess, 30000);
    DWORD loaded = 1;
    GetExitCodeProcess(control.hProcess, &loaded);
    EXPECT_EQ(loaded, 0u) << "load_library.exe could not load imm32.dll";
    CloseHandle(control.hThread);
    CloseHandle(control.hProcess);
    ASSERT_TRUE(FileExists(marker)) << "the planted DLL is not picked up even by a plain program";
    ASSERT_TRUE(DeleteFileW(marker.c_str()));

    {
        CheckedRun run(ParentMode::Stay, L"RESTART " + Quote(app), downloads.Path(), L"", relauncher);
        EXPECT_EQ(run.WaitForRelauncher(), 0u);
        run.ExpectParentEndedAfterGrace();
    }
    TargetRecord record = ReadRecord(app, 15000);
    EXPECT_TRUE(record.ran);
    EXPECT_FALSE(FileExists(marker)) << "the relauncher loaded a DLL from its own folder";
}

// docs/examples/self_update.c, the reference caller of the integration
// guide, in a folder "My App" with relauncher.exe, version 1 as app.exe and
// version 2 staged as app.exe.new.
class ReferenceCaller : public ::testing::Test {
protected:
    TestDirectory dir;
    const std::wstring folder = dir / L"My App";
    const std::wstring app = folder + L"\\app.exe";
    const std::wstring version1 = ProgramDirectory() + L"\\self_update_v1.exe";
    const std::wstring version2 = ProgramDirectory() + L"\\self_update_v2.exe";

    void SetUp() override
    {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        CopyFileOrFail(version1, app);
        CopyFileOrFail(version2, app + L".new");
        CopyFileOrFail(ProgramDirectory() + L"\\relauncher.exe", folder + L"\\relauncher.exe");
    }

    // Starts version 1 with `mode` and waits for it to end.
    void RunVersion1(const wchar_t *mode)
    {
        std::wstring commandLine = Quote(app) + L" " + mode;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started = {};
        ASSERT_TRUE(CreateProcessW(app.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.c_str(), &startup, &started));
        EXPECT_EQ(WaitForSingleObject(started.hProcess, 15000), WAIT_OBJECT_0) << "version 1 did not end";
        DWORD code = 12345;
        GetExitCodeProcess(started.hProcess, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }

    // Waits until the application's log holds `line`; returns the whole log.
    std::string WaitForLog(const char *line)
    {
        const std::wstring log = app + L".log";
        for (ULONGLONG until = GetTickCount64() + 20000; GetTickCount64() < until; Sleep(50)) {
            if (ReadFileBytes(log).find(line) != std::string::npos)
                break;
        }
        return ReadFileBytes(log);
    }
};

TEST_F(ReferenceCaller, UpdatesItself)
{
    for (const wchar_t *mode : {L"", L"stay"}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(mode)));
        DeleteFileW((app + L".log").c_str());
        CopyFileOrFail(version1, app);
        CopyFileOrFail(version2, app + L".new");
        RunVersion1(mode);
        const std::string written = WaitForLog("version 2: no update staged");
        EXPECT_NE(written.find("version 1: started the relauncher"), std::string::npos) << written;
        EXPECT_NE(written.find("version 2: no update staged"), std::string::npos) << written;
        EXPECT_TRUE(ReadFileBytes(app) == ReadFileBytes(version2)) << "app.exe is not version 2";
        EXPECT_EQ(ListDirectory(folder), L"app.exe|app.exe.log|relauncher.exe");
    }
}

TEST_F(ReferenceCaller, DropsAnUpdateThatCannotTake)
{
    // An executable that stays locked cannot be replaced: the relauncher
    // starts version 1 again, which must not go round for ever.
    HeldOpen lock(app);
    RunVersion1(L"");
    const std::string written = WaitForLog("dropped it");
    EXPECT_NE(written.find("version 1: the staged update did not take; dropped it"), std::string::npos) << written;
    EXPECT_TRUE(ReadFileBytes(app) == ReadFileBytes(version1)) << "app.exe changed";
    EXPECT_EQ(ListDirectory(folder), L"app.exe|app.exe.log|relauncher.exe");
}

}  // namespace
