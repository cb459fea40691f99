#!/usr/bin/env bash
# Makes the demo account set, rebuilds it with the balance policy, writes its reconciliation report and saves
# headless Chromium's picture of it as docs/reconciliation-report.png (or $1).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target tarvenish
output="$(realpath -m "${1:-docs/reconciliation-report.png}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
command="$(realpath "$build_dir/app/tarvenish")"
# The page names the account set as the command was given it.
(cd "$work" && "$command" demo --db demo.db >/dev/null &&
  "$command" run --db demo.db --ui none --on-mismatch balance >/dev/null &&
  "$command" report --db demo.db --html report.html >/dev/null)
mkdir -p "$work/profile" "$(dirname "$output")"
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --user-data-dir="$work/profile" --hide-scrollbars \
  --window-size=1280,960 --screenshot="$output" "file://$work/report.html" 2>/dev/null
echo "wrote $output"
