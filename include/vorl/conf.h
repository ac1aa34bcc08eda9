/* Configuration files: key="value" files, line files and [section] files. */
#ifndef VORL_CONF_H
#define VORL_CONF_H

#include <vorl/defs.h>
#include <vorl/sz_hash.h>
#include <vorl/sz_list.h>

#define VORL_INFO_CONF "/etc/vorlinfo.conf"
#define VORL_INFO_CONF_DEFAULTS "/etc.defaults/vorlinfo.conf"
#define VORL_KEY_VALUE_FORMAT "%s=%s\n"
#define VORL_KEY_QUOTED_FORMAT "%s=\"%s\"\n"

/* VLIBFileGetKeyValue flags */
#define VLIB_KEY_LAST_MATCH 0x1

/* Line matching flags */
#define VLIB_LINE_LAST_MATCH 0x1
#define VLIB_LINE_PREFIX 0x2
#define VLIB_LINE_SUFFIX 0x4
#define VLIB_LINE_INSERT_AFTER 0x200
#define VLIB_LINE_IGNORE_CASE 0x400

VORL_BEGIN_DECLS

/* key="value" files */
VORL_API int VLIBFileGetKeyValue(const char *szPath, const char *szKey, char *szBuf, int cbBuf,
                                 int flags);
VORL_API int VLIBFileSetKeyValue(const char *szPath, const char *szKey, const char *szValue,
                                 const char *szFormat);
VORL_API int VLIBFileRemoveKey(const char *szPath, const char *szKey);
VORL_API int VLIBFileCheckKeyValue(const char *szPath, const char *szKey, const char *szExpected,
                                   int fMissing);
VORL_API int VLIBFileSetKeys(const char *szPath, SzHash *pSet, SzHash *pRemove,
                             const char *szFormat);
VORL_API int VLIBFileGetKeys(const char *szPath, const SzList *pWanted, SzHash **ppHash,
                             const char *szDelim);
VORL_API int VLIBFileLineKeyMatch(char *szLine, const char *szKey);
VORL_API int VORLINFOSetKeyValue(const char *szKey, const char *szValue);

/* Line files */
VORL_API int VLIBFileLineMatch(const char *szLine, const char *szPattern, int flags);
VORL_API int VLIBFileGetLine(const char *szPath, const char *szPattern, char *szBuf, int cbBuf,
                             int flags);
VORL_API int VLIBFileAddLine(const char *szPath, const char *szPattern, const char *szNewLine,
                             int flags);
VORL_API int VLIBFileSetLine(const char *szPath, const char *szPattern, const char *szNewLine,
                             int flags);
VORL_API int VLIBFileReplaceSubStr(const char *szPath, const char *szOld, const char *szNew);

/* Section files */
VORL_API int VLIBFileGetSection(const char *szPath, const char *szSection, SzHash **ppHash);
VORL_API int ErrVLIBFileAddSection(const char *szPath, const char *szSection, const SzHash *pHash,
                                   const char *szFormat);
VORL_API int ErrVLIBFileSetSection(const char *szPath, const char *szSection,
                                   const char *szNewSection, const SzHash *pHash,
                                   const char *szFormat);
VORL_API int VLIBFileModifySection(const char *szPath, const char *szSection,
                                   const char *szNewSection, const SzHash *pHash, int mode,
                                   const char *szFormat);
VORL_API int VLIBFileMatchSection(const char *szLine, int cbLine, const char *szName);
VORL_API int VLIBFileIsSectionHeader(const char *szLine, int cbLine);

VORL_END_DECLS

#endif /* VORL_CONF_H */
