#include "file_swap.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const std::string OldBytes = "old version of the application";
const std::string NewBytes = "new version of the application, a little longer";

class FileSwap : public ::testing::Test {
protected:
    TestDirectory dir;
    std::wstring target = dir / L"app.exe";
    std::wstring newFile = dir / L"app.new";

    std::string Target() { return ReadFileBytes(target); }
};

TEST_F(FileSwap, ReplacesTheTarget)
{
    WriteFileBytes(target, OldBytes);
    WriteFileBytes(newFile, NewBytes);
    MoveNewFileIntoPlace(newFile.c_str(), target.c_str());
    EXPECT_EQ(Target(), NewBytes);
    EXPECT_FALSE(FileExists(newFile));
    EXPECT_EQ(ListDirectory(dir.Path()), L"app.exe");
}

TEST_F(FileSwap, TargetMissingGetsTheNewFile)
{
    WriteFileBytes(newFile, NewBytes);
    MoveNewFileIntoPlace(newFile.c_str(), target.c_str());
    EXPECT_EQ(Target(), NewBytes);
    EXPECT_FALSE(FileExists(newFile));
}

TEST_F(FileSwap, TouchesNothingWithoutANewFile)
{
    CreateDirectoryW((dir / L"folder.new").c_str(), nullptr);
    const std::wstring missing = dir / L"missing.new";
    const std::wstring folder = dir / L"folder.new";
    for (const std::wstring &candidate : {missing, folder, std::wstring()}) {
        SCOPED_TRACE(::testing::PrintToString(candidate));
        WriteFileBytes(target, OldBytes);
        MoveNewFileIntoPlace(candidate.c_str(), target.c_str());
        EXPECT_EQ(Target(), OldBytes);
        EXPECT_EQ(ListDirectory(dir.Path()), L"app.exe|folder.new");
    }
}

TEST_F(FileSwap, SameFileForBothIsKept)
{
    WriteFileBytes(target, OldBytes);
    MoveNewFileIntoPlace(target.c_str(), target.c_str());
    EXPECT_EQ(Target(), OldBytes);
}

// Holds a file open from another thread and lets go after `holdMs`.
class HeldOpenFor {
public:
    HeldOpenFor(const std::wstring &path, DWORD holdMs) : lock_(new HeldOpen(path)), holdMs_(holdMs)
    {
        thread_ = CreateThread(nullptr, 0, LetGo, this, 0, nullptr);
    }
    ~HeldOpenFor()
    {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }

private:
    static DWORD WINAPI LetGo(void *self)
    {
        HeldOpenFor *holder = static_cast<HeldOpenFor *>(self);
        Sleep(holder->holdMs_);
        delete holder->lock_;
        return 0;
    }
    HeldOpen *lock_;
    DWORD holdMs_;
    HANDLE thread_;
};

// Runs the swap and returns how long it took, in milliseconds.
ULONGLONG TimedSwap(const std::wstring &newFile, const std::wstring &target)
{
    ULONGLONG start = GetTickCount64();
    MoveNewFileIntoPlace(newFile.c_str(), target.c_str());
    return GetTickCount64() - start;
}

TEST_F(FileSwap, LockThatStaysLeavesBothFilesWithinTheWindow)
{
    for (const std::wstring *locked : {&target, &newFile}) {
        SCOPED_TRACE(::testing::PrintToString(*locked));
        WriteFileBytes(target, OldBytes);
        WriteFileBytes(newFile, NewBytes);
        ULONGLONG tookMs;
        {
            HeldOpen lock(*locked);
            tookMs = TimedSwap(newFile, target);
        }
        EXPECT_EQ(Target(), OldBytes);
        EXPECT_EQ(ReadFileBytes(newFile), NewBytes);
        EXPECT_GE(tookMs + 16, SwapRetryWindowMs) << "a lock was not waited for";
        EXPECT_LT(tookMs, SwapRetryWindowMs + 1000) << "the wait for a lock is not bounded";
    }
}

TEST_F(FileSwap, LockLetGoWithinTheWindowIsWaitedFor)
{
    for (const std::wstring *locked : {&target, &newFile}) {
        SCOPED_TRACE(::testing::PrintToString(*locked));
        WriteFileBytes(target, OldBytes);
        WriteFileBytes(newFile, NewBytes);
        ULONGLONG tookMs;
        {
            HeldOpenFor lock(*locked, 1000);
            tookMs = TimedSwap(newFile, target);
        }
        EXPECT_EQ(Target(), NewBytes);
        EXPECT_FALSE(FileExists(newFile));
        EXPECT_LT(tookMs, SwapRetryWindowMs);
    }
}

TEST_F(FileSwap, OtherFailuresEndTheSwapAtOnce)
{
    WriteFileBytes(newFile, NewBytes);
    const std::wstring nowhere = dir / L"no such folder\\app.exe";
    EXPECT_LT(TimedSwap(newFile, nowhere), 500u);
    EXPECT_EQ(ReadFileBytes(newFile), NewBytes);
}

// /dev/shm is a file system of its own, so Wine cannot rename across.
const wchar_t OtherVolume[] = L"Z:\\dev\\shm";

TEST_F(FileSwap, NewFileFromAnotherVolume)
{
    // Without a lock, and with one on the target that is let go within the window.
    for (DWORD holdMs : {0u, 1000u}) {
        SCOPED_TRACE(holdMs);
        TestDirectory download(OtherVolume);
        const std::wstring downloaded = download / L"app.new";
        WriteFileBytes(target, OldBytes);
        WriteFileBytes(downloaded, NewBytes);
        {
            std::unique_ptr<HeldOpenFor> lock(holdMs ? new HeldOpenFor(target, holdMs) : nullptr);
            MoveNewFileIntoPlace(downloaded.c_str(), target.c_str());
        }
        EXPECT_EQ(Target(), NewBytes);
        EXPECT_FALSE(FileExists(downloaded));
        EXPECT_EQ(ListDirectory(dir.Path()), L"app.exe") << "the staged copy was left behind";
    }
}

TEST_F(FileSwap, LockedTargetWithNewFileFromAnotherVolume)
{
    TestDirectory download(OtherVolume);
    const std::wstring downloaded = download / L"app.new";
    WriteFileBytes(target, OldBytes);
    WriteFileBytes(downloaded, NewBytes);
    {
        HeldOpen lock(target);
        EXPECT_LT(TimedSwap(downloaded, target), SwapRetryWindowMs + 1000);
    }
    EXPECT_EQ(Target(), OldBytes);
    EXPECT_EQ(ReadFileBytes(downloaded), NewBytes);
    EXPECT_EQ(ListDirectory(dir.Path()), L"app.exe") << "the staged copy was left behind";
}

}  // namespace
