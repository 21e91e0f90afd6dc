# Shared steps of scripts/run and scripts/test. Source it; do not run it.
set -euo pipefail

TAVRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TAVRIN_JOBS=${TAVRIN_JOBS:-$(nproc)}

# ccache rewrites paths under the source root to relative ones and leaves the working directory
# out of the hash, so a fresh clone in another folder reuses the cache of an earlier build.
export CCACHE_BASEDIR="$TAVRIN_ROOT" CCACHE_NOHASHDIR=1

# Installs the packages of a list (scripts/packages.txt unless another is named) that are not
# installed yet.
install_missing_packages() {
    local list=${1:-$TAVRIN_ROOT/scripts/packages.txt} wanted missing=()
    wanted=$(grep -v '^\s*#' "$list" | grep -v '^\s*$')
    for pkg in $wanted; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build <build dir> <cmake arguments...>
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$TAVRIN_ROOT" -B "$dir" -G Ninja "$@"
    cmake --build "$dir" --parallel "$TAVRIN_JOBS"
}

# Starts Xvfb on a free display number and exports DISPLAY; the server ends with this shell.
start_xvfb() {
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    return 1
}
