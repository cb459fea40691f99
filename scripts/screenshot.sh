#!/usr/bin/env bash
# Draws the adjustment dialog on a virtual X display and saves it as docs/adjustment-dialog.png (or $1).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build_dir="${BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target dialog_screenshot
output="${1:-docs/adjustment-dialog.png}"
mkdir -p "$(dirname "$output")"

# The first display number from 97 on that no X server holds.
display=97
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
  display=$((display + 1))
done

runtime_dir="$(mktemp -d)"
Xvfb ":${display}" -screen 0 1280x800x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; rm -rf "$runtime_dir"' EXIT

# The server is ready once its socket exists; give up after ten seconds.
for _ in $(seq 1 100); do
  [ -S "/tmp/.X11-unix/X${display}" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb :${display} did not start" >&2; exit 1; }
  sleep 0.1
done
[ -S "/tmp/.X11-unix/X${display}" ] || { echo "Xvfb :${display} is not ready" >&2; exit 1; }

DISPLAY=":${display}" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime_dir" "$build_dir/app/screenshot/dialog_screenshot" "$output"
