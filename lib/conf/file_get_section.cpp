// VLIBFileGetSection: reads the entries of a section into an SzHash.
#include <vorl/conf.h>
#include <vorl/str_util.h>

#include "core/api_guard.h"
#include "core/line_reader.h"
#include "core/raii.h"

int VLIBFileGetSection(const char *szPath, const char *szSection, SzHash **ppHash) {
    if (!szPath || !szSection || !ppHash || !*ppHash) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        vorl::SzListHandle work(PslVLIBSzListAlloc(512));
        if (!work.p) {
            VORL_ERR(ERR_OUT_OF_MEMORY);
            return -1;
        }
        vorl::UniqueFile fp(fopen(szPath, "r"));
        if (!fp) {
            VORL_ERR(ERR_OPEN_FAILED);
            return -1;
        }
        vorl::LineReader rd(fp.get());
        bool fInSection = false, fStopped = false;
        while (rd.Next()) {
            const char *szLine = rd.data();
            if (!fInSection) {
                fInSection =
                    VLIBFileMatchSection(szLine, static_cast<int>(rd.size()), szSection) == 1;
                continue;
            }
            if (szLine[0] == '[') {  // the next section
                fStopped = true;
                break;
            }
            if (szLine[0] == '#' || szLine[0] == ';') continue;
            if (VLIBStrSepPair(szLine, &work.p) == 0 &&
                VLIBSzHashSetValue(ppHash, SzVLIBSzListGet(work.p, 0), SzVLIBSzListGet(work.p, 1)) <
                    0) {
                VORL_ERR(ERR_OUT_OF_MEMORY);
                return -1;
            }
            VLIBSzListClear(work.p);
        }
        if (!fStopped && !rd.AtEof()) {
            VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_READ_FAILED);
            return -1;
        }
        return (*ppHash)->nKey;
    });
}
