#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop and a
# shell will look for there: the two programs, the desktop entry and the
# icon at each size. Then starts the installed programs.
#   install_test.sh BUILD_DIR [CMAKE]
set -euo pipefail
build="$1"
cmake="${2:-cmake}"
tmp="$(mktemp -d)"
cleanup() { chmod -R u+w "$tmp" 2>/dev/null || true; rm -rf "$tmp"; }
trap cleanup EXIT
prefix="$tmp/prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" || {
  cat "$tmp/install.log" >&2
  fail "cmake --install"
}

# bin holds the two programs and nothing else (no tools, no tests).
[ "$(cd "$prefix/bin" && ls | sort | tr '\n' ' ')" = "tarnquill tarnquill-cli " ] ||
  fail "bin holds: $(ls "$prefix/bin" | tr '\n' ' ')"
for p in tarnquill tarnquill-cli; do [ -x "$prefix/bin/$p" ] || fail "$p not executable"; done

entry="$prefix/share/applications/tarnquill.desktop"
[ -f "$entry" ] || fail "no desktop entry"
for line in '^\[Desktop Entry\]$' '^Type=Application$' '^Name=Tarnquill$' \
            '^Name\[zh_CN\]=.*数据库' '^Exec=tarnquill$' '^Icon=tarnquill$' '^Terminal=false$'; do
  grep -q "$line" "$entry" || fail "desktop entry lacks $line"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate"
fi

# Each icon is a PNG of its own size: width and height are the big-endian
# words at bytes 16 and 20.
for size in 16 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/tarnquill.png"
  [ -f "$icon" ] || fail "no ${size}px icon"
  [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
    fail "${size}px icon is not a PNG"
  dims="$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4, $7*256+$8}')"
  [ "$dims" = "$size $size" ] || fail "${size}px icon measures $dims"
done

# The installed command line works on its own.
"$prefix/bin/tarnquill-cli" --help | grep -q create-sample || fail "tarnquill-cli --help"
"$prefix/bin/tarnquill-cli" create-sample "$tmp/s.mdb" >/dev/null || fail "create-sample"
[ "$("$prefix/bin/tarnquill-cli" tables "$tmp/s.mdb" | head -1)" = "客户" ] || fail "tables"

# The installed window starts (headless) from a folder it cannot write, and
# creates no settings file of its own accord, neither there nor in the
# user's folder.
chmod a-w "$prefix/bin"
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$tmp/config" ASAN_OPTIONS=detect_leaks=0
rc=0
timeout 5 "$prefix/bin/tarnquill" >"$tmp/run.log" 2>&1 || rc=$?
[ "$rc" = 124 ] || { cat "$tmp/run.log" >&2; fail "tarnquill ended with $rc instead of running"; }
[ ! -e "$prefix/bin/Tarnquill.ini" ] || fail "settings file created beside the program"
[ ! -e "$tmp/config" ] || fail "settings folder created without a write"
echo "install OK"
