#!/bin/sh
# Starts Parley from the build tree (a bundle of its own).
set -eu
build=${1:-build}
if [ ! -x "$build/bin/parley" ]; then
    echo "Everything is built; the Parley application itself is not part of this build yet."
    echo "Developer tools are in $build/bin/ (try $build/bin/parley-dev)."
    exit 0
fi
exec "$build/bin/parley"
