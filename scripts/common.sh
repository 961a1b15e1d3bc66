# Shared by scripts/run and scripts/test: installs what is missing, then configures and builds.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"

packages=(cmake g++ make pkg-config qt6-base-dev qcoro-qt6-dev libgl-dev libxcb1-dev fonts-dejavu-core
          libqt6sql6-sqlite libsqlite3-dev qt6-l10n-tools libzstd-dev libsimdjson-dev qtkeychain-qt6-dev
          xvfb xauth dbus trayer xdotool gnome-keyring)

install_missing() {
    local missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Line tables only: enough for every backtrace, and a fifth less compile time than full debug
# information (the package strips both).
configure_and_build() {
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
        "$@" >/dev/null
    cmake --build "$build" --parallel "$(nproc)"
}
