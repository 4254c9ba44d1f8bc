#!/bin/sh
# Runs every test through CTest inside a private D-Bus session with its own
# gnome-keyring, a throwaway home and the offscreen Qt platform (see
# private-keyring.sh). Arguments after the build directory go to ctest
# (e.g. -R credentials).
set -eu
build=${1:-build}
[ $# -gt 0 ] && shift
exec "$(dirname "$0")/private-keyring.sh" ctest --test-dir "$build" --output-on-failure -j2 "$@"
