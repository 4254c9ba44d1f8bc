#!/bin/sh
# Runs every test through CTest inside a private D-Bus session with its own
# gnome-keyring, a throwaway home and the offscreen Qt platform, so nothing
# touches the keyring, settings or caches of the person running the tests.
set -eu
build=${1:-build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
mkdir -p "$scratch/home" "$scratch/runtime"
chmod 700 "$scratch/runtime"

export HOME="$scratch/home"
export XDG_RUNTIME_DIR="$scratch/runtime"
export XDG_CONFIG_HOME="$scratch/home/.config"
export XDG_CACHE_HOME="$scratch/home/.cache"
export XDG_DATA_HOME="$scratch/home/.local/share"
export QT_QPA_PLATFORM=offscreen

exec dbus-run-session -- sh -c '
    printf pw | gnome-keyring-daemon --unlock --components=secrets >/dev/null
    ctest --test-dir "$1" --output-on-failure -j2
' sh "$build"
