/* SMB domain settings query. */
#ifndef VORL_WINS_H
#define VORL_WINS_H

#include <vorl/defs.h>

VORL_BEGIN_DECLS

VORL_END_DECLS

#endif /* VORL_WINS_H */
