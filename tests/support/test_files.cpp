#include "test_files.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

static std::wstring TempFolder()
{
    wchar_t buffer[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring path(buffer, length);
    if (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}

TestDirectory::TestDirectory(const std::wstring &parent)
{
    std::wstring base = parent.empty() ? TempFolder() : parent;
    CreateDirectoryW(base.c_str(), nullptr);
    static unsigned counter;
    for (;;) {
        path_ = base + L"\\relauncher-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create a test directory");
    }
}

TestDirectory::~TestDirectory()
{
    RemoveTree(path_);
}

HeldOpen::HeldOpen(const std::wstring &path)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr))
{
    if (handle_ == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open a file to hold it");
}

HeldOpen::~HeldOpen()
{
    CloseHandle(handle_);
}

void WriteFileBytes(const std::wstring &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create a test file");
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size())
        throw std::runtime_error("cannot write a test file");
}

std::string ReadFileBytes(const std::wstring &path, bool *exists)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (exists)
        *exists = file != INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::wstring &path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::wstring &path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

void CopyFileOrFail(const std::wstring &from, const std::wstring &to)
{
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
        throw std::runtime_error("cannot copy a test file");
}

std::wstring ProgramDirectory()
{
    wchar_t buffer[32768];
    DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    std::wstring path(buffer, length);
    return path.substr(0, path.find_last_of(L'\\'));
}

PROCESS_INFORMATION StartSuspendedProcess()
{
    wchar_t path[32768];
    GetModuleFileNameW(nullptr, path, 32768);
    wchar_t commandLine[] = L"suspended.exe --gtest_list_tests";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(path, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &started))
        return PROCESS_INFORMATION();
    return started;
}

std::wstring ListDirectory(const std::wstring &directory)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                names.push_back(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    std::wstring joined;
    for (const std::wstring &name : names)
        joined += (joined.empty() ? L"" : L"|") + name;
    return joined;
}
