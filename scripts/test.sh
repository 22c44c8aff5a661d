#!/usr/bin/env bash
# Installs what is needed, fuzzes the file parser for a fixed minute, then builds the tests under
# AddressSanitizer and UBSan and runs them headless (the test summary is the last thing printed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

# Fuzz the file parser, seeded from a few small real files when present.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target jet_file_fuzzer
fuzz_dir="$(mktemp -d)"
trap 'rm -rf "$fuzz_dir"' EXIT
mkdir -p "$fuzz_dir/corpus"
for f in jackcess/emptyJet4.mdb jackcess/adox_jet4.mdb jackcess/V1997/delTestV1997.mdb \
         jackcess/V1997/overflowTestV1997.mdb; do
  if [ -f "../shared/corpus/$f" ]; then cp "../shared/corpus/$f" "$fuzz_dir/corpus/$(echo "$f" | tr / _)"; fi
done
fuzzer="$(pwd)/build/fuzz/fuzz/jet_file_fuzzer"
if ! (cd "$fuzz_dir" && "$fuzzer" -max_total_time=60 -timeout=20 -rss_limit_mb=2048 corpus \
        > "$fuzz_dir/fuzz.log" 2>&1); then
  tail -n 60 "$fuzz_dir/fuzz.log"
  echo "the file parser fuzzer found a failure (see above)" >&2
  exit 1
fi
tail -n 1 "$fuzz_dir/fuzz.log"

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan
