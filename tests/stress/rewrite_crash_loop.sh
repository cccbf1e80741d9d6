#!/usr/bin/env bash
# Kills numira-cli at a random instant while it puts a passphrase on the database, changes it or
# takes it off, while another process adds records in a loop through numira-cli add (run
# through crash_loop.sh ROUNDS BUILD rewrite). A record counts once add reported it added (exit
# status 0 and its id). After every kill:
#   - the database opens with the passphrase it had before the rewrite or with the new one
#     (or is plain, before protect or after unprotect), and reads whole;
#   - every record add reported is in it;
#   - no file a rewrite left beside it is readable by other users, though the umask would allow
#     it; such files go at the next opening by numira-cli (which says so on standard error).
set -euo pipefail
rounds=${1:-40}
build=${2:?build folder}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cmake --build "$build" --target numira-cli numira_mkdb | grep -E "error|FAILED" && exit 1 || true
cli=$build/bin/numira-cli
work=$(mktemp -d)
adder=
cleanup() {
    [ -n "$adder" ] && kill "$adder" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
umask 022
db=$work/numira.mdb
first="crash loop passphrase one"
second="crash loop passphrase two"
"$build/tools/numira_mkdb" "$source_dir/data/schema/numira.sql" "$db" >/dev/null
sqlite3 "$db" "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n LIMIT 20000)
    INSERT INTO serials (program, serial) SELECT 'Seed', 's-' || i FROM n"
sqlite3 "$db" "SELECT serial FROM serials" >"$work/confirmed"
export HOME=$work

fail() {
    echo "round $round: $*" >&2
    exit 1
}

# The passphrase the database opens with now: "plain", "one" or "two"; "none" when it opens
# with neither.
state_of() {
    if head -c 15 "$db" | grep -q "SQLite format"; then
        # Opened once, as any use of it opens it.
        "$cli" --db "$db" programs >/dev/null 2>&1 || true
        echo plain
    elif "$cli" --db "$db" programs --passphrase-fd 0 <<<"$first" >/dev/null 2>&1; then
        echo one
    elif "$cli" --db "$db" programs --passphrase-fd 0 <<<"$second" >/dev/null 2>&1; then
        echo two
    else
        echo none
    fi
}

passphrase_of() {
    case $1 in
    one) echo "$first" ;;
    two) echo "$second" ;;
    *) echo "" ;;
    esac
}

# The other process: one add a run, each passphrase tried in turn; a record counts when add
# printed its id. A refusal for a busy file or any other reason is simply not counted.
(
    i=0
    while :; do
        for passphrase in "$first" "$second"; do
            if id=$("$cli" --db "$db" add --program Other --serial "o-$i" \
                --passphrase-fd 0 <<<"$passphrase" 2>"$work/add-error") && [ -n "$id" ]; then
                echo "o-$i" >>"$work/confirmed"
                break
            fi
            grep -q "passphrase is not right" "$work/add-error" || break
        done
        i=$((i + 1))
    done
) &
adder=$!

kills=0
finished=0
leftovers_seen=0
leftovers_removed=0
declare -A kills_in=([protect]=0 [change-passphrase]=0 [unprotect]=0)
state=plain
for round in $(seq 1 "$rounds"); do
    before=$state
    case $state in
    plain)
        operation=protect
        after=one
        "$cli" --db "$db" protect --new-passphrase-fd 0 <<<"$first" >/dev/null 2>&1 &
        ;;
    one | two)
        old=$(passphrase_of "$state")
        if [ $((RANDOM % 2)) -eq 0 ]; then
            operation=change-passphrase
            [ "$state" = one ] && after=two || after=one
            exec 3<<<"$(passphrase_of "$after")"
            "$cli" --db "$db" change-passphrase --passphrase-fd 0 --new-passphrase-fd 3 \
                <<<"$old" >/dev/null 2>&1 &
            exec 3<&-
        else
            operation=unprotect
            after=plain
            "$cli" --db "$db" unprotect --passphrase-fd 0 <<<"$old" >/dev/null 2>&1 &
        fi
        ;;
    *) fail "the database opens with no passphrase it had" ;;
    esac
    victim=$!
    # The key derivation takes a moment before the rewrite starts: aim past it too.
    sleep "$((RANDOM % 2)).$(printf "%03d" $((RANDOM % 1000)))"
    if kill -KILL "$victim" 2>/dev/null; then
        kills=$((kills + 1))
        kills_in[$operation]=$((kills_in[$operation] + 1))
    else
        finished=$((finished + 1))
    fi
    wait "$victim" 2>/dev/null || true

    readable=$(find "$work" -maxdepth 1 -name 'numira.mdb.rewrite-*' -perm -o+r | wc -l)
    [ "$readable" -eq 0 ] || fail "$readable leftover files readable by others"
    left=$(find "$work" -maxdepth 1 -name 'numira.mdb.rewrite-*' | wc -l)
    [ "$left" -eq 0 ] || leftovers_seen=$((leftovers_seen + 1))

    state=$(state_of)
    [ "$state" = "$before" ] || [ "$state" = "$after" ] ||
        fail "$operation from $before ended as $state"
    if [ "$left" -gt 0 ]; then
        [ -z "$(find "$work" -maxdepth 1 -name 'numira.mdb.rewrite-*')" ] ||
            fail "the opening left a killed rewrite's files"
        leftovers_removed=$((leftovers_removed + 1))
    fi

    # Confirmed first, then present: an add confirmed meanwhile is already committed.
    sort -u "$work/confirmed" >"$work/expected"
    if [ "$state" = plain ]; then
        check=$(sqlite3 -cmd ".timeout 10000" "$db" "PRAGMA integrity_check")
        [ "$check" = ok ] || fail "integrity_check: $check"
        sqlite3 -cmd ".timeout 10000" "$db" "SELECT serial FROM serials" | sort >"$work/present"
    else
        # A file of this size is checked whole at every opening.
        "$cli" --db "$db" list --format tsv --passphrase-fd 0 <<<"$(passphrase_of "$state")" \
            2>"$work/list-error" | tail -n +2 | cut -f5 | sort >"$work/present" ||
            fail "list: $(cat "$work/list-error")"
        [ ! -s "$work/list-error" ] || fail "list: $(cat "$work/list-error")"
    fi
    missing=$(comm -23 "$work/expected" "$work/present" | wc -l)
    [ "$missing" -eq 0 ] || fail "$missing records add reported are missing"
    if [ $((round % 10)) -eq 0 ]; then
        echo "round $round: $(wc -l <"$work/expected") records reported added, all present;" \
            "$kills kills, $finished rewrites finished first"
    fi
done
kill "$adder" 2>/dev/null || true
wait "$adder" 2>/dev/null || true
adder=
added=$(($(sort -u "$work/confirmed" | wc -l) - 20000))
echo "rounds: $rounds; kills: ${kills_in[protect]} during protect," \
    "${kills_in[change-passphrase]} during change-passphrase, ${kills_in[unprotect]} during" \
    "unprotect; $finished rewrites finished before the kill; records add reported added" \
    "during the loop: $added, lost: 0; rounds that left a rewrite's files: $leftovers_seen," \
    "removed at the next opening: $leftovers_removed; none readable by others"
