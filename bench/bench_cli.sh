#!/usr/bin/env bash
# numira-cli as whole processes against the sqlite3 shell doing the same work in the same run:
# search (a name held by 1% of the records, a program held by 8%, every record), export (CSV,
# JSON) and import (CSV into Numira's schema, its triggers included). Each figure is the median
# wall time of ROUNDS runs (3 for the import) and the highest peak memory of the process
# (/usr/bin/time), printed beside its floor and their ratio. Prints figures; it is no test.
#   bench/bench_cli.sh [RECORDS|DATABASE] [BUILD_FOLDER] [ROUNDS]   (100000, build/, 5 rounds)
# A database file is copied first and never changed; with SAVE_DATABASE=FILE set, the generated
# one is kept there for the next run. ONLY=transfer leaves the searches out.
set -euo pipefail
records=${1:-100000}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$source_dir/build}
rounds=${3:-5}
cli=$build/bin/numira-cli
mkdb=$build/tools/numira_mkdb
for tool in "$cli" "$mkdb" /usr/bin/time "$(command -v sqlite3)"; do
    [ -x "$tool" ] || { echo "needs $tool" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=$work/numira.mdb

# Records as bench_search makes them: a dozen products in 331 editions, dotted versions,
# "Licensed to User N", serials of 25 to 36 letters and digits in groups of five.
if [ -f "$records" ]; then
    cp "$records" "$db"
    records=$(sqlite3 "$db" "SELECT count(*) FROM serials")
else
    "$mkdb" "$source_dir/data/schema/numira.sql" "$db" >/dev/null
    sqlite3 "$db" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $records)
      INSERT INTO serials (program, version, name, serial, date) SELECT
        json_extract('[\"Photo Pro\",\"Office Suite\",\"Antivirus Plus\",\"Disk Pro\",\"Media Pro\",
          \"Code Editor\",\"Backup Pro\",\"Mail Client\",\"Video Pro\",\"Web Browser\",\"Zip Pro\",
          \"Game Launcher\"]', '\$[' || (i % 12) || ']') || ' ' || (i * 7 % 331),
        (i % 17) || '.' || (i % 10) || CASE WHEN i % 3 THEN '' ELSE ' SP' || (i % 4) END,
        'Licensed to User ' || (i * 7919 % 100003),
        substr(upper(hex(randomblob(20))), 1, 5) || '-' || substr(upper(hex(randomblob(20))), 1, 5)
          || '-' || substr(upper(hex(randomblob(20))), 1, 5) || '-'
          || substr(upper(hex(randomblob(20))), 1, 10 + i % 12),
        '2024-01-01T12:00:00' FROM n;
      INSERT INTO programs (program) SELECT DISTINCT program FROM serials ORDER BY program;"
    [ -z "${SAVE_DATABASE:-}" ] || cp "$db" "$SAVE_DATABASE"
fi

# Median seconds and highest peak KiB of a command run `rounds` times, output thrown away.
measure() {
    local times=() peak=0 n=$1
    shift
    for ((r = 0; r < n; r++)); do
        [ -z "${before_each:-}" ] || eval "$before_each"
        local line
        /usr/bin/time -o "$work/time" -f '%e %M' "$@" >/dev/null 2>&1
        line=$(tail -1 "$work/time")
        times+=("${line% *}")
        [ "${line#* }" -le "$peak" ] || peak=${line#* }
    done
    local median
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((n + 1) / 2))p")
    echo "$median $peak"
}

report() {
    local what=$1 ours=$2 floor=$3
    awk -v w="$what" -v a="${ours% *}" -v ak="${ours#* }" -v b="${floor% *}" -v bk="${floor#* }" \
        'BEGIN { printf "%-26s numira-cli %8.0f ms %6.1f MiB   sqlite3 %8.0f ms %6.1f MiB   %.2fx\n",
                 w, a * 1000, ak / 1024, b * 1000, bk / 1024, (b > 0 ? a / b : 0) }'
}

# The shell's floor of a search: the index names the candidates, LIKE confirms them, sorted.
trigrams() {
    local word=$1 out=() i
    for ((i = 0; i + 3 <= ${#word}; i++)); do out+=("\"${word:i:3}\""); done
    local IFS=' '
    echo "${out[*]}" | sed 's/" "/" AND "/g'
}
shell_search() {
    local k=$1
    echo "SELECT id, program, version, name, serial, date FROM serials WHERE id IN
      (SELECT rowid FROM serials_search WHERE serials_search MATCH '$(trigrams "$k")') AND
      (program LIKE '%$k%' OR version LIKE '%$k%' OR serial LIKE '%$k%' OR name LIKE '%$k%')
      ORDER BY program, version, id"
}

echo "records: $records; medians of $rounds runs (import: 3); peak memory of the process"
keywords=("User 12" "Office" "icensed")
[ "${ONLY:-}" != transfer ] || keywords=()
for keyword in "${keywords[@]}"; do
    matches=$(sqlite3 "$db" "SELECT count(*) FROM serials WHERE program LIKE '%$keyword%' OR
        version LIKE '%$keyword%' OR serial LIKE '%$keyword%' OR name LIKE '%$keyword%'")
    ours=$(measure "$rounds" "$cli" --db "$db" search "$keyword")
    floor=$(measure "$rounds" sqlite3 -separator $'\t' "$db" "$(shell_search "$keyword")")
    report "search \"$keyword\" ($matches)" "$ours" "$floor"
done

select_all="SELECT program, version, name, serial, date FROM serials ORDER BY id"
ours=$(measure "$rounds" "$cli" --db "$db" export -o "$work/out.csv")
floor=$(measure "$rounds" sh -c "sqlite3 -csv -header '$db' '$select_all' >'$work/shell.csv'")
report "export csv" "$ours" "$floor"
ours=$(measure "$rounds" "$cli" --db "$db" export -o "$work/out.json")
floor=$(measure "$rounds" sh -c "sqlite3 -json '$db' '$select_all' >'$work/shell.json'")
report "export json" "$ours" "$floor"

# Imports into a fresh database each run; the shell's nearest equivalent of an import:
# .import into a staging table, then the programs and the records from it, in one transaction.
target=$work/target.mdb
cat >"$work/import.sql" <<EOF
BEGIN;
.mode csv
.import $work/out.csv staging
INSERT INTO programs (program) SELECT DISTINCT program FROM staging;
INSERT INTO serials (program, version, name, serial, date)
  SELECT program, version, name, serial, date FROM staging;
DROP TABLE staging;
COMMIT;
EOF
before_each='rm -f "$target"; "$mkdb" "$source_dir/data/schema/numira.sql" "$target" >/dev/null'
ours=$(measure 3 "$cli" --db "$target" import "$work/out.csv")
floor=$(measure 3 sh -c "sqlite3 '$target' < '$work/import.sql'")
before_each=
report "import csv" "$ours" "$floor"
