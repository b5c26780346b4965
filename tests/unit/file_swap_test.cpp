#include "file_swap.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

// The file's identity on its volume: a rename keeps it, a new file gets a
// new one, and writing over a file in place keeps the old one.
ULONGLONG FileId(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION info = {};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

TEST_F(FileSwap, ReplacesByRenaming)
{
    WriteFileBytes(target, OldBytes);
    WriteFileBytes(newFile, NewBytes);
    const ULONGLONG newId = FileId(newFile);
    MoveNewFileIntoPlace(newFile.c_str(), target.c_str());
    EXPECT_EQ(FileId(target), newId) << "the new file was not renamed onto the target";
}

// A new file on another volume, where no rename reaches: drive D: of the
// test prefix, a file system of its own that the swap can see is another
// volume, and /dev/shm seen through Z:, the same drive letter as the target
// until a rename fails.
struct OtherVolume {
    const char *name;
    std::wstring targetFolder;  // empty: the temp folder
    std::wstring downloadFolder;
};

const OtherVolume OtherVolumes[] = {
    {"a drive of its own", L"", L"D:"},
    {"one drive letter over two file systems", ProgramDirectory(), L"Z:\\dev\\shm"},
};

TEST(FileSwapAcrossVolumes, StagesACopyBesideTheTargetAndRenamesIt)
{
    for (const OtherVolume &volume : OtherVolumes) {
        // Without a lock, and with one on the target that is let go within the window.
        for (DWORD holdMs : {0u, 1000u}) {
            SCOPED_TRACE(std::string(volume.name) + ", lock held " + std::to_string(holdMs) + " ms");
            TestDirectory folder(volume.targetFolder);
            TestDirectory download(volume.downloadFolder);
            const std::wstring target = folder / L"app.exe";
            const std::wstring downloaded = download / L"app.new";
            WriteFileBytes(target, OldBytes);
            WriteFileBytes(downloaded, NewBytes);
            const ULONGLONG oldId = FileId(target);
            {
                std::unique_ptr<HeldOpenFor> lock(holdMs ? new HeldOpenFor(target, holdMs) : nullptr);
                MoveNewFileIntoPlace(downloaded.c_str(), target.c_str());
            }
            EXPECT_EQ(ReadFileBytes(target), NewBytes);
            EXPECT_NE(FileId(target), oldId) << "the target was written over in place";
            EXPECT_FALSE(FileExists(downloaded));
            EXPECT_EQ(ListDirectory(folder.Path()), L"app.exe") << "the staged copy was left behind";
        }
    }
}

TEST(FileSwapAcrossVolumes, LockedTargetLeavesBothFilesAndNoCopy)
{
    for (const OtherVolume &volume : OtherVolumes) {
        SCOPED_TRACE(volume.name);
        TestDirectory folder(volume.targetFolder);
        TestDirectory download(volume.downloadFolder);
        const std::wstring target = folder / L"app.exe";
        const std::wstring downloaded = download / L"app.new";
        WriteFileBytes(target, OldBytes);
        WriteFileBytes(downloaded, NewBytes);
        {
            HeldOpen lock(target);
            EXPECT_LT(TimedSwap(downloaded, target), SwapRetryWindowMs + 1000);
        }
        EXPECT_EQ(ReadFileBytes(target), OldBytes);
        EXPECT_EQ(ReadFileBytes(downloaded), NewBytes);
        EXPECT_EQ(ListDirectory(folder.Path()), L"app.exe") << "the staged copy was left behind";
    }
}

}  // namespace
