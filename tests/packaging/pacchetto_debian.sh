#!/bin/sh
# SPDX-License-Identifier: MIT
# The Debian package as it will be installed: unpacked, it holds the program, its manual page,
# the systemd units and the user they run as, the documentation and the web page, and its
# program runs a small station.
# Usage: pacchetto_debian.sh PACKAGE.deb VERSION
set -eu
deb=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
for f in usr/bin/ftes-charts usr/share/man/man1/ftes-charts.1.gz \
         lib/systemd/system/ftes-charts.service lib/systemd/system/ftes-charts.timer \
         lib/systemd/system/ftes-charts-live.timer lib/systemd/system/ftes-charts@.service \
         lib/systemd/system/ftes-charts@.timer lib/systemd/system/ftes-charts-live@.timer \
         usr/lib/sysusers.d/ftes-charts.conf usr/share/doc/ftes-charts/copyright \
         usr/share/doc/ftes-charts/changelog.gz usr/share/doc/ftes-charts/README.md.gz \
         usr/share/ftes-charts/examples/ftes-charts.cron \
         usr/share/ftes-charts/examples/ftes-charts-live.cron \
         usr/share/ftes-charts/examples/varnel.ini.example \
         usr/share/ftes-charts/examples/ftes-charts.service.d/metrics.conf \
         usr/share/ftes-charts/examples/ftes-charts@.service.d/metrics.conf \
         usr/share/ftes-charts/ftes-charts.rules.yml usr/share/ftes-charts/web/index.html \
         usr/share/ftes-charts/web/archive.html usr/lib/tmpfiles.d/ftes-charts.conf \
         usr/lib/ftes-charts/ftes-demo-station; do
    [ -f "$work/root/$f" ] || { echo "not in the package: /$f"; exit 1; }
done
# What a system that leaves out documentation loses is a link to what it keeps.
for f in ftes-charts.rules.yml examples; do
    [ -L "$work/root/usr/share/doc/ftes-charts/$f" ] ||
        { echo "/usr/share/doc/ftes-charts/$f is not a link"; exit 1; }
done
! grep -q "$(printf '\r')" "$work/root/usr/share/ftes-charts/examples/varnel.ini.example" ||
    { echo "varnel.ini.example has CR LF lines"; exit 1; }
grep -q '^ExecStart=/usr/bin/ftes-charts' "$work/root/lib/systemd/system/ftes-charts.service" ||
    { echo "the service does not start /usr/bin/ftes-charts"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q libc6 || { echo "no dependency computed"; exit 1; }
zcat "$work/root/usr/share/man/man1/ftes-charts.1.gz" | grep -q "ftes-charts $version" ||
    { echo "the manual page is not of version $version"; exit 1; }

program=$work/root/usr/bin/ftes-charts
[ "$("$program" --version)" = "ftes-charts $version" ] || { echo "wrong --version"; exit 1; }
# The shipped demo generator lays out the station.
"$work/root/usr/lib/ftes-charts/ftes-demo-station" "$work/station" --date 2025-01-05 >/dev/null
(cd "$work/station" && "$program" --date 2025-01-05)
[ "$(ls "$work/station/web" | grep -c '^plotftEs[1-6]\.gif$')" = 6 ] || { echo "charts missing"; exit 1; }
[ "$(ls "$work/station/base/previous_ftEs_plots" | grep -c "\.gif$")" = 6 ] || { echo "archive missing"; exit 1; }
echo "Debian package: complete; its program $version charted a station"
