/* Common definitions of the public headers: C linkage and symbol export. */
#ifndef VORL_DEFS_H
#define VORL_DEFS_H

#ifdef __cplusplus
#define VORL_BEGIN_DECLS extern "C" {
#define VORL_END_DECLS }
#else
#define VORL_BEGIN_DECLS
#define VORL_END_DECLS
#endif

/* Every public function is exported; everything else in the library is hidden. */
#define VORL_API __attribute__((visibility("default")))

#endif /* VORL_DEFS_H */
