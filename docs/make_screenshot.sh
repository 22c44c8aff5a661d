#!/usr/bin/env bash
# Takes docs/screenshot.png as a new user sees the window: the program runs
# under a virtual X server beside a fresh sample database, Open is clicked
# with the mouse, and the window is captured. Needs xvfb, xdotool and
# imagemagick, and a build of the window program and the command line:
#   cmake --build build/dev --target tarnquill tarnquill-cli -j2
#   docs/make_screenshot.sh [build-dir] [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/dev}"
out="$(realpath -m "${2:-docs/screenshot.png}")"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
# The program keeps its settings beside itself: give it a folder of its own.
work="$tmp/Tarnquill"
mkdir "$work"
cp "$build/app/tarnquill" "$work/"
"$build/cli/tarnquill-cli" create-sample "$work/示例.mdb" >/dev/null
printf '[Tarnquill]\nFile=%s\nKey=\nTable=客户\nField=\nOldValue=\nNewValue=\n' \
  "$work/示例.mdb" > "$work/Tarnquill.ini"

cat > "$work/shoot.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
work="$1"; out="$2"
"$work/tarnquill" &
app=$!
for _ in $(seq 50); do
  win="$(xdotool search --name '^Tarnquill$' 2>/dev/null | head -1 || true)"
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "the window did not appear" >&2; kill "$app"; exit 1; }
sleep 1
# Open (打开) sits at 288, 48 in the inputs panel, which starts 84 pixels down.
xdotool mousemove --window "$win" 308 142 click 1
sleep 1.5
import -window "$win" "$out"
kill "$app"
INNER
chmod +x "$work/shoot.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$work/shoot.sh" "$work" "$out"
echo "wrote $out"
