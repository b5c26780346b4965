#pragma once

#include <windows.h>

#include <string>

// A fresh, empty directory for one test, below `parent` (the temp folder
// when empty), removed with everything in it when the object goes away.
class TestDirectory {
public:
    explicit TestDirectory(const std::wstring &parent = L"");
    ~TestDirectory();
    TestDirectory(const TestDirectory &) = delete;
    TestDirectory &operator=(const TestDirectory &) = delete;

    const std::wstring &Path() const { return path_; }
    std::wstring operator/(const std::wstring &name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Opened the way a running program or a virus scanner holds a file: others
// may read it but not delete, rename or replace it.
class HeldOpen {
public:
    explicit HeldOpen(const std::wstring &path);
    ~HeldOpen();
    HeldOpen(const HeldOpen &) = delete;
    HeldOpen &operator=(const HeldOpen &) = delete;

private:
    HANDLE handle_;
};

void WriteFileBytes(const std::wstring &path, const std::string &bytes);
// The whole file; empty, with *exists false, when it cannot be opened.
std::string ReadFileBytes(const std::wstring &path, bool *exists = nullptr);
bool FileExists(const std::wstring &path);
void RemoveTree(const std::wstring &path);
void CopyFileOrFail(const std::wstring &from, const std::wstring &to);

// The folder that holds this test program (and the programs built with it).
std::wstring ProgramDirectory();

// A suspended copy of this test program: a process that exists, does
// nothing and was created after this one. Null handles when it cannot start.
PROCESS_INFORMATION StartSuspendedProcess();

// The names in `directory`, without "." and "..", sorted, joined by "|".
std::wstring ListDirectory(const std::wstring &directory);
