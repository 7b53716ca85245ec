# Shared set-up for the project's scripts: source it, then call the functions.
#
#   source scripts/setup.sh
#   tessarin_install_packages            # missing Debian packages of scripts/packages.txt
#   tessarin_install_viewer              # NiiVue for zevkalon --view, pinned in viewer/ (npm ci)
#   tessarin_build DIR [cmake args...]   # configure and build into DIR
#   tessarin_have_wine                   # true when the Wine loader is installed
#
# Run directly (bash scripts/setup.sh) it installs the packages and NiiVue,
# and builds the native release configuration into build/release.
#
# Environment: TESSARIN_JOBS (parallel build jobs, default 2),
# TESSARIN_BUILD_ROOT (where build folders go, default <repo>/build),
# TESSARIN_NO_WINE=1 (skip the Wine tests as on a machine without Wine).

TESSARIN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TESSARIN_JOBS="${TESSARIN_JOBS:-2}"
TESSARIN_BUILD_ROOT="${TESSARIN_BUILD_ROOT:-$TESSARIN_ROOT/build}"

tessarin_log() { printf '\n==> %s\n' "$*"; }

# The packages of scripts/packages.txt that are not installed.
tessarin_missing_packages() {
    local package
    while read -r package; do
        package="${package%%#*}"
        package="$(echo "$package" | tr -d '[:space:]')"
        [ -z "$package" ] && continue
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            echo "$package"
        fi
    done < "$TESSARIN_ROOT/scripts/packages.txt"
}

# Installs the missing packages: apt-get update once, then one install.
# Without root it only names them (the build may then fail).
tessarin_install_packages() {
    if ! command -v dpkg-query > /dev/null; then
        echo "Not a Debian system: install the packages of scripts/packages.txt yourself." >&2
        return 0
    fi
    local missing
    missing="$(tessarin_missing_packages | tr '\n' ' ')"
    if [ -z "${missing// /}" ]; then
        echo "All packages of scripts/packages.txt are installed."
        return 0
    fi
    if [ "$(id -u)" != 0 ]; then
        echo "Missing packages (run as root to install them): $missing" >&2
        return 0
    fi
    tessarin_log "Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $missing
}

# Installs the NiiVue version that viewer/package-lock.json pins into
# viewer/node_modules, unless that version is there already. The build copies
# its bundle beside zevkalon. Without npm it says so and returns 1.
tessarin_install_viewer() {
    local viewer="$TESSARIN_ROOT/viewer"
    if ! command -v npm > /dev/null; then
        echo "npm is missing: zevkalon --view and --snapshot need NiiVue from npm (install Node.js and npm)." >&2
        return 1
    fi
    local pinned installed
    pinned="$(cd "$viewer" && node -p "require('./package.json').dependencies['@niivue/niivue']")"
    installed="$(cd "$viewer" && node -p "require('./node_modules/@niivue/niivue/package.json').version" 2> /dev/null || true)"
    if [ "$installed" = "$pinned" ]; then
        echo "NiiVue $pinned is installed (viewer/node_modules)."
        return 0
    fi
    tessarin_log "Installing NiiVue $pinned from npm into viewer/node_modules"
    # Exactly the locked packages; no install scripts, no optional native helpers.
    (cd "$viewer" && npm ci --omit=optional --ignore-scripts --no-audit --no-fund)
}

# tessarin_build DIR [cmake args...]: configure (if needed) and build.
tessarin_build() {
    local dir="$1"
    shift
    cmake -S "$TESSARIN_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j "$TESSARIN_JOBS"
}

# The Wine loader the Windows tests run under (TESSARIN_NO_WINE=1 acts as if
# there were none).
tessarin_have_wine() {
    [ "${TESSARIN_NO_WINE:-0}" != 1 ] || return 1
    [ -x /usr/lib/wine/wine64 ] || command -v wine64 > /dev/null || command -v wine > /dev/null
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    tessarin_install_packages
    tessarin_install_viewer
    tessarin_build "$TESSARIN_BUILD_ROOT/release"
fi
