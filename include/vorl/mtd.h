/* MTD flash devices and the FIS directory. */
#ifndef VORL_MTD_H
#define VORL_MTD_H

#include <vorl/defs.h>

VORL_BEGIN_DECLS

VORL_END_DECLS

#endif /* VORL_MTD_H */
