#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SplitCase {
    const wchar_t *commandLine;
    std::vector<std::wstring> arguments;  // arguments 0, 1, 2, ...
};

std::wstring Argument(const wchar_t *commandLine, int index)
{
    std::wstring buffer(wcslen(commandLine) + 1, L'#');
    CopyCommandLineArgument(commandLine, index, &buffer[0]);
    return std::wstring(buffer.c_str());
}

const SplitCase SplitCases[] = {
    {L"", {L"", L"", L""}},
    {L"relauncher.exe", {L"relauncher.exe", L"", L""}},
    {L"r   \t  ", {L"r", L"", L""}},
    {L"r C:\\App\\app.exe C:\\Temp\\app.new", {L"r", L"C:\\App\\app.exe", L"C:\\Temp\\app.new"}},
    // Every character from 0x01 to 0x20 separates arguments.
    {L"r\x01" L"a\x1f" L"b\x20" L"c", {L"r", L"a", L"b", L"c"}},
    {L"r\ta\nb\rc", {L"r", L"a", L"b", L"c"}},
    // 0x7f and everything from 0x80 up are ordinary characters.
    {L"r a\x7f\x80\xa0\x3000z b", {L"r", L"a\x7f\x80\xa0\x3000z", L"b"}},
    {L"r \"C:\\Program Files\\App\\app.exe\" \"C:\\Temp\\new app.exe\"",
     {L"r", L"C:\\Program Files\\App\\app.exe", L"C:\\Temp\\new app.exe"}},
    // Quoted and unquoted stretches make one argument; the quotes are dropped.
    {L"r C:\\\"Program Files\"\\App\\app.exe x", {L"r", L"C:\\Program Files\\App\\app.exe", L"x"}},
    {L"r a\"b\"c\"d e\"f", {L"r", L"abcd ef", L""}},
    {L"r a\"\"b", {L"r", L"ab", L""}},
    // A lone pair of quotes where an argument would start vanishes.
    {L"r \"\" next", {L"r", L"next", L""}},
    {L"r \"\"\"\"  \"\" next", {L"r", L"next", L""}},
    {L"r \"\"next", {L"r", L"next", L""}},
    {L"r \"\"\"quoted text\" x", {L"r", L"quoted text", L"x"}},
    {L"\"\" r a", {L"r", L"a", L""}},
    {L"r a \"\"", {L"r", L"a", L""}},
    // After the pair, a third quote opens a stretch that starts with a blank.
    {L"r \"\"\" x", {L"r", L" x", L""}},
    // An unterminated quote takes the rest of the line, blanks included.
    {L"r \"C:\\My App\\app.exe   second", {L"r", L"C:\\My App\\app.exe   second", L""}},
    {L"r a \"", {L"r", L"a", L""}},
    // The backslash is ordinary, also before a quote: no escapes.
    {L"r C:\\Dir\\\" b", {L"r", L"C:\\Dir\\ b", L""}},
    {L"r \\\\server\\share\\a.exe", {L"r", L"\\\\server\\share\\a.exe", L""}},
    {L"r \\\"a b\\\"", {L"r", L"\\a b\\", L""}},
    // Arguments after the second are there but play no part.
    {L"r a b c d", {L"r", L"a", L"b", L"c", L"d", L""}},
    {L"\"C:\\Program Files\\App\\relauncher.exe\" \"RESTART\" app.exe",
     {L"C:\\Program Files\\App\\relauncher.exe", L"RESTART", L"app.exe"}},
    // Cyrillic and other characters outside any ANSI code page.
    {L"r \"C:\\Users\\\x0414\x043c\x0438\x0442\x0440\x0438\x0439\\app.exe\" \x65b0.exe",
     {L"r", L"C:\\Users\\\x0414\x043c\x0438\x0442\x0440\x0438\x0439\\app.exe", L"\x65b0.exe"}},
    // A surrogate pair stays whole.
    {L"r a\xd83d\xde00" L"b c", {L"r", L"a\xd83d\xde00" L"b", L"c"}},
};

TEST(CommandLine, SplitsByTheRule)
{
    for (const SplitCase &c : SplitCases) {
        for (size_t i = 0; i < c.arguments.size(); ++i)
            EXPECT_EQ(Argument(c.commandLine, static_cast<int>(i)), c.arguments[i])
                << "argument " << i << " of [" << ::testing::PrintToString(std::wstring(c.commandLine)) << "]";
    }
}

TEST(CommandLine, MissingArgumentsAreEmptyFarPastTheEnd)
{
    EXPECT_EQ(Argument(L"r a", 50), L"");
    EXPECT_EQ(Argument(L"r \"a", 7), L"");
}

}  // namespace
