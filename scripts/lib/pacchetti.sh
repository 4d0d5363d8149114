# SPDX-License-Identifier: MIT
# Installs the Debian packages the project needs when they are missing: with apt-get as root, or
# through sudo; otherwise it prints the command to run. Only what is asked for is installed (no
# recommended packages), and a service that a newly installed package would enable or start
# (Prometheus, node_exporter) is left neither enabled nor running: the tests start what they need
# themselves, on loopback. Nothing that was on the machine before is changed.
# Usage: ensure_packages pkg...
ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
            as_root=(sudo)
        else
            echo "missing packages: ${missing[*]}" >&2
            echo "install them with: sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
            return 1
        fi
    fi
    echo "installing ${#missing[@]} missing Debian packages (with what they depend on; a few minutes): ${missing[*]}" >&2
    # Packages installed now start no service: a policy of our own, only while we install, and
    # only where the machine has none.
    local policy=/usr/sbin/policy-rc.d ours=""
    if [ ! -e "$policy" ]; then
        "${as_root[@]}" sh -c "printf '#!/bin/sh\nexit 101\n' >'$policy' && chmod 755 '$policy'"
        ours=yes
    fi
    local status=0
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive sh -c \
        "apt-get update -qq && apt-get install -y -qq --no-install-recommends ${missing[*]}" >/dev/null ||
        status=$?
    [ -n "$ours" ] && "${as_root[@]}" rm -f "$policy"
    [ "$status" = 0 ] || return "$status"
    # What the new packages enabled, this script enabled: it is disabled again.
    local unit units
    command -v systemctl >/dev/null || return 0
    for p in "${missing[@]}"; do
        units=$(dpkg-query -L "$p" 2>/dev/null |
            sed -n -E 's#^/(usr/)?lib/systemd/system/([^/@]*\.(service|socket|timer))$#\2#p')
        for unit in $units; do
            if systemctl --quiet is-enabled "$unit" 2>/dev/null; then
                "${as_root[@]}" systemctl --quiet disable "$unit" >/dev/null 2>&1 || true
            fi
        done
    done
    echo "installed" >&2
}

BUILD_PACKAGES=(g++ cmake make libgif-dev libstb-dev scdoc groff-base)
