#!/bin/sh
# Installs the build tree into a fresh prefix and builds outside programs
# against it the way users do: pkg-config and #include <vorl/vorl.h>.
set -eu
build=$1
here=$2
prefix=/tmp/vorl-prefix
work=/tmp/vorl-consumers
rm -rf "$prefix" "$work"
mkdir -p "$work"

cmake --install "$build" --prefix "$prefix" >/dev/null
test -f "$prefix/lib/libvorl.a" || test -f "$prefix/lib64/libvorl.a"

export PKG_CONFIG_PATH="$prefix/lib/pkgconfig:$prefix/lib64/pkgconfig"
cflags=$(pkg-config --cflags vorl)
libs=$(pkg-config --libs vorl)
# A sanitized build's library carries the sanitizer runtimes; the consumer
# itself is built plainly.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0:detect_leaks=0"
libdir=$(pkg-config --variable=libdir vorl)

cc -std=c11 -Wall -Wextra -Werror $cflags "$here/consumer.c" -o "$work/consumer_c" $libs
c++ -std=c++17 -Wall -Wextra -Werror $cflags -x c++ "$here/consumer.c" -o "$work/consumer_cxx" $libs
LD_LIBRARY_PATH="$libdir" "$work/consumer_c"
LD_LIBRARY_PATH="$libdir" "$work/consumer_cxx"

# Every function the library exports has C linkage (no mangled names).
mangled=$(nm -D --defined-only "$libdir/libvorl.so" | awk '$2 ~ /[TW]/ && $3 ~ /^_Z/ {print $3}')
if [ -n "$mangled" ]; then
    echo "exported C++ symbols:"
    echo "$mangled"
    exit 1
fi
echo "install check passed"
