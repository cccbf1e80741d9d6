#!/usr/bin/env bash
# Crash loop (not part of CI): each round adds records through the program's writing path and
# kills it with SIGKILL at a random instant (while adding, or during the compaction at its
# end), while a second process (the sqlite3 shell) commits records of its own to the same file.
# After every round the file must pass integrity_check and hold every record either process
# confirmed.
# With the mode "protect", each round instead puts a passphrase on the file or takes it off
# with numira-cli and kills it at a random instant: afterwards the file must be the old one or
# the new one, complete (every record, integrity_check ok), never neither.
#   tests/stress/crash_loop.sh [ROUNDS] [BUILD_FOLDER] [protect]
set -euo pipefail
rounds=${1:-1000}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=${2:-$source_dir/build}
if [ "${3:-}" = protect ]; then
    exec "$(dirname "$0")/protect_crash_loop.sh" "$rounds" "$build"
fi
cmake --build "$build" --target stress_writer numira_mkdb | grep -E "error|FAILED" && exit 1 || true
writer=$build/stress/stress_writer
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=$work/numira.mdb
"$build/tools/numira_mkdb" "$source_dir/data/schema/numira.sql" "$db" >/dev/null
# Enough records that the compaction at the end of a round takes a while to be killed in.
sqlite3 "$db" "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n LIMIT 50000)
    INSERT INTO serials (program, serial) SELECT 'Seed', 's-' || i FROM n"
sqlite3 "$db" "SELECT serial FROM serials" >"$work/confirmed"

lost=0
kills_in_compaction=0
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
    "$writer" "$db" "r$round" $((RANDOM % 200 + 20)) >"$work/out" 2>&1 &
    victim=$!
    sleep "0.$(printf "%03d" $((RANDOM % 1000)))"
    kill -KILL "$victim" 2>/dev/null || true
    wait "$victim" 2>/dev/null || true
    kill "$other" 2>/dev/null || true
    wait "$other" 2>/dev/null || true
    grep '^confirmed ' "$work/out" | cut -d' ' -f2 >>"$work/confirmed" || true
    if grep -q '^compacting' "$work/out" && ! grep -q '^done' "$work/out"; then
        kills_in_compaction=$((kills_in_compaction + 1))
    fi

    check=$(sqlite3 -cmd ".timeout 5000" "$db" "PRAGMA integrity_check")
    if [ "$check" != "ok" ]; then
        echo "round $round: integrity_check: $check" >&2
        exit 1
    fi
    sqlite3 -cmd ".timeout 5000" "$db" "SELECT serial FROM serials" | sort >"$work/present"
    sort -u "$work/confirmed" >"$work/expected"
    missing=$(comm -23 "$work/expected" "$work/present" | wc -l)
    if [ "$missing" -ne 0 ]; then
        echo "round $round: $missing confirmed records missing" >&2
        lost=$((lost + missing))
        exit 1
    fi
    if [ $((round % 50)) -eq 0 ]; then
        echo "round $round: $(wc -l <"$work/expected") confirmed records, all present;" \
            "$kills_in_compaction kills during compaction"
    fi
done
echo "rounds: $rounds, confirmed records: $(wc -l <"$work/expected"), lost: $lost," \
    "kills during compaction: $kills_in_compaction"
