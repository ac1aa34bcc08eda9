// VLIBFileIsSectionHeader: whether a line is a "[name]" header.
#include <vorl/conf.h>

namespace {
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
}  // namespace

int VLIBFileIsSectionHeader(const char *szLine, int cbLine) {
    if (!szLine || cbLine <= 0 || szLine[0] != '[') return 0;
    int end = cbLine;
    while (end > 0 && IsSpace(szLine[end - 1]))
        --end;
    return end > 0 && szLine[end - 1] == ']' ? 1 : 0;
}
