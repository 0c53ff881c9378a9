#!/usr/bin/env bash
# Installs what is missing, builds a Release and a sanitizer tree and runs every test of both
# through CTest, on an Xvfb display when there is none.
set -euo pipefail
source "$(dirname "$0")/tools/common.sh"

# xdotool, xwd and python3 drive and check two copies of the program from outside; a session
# bus with the accessibility bus lets a test see what a screen reader sees, and Orca says it.
ensure_packages "${BUILD_PACKAGES[@]}" xvfb xauth clang libclang-rt-14-dev \
    xdotool x11-apps python3 appstream desktop-file-utils dbus-daemon at-spi2-core \
    python3-pyatspi orca
ensure_display

configure_and_build build all -DCMAKE_BUILD_TYPE=Release
configure_and_build build-asan all -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDROPSTONE_SANITIZE=ON
# The fuzz target is a tree of its own, built by clang with its fuzzing runtime.
if [ ! -f "$ROOT/build-fuzz/CMakeCache.txt" ]; then
    CXX=clang++ cmake -S "$ROOT/fuzz" -B "$ROOT/build-fuzz" >/dev/null
fi
cmake --build "$ROOT/build-fuzz" -j "$JOBS"

status=0
ctest --test-dir "$ROOT/build-fuzz" --output-on-failure || status=1
ctest --test-dir "$ROOT/build" --output-on-failure -j "$JOBS" || status=1
ctest --test-dir "$ROOT/build-asan" --output-on-failure -j "$JOBS" || status=1
exit $status
