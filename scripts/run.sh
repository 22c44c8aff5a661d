#!/usr/bin/env bash
# Installs what is needed, builds the release preset and starts the window program.
# On the first run it also makes a sample database beside the executable and, only when no
# settings file exists yet, a Tarnquill.ini naming it, so Open shows rows at once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
app_dir="$(pwd)/build/release/app"
sample="$app_dir/sample.mdb"
if [ ! -f "$sample" ]; then
  build/release/cli/tarnquill-cli create-sample "$sample"
fi
if [ ! -f "$app_dir/Tarnquill.ini" ]; then
  # The program later stores the password here: the file is the user's alone.
  (umask 077 && printf '[Tarnquill]\nFile=%s\nKey=\nTable=客户\nField=地址\nOldValue=北京\nNewValue=上海\n' \
    "$sample" > "$app_dir/Tarnquill.ini")
fi
exec "$app_dir/tarnquill" "$@"
