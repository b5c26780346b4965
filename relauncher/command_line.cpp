#include "command_line.h"

static bool IsBlank(wchar_t c)
{
    return c >= 0x01 && c <= 0x20;
}

static const wchar_t *SkipToToken(const wchar_t *p)
{
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (p[0] != L'"' || p[1] != L'"')
            return p;
        p += 2;
    }
}

// Scans one token starting at `p`; copies it to `out` unless `out` is null.
// Returns the position right after the token.
static const wchar_t *ScanToken(const wchar_t *p, wchar_t *out)
{
    bool quoted = false;
    for (; *p != L'\0'; ++p) {
        if (*p == L'"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && IsBlank(*p))
            break;
        if (out)
            *out++ = *p;
    }
    if (out)
        *out = L'\0';
    return p;
}

void CopyCommandLineArgument(const wchar_t *commandLine, int index, wchar_t *argument)
{
    const wchar_t *p = commandLine;
    for (int i = 0; i < index; ++i)
        p = ScanToken(SkipToToken(p), nullptr);
    ScanToken(SkipToToken(p), argument);
}
