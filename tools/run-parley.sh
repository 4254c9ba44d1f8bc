#!/bin/sh
# make run: Parley signed in to a busy chat, without a Twitch account. Starts
# the local Twitch simulator on a free port with generated chat (emotes,
# replies, actions, moderators, channel events), writes a demo bundle pointed
# at it and at its community emote services (its own bundle identifier, so
# its keyring items and settings never mix with a real sign-in), and starts
# Parley from that bundle. Sign in with the button: the simulator's authorize
# page sends the browser straight back to Parley. Closing Parley stops the
# simulator. With no Secret Service running, a throwaway one is started for
# the demo.
set -eu
build=${1:-build}
rate=${PARLEY_DEMO_CHAT_RATE:-5}
demo="$build/demo"
mkdir -p "$demo/bin" "$demo/share/parley"

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])' 2>/dev/null \
        || echo "$1"
}

sim_log="$demo/twitch-sim.log"
# Made before the simulator starts: the wait below reads it at once.
: >"$sim_log"
"$build/bin/parley-twitch-sim" --port "$(free_port 0)" --chat-rate "$rate" --quiet >"$sim_log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT INT TERM
base=""
for _ in $(seq 50); do
    base=$(sed -n 's/^parley-twitch-sim listening on //p' "$sim_log")
    [ -n "$base" ] && break
    kill -0 $sim 2>/dev/null || { cat "$sim_log" >&2; exit 1; }
    sleep 0.1
done
[ -n "$base" ] || { echo "The Twitch simulator did not start." >&2; exit 1; }
chat=$(sed -n 's/^chat: //p' "$sim_log")
client=$(sed -n 's/^client id: //p' "$sim_log")
bttv=$(sed -n 's/^bttv: //p' "$sim_log")
bttv_cdn=$(sed -n 's/^bttv cdn: //p' "$sim_log")
ffz=$(sed -n 's/^ffz: //p' "$sim_log")
seventv=$(sed -n 's/^7tv: //p' "$sim_log")
recent_messages=$(sed -n 's/^recent messages: //p' "$sim_log")
redirect_port=$(free_port 17563)

# The program finds Info.json beside its own binary: copy it into the bundle.
cp -f "$build/bin/parley" "$demo/bin/parley"
cat >"$demo/share/parley/Info.json" <<JSON
{
    "CFBundleIdentifier": "app.parley.Parley.demo",
    "CFBundleShortVersionString": "$(sed -n 's/.*"CFBundleShortVersionString": "\(.*\)".*/\1/p' "$build/share/parley/Info.json")",
    "PARLEY_BUNDLE_KIND": "demo",
    "TWITCH_CLIENT_ID": "$client",
    "TWITCH_AUTH_REDIRECT_URL": "http://localhost:$redirect_port",
    "TWITCH_IDENTITY_URL": "$base",
    "TWITCH_HELIX_URL": "$base",
    "TWITCH_CHAT_URL": "$chat",
    "TWITCH_WEB_DOMAIN": "twitch.tv",
    "BTTV_API_URL": "$bttv",
    "BTTV_CDN_URL": "$bttv_cdn",
    "FFZ_API_URL": "$ffz",
    "SEVENTV_API_URL": "$seventv",
    "RECENT_MESSAGES_URL": "$recent_messages"
}
JSON

echo "Twitch simulator: $base (chat at $chat, $rate messages a second)"
echo "Parley's chat log: $demo/parley.log"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: Parley needs a desktop session (or xvfb-run) to show its window." >&2
fi

has_secret_service() {
    [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-send >/dev/null && dbus-send --session --print-reply \
        --dest=org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner \
        string:org.freedesktop.secrets 2>/dev/null | grep -q 'boolean true'
}

if has_secret_service; then
    "$demo/bin/parley" >"$demo/parley.log"
else
    echo "No Secret Service running: the demo keeps its sign-in in a throwaway keyring."
    keyring=$(mktemp -d)
    trap 'kill $sim 2>/dev/null || true; rm -rf "$keyring"' EXIT INT TERM
    XDG_DATA_HOME="$keyring" dbus-run-session -- sh -c '
        printf demo | gnome-keyring-daemon --unlock --components=secrets >/dev/null
        exec env XDG_DATA_HOME="$1" "$2/bin/parley" >"$2/parley.log"
    ' sh "${XDG_DATA_HOME:-$HOME/.local/share}" "$demo"
fi
