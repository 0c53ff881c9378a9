#!/usr/bin/env bash
# Installs what is missing, builds the game (Release, into build/) and starts it.
set -euo pipefail
source "$(dirname "$0")/tools/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build build dropstone -DCMAKE_BUILD_TYPE=Release

if [ -z "${DISPLAY:-}" ]; then
    echo "No display found: starting Dropstone on a virtual X display (Xvfb)." >&2
    ensure_packages xvfb xauth
    ensure_display
    echo "Dropstone runs on DISPLAY=$DISPLAY." >&2
fi
"$ROOT/build/app/dropstone" "$@"
