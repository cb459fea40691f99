#!/usr/bin/env bash
# Installs what is missing, builds, creates a demo account set and rebuilds its opening rows without a window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
db="${1:-demo.db}"
tool="${BUILD_DIR:-build}/app/tarvenish"
"$tool" demo --db "$db" --force
"$tool" check-start --db "$db"
"$tool" check-documents --db "$db"
"$tool" run --db "$db" --ui none --on-mismatch balance
