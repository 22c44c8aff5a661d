#!/usr/bin/env bash
# Times tarnquill against independent tools on a 1,000,000-row table, in one
# run, each pair back to back with the order alternating, and prints the
# medians of RUNS runs with the ratios:
#   - export to CSV: tarnquill-cli export against mdb-export;
#   - replace, shortening and lengthening values: tarnquill-cli replace
#     against access-oracle replace, each on a fresh copy; for lengthening
#     also how much each made the file grow;
#   - the window's 打开 without and with an InStr filter, until the grid's
#     first screen is painted, with the process's peak memory.
# Two tables: one written by our engine (bench/make_compare_table.cc) and one
# written by the independent library (access-oracle create-table).
#
# Exits with 1 when a result is wrong: a row count, our check, the
# independent checker on our result, or mdb-export reading other rows from
# our replace's result than from the independent library's. A missed speed
# goal is marked in the table, not a failure.
#
# Usage: bench/compare.sh
#   ROWS=1000000 RUNS=5       the table's size and the runs of each pair
#   ONLY="export replace open" the parts to run
#   KEEP=DIR                  keep the files in DIR (and reuse the tables there)
set -euo pipefail
cd "$(dirname "$0")/.."
rows="${ROWS:-1000000}"
runs="${RUNS:-5}"
only="${ONLY:-export replace open}"
oracle="${ACCESS_ORACLE:-$(cd .. && pwd)/shared/oracle/access-oracle}"
for tool in mdb-export java /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is not installed" >&2; exit 1; }
done
[ -x "$oracle" ] || { echo "compare.sh: no access-oracle at $oracle" >&2; exit 1; }

cmake --preset release >/dev/null
cmake --build --preset release --target tarnquill-cli make_compare_table open_view_bench >/dev/null
cli=build/release/cli/tarnquill-cli
open_bench=build/release/bench/open_view_bench

work="${KEEP:-$(mktemp -d)}"
mkdir -p "$work"
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
rm -f "$work"/*.times "$work/notes"
failed=0
fail() {
  echo "WRONG: $*" >&2
  failed=1
}

# timed NAME CMD...: runs CMD with its output in $work/NAME.out and appends
# "wall-seconds cpu-seconds peak-KB" to $work/NAME.times. A failing CMD ends
# the script.
timed() {
  local name="$1"
  shift
  if ! /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >"$work/$name.out" 2>"$work/$name.err"; then
    echo "compare.sh: $name failed:" >&2
    cat "$work/$name.err" >&2
    exit 1
  fi
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time" >>"$work/$name.times"
}
# median NAME FIELD: the median of field FIELD (1 wall, 2 cpu, 3 KB) of NAME's runs.
median() {
  awk -v f="$2" '{ print $f }' "$work/$1.times" | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
lines() { wc -l <"$1" | tr -d ' '; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a > 0) printf "%.1f", b / a; else print "-" }'; }
# verdict CONDITION: "met" when the awk condition holds, else "MISSED".
verdict() { if awk "BEGIN { exit !($1) }"; then echo met; else echo MISSED; fi; }
results="$work/results"
: >"$results"
# row WHAT OURS PEER-TOOL PEER GOAL VERDICT: a line of the table from the
# medians of the runs named OURS and PEER (PEER empty: no peer).
row() {
  local line
  line="$1|$(median "$2" 1)|$(median "$2" 2)|$(median "$2" 3)"
  if [ -n "$4" ]; then
    line+="|$3|$(median "$4" 1)|$(median "$4" 2)|$(median "$4" 3)|$(ratio "$(median "$2" 1)" "$(median "$4" 1)")"
  else
    line+="|||||"
  fi
  printf '%s|%s|%s\n' "$line" "$5" "$6" >>"$results"
}

# --- the tables ----------------------------------------------------------------
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg) at the start"
table_of() { if [ "$1" = ours ]; then echo Customers; else echo People; fi; }
[ -f "$work/ours.mdb" ] || build/release/bench/make_compare_table "$work/ours.mdb" "$rows"
[ -f "$work/peer.mdb" ] || "$oracle" create-table "$work/peer.mdb" "$rows" 17 >/dev/null
for t in ours peer; do
  [ "$("$cli" check "$work/$t.mdb")" = OK ] || fail "tarnquill-cli check of the $t table as made"
done

# --- export ------------------------------------------------------------------
if [[ " $only " == *" export "* ]]; then
  for t in ours peer; do
    db="$work/$t.mdb"
    table=$(table_of $t)
    for ((r = 1; r <= runs; r++)); do
      if ((r % 2)); then
        timed "export-$t-ours" "$cli" export "$db" "$table"
        timed "export-$t-peer" mdb-export "$db" "$table"
      else
        timed "export-$t-peer" mdb-export "$db" "$table"
        timed "export-$t-ours" "$cli" export "$db" "$table"
      fi
      for who in ours peer; do
        n=$(lines "$work/export-$t-$who.out")
        [ "$n" = $((rows + 1)) ] || fail "export of the $t table by $who: $n lines, $((rows + 1)) expected"
      done
    done
    r=$(ratio "$(median "export-$t-ours" 1)" "$(median "export-$t-peer" 1)")
    row "export, $t table" "export-$t-ours" mdb-export "export-$t-peer" ">= 5x" "$(verdict "$r >= 5")"
    rm -f "$work/export-$t"-*.out
  done
fi

# --- replace -----------------------------------------------------------------
# replace_case T KIND FIELD FIND REPL: RUNS pairs on fresh copies of table T,
# then the checks on the last pair's results.
replace_case() {
  local t="$1" kind="$2" field="$3" find="$4" repl="$5"
  local db="$work/$t.mdb" table name="replace-$t-$kind"
  table=$(table_of "$t")
  local size_before ours_changed peer_changed
  size_before=$(stat -c %s "$db")
  for ((r = 1; r <= runs; r++)); do
    cp "$db" "$work/$name-ours.mdb"
    cp "$db" "$work/$name-peer.mdb"
    # The copies' data goes to disk now, not inside the timed run: a writer's
    # first flush would otherwise also wait for a fresh copy it did not make,
    # which a user's database, written long before, does not have.
    sync
    local ours=("$cli" replace "$work/$name-ours.mdb" --table "$table" --field "$field"
      --find "$find" --replace "$repl")
    local peer=("$oracle" replace "$work/$name-peer.mdb" "$table" "$field" "$find" "$repl")
    if ((r % 2)); then
      timed "$name-ours" "${ours[@]}"
      timed "$name-peer" "${peer[@]}"
    else
      timed "$name-peer" "${peer[@]}"
      timed "$name-ours" "${ours[@]}"
    fi
    ours_changed=$(sed -n 's/.* \([0-9]*\) rows changed$/\1/p' "$work/$name-ours.out")
    peer_changed=$(tr -dc '0-9' <"$work/$name-peer.out")
    if [ -z "$ours_changed" ] || [ "$ours_changed" != "$peer_changed" ]; then
      fail "$name: we changed '$ours_changed' rows, the independent library '$peer_changed'"
    fi
  done
  echo "$ours_changed" >"$work/$name.changed"
  # The last pair's files: both checkers on ours, and mdb-export must read
  # the same rows from ours as from the independent library's result.
  [ "$("$cli" check "$work/$name-ours.mdb")" = OK ] || fail "$name: tarnquill-cli check"
  local verdict_text
  verdict_text=$("$oracle" check "$work/$name-ours.mdb" || true)
  [ "$verdict_text" = OK ] || fail "$name: access-oracle check: $(echo "$verdict_text" | head -3)"
  for who in ours peer; do
    mdb-export "$work/$name-$who.mdb" "$table" | LC_ALL=C sort >"$work/$name-$who.sorted"
  done
  local n
  n=$(lines "$work/$name-ours.sorted")
  [ "$n" = $((rows + 1)) ] || fail "$name: mdb-export reads $n lines back, $((rows + 1)) expected"
  cmp -s "$work/$name-ours.sorted" "$work/$name-peer.sorted" ||
    fail "$name: mdb-export reads other rows from our result than from the independent library's"
  local growth_ours growth_peer r
  growth_ours=$(($(stat -c %s "$work/$name-ours.mdb") - size_before))
  growth_peer=$(($(stat -c %s "$work/$name-peer.mdb") - size_before))
  r=$(ratio "$(median "$name-ours" 1)" "$(median "$name-peer" 1)")
  if [ "$kind" = shorter ]; then
    row "replace ($kind, $ours_changed rows), $t table" "$name-ours" access-oracle "$name-peer" \
      ">= 5x, < 2 s" "$(verdict "$r >= 5 && $(median "$name-ours" 1) < 2")"
  else
    row "replace ($kind, $ours_changed rows), $t table" "$name-ours" access-oracle "$name-peer" \
      ">= 5x, growth <= peer's" "$(verdict "$r >= 5 && $growth_ours <= $growth_peer")"
  fi
  awk -v t="$t" -v k="$kind" -v a="$growth_ours" -v b="$growth_peer" 'BEGIN {
    printf "file growth, replace (%s), %s table: ours %.1f MB, access-oracle %.1f MB\n", k, t, a / 1e6, b / 1e6
  }' >>"$work/notes"
  rm -f "$work/$name-ours.mdb" "$work/$name-peer.mdb" "$work/$name"-*.sorted
}
if [[ " $only " == *" replace "* ]]; then
  replace_case ours shorter Addr building Bldg
  replace_case ours longer Addr building "Building (east wing, entrance from the north courtyard)"
  replace_case peer shorter Street 市 ""
  replace_case peer longer Street 市 "市 (municipality directly under the central government)"
fi

# --- the window's 打开 -----------------------------------------------------------
# The bench prints: seconds from the press to the painted grid, rows, peak
# KB, KB before the press, CPU seconds. Its own times stand in for the
# process's, which include starting Qt.
open_run() {
  local name="$1"
  shift
  timed "$name" "$open_bench" "$@"
  awk '{ printf "%s %s %s\n", $1, $5, $3 }' "$work/$name.out" >>"$work/$name.inner.times"
}
if [[ " $only " == *" open "* ]]; then
  for t in ours peer; do
    db="$work/$t.mdb"
    if [ $t = ours ]; then filter=(Addr building); else filter=(Street 市); fi
    for ((r = 1; r <= runs; r++)); do
      if ((r % 2)); then
        open_run "open-$t-all" "$db" "$(table_of $t)"
        open_run "open-$t-filter" "$db" "$(table_of $t)" "${filter[@]}"
      else
        open_run "open-$t-filter" "$db" "$(table_of $t)" "${filter[@]}"
        open_run "open-$t-all" "$db" "$(table_of $t)"
      fi
      all_rows=$(cut -d' ' -f2 "$work/open-$t-all.out")
      [ "$all_rows" = "$rows" ] || fail "打开 of the $t table lists $all_rows rows, $rows expected"
      filtered=$(cut -d' ' -f2 "$work/open-$t-filter.out")
      if [ -f "$work/replace-$t-shorter.changed" ]; then
        expected=$(cat "$work/replace-$t-shorter.changed")
        [ "$filtered" = "$expected" ] ||
          fail "打开 with the filter lists $filtered rows of the $t table, replace changed $expected"
      fi
    done
    row "打开, whole $t table ($all_rows rows)" "open-$t-all.inner" "" "" "" ""
    s=$(median "open-$t-filter.inner" 1)
    kb=$(median "open-$t-filter.inner" 3)
    row "打开 with InStr filter ($filtered rows), $t table" "open-$t-filter.inner" "" "" \
      "<= 0.2 s, < 50 MB" "$(verdict "$s <= 0.2 && $kb < 50 * 1024")"
  done
fi

# --- the table ---------------------------------------------------------------
echo "load $(cut -d' ' -f1-3 /proc/loadavg) at the end; medians of $runs runs, each pair back to back"
echo "(s: wall seconds; cpu: user + system seconds; MB: peak resident)"
format='%-48s %7s %6s %5s  %-13s %7s %6s %5s %6s  %-24s %s\n'
# shellcheck disable=SC2059
printf "$format" work "ours s" cpu MB peer "peer s" cpu MB ratio goal ""
mb() { [ -z "$1" ] || awk -v k="$1" 'BEGIN { printf "%.0f", k / 1024 }'; }
while IFS='|' read -r what a acpu amem peer b bcpu bmem ratio goal met; do
  # shellcheck disable=SC2059
  printf "$format" "$what" "$a" "$acpu" "$(mb "$amem")" "$peer" "$b" "$bcpu" "$(mb "$bmem")" \
    "${ratio:+${ratio}x}" "$goal" "$met"
done <"$results"
[ ! -f "$work/notes" ] || cat "$work/notes"
exit "$failed"
