#include "file_swap.h"

#include "test_files.h"

#include <gtest/gtest.h>

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
    HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
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

}  // namespace
