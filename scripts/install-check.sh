#!/usr/bin/env bash
# Installs the build tree under a fresh prefix, builds the example host against it through pkg-config alone,
# and runs it on a demo account set with the installed command and library.
#   scripts/install-check.sh [BUILD_DIR]
set -euo pipefail
build="$(cd "${1:-$(dirname "$0")/../build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
pc="$(dirname "$(find "$work/prefix" -name tarvenish.pc | head -n1)")"
export PKG_CONFIG_PATH="$pc"
library="$(realpath -m "$(pkg-config --variable=library tarvenish)")"
test -f "$library" || { echo "pkg-config names $library, which was not installed" >&2; exit 1; }
test -f "$work/prefix/share/tarvenish/messages.zh_CN.txt" || { echo "no message files installed" >&2; exit 1; }

# shellcheck disable=SC2046
cc -std=c11 -Wall -Wextra -Werror -o "$work/host" "$work/prefix/share/tarvenish/examples/host/host.c" \
  -DTARVENISH_LIBRARY_PATH="\"$library\"" $(pkg-config --cflags --libs tarvenish)

"$work/prefix/bin/tarvenish" demo --db "$work/set.db" --pairs 3 --mismatch-percent 0 >/dev/null
out="$(env -u DISPLAY -u WAYLAND_DISPLAY TARVENISH_REGISTRY="$work/registry.json" "$work/host" "$work/set.db" 1)"
echo "$out"
grep -qx "JustAccount: true" <<<"$out"
grep -q "$library" "$work/registry.json"
echo "installed tree: example host built with pkg-config and answered true"
