#!/bin/sh
# SPDX-License-Identifier: MIT
# The Debian package's whole life on this machine, as root: install, enable the timers, upgrade,
# remove, install again, purge. At each step it checks the ionosonde user, the unit links in
# /etc/systemd/system and the package's files; the packaged program charts a station as that
# user. The machine is left as it was found, but for the ionosonde user, which Debian keeps
# after a purge (files of the stations may still be its own).
# Usage: ciclo_vita_debian.sh PACKAGE.deb
set -eu
deb=$1
units=/etc/systemd/system
dropin=$units/ftes-charts.service.d/zz-ciclo-vita-test.conf
fail() { echo "package life: $*" >&2; exit 1; }
# A machine that has the package, or any of its timer links, is an operator's: the test touches
# nothing of it. This comes before anything is made, or undone on the way out.
if dpkg-query -W -f='${Status}' ftes-charts 2>/dev/null | grep -q installed; then
    fail "ftes-charts is already installed here; this test needs a machine without it"
fi
# A package removed but not purged leaves its folder, which a purge here would take.
[ ! -e /var/lib/ftes-charts ] ||
    fail "/var/lib/ftes-charts is already here (a package removed, not purged); this test needs a machine without it"
if [ -n "$(find "$units" -path "$units/*.wants/ftes-charts*" 2>/dev/null)" ] ||
    [ -e "$units/ftes-charts.service.d" ]; then
    fail "links or drop-ins of ftes-charts are already in $units; this test needs a machine without them"
fi
station=$(mktemp -d)
cleanup() {
    rm -rf "$station" "$dropin"
    rmdir "$units/ftes-charts.service.d" 2>/dev/null || true
    dpkg -P ftes-charts >/dev/null 2>&1 || true
    # What a failed step may have left: links to the package's own timers, which this test made.
    find "$units" -path "$units/*.wants/ftes-charts*" -type l \
        \( -lname '/lib/systemd/system/ftes-charts*' -o -lname '/usr/lib/systemd/system/ftes-charts*' \) \
        -delete
}
trap cleanup EXIT

# The links that enable a timer of the package, and those of them pointing at nothing.
links() { find "$units" -path "$units/*.wants/ftes-charts*" -type l | sort; }
dangling() { find -L "$units" -path "$units/*.wants/ftes-charts*" -type l; }
installed() { [ -x /usr/bin/ftes-charts ] && [ -f /lib/systemd/system/ftes-charts.timer ]; }
expect_links() {
    [ "$(links | sed "s|^$units/||" | tr '\n' ' ')" = "$1" ] ||
        fail "$2: timer links are '$(links | tr '\n' ' ')', want '$1'"
    [ -z "$(dangling)" ] || fail "$2: dangling links: $(dangling)"
}

echo "-- install"
dpkg -i "$deb" >/dev/null
installed || fail "installed: the program or a unit is missing"
getent passwd ionosonde | grep -q ':/usr/sbin/nologin$' || fail "installed: no ionosonde system user"
[ "$(id -u ionosonde)" -lt 1000 ] || fail "installed: ionosonde is not a system user"
expect_links "" "installed (nothing is enabled by the package)"
for f in doc/ftes-charts/README.md.gz doc/ftes-charts/changelog.gz doc/ftes-charts/copyright \
    ftes-charts/examples/varnel.ini.example ftes-charts/web/index.html ftes-charts/web/archive.html \
    ftes-charts/ftes-charts.rules.yml; do
    [ -f "/usr/share/$f" ] || fail "installed: no /usr/share/$f"
done
[ "$(stat -c %U /var/lib/ftes-charts)" = ionosonde ] ||
    fail "installed: /var/lib/ftes-charts is not ionosonde's"

echo "-- the packaged program charts a station as ionosonde"
/usr/lib/ftes-charts/ftes-demo-station "$station" --date 2025-01-05 >/dev/null
chown -R ionosonde: "$station"
chmod 755 "$station"
(cd "$station" && runuser -u ionosonde -- /usr/bin/ftes-charts --check --date 2025-01-05 >/dev/null) ||
    fail "ftes-charts --check finds a problem in the demo station"
(cd "$station" && runuser -u ionosonde -- /usr/bin/ftes-charts --date 2025-01-05) ||
    fail "the packaged program did not publish the demo station's charts"
[ "$(ls "$station/web" | grep -c '^plotftEs[1-6]\.gif$')" = 6 ] || fail "charts missing"

echo "-- enable the timers, add a drop-in"
systemctl enable ftes-charts.timer ftes-charts@rome.timer >/dev/null 2>&1
expect_links "timers.target.wants/ftes-charts.timer timers.target.wants/ftes-charts@rome.timer " \
    "enabled"
mkdir -p "$units/ftes-charts.service.d"
printf '[Service]\nWorkingDirectory=/srv/ionosonde/rome\n' >"$dropin"

echo "-- upgrade"
dpkg -i "$deb" >/dev/null
installed || fail "upgraded: the program or a unit is missing"
expect_links "timers.target.wants/ftes-charts.timer timers.target.wants/ftes-charts@rome.timer " \
    "upgraded (what the operator enabled stays enabled)"
[ -f "$dropin" ] || fail "upgraded: the operator's drop-in is gone"

echo "-- remove"
dpkg -r ftes-charts >/dev/null
! installed || fail "removed: the program or a unit is still there"
expect_links "" "removed (the timers are disabled)"
[ -f "$dropin" ] || fail "removed: the operator's drop-in is gone"
getent passwd ionosonde >/dev/null || fail "removed: the ionosonde user is gone"
[ -f "$station/web/plotftEs6.gif" ] || fail "removed: a published chart is gone"

echo "-- install again: nothing comes back enabled"
dpkg -i "$deb" >/dev/null
expect_links "" "installed again"
systemctl enable ftes-charts-live.timer >/dev/null 2>&1
expect_links "timers.target.wants/ftes-charts-live.timer " "live timer enabled"

echo "-- purge"
dpkg -P ftes-charts >/dev/null
! installed || fail "purged: the program or a unit is still there"
expect_links "" "purged"
! dpkg-query -W ftes-charts >/dev/null 2>&1 || fail "purged: dpkg still knows the package"
[ -z "$(find /var/lib/systemd/deb-systemd-helper-enabled -name 'ftes-charts*' 2>/dev/null)" ] ||
    fail "purged: deb-systemd-helper still keeps state for the units"
[ ! -e /usr/lib/sysusers.d/ftes-charts.conf ] || fail "purged: the sysusers entry is still there"
getent passwd ionosonde >/dev/null || fail "purged: the ionosonde user is gone"
[ ! -e /var/lib/ftes-charts ] || fail "purged: /var/lib/ftes-charts is still there"
echo "Debian package: installed, enabled, upgraded, removed and purged with no link left behind"
