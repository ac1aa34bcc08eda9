/* SMB domain settings query. */
#ifndef VORL_WINS_H
#define VORL_WINS_H

#include <vorl/defs.h>

VORL_BEGIN_DECLS

/* Reads the [global] section of /usr/vorl/etc/smb.conf: szName gets the
 * domain name (the realm when security is "ads", else the workgroup), cleared
 * first and cut to cbName - 1 bytes; *pfMember is 1 when security is "domain"
 * or "ads", else 0. When pfRunning is not NULL, *pfRunning is 1 when the key
 * runsamba of /etc/vorlinfo.conf is "yes" (any case), else 0. 0, or -1 with
 * the flags not written. */
VORL_API int VORLWinsQuery(char *szName, int cbName, int *pfMember, int *pfRunning);

VORL_END_DECLS

#endif /* VORL_WINS_H */
