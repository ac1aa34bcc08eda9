/* Record store over the B-tree library. */
#ifndef VORL_BDB_H
#define VORL_BDB_H

#include <vorl/defs.h>

VORL_BEGIN_DECLS

VORL_END_DECLS

#endif /* VORL_BDB_H */
