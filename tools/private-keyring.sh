#!/bin/sh
# Runs a command inside a private D-Bus session with its own gnome-keyring
# (unlocked with a throwaway password), a throwaway home and the offscreen Qt
# platform, so nothing touches the keyring, settings or caches of the person
# running it. Tests that lock the keyring run in one of their own this way.
set -eu
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
# Tells keyring tests that the keyring they write to is this private one.
export PARLEY_TEST_KEYRING=private

# The daemon outlives the session; it must not keep the caller's descriptors
# (a build lock taken with flock would stay held until it exits).
dbus-run-session -- sh -c '
    printf pw | gnome-keyring-daemon --unlock --components=secrets >/dev/null 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&-
    "$@"
' sh "$@"
