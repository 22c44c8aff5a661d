#!/usr/bin/env bash
# Installs what is needed, builds the tests and the fuzz targets once (clang,
# AddressSanitizer and UBSan; the fuzz targets link the tests' own objects),
# fuzzes every parser of untrusted input for a shared minute, then runs the
# tests headless (the test summary is the last thing printed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
# Let another clone of the repository reuse the compiler cache: paths are
# hashed relative to the checkout, and the build folder is not part of the key.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
jobs="$(nproc)"

cmake --preset asan >/dev/null
cmake --build --preset asan

# One minute of fuzzing shared among the targets, as many at a time as there
# are cores. Each starts from its kept inputs (and real files for the file
# parsers, when the corpus is present); new inputs go to a scratch folder.
targets=(file_fuzzer check_fuzzer journal_fuzzer csv_fuzzer sql_fuzzer filter_fuzzer ini_fuzzer
         ace_header_fuzzer)
fuzz_seconds=60
per_target=$(((fuzz_seconds * jobs + ${#targets[@]} - 1) / ${#targets[@]}))
fuzz_dir="$(mktemp -d)"
trap 'rm -rf "$fuzz_dir"' EXIT
mkdir -p "$fuzz_dir/real-files" build/asan/fuzz-failures
for f in jackcess/emptyJet4.mdb jackcess/adox_jet4.mdb jackcess/V1997/delTestV1997.mdb \
         jackcess/V1997/overflowTestV1997.mdb; do
  if [ -f "../shared/corpus/$f" ]; then cp "../shared/corpus/$f" "$fuzz_dir/real-files/$(echo "$f" | tr / _)"; fi
done
fuzz_one() {
  local target="$1" seeds=("fuzz/regression/$1")
  case "$target" in file_fuzzer | check_fuzzer) seeds+=("$fuzz_dir/real-files") ;; esac
  mkdir -p "$fuzz_dir/$target"
  if "build/asan/fuzz/$target" -max_total_time="$per_target" -timeout=20 -rss_limit_mb=2048 \
       -artifact_prefix="build/asan/fuzz-failures/$target-" "$fuzz_dir/$target" "${seeds[@]}" \
       > "$fuzz_dir/$target.log" 2>&1; then
    echo "$target: $(tail -n 1 "$fuzz_dir/$target.log")"
  else
    tail -n 60 "$fuzz_dir/$target.log"
    echo "$target found a failure (above; the input is in build/asan/fuzz-failures/):" \
         "mend it and keep the input in fuzz/regression/$target/" >&2
    return 1
  fi
}
export -f fuzz_one
export fuzz_dir per_target
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'fuzz_one {}'

ctest --preset asan -j "$jobs"
