// Key matching and key text of key="value" lines.
#include "conf/key_line.h"

#include <string.h>

#include <vorl/str_util.h>

namespace vorl {

bool KeyLineMatch(std::string &scratch, std::string_view line, std::string_view key) {
    if (line.empty() || line[0] == '#' || line[0] == ';') return false;
    // The trimmed key is a piece of the line: a line that does not hold the
    // key's text anywhere cannot carry it (the quick answer for most lines).
    if (line.find(key) == std::string_view::npos) return false;
    scratch.assign(line);
    char *cursor = scratch.data();
    char *szPiece = VLIBStrTokNext(&cursor, "=");
    if (!szPiece) return false;
    VLIBStrTrimSpace(szPiece, nullptr);
    return key == szPiece;
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
