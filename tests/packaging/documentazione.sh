#!/bin/sh
# SPDX-License-Identifier: MIT
# The docs as written: the shell block of the README's install section, then the one of the
# manual's STATION SET-UP, each run line by line as root on a fresh station of a machine without
# the package. Each must end with --check saying "no problem found" as ionosonde and a first
# run publishing six charts. The README's metrics block follows its install (where
# node_exporter's textfile folder is there): the run's metrics reach that folder. Then --check as root on a web folder ionosonde cannot write, and
# the line of the live cron example, before and after the package is removed. Where systemd does
# not run (a container), a stand-in for systemctl, in /usr/local/sbin for the while of the test,
# starts a service as its unit says and enables units as systemctl does without systemd.
# The machine is left as it was found, but for the ionosonde user, which Debian keeps.
# Usage: documentazione.sh PACKAGE.deb VERSION README.md MANUAL.scd
set -eu
deb=$1 version=$2 readme=$3 manual=$4
fail() { echo "docs as written: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "the docs are run as written as root only"; exit 77; }
# A machine that has any of these is an operator's: the test touches nothing of it. This comes
# before anything is made, or undone on the way out.
for p in /srv/ionosonde /var/www/html/ftes /var/lib/ftes-charts /etc/cron.d/ftes-charts \
    /usr/local/sbin/systemctl /etc/systemd/system/ftes-charts.service.d \
    /var/lib/prometheus/node-exporter/ftes-charts.prom; do
    [ ! -e "$p" ] && [ ! -L "$p" ] || fail "$p is already here; this test needs a machine without it"
done
if dpkg-query -W -f='${Status}' ftes-charts 2>/dev/null | grep -q installed; then
    fail "ftes-charts is already installed here; this test needs a machine without it"
fi
command -v sudo >/dev/null 2>&1 || fail "sudo is not installed (the docs' commands use it)"
made=""  # the parent folders the docs' commands will make, innermost first
for p in /srv /var/www /var/www/html; do [ -e "$p" ] || made="$p $made"; done
work=$(mktemp -d)
standin=""
cleanup() {
    dpkg -P ftes-charts >/dev/null 2>&1 || true
    rm -rf /srv/ionosonde /var/www/html/ftes /etc/systemd/system/ftes-charts.service.d "$work"
    rm -f /var/lib/prometheus/node-exporter/ftes-charts.prom
    [ -z "$standin" ] || rm -f /usr/local/sbin/systemctl
    for p in $made; do rmdir "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

if [ ! -d /run/systemd/system ]; then
    standin=yes
    cat >/usr/local/sbin/systemctl <<'SH'
#!/bin/sh
# A stand-in for systemctl where systemd does not run, made by documentazione.sh for the while
# of its test: "daemon-reload" has nothing to do, "start" runs a oneshot service as its unit says (User=, WorkingDirectory=, the
# last ExecStart=, drop-ins included) and gives its status; the rest goes to systemctl itself,
# which enables units without a running systemd ("--now" then starts nothing).
[ "$1" != daemon-reload ] || exit 0
if [ "$1" = start ]; then
    files="/lib/systemd/system/$2 $(ls /etc/systemd/system/"$2".d/*.conf 2>/dev/null || true)"
    user=$(sed -n 's/^User=//p' $files | tail -n 1)
    dir=$(sed -n 's/^WorkingDirectory=//p' $files | tail -n 1)
    command=$(sed -n 's/^ExecStart=//p' $files | grep . | tail -n 1)
    cd "$dir" && exec runuser -u "$user" -- sh -c "$command"
fi
for a in "$@"; do shift; [ "$a" = --now ] || set -- "$@" "$a"; done
exec /usr/bin/systemctl "$@"
SH
    chmod 755 /usr/local/sbin/systemctl
fi

# The block after a marker line: README's ```sh block, the manual's ``` block (made as the
# package's build makes the page: its paths, and scdoc's escaped backslashes).
block() {  # block FILE MARKER
    python3 - "$1" "$2" <<'PY'
import sys
lines = open(sys.argv[1]).read().split("\n")
start = next(i for i, l in enumerate(lines) if sys.argv[2] in l)
fence = next(i for i in range(start, len(lines)) if lines[i].startswith("```"))
end = next(i for i in range(fence + 1, len(lines)) if lines[i].startswith("```"))
text = "\n".join(lines[fence + 1:end]) + "\n"
for key, value in (("@CMAKE_INSTALL_FULL_DATADIR@", "/usr/share"),
                   ("@CMAKE_INSTALL_FULL_BINDIR@", "/usr/bin"), ("\\\\", "\\")):
    text = text.replace(key, value)
sys.stdout.write(text)
PY
}
block "$readme" "run as written" >"$work/readme.sh"
block "$readme" "the metrics: run as written" >"$work/metrics.sh"
block "$manual" "; run as written" >"$work/manual.sh"
grep -q "ftes-charts_${version}_amd64.deb" "$work/readme.sh" ||
    fail "the README installs another version than $version: $(head -n 1 "$work/readme.sh")"

# What the docs promise once their commands ran.
station_works() {  # station_works WHAT OUTPUT
    grep -q '^note     checked as ionosonde' "$2" || fail "$1: --check did not look as ionosonde: $(cat "$2")"
    grep -qx 'no problem found' "$2" || fail "$1: --check found problems: $(cat "$2")"
    [ "$(ls /var/www/html/ftes | grep -c '^plotftEs[1-6]\.gif$')" = 6 ] ||
        fail "$1: the first run did not publish six charts: $(ls /var/www/html/ftes)"
    [ "$(ls /srv/ionosonde/base/previous_ftEs_plots | grep -c '\.gif$')" = 6 ] ||
        fail "$1: no archive copy of each day"
    for f in plotftEs.json index.html archive.html; do
        [ -f "/var/www/html/ftes/$f" ] || fail "$1: no /var/www/html/ftes/$f"
    done
    [ "$(stat -c %U /var/www/html/ftes/plotftEs6.gif)" = ionosonde ] || fail "$1: charts not ionosonde's"
    [ -L /etc/systemd/system/timers.target.wants/ftes-charts-live.timer ] ||
        fail "$1: the live timer is not enabled"
}

echo "-- the README's install section, as written"
mkdir "$work/dist"
cp "$deb" "$work/dist/ftes-charts_${version}_amd64.deb"
(cd "$work" && bash -e readme.sh </dev/null) >"$work/readme.out" 2>&1 ||
    fail "the README's commands failed: $(tail -n 20 "$work/readme.out")"
station_works "README" "$work/readme.out"

textfile=/var/lib/prometheus/node-exporter
if [ -d "$textfile" ]; then
    echo "-- the README's metrics block, as written"
    (cd "$work" && bash -e metrics.sh </dev/null) >"$work/metrics.out" 2>&1 ||
        fail "the README's metrics commands failed: $(tail -n 20 "$work/metrics.out")"
    [ "$(stat -c %U /var/lib/ftes-charts/ftes-charts.prom)" = ionosonde ] ||
        fail "the run wrote no metrics of its own in /var/lib/ftes-charts"
    grep -q '^ftes_charts_charts_published{station="ionosonde"} 6$' "$textfile/ftes-charts.prom" ||
        fail "node_exporter's folder does not lead to the run's metrics: $(ls -l "$textfile")"
else
    echo "-- (no $textfile: the README's metrics block is not run)"
fi

echo "-- --check as root, of a web folder ionosonde cannot write"
chown root:root /var/www/html/ftes
status=0
(cd /srv/ionosonde && ftes-charts --check) >"$work/check.out" 2>&1 || status=$?
[ "$status" = 1 ] || fail "--check gave $status, not 1: $(cat "$work/check.out")"
grep -q '^PROBLEM  ionosonde cannot write into the web folder /var/www/html/ftes/: ' "$work/check.out" &&
    grep -q 'fix: let ionosonde write there: sudo chown ionosonde: /var/www/html/ftes/$' "$work/check.out" ||
    fail "the problem does not name ionosonde and its fix: $(cat "$work/check.out")"
chown ionosonde:ionosonde /var/www/html/ftes

echo "-- the live cron example's line, as ionosonde; then with the package removed"
line=$(grep -v '^#' /usr/share/ftes-charts/examples/ftes-charts-live.cron | grep .)
user=$(echo "$line" | awk '{print $6}')
command=$(echo "$line" | sed -E 's/^([^ ]+ +){6}//')
[ "$user" = ionosonde ] || fail "the cron line runs as '$user'"
runuser -u "$user" -- sh -c "$command" || fail "the cron line failed: $command"
grep -q ': exit status 0 (every chart published)' /var/lib/ftes-charts/ftes-charts.log ||
    fail "the cron line's run left no report in its log"
dpkg -r ftes-charts >/dev/null
out=$(runuser -u "$user" -- sh -c "$command" 2>&1) && fail "the cron line ran without the program"
[ -z "$out" ] || fail "the cron line without the program says: $out"

echo "-- the manual's STATION SET-UP, as written, on a fresh station"
dpkg -P ftes-charts >/dev/null
rm -rf /srv/ionosonde /var/www/html/ftes
dpkg -i "$deb" >/dev/null
(cd "$work" && bash -e manual.sh </dev/null) >"$work/manual.out" 2>&1 ||
    fail "the manual's commands failed: $(tail -n 20 "$work/manual.out")"
station_works "manual" "$work/manual.out"
echo "docs as written: the README's install and the manual's set-up each end with --check as"
echo "ionosonde finding no problem and six charts published"
