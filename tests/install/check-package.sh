#!/bin/sh
# Builds the Debian package as the README does, from a release tree of its
# own (kept between runs, so a second run only rebuilds what changed), and
# checks it with lintian: no error and no warning, and none of its notes on a
# binary built without Debian's hardening or left with the compilers' notes.
# The stack protector, which lintian no longer looks for, is read from the
# binary's symbols. Warnings stay warnings, as in a user's release build, also
# in a tree first made when they were errors.
# Usage: check-package.sh SOURCE_DIR PACKAGE_BUILD_DIR GENERATOR CXX_COMPILER
set -eu

source=$1
build=$2
generator=$3
compiler=$4

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake -S "$source" -B "$build" -G "$generator" -DCMAKE_CXX_COMPILER="$compiler" \
    -DCMAKE_BUILD_TYPE=Release -DCHIMEBOX_TESTS=OFF -DCHIMEBOX_WERROR=OFF
cmake --build "$build" --target chimebox --parallel 2
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
set -- "$build"/chimebox_*.deb
[ -f "$1" ] || fail "cpack made no package"

command -v lintian >/dev/null || fail "lintian is not installed: scripts/deps test installs it"
report=$(lintian --pedantic --display-info --fail-on none "$1") || fail "lintian did not run"
echo "$report"
echo "$report" | grep -qE '^[EW]: |^I: .*(hardening-|binary-has-unneeded-section)' &&
    fail "lintian finds fault with $(basename "$1")"

unpacked=$build/unpacked
rm -rf "$unpacked"
dpkg-deb -x "$1" "$unpacked"
readelf --dyn-syms -W "$unpacked/usr/bin/chimebox" | grep -q ' __stack_chk_fail' ||
    fail "the packaged program has no stack protector"
echo "$(basename "$1"): lintian and hardening OK"
