# Sourced by scripts/run and scripts/test: installs the Debian packages the
# build and the tests need, when any is missing (apt-get as root, sudo
# otherwise; without either it prints the command and stops).
tessary_packages=(build-essential cmake pkg-config libsdl2-dev libepoxy-dev libglm-dev libstb-dev
                  libcli11-dev libassimp-dev googletest libgtest-dev libbenchmark-dev
                  libgl1-mesa-dri xvfb xauth xfonts-base xdotool x11-utils imagemagick python3
                  admesh assimp-utils desktop-file-utils dpkg-dev file groff-base
                  appstream lintian
                  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64 nsis p7zip-full)

install_missing() {
    local missing=() p
    for p in "${tessary_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -eq 0 ]; then
        apt-get update
        DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
    elif command -v sudo >/dev/null 2>&1; then
        sudo apt-get update
        sudo DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
    else
        echo "These packages are missing and there is no sudo; as root run:" >&2
        echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
}
