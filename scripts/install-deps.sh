#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (scripts/debian-packages.txt); does nothing
# when all are present.
set -euo pipefail
cd "$(dirname "$0")"
mapfile -t packages < <(grep -v '^\s*\(#\|$\)' debian-packages.txt)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
