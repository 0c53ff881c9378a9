# Shared by run.sh and test.sh: package installation, configuring, building, the X display.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# Installs the Debian packages that are missing; apt-get update runs at most once.
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}" >&2
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq </dev/null
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
}

BUILD_PACKAGES=(build-essential cmake qt6-base-dev qt6-base-dev-tools libgl-dev
                qt6-translations-l10n fonts-liberation fonts-liberation2 fonts-dejavu-core
                netbase)

# configure_and_build DIR TARGET [cmake options...]
configure_and_build() {
    local dir=$1 target=$2
    shift 2
    if [ ! -f "$ROOT/$dir/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$ROOT/$dir" "$@" >/dev/null
    fi
    cmake --build "$ROOT/$dir" --target "$target" -j "$JOBS"
}

# Starts Xvfb on a free display when there is none; stops it when the script ends.
ensure_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n=99
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
        n=$((n + 1))
    done
    # No reset when the last client leaves: the next test would find no server for a moment.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    XVFB_PID=$!
    trap 'kill $XVFB_PID 2>/dev/null' EXIT
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on $DISPLAY" >&2
    return 1
}
