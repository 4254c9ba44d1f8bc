#!/bin/sh
# The package check: packs the built program (never builds it) into the .deb
# and the portable archive, then checks what a user would install: the layout,
# the Depends that let apt resolve Qt, libsecret and the QML modules, the
# bundle kinds, the desktop file, the AppStream metainfo and lintian.
# Usage: check-package.sh BUILD_DIR SOURCE_DIR
set -eu
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cpack --config "$build/CPackConfig.cmake" -B "$scratch/packages" >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log" >&2; exit 1; }
deb=$(find "$scratch/packages" -maxdepth 1 -name 'parley-chat_*.deb')
archive=$(find "$scratch/packages" -maxdepth 1 -name 'Parley-*.tar.gz')
[ -n "$deb" ] && [ -n "$archive" ] || { echo "FAIL: cpack made no .deb or no archive" >&2; exit 1; }

# Layout of the .deb.
dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' >"$scratch/deb-files"
app=app.parley.Parley
for path in /usr/bin/parley /usr/share/parley/Info.json /usr/share/applications/$app.desktop \
    /usr/share/metainfo/$app.metainfo.xml /usr/share/icons/hicolor/scalable/apps/$app.svg \
    /usr/share/man/man1/parley.1.gz /usr/share/doc/parley-chat/copyright /usr/share/doc/parley-chat/changelog.gz; do
    grep -qx "$path" "$scratch/deb-files" || fail ".deb lacks $path"
done
for size in 16 22 24 32 48 64 128 256 512; do
    grep -qx "/usr/share/icons/hicolor/${size}x${size}/apps/$app.png" "$scratch/deb-files" \
        || fail ".deb lacks the ${size}px icon"
done

# Depends: the shared libraries, libsecret, and the package of every QML
# module the screens import (the one that ships the module's qmldir here).
depends=$(dpkg-deb -f "$deb" Depends)
has_depend() { echo "$depends" | tr ',' '\n' | sed 's/^ *//; s/[ (].*//' | grep -qx "$1"; }
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6qml6 libqt6quick6 libqt6quickwidgets6 \
    libqt6network6 libqt6websockets6 libsecret-1-0; do
    has_depend "$package" || fail "Depends lacks $package"
done
qml_root=$(qmake6 -query QT_INSTALL_QML 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/qml)
find "$source/src" -name '*.qml' -exec sed -n 's/^import \([A-Za-z][A-Za-z0-9.]*\).*/\1/p' {} + | sort -u |
    grep -v '^Parley' >"$scratch/imports" || true
while read -r module; do
    qmldir="$qml_root/$(echo "$module" | tr . /)/qmldir"
    package=$(dpkg -S "$qmldir" 2>/dev/null | sed 's/:.*//' | head -n 1)
    if [ -z "$package" ]; then
        fail "no installed package ships the QML module $module"
    elif ! has_depend "$package"; then
        fail "Depends lacks $package (QML module $module)"
    fi
done <"$scratch/imports"
has_depend qml6-module-qtqml-workerscript || fail "Depends lacks qml6-module-qtqml-workerscript (QtQuick loads it)"
# Recommends: without a colour emoji font, emoji in chat are empty boxes.
dpkg-deb -f "$deb" Recommends | tr ',|' '\n\n' | sed 's/^ *//; s/[ (].*//' | grep -qx fonts-noto-color-emoji \
    || fail "Recommends lacks fonts-noto-color-emoji"

# The installed bundle says so; the portable one carries no kind, so a
# downloaded copy offers to move itself.
mkdir "$scratch/root" "$scratch/portable"
dpkg-deb -x "$deb" "$scratch/root"
grep -q '"PARLEY_BUNDLE_KIND": "installed"' "$scratch/root/usr/share/parley/Info.json" \
    || fail "the .deb's Info.json is not of kind installed"
tar -xzf "$archive" -C "$scratch/portable"
[ -x "$scratch/portable/Parley/bin/parley" ] || fail "the archive lacks Parley/bin/parley"
[ -f "$scratch/portable/Parley/share/parley/Info.json" ] || fail "the archive lacks Parley/share/parley/Info.json"
! grep -q PARLEY_BUNDLE_KIND "$scratch/portable/Parley/share/parley/Info.json" \
    || fail "the archive's Info.json carries a bundle kind"
[ ! -e "$scratch/portable/Parley/share/applications" ] || fail "the archive carries a desktop file"

# Both bundles start where they were unpacked and find their Info.json there:
# still running after a few seconds, nothing said about the configuration.
starts() {
    home=$(mktemp -d -p "$scratch")
    status=0
    HOME=$home TMPDIR=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache \
        QT_QPA_PLATFORM=offscreen timeout 4 "$1" >"$home/out" 2>&1 || status=$?
    [ "$status" -eq 124 ] && ! grep -q Info.json "$home/out" && return 0
    cat "$home/out" >&2
    return 1
}
starts "$scratch/root/usr/bin/parley" || fail "the .deb's program does not start"
starts "$scratch/portable/Parley/bin/parley" || fail "the archive's program does not start"

# The desktop's own validators.
desktop-file-validate "$scratch/root/usr/share/applications/$app.desktop" || fail "desktop-file-validate"
grep -qx "Exec=/usr/bin/parley %u" "$scratch/root/usr/share/applications/$app.desktop" \
    || fail "the desktop file does not start /usr/bin/parley"
appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/$app.metainfo.xml" >"$scratch/appstream.log" 2>&1 \
    || { cat "$scratch/appstream.log" >&2; fail "appstreamcli validate"; }
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 \
        || { grep -v 'root privileges' "$scratch/lintian.log" >&2; fail "lintian"; }
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures package checks failed" >&2
    exit 1
fi
echo "package checks passed: $(basename "$deb"), $(basename "$archive")"
