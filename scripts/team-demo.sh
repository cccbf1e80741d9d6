#!/usr/bin/env bash
# Two Numiras on one machine share one PostgreSQL database and see each other's records
# appear: a private server is started in a temporary folder (Unix socket only), two instances
# of the real program are started under one Xvfb display with homes of their own, each lists
# the program "Team demo" on its browse screen, a record is added by numira-cli, and the
# screen is saved as a picture with both lists showing it.
#   scripts/team-demo.sh [OUTPUT_FOLDER]   (default: build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."

cli() { ./build/bin/numira-cli --db "$address" "$@"; }

# One home, settings and lock per instance: the second is not handed over to the first.
start_numira() {
    local home="$scratch/user$1"
    mkdir -p "$home/config/Numira" "$home/run"
    chmod 700 "$home/run"
    printf '[Info]\nDBInUse=%s\n' "$address" > "$home/config/Numira/Numira.conf"
    HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" \
        QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu" ./build/bin/numira > "$home/log" 2>&1 &
    echo $! >> "$scratch/pids"
}

# Runs inside the Xvfb display.
demo() {
    start_numira 1
    start_numira 2
    local windows=()
    for _ in $(seq 60); do
        mapfile -t windows < <(xdotool search --onlyvisible --name '^Numira - ' 2>/dev/null || true)
        [ "${#windows[@]}" -ge 2 ] && break
        sleep 0.5
    done
    [ "${#windows[@]}" -ge 2 ] || { echo "The two windows did not appear" >&2; exit 1; }
    xdotool windowmove "${windows[0]}" 10 10
    xdotool windowmove "${windows[1]}" 470 10
    sleep 4 # the start pages settle
    # Each window: Browse (the second button), then the program's name.
    for window in "${windows[@]}"; do
        # No window manager here: the pointer over the window, a click on the background, and
        # the keyboard follows.
        xdotool mousemove --window "$window" 300 8 click 1 windowfocus --sync "$window"
        xdotool key Tab space
        sleep 0.5
        xdotool type --delay 50 "Team demo"
        sleep 0.5
    done
    ./build/tools/numira_tour --grab "$out/team-demo-before.png"
    # Another user adds one with numira-cli: both lists show it.
    printf 'TEAM-0001\n' |
        cli add --program "Team demo" --version 1.0 --name "Ann (numira-cli)" --serial -
    sleep 1.5
    ./build/tools/numira_tour --grab "$out/team-demo-cli.png"
    # The first window adds one on its add screen: the second window's list shows it.
    xdotool mousemove --window "${windows[0]}" 300 8 click 1 windowfocus --sync "${windows[0]}"
    xdotool key Escape
    sleep 0.5
    xdotool mousemove --window "${windows[0]}" 90 32 click 1
    sleep 1
    xdotool key Down Down Tab
    xdotool type --delay 30 "2.0"
    xdotool key Tab
    xdotool type --delay 30 "Bob (first window)"
    xdotool key Tab
    xdotool type --delay 30 "TEAM-0002"
    xdotool key alt+o
    sleep 1.5
    ./build/tools/numira_tour --grab "$out/team-demo.png"
    echo "Records on the server:"
    cli list
    kill $(cat "$scratch/pids") 2>/dev/null || true
    wait
}

if [ "${1:-}" = --inside ]; then
    scratch="$TEAM_DEMO_SCRATCH" address="$TEAM_DEMO_ADDRESS" out="$TEAM_DEMO_OUT"
    demo
    exit 0
fi

out="$(realpath -m "${1:-build/screenshots}")"
mkdir -p "$out"
cmake -S . -B build -G Ninja > /dev/null
cmake --build build --target numira numira-cli numira_tour numira_program_files > /dev/null

pgbin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
if [ ! -x "$pgbin/initdb" ]; then
    echo "No PostgreSQL server binaries (Debian package postgresql): scripts/install-deps.sh" >&2
    exit 1
fi

scratch="$(mktemp -d)"
chmod 755 "$scratch"
# The server refuses to run as root: it then runs as the postgres account.
as_server=()
if [ "$(id -u)" -eq 0 ]; then
    as_server=(runuser -u postgres --)
    chown postgres "$scratch"
fi
cleanup() {
    "${as_server[@]}" "$pgbin/pg_ctl" -D "$scratch/data" -m immediate stop > /dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT

"${as_server[@]}" "$pgbin/initdb" -D "$scratch/data" -U numira --auth=trust > /dev/null
"${as_server[@]}" "$pgbin/pg_ctl" -D "$scratch/data" -l "$scratch/data/server.log" -w \
    -o "-k $scratch -c listen_addresses=''" start > /dev/null
"${as_server[@]}" "$pgbin/createdb" -h "$scratch" -U numira numira
address="postgresql://numira@/numira?host=$scratch"

export TEAM_DEMO_SCRATCH="$scratch" TEAM_DEMO_ADDRESS="$address" TEAM_DEMO_OUT="$out"
xvfb-run -a -s "-screen 0 920x420x24" "$0" --inside
echo "The pictures are $out/team-demo-before.png, team-demo-cli.png and team-demo.png"
