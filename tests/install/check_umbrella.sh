#!/bin/sh
# Every public header is included by vorl/vorl.h.
dir=$1
status=0
for h in "$dir"/*.h; do
    name=$(basename "$h")
    [ "$name" = vorl.h ] && continue
    if ! grep -q "#include <vorl/$name>" "$dir/vorl.h"; then
        echo "vorl/vorl.h does not include vorl/$name"
        status=1
    fi
done
exit $status
