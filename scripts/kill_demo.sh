#!/usr/bin/env bash
# Kills `tarnquill-cli replace` with SIGKILL at random moments of a large
# replace and shows what the next plain `export` finds: every row as it was
# or as the replace made it, each whole batch (one durable step) all or
# nothing, and both checkers content.
#
#   scripts/kill_demo.sh [--rows N] [--kills K] [--cli PATH] [--oracle PATH]
#
# Every second kill waits for a step being written, to cut it in half.
# Defaults: 300,000 rows, 4 kills, the dev build's tarnquill-cli, the shared
# access-oracle (skipped with a note when Java is missing). Each kill runs on
# a fresh copy of one file built by our own engine (import --create). Prints
# one line per kill and exits 1 when any of them shows a fault.
set -euo pipefail
cd "$(dirname "$0")/.."

rows=300000
kills=4
cli="$PWD/build/dev/cli/tarnquill-cli"
oracle="$PWD/../shared/oracle/access-oracle"
while [ $# -gt 0 ]; do
  case "$1" in
    --rows) rows="$2"; shift 2 ;;
    --kills) kills="$2"; shift 2 ;;
    --cli) cli="$2"; shift 2 ;;
    --oracle) oracle="$2"; shift 2 ;;
    *) echo "usage: $0 [--rows N] [--kills K] [--cli PATH] [--oracle PATH]" >&2; exit 2 ;;
  esac
done
[ -x "$cli" ] || { echo "no tarnquill-cli at $cli (build it first)" >&2; exit 2; }
have_oracle=1
if ! command -v java >/dev/null || [ ! -x "$oracle" ]; then
  have_oracle=0
  echo "note: access-oracle or Java missing: only our own check is run" >&2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Rows per durable step of replace, read from the code so that the check
# below follows it when it changes.
batch=$(sed -n 's/^ *int batch_rows = \([0-9]*\);.*/\1/p' data/bulk_replace.h)
[ -n "$batch" ] || { echo "kill_demo.sh: no batch_rows in data/bulk_replace.h" >&2; exit 2; }

# The table: Id, Name, City; the replace rewrites City in every row.
awk -v n="$rows" 'BEGIN {
  print "Id,Name,City"
  for (i = 1; i <= n; i++) printf "%d,name %d,Old Town %d street %d\n", i, i, i % 977, i
}' > "$work/rows.csv"
"$cli" import "$work/original.mdb" Places "$work/rows.csv" --create > /dev/null
"$cli" export "$work/original.mdb" Places > "$work/old.csv"

replace_args=(--table Places --field City --find "old town" --replace "New Town")
cp "$work/original.mdb" "$work/full.mdb"
start=$(date +%s%N)
"$cli" replace "$work/full.mdb" "${replace_args[@]}" > /dev/null
full_ms=$((($(date +%s%N) - start) / 1000000))
"$cli" export "$work/full.mdb" Places > "$work/new.csv"
echo "$rows rows; an uninterrupted replace takes ${full_ms} ms; killing $kills times"

# Every exported row equals its old or its new line, every id appears once,
# and the new rows are whole batches. Prints "NEW_ROWS" or the first fault.
judge() {
  awk -F, -v batch="$batch" -v n="$rows" '
    FNR == 1 { file++; next }
    file == 1 { old[$1] = $0; next }
    file == 2 { new[$1] = $0; next }
    {
      if ($1 in seen) { print "row " $1 " appears twice"; bad = 1; exit }
      seen[$1] = 1; count++
      if ($0 == new[$1]) changed++
      else if ($0 != old[$1]) { print "row " $1 " is neither old nor new: " $0; bad = 1; exit }
    }
    END {
      if (bad) exit 1
      if (count != n) { print count " rows instead of " n; exit 1 }
      if (changed % batch != 0 && changed != n) { print changed " new rows: not whole batches"; exit 1 }
      print changed + 0
    }' "$work/old.csv" "$work/new.csv" "$1"
}

failures=0
for k in $(seq 1 "$kills"); do
  db="$work/kill$k.mdb"
  cp "$work/original.mdb" "$db"
  delay_ms=$(( (RANDOM * 32768 + RANDOM) % (full_ms + 1) ))
  "$cli" replace "$db" "${replace_args[@]}" > /dev/null 2>&1 &
  pid=$!
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  # Every second kill waits on from there for a step being written (the
  # journal holds the originals), so that some kills cut a step in half.
  when="at ${delay_ms} ms"
  if [ $((k % 2)) = 0 ]; then
    when="in the first step written after ${delay_ms} ms"
    while kill -0 "$pid" 2>/dev/null && [ ! -s "$db-journal" ]; do :; done
  fi
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  journal="none"
  if [ -s "$db-journal" ]; then journal="hot"; elif [ -e "$db-journal" ]; then journal="empty"; fi
  # No other step: the export itself must roll back what the kill left.
  if ! "$cli" export "$db" Places > "$work/after.csv" 2> "$work/export.err"; then
    echo "kill $k $when: export failed: $(cat "$work/export.err")"
    failures=$((failures + 1))
    continue
  fi
  if ! verdict=$(judge "$work/after.csv"); then
    echo "kill $k $when: FAULT: $verdict"
    failures=$((failures + 1))
    continue
  fi
  ours=$("$cli" check "$db" 2>&1 | tail -n 1)
  theirs="skipped"
  if [ "$have_oracle" = 1 ]; then theirs=$("$oracle" check "$db" 2>&1 | tail -n 1); fi
  echo "kill $k $when: journal $journal; $verdict of $rows rows new, the rest old;" \
       "check: $ours; access-oracle: $theirs"
  if [ "$ours" != "OK" ] || { [ "$have_oracle" = 1 ] && [ "$theirs" != "OK" ]; }; then
    failures=$((failures + 1))
  fi
done
[ "$failures" = 0 ] && echo "all $kills kills: every row old or new, both checks OK" && exit 0
echo "$failures of $kills kills showed a fault"
exit 1
