#!/bin/sh
# Installs every Debian package that building, testing and benchmarking Parley
# needs, and the colour emoji font that screenshots and tests see chat's
# emoji with. Idempotent: it only touches apt when something is missing.
set -eu

packages="
cmake ninja-build g++ make pkg-config clang libclang-rt-14-dev
libgtest-dev libgmock-dev libbenchmark-dev
qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-websockets-dev qt6-httpserver-dev
libqt6svg6
qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
qml6-module-qtquick-window qml6-module-qtquick-dialogs qml6-module-qtquick-templates
qml6-module-qtqml-workerscript qml6-module-qt-labs-folderlistmodel qml6-module-qttest
qt6-image-formats-plugins
libsecret-1-dev libsecret-tools gnome-keyring dbus dbus-x11 xvfb xauth
dpkg-dev desktop-file-utils appstream lintian librsvg2-bin
fonts-noto-color-emoji
chromium
"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "Installing:$missing"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -q
# shellcheck disable=SC2086
$sudo_cmd apt-get install -y -q --no-install-recommends $missing
