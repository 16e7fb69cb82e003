#!/usr/bin/env bash
# Set up, build and start the window.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh
exec build/bin/arrange5 "$@"
