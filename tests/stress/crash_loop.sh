#!/usr/bin/env bash
# Crash loop: each round adds records through the program's writing path and kills it with
# SIGKILL, while a second process (the sqlite3 shell) commits records of its own to the same
# file. The rounds take turns in where the kill is aimed: at a random instant of the whole run,
# during the compaction at its end, or during a backup taken before that compaction. After every
# round the file must pass integrity_check and hold every record either process confirmed; a
# backup that said it was done must pass integrity_check and hold every record the writer had
# confirmed before it, and a backup killed halfway must leave the older backup whole.
# With the mode "protect", each round instead puts a passphrase on the file or takes it off
# with numira-cli and kills it at a random instant: afterwards the file must be the old one or
# the new one, complete (every record, integrity_check ok), never neither.
# With the mode "rewrite", each round puts on, changes or takes off the passphrase with
# numira-cli while another process adds records through numira-cli add, and kills the rewrite
# at a random instant: the file opens with the old or the new passphrase, holds every record
# add reported, and no file the killed rewrite left is readable by others.
#   tests/stress/crash_loop.sh [ROUNDS] [BUILD_FOLDER] [protect|rewrite]
set -euo pipefail
rounds=${1:-1000}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=${2:-$source_dir/build}
if [ "${3:-}" = protect ]; then
    exec "$(dirname "$0")/protect_crash_loop.sh" "$rounds" "$build"
fi
if [ "${3:-}" = rewrite ]; then
    exec "$(dirname "$0")/rewrite_crash_loop.sh" "$rounds" "$build"
fi
cmake --build "$build" --target stress_writer numira_mkdb | grep -E "error|FAILED" && exit 1 || true
writer=$build/stress/stress_writer
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=$work/numira.mdb
backup=$work/backup.mdb
"$build/tools/numira_mkdb" "$source_dir/data/schema/numira.sql" "$db" >/dev/null
# Enough records that the compaction and the backup take a while to be killed in.
sqlite3 "$db" "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n LIMIT 20000)
    INSERT INTO serials (program, serial) SELECT 'Seed', 's-' || i FROM n"
sqlite3 "$db" "SELECT serial FROM serials" >"$work/confirmed"

fail() {
    echo "round $round: $*" >&2
    exit 1
}

# Waits until the writer's output holds the line, or the writer has ended.
wait_for_line() {
    local waited=0
    until grep -q "^$1" "$work/out"; do
        kill -0 "$victim" 2>/dev/null || return 1
        [ "$waited" -lt 6000 ] || return 1
        sleep 0.01
        waited=$((waited + 1))
    done
}

# A random pause of 0 to $1 milliseconds.
pause() {
    sleep "$(printf "%d.%03d" $(($1 * RANDOM / 32768 / 1000)) $(($1 * RANDOM / 32768 % 1000)))"
}

kills_anywhere=0
kills_in_compaction=0
kills_in_backup=0
unkilled=0
backups_checked=0
for round in $(seq 1 "$rounds"); do
    # The second process: one commit per sqlite3 run; a record counts once sqlite3 said so.
    (
        i=0
        while :; do
            if sqlite3 -cmd ".timeout 5000" "$db" \
                "INSERT INTO serials (program, serial) VALUES ('Other', 'o$round-$i')" 2>/dev/null; then
                echo "o$round-$i" >>"$work/confirmed"
            fi
            i=$((i + 1))
        done
    ) &
    other=$!
    aim=$((round % 3))
    : >"$work/out"
    # The rounds aimed at the compaction or the backup add few records, to get there soon.
    case $aim in
    0) "$writer" "$db" "r$round" $((RANDOM % 200 + 20)) >"$work/out" 2>&1 & ;;
    1) "$writer" "$db" "r$round" $((RANDOM % 20 + 5)) >"$work/out" 2>&1 & ;;
    2) "$writer" "$db" "r$round" $((RANDOM % 20 + 5)) "$backup" >"$work/out" 2>&1 & ;;
    esac
    victim=$!
    case $aim in
    0) pause 1000 ;;
    1) wait_for_line compacting && pause 200 || true ;;
    2) wait_for_line "backing up" && pause 150 || true ;;
    esac
    kill -KILL "$victim" 2>/dev/null || true
    wait "$victim" 2>/dev/null || true
    kill "$other" 2>/dev/null || true
    wait "$other" 2>/dev/null || true
    grep '^confirmed ' "$work/out" | cut -d' ' -f2 >>"$work/confirmed" || true
    if grep -q '^done' "$work/out"; then
        unkilled=$((unkilled + 1))
    elif grep -q '^compacting' "$work/out"; then
        kills_in_compaction=$((kills_in_compaction + 1))
    elif grep -q '^backing up' "$work/out" && ! grep -q '^backed up' "$work/out"; then
        kills_in_backup=$((kills_in_backup + 1))
    else
        kills_anywhere=$((kills_anywhere + 1))
    fi
    if grep -q '^not ' "$work/out"; then
        fail "the writer failed: $(grep '^not ' "$work/out")"
    fi

    check=$(sqlite3 -cmd ".timeout 5000" "$db" "PRAGMA integrity_check")
    [ "$check" = "ok" ] || fail "integrity_check: $check"
    sqlite3 -cmd ".timeout 5000" "$db" "SELECT serial FROM serials" | sort >"$work/present"
    sort -u "$work/confirmed" >"$work/expected"
    missing=$(comm -23 "$work/expected" "$work/present" | wc -l)
    [ "$missing" -eq 0 ] || fail "$missing confirmed records missing"

    # A backup killed halfway leaves its temporary file (no process is left to remove it), never
    # a torn backup: the older one, if any, is still whole.
    rm -f "$backup".??????
    if [ -f "$backup" ]; then
        check=$(sqlite3 "$backup" "PRAGMA integrity_check")
        [ "$check" = "ok" ] || fail "backup integrity_check: $check"
    fi
    if [ "$aim" -eq 2 ] && grep -q '^backed up' "$work/out"; then
        sqlite3 "$backup" "SELECT serial FROM serials" | sort >"$work/in_backup"
        grep '^confirmed ' "$work/out" | cut -d' ' -f2 | sort >"$work/before_backup"
        missing=$(comm -23 "$work/before_backup" "$work/in_backup" | wc -l)
        [ "$missing" -eq 0 ] || fail "$missing records confirmed before the backup missing from it"
        backups_checked=$((backups_checked + 1))
    fi
    if [ $((round % 50)) -eq 0 ]; then
        echo "round $round: $(wc -l <"$work/expected") confirmed records, all present; kills:" \
            "$kills_anywhere anywhere, $kills_in_compaction in compaction," \
            "$kills_in_backup in backup; $unkilled rounds ended before the kill"
    fi
done
echo "rounds: $rounds, confirmed records: $(wc -l <"$work/expected"), lost: 0;" \
    "kills: $kills_anywhere while adding or elsewhere, $kills_in_compaction during compaction," \
    "$kills_in_backup during backup; $unkilled rounds ended before the kill;" \
    "$backups_checked finished backups checked"
