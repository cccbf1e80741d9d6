#!/bin/sh
# Starts the installed program from a read-only prefix with a temporary home and checks that it
# keeps its database in the user's data folder, made once from the shipped empty database,
# while the installed tree stays byte for byte as installed.
# Usage: check-installed-run.sh BUILD_DIR [CMAKE]
set -eu
build=$1
cmake=${2:-cmake}
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
# Staged with DESTDIR, so that what a /usr build installs at absolute paths (/etc) lands in the
# stage too, never in the machine's own folders.
prefix=$scratch/root/prefix
DESTDIR=$scratch/root "$cmake" --install "$build" --prefix /prefix >/dev/null
chmod -R a-w "$scratch/root"
(cd "$prefix" && find . -type f -exec sha256sum {} + | sort) > "$scratch/before"

export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
export XDG_RUNTIME_DIR="$scratch/run" QT_QPA_PLATFORM=offscreen
# The echo and the start page stay on this machine.
export NUMIRA_COMMUNITY_SERVER=127.0.0.1
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
own=$XDG_DATA_HOME/numira/numira.mdb
settings=$XDG_CONFIG_HOME/Numira/Numira.conf

# Runs the installed program until its settings name the database in use, then ends it.
start_once() {
    "$prefix/bin/numira" >"$scratch/log" 2>&1 &
    pid=$!
    waited=0
    until grep -qs "^DBInUse=" "$settings" && [ -f "$own" ]; do
        if [ "$waited" -ge 300 ] || ! kill -0 "$pid" 2>/dev/null; then
            echo "FAIL: the installed program made no database of the user's own"
            cat "$scratch/log"
            exit 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    sleep 1
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

start_once
# The installed program finds the browser's plugin from its prefix.
if grep -q "web browser could not be loaded" "$scratch/log"; then
    echo "FAIL: the installed program did not load its browser"
    cat "$scratch/log"
    exit 1
fi
grep -qx "DBInUse=$own" "$settings" || { echo "FAIL: DBInUse is not $own"; cat "$settings"; exit 1; }
grep -qx "DefPath=$prefix/share/numira" "$settings" || { echo "FAIL: DefPath"; cat "$settings"; exit 1; }
[ "$(stat -c %a "$own")" = 600 ] || { echo "FAIL: $own has mode $(stat -c %a "$own")"; exit 1; }
tables=$(sqlite3 "$own" "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name)")
case $tables in *programs*serials*) ;; *) echo "FAIL: tables '$tables'"; exit 1 ;; esac

# A record stored in the user's database is still there after the next start.
sqlite3 "$own" "INSERT INTO programs (program) VALUES ('Editor'); INSERT INTO serials (program, version, name, serial, date) VALUES ('Editor', '2', 'Me', 'KEY-1', '2026-01-01T00:00:00')"
start_once
[ "$(sqlite3 "$own" "SELECT serial FROM serials")" = KEY-1 ] || { echo "FAIL: the record is gone"; exit 1; }

# The installed numira-cli finds the installed translations: a German user reads German.
said=$(LC_ALL= LANGUAGE= LANG=de_DE.UTF-8 "$prefix/bin/numira-cli" frobnicate 2>&1 || true)
case $said in *"kein Befehl"*) ;; *) echo "FAIL: numira-cli in German said: $said"; exit 1 ;; esac

(cd "$prefix" && find . -type f -exec sha256sum {} + | sort) > "$scratch/after"
diff "$scratch/before" "$scratch/after" || { echo "FAIL: the installed tree changed"; exit 1; }
echo "PASS: the installed program keeps its database in $own"
