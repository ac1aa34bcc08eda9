// Key matching and key text of key="value" lines.
#include "conf/key_line.h"

#include <string.h>

#include <vorl/str_util.h>

namespace vorl {

bool KeyLineMatch(std::string &scratch, std::string_view line, const char *szKey) {
    if (line.empty() || line[0] == '#' || line[0] == ';') return false;
    scratch.assign(line);
    char *cursor = scratch.data();
    char *szPiece = VLIBStrTokNext(&cursor, "=");
    if (!szPiece) return false;
    VLIBStrTrimSpace(szPiece, nullptr);
    return strcmp(szPiece, szKey) == 0;
}

std::string KeyLineKeyText(std::string_view line) {
    std::string copy(line);
    char *cursor = copy.data();
    char *szPiece = VLIBStrTokNext(&cursor, "=");
    if (!szPiece) return "";
    std::string text(szPiece);
    if (!cursor) {  // no '=' after the piece: it ran to the end of the line
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
    }
    return text;
}

}  // namespace vorl
