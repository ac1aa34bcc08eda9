/* RAID status. */
#ifndef VORL_RAID_H
#define VORL_RAID_H

#include <vorl/defs.h>

VORL_BEGIN_DECLS

VORL_END_DECLS

#endif /* VORL_RAID_H */
