#!/bin/sh
# SPDX-License-Identifier: MIT
# The systemd units as installed: systemd-analyze verify has nothing to say about them (the
# program path set to the built binary, which must exist), and each service is exposed no more
# than 0.5 on systemd-analyze security's scale of 10. Exit 77 (skipped) without systemd.
# Usage: unita_systemd.sh UNIT_DIR BINARY
set -eu
units=$1 binary=$2
command -v systemd-analyze >/dev/null 2>&1 || { echo "systemd-analyze not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Templates are checked as an instance of them, as systemctl enable ftes-charts@rome.timer makes.
for unit in "$units"/*; do
    [ -f "$unit" ] || continue
    name=$(basename "$unit" | sed 's/@\./@rome./')
    sed "s|^ExecStart=[^ ]*ftes-charts|ExecStart=$binary|" "$unit" >"$work/$name"
done
# The metrics drop-ins, applied as an operator applies them (a template's to its instances).
for dropin in "$units"/*.service.d; do
    [ -d "$dropin" ] || continue
    mkdir -p "$work/$(basename "$dropin")"
    for conf in "$dropin"/*.conf; do
        sed "s|^ExecStart=/[^ ]*ftes-charts|ExecStart=$binary|" "$conf" \
            >"$work/$(basename "$dropin")/$(basename "$conf")"
    done
done
# Unknown or misspelt settings are only warned about: any word from verify is a failure here.
report=$(systemd-analyze verify --man=no "$work"/*.service "$work"/*.timer 2>&1) ||
    { echo "$report"; exit 1; }
[ -z "$report" ] || { echo "$report"; exit 1; }
# Each service, its metrics drop-in applied.
for service in "$work"/*.service; do
    # No run is held for ever by a share that does not answer.
    grep -qx 'TimeoutStartSec=10min' "$service" || { echo "$service: no run time limit"; exit 1; }
    # The threshold fails the test: the exit status is kept, only the last line shown.
    rating=$(systemd-analyze security --offline=yes --threshold=5 --no-pager "$service") ||
        { echo "$rating"; exit 1; }
    echo "$rating" | tail -n 1
done
