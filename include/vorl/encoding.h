/* Password hashes and the reversible password encoding. */
#ifndef VORL_ENCODING_H
#define VORL_ENCODING_H

#include <vorl/defs.h>

VORL_BEGIN_DECLS

VORL_END_DECLS

#endif /* VORL_ENCODING_H */
