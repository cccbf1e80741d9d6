#!/usr/bin/env bash
# Kills numira-cli at a random instant while it protects or unprotects a database (run through
# crash_loop.sh ROUNDS BUILD protect). After every kill the file must open, as a plain file
# with the sqlite3 shell or as a protected one with its passphrase, pass integrity_check and
# hold every record; the rewrite's own file beside it may be left over, the database never.
set -euo pipefail
rounds=${1:-200}
build=${2:?build folder}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cmake --build "$build" --target numira-cli numira_mkdb | grep -E "error|FAILED" && exit 1 || true
cli=$build/bin/numira-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=$work/numira.mdb
passphrase="crash loop passphrase"
"$build/tools/numira_mkdb" "$source_dir/data/schema/numira.sql" "$db" >/dev/null
sqlite3 "$db" "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n LIMIT 100000)
    INSERT INTO serials (program, serial) SELECT 'Seed', 's-' || i FROM n"
expected=$(sqlite3 "$db" "SELECT count(*) FROM serials")
export HOME=$work

count_records() {
    if head -c 15 "$db" | grep -q "SQLite format"; then
        [ "$(sqlite3 "$db" "PRAGMA integrity_check")" = ok ] || return 1
        sqlite3 "$db" "SELECT count(*) FROM serials"
    else
        "$cli" --db "$db" list --format tsv --passphrase-fd 0 <<<"$passphrase" | tail -n +2 | wc -l
    fi
}

kills=0
for round in $(seq 1 "$rounds"); do
    if head -c 15 "$db" | grep -q "SQLite format"; then
        "$cli" --db "$db" protect --new-passphrase-fd 0 <<<"$passphrase" &
    else
        "$cli" --db "$db" unprotect --passphrase-fd 0 <<<"$passphrase" &
    fi
    victim=$!
    sleep "0.$(printf "%03d" $((RANDOM % 1500 % 1000)))"
    if kill -KILL "$victim" 2>/dev/null; then kills=$((kills + 1)); fi
    wait "$victim" 2>/dev/null || true
    # The rewrite's leftovers are the only other files beside the database.
    rm -f "$db".rewrite-*
    present=$(count_records) || { echo "round $round: the database is damaged" >&2; exit 1; }
    if [ "$present" -ne "$expected" ]; then
        echo "round $round: $present of $expected records" >&2
        exit 1
    fi
    if [ $((round % 20)) -eq 0 ]; then
        echo "round $round: $kills kills, the database whole every time"
    fi
done
echo "rounds: $rounds, kills during protect/unprotect: $kills, records: $expected, none lost"
