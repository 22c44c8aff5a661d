#!/usr/bin/env bash
# Exports one large table with tarnquill-cli and with mdb-export in the same
# run and prints times, peak memory and the speed ratio.
#
# The corpus has no large table yet, so one is made by repeating the data
# pages of a real table (bench/make_large_table.cc) until it has ROWS rows.
# Usage: bench/export_vs_mdb_export.sh [ROWS] [SOURCE.mdb TABLE]
set -euo pipefail
cd "$(dirname "$0")/.."
rows="${1:-1000000}"
src="${2:-../shared/corpus/jackcess/V2000/compIndexTestV2000.mdb}"
table="${3:-Table1}"
command -v mdb-export >/dev/null || { echo "mdb-export (mdbtools) is not installed" >&2; exit 1; }
[ -f "$src" ] || { echo "no source file $src" >&2; exit 1; }

cmake --preset release >/dev/null
cmake --build build/release --target tarnquill-cli make_large_table -j2 >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
build/release/bench/make_large_table "$src" "$table" "$rows" "$work/large.mdb"

measure() {  # prints "seconds peak-KB lines"
  local out="$work/out.csv"
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$out"
  echo "$(cat "$work/time") $(wc -l <"$out")"
}
read -r ours_s ours_kb ours_lines < <(measure build/release/cli/tarnquill-cli export "$work/large.mdb" "$table")
read -r theirs_s theirs_kb theirs_lines < <(measure mdb-export "$work/large.mdb" "$table")

echo "table $table of $(basename "$src"), $((ours_lines - 1)) rows, file $(du -h "$work/large.mdb" | cut -f1)"
printf '%-14s %8ss %9s KB peak %9s lines\n' tarnquill-cli "$ours_s" "$ours_kb" "$ours_lines"
printf '%-14s %8ss %9s KB peak %9s lines\n' mdb-export "$theirs_s" "$theirs_kb" "$theirs_lines"
awk -v a="$ours_s" -v b="$theirs_s" 'BEGIN { if (a > 0) printf "ratio: %.1fx faster than mdb-export\n", b / a; else print "ratio: too fast to measure" }'
