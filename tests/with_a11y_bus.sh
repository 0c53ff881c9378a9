#!/usr/bin/env bash
# Runs a test on its own session bus with the accessibility bus that screen readers use, so
# that the program's accessibility is switched on as it is for a user with a screen reader.
# Usage: with_a11y_bus.sh TEST [ARGUMENTS...]
set -euo pipefail
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
exec dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    launcher=$!
    trap "kill $launcher 2>/dev/null" EXIT
    "$@"' with_a11y_bus "$@" 2> >(grep -v "Failed to set fd limit" >&2)
