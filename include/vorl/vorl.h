/* libvorl: the appliance's support library. Includes every public header. */
#ifndef VORL_VORL_H
#define VORL_VORL_H

#include <vorl/defs.h>
#include <vorl/err.h>
#include <vorl/sz_list.h>
#include <vorl/sz_hash.h>
#include <vorl/str_util.h>
#include <vorl/file_lock.h>
#include <vorl/conf.h>
#include <vorl/unicode.h>
#include <vorl/bdb.h>
#include <vorl/encoding.h>
#include <vorl/wins.h>
#include <vorl/mtd.h>
#include <vorl/raid.h>

#endif /* VORL_VORL_H */
