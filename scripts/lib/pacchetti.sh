# SPDX-License-Identifier: MIT
# Installs the Debian packages the project needs when they are missing: with apt-get as root,
# through sudo otherwise, or prints the command to run when neither is possible.
# Usage: ensure_packages pkg...
ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local cmd="apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ${missing[*]}"
    echo "installing: ${missing[*]}" >&2
    if [ "$(id -u)" -eq 0 ]; then
        bash -c "$cmd" >/dev/null
    elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
        sudo bash -c "$cmd" >/dev/null
    else
        echo "missing packages; run as root: $cmd" >&2
        return 1
    fi
}

BUILD_PACKAGES=(g++ cmake make libgif-dev libstb-dev scdoc groff-base)
