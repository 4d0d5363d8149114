#!/bin/sh
# SPDX-License-Identifier: MIT
# The metrics of a run, with the real tools: promtool checks the file each run writes and the
# alert rules (allarmi.py tests what they fire); node_exporter, started here on a free loopback
# port with only its textfile collector, serves two stations' files as Prometheus would scrape
# them, one of them written in a folder of its own and reached through a link, as the packaged
# drop-in does. Exit 77 (skipped) when promtool or node_exporter is not installed.
# Usage: metriche.sh BINARY DEMO_GENERATOR RULES
set -eu
binary=$1 demo=$2 rules=$3
command -v promtool >/dev/null 2>&1 || { echo "promtool not installed"; exit 77; }
exporter=$(command -v prometheus-node-exporter || command -v node_exporter || true)
[ -n "$exporter" ] || { echo "node_exporter not installed"; exit 77; }
work=$(mktemp -d)
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

promtool check rules "$rules" || fail "alert rules"

# Two stations' runs into one textfile folder: rome publishes everything, milano lacks its
# archive folder on its second run.
mkdir "$work/textfile"
for station in rome milano; do
    "$demo" "$work/$station" --date 2025-01-05 >/dev/null
done
(cd "$work/rome" && "$binary" --date 2025-01-05 --metrics "$work/textfile/rome.prom" --station rome) ||
    fail "rome's run"
(cd "$work/milano" && "$binary" --date 2025-01-05 --metrics "$work/textfile/milano.prom") ||
    fail "milano's first run"
first=$(grep '^ftes_charts_last_success_timestamp_seconds{station="milano"} ' \
    "$work/textfile/milano.prom" | cut -d' ' -f2)
[ -n "$first" ] || fail "no last success for milano (the folder's name is its label)"
rm -rf "$work/milano/base/previous_ftEs_plots"
status=0
(cd "$work/milano" && "$binary" --date 2025-01-05 --metrics "$work/textfile/milano.prom") ||
    status=$?
[ "$status" = 1 ] || fail "milano's second run: status $status, not 1"
for file in "$work"/textfile/*.prom; do
    promtool check metrics <"$file" || fail "promtool check metrics $file"
    ! grep -q "$(printf '\r')" "$file" || fail "$file has CR"
    LC_ALL=C grep -q '[^ -~]' "$file" && fail "$file is not printable ASCII"
done
grep -qx "ftes_charts_last_success_timestamp_seconds{station=\"milano\"} $first" \
    "$work/textfile/milano.prom" || fail "the last success was not carried over"
grep -qx 'ftes_charts_last_run_exit_status{station="milano"} 1' "$work/textfile/milano.prom" ||
    fail "milano's exit status"

# A previous file whose last success is no past time, or that cannot be read, never passes on
# what it holds: the new file is promtool-clean, and the run says why with --verbose.
for value in nan -nan inf -inf 4102444800 -5 x; do
    printf 'ftes_charts_last_success_timestamp_seconds{station="milano"} %s\n' "$value" \
        >"$work/textfile/milano.prom"
    out=$(cd "$work/milano" && "$binary" --date 2025-01-05 --verbose \
        --metrics "$work/textfile/milano.prom" 2>&1) && fail "milano ran without its archive"
    promtool check metrics <"$work/textfile/milano.prom" || fail "promtool check metrics after $value"
    ! grep -q "^ftes_charts_last_success_timestamp_seconds.* $value\$" "$work/textfile/milano.prom" ||
        fail "the last success $value was carried over"
    echo "$out" | grep -q "ftes-charts: metrics: .*: it is not carried over" ||
        fail "not said why $value was dropped: $out"
done
rm "$work/textfile/milano.prom"
ln -s /etc/hostname "$work/textfile/milano.prom"
out=$(cd "$work/milano" && "$binary" --date 2025-01-05 --verbose \
    --metrics "$work/textfile/milano.prom" 2>&1) && fail "milano ran without its archive"
[ -f "$work/textfile/milano.prom" ] && [ ! -L "$work/textfile/milano.prom" ] ||
    fail "the metrics were written through a link"
echo "$out" | grep -q "the previous file cannot be read" || fail "an unreadable previous file not said: $out"
promtool check metrics <"$work/textfile/milano.prom" || fail "promtool check metrics after a link"

# A run refused its turn keeps the charts' figures of the run before, and says it was refused.
(cd "$work/rome" && "$binary" --date 2025-01-05 --metrics "$work/textfile/rome.prom" --station rome)
before=$(grep -E '^ftes_charts_(charts_|chart_)' "$work/textfile/rome.prom")
status=0
flock "$work/rome/base/.ftes-charts.lock" sh -c "cd '$work/rome' && '$binary' --date 2025-01-05 \
    --wait 0 --metrics '$work/textfile/rome.prom' --station rome 2>/dev/null" || status=$?
[ "$status" = 4 ] || fail "a run with the turn held elsewhere: status $status, not 4"
promtool check metrics <"$work/textfile/rome.prom" || fail "promtool check metrics after a refusal"
grep -qx 'ftes_charts_last_run_turn_refused{station="rome"} 1' "$work/textfile/rome.prom" ||
    fail "the refusal is not in the metrics"
[ "$(grep -E '^ftes_charts_(charts_|chart_)' "$work/textfile/rome.prom")" = "$before" ] ||
    fail "a refused run changed the charts' figures"
(cd "$work/rome" && "$binary" --date 2025-01-05 --metrics "$work/textfile/rome.prom" --station rome)

# A metrics file that cannot be written is told, and changes nothing else.
out=$(cd "$work/rome" && "$binary" --date 2025-01-05 --verbose \
    --metrics "$work/missing/rome.prom" 2>&1) || fail "an unwritable metrics file changed the status"
echo "$out" | grep -q "ftes-charts: metrics: $work/missing/rome.prom: cannot write" ||
    fail "an unwritable metrics file was not told: $out"

# node_exporter serves both files, and a third through a link to the folder the batch owns.
mkdir "$work/state"
"$demo" "$work/napoli" --date 2025-01-05 >/dev/null
(cd "$work/napoli" && "$binary" --date 2025-01-05 --metrics "$work/state/ftes-charts.prom") ||
    fail "napoli's run"
ln -s "$work/state/ftes-charts.prom" "$work/textfile/ftes-charts.prom"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$exporter" --web.listen-address="127.0.0.1:$port" --collector.disable-defaults \
    --collector.textfile --collector.textfile.directory="$work/textfile" >"$work/exporter.log" 2>&1 &
pid=$!
scraped=""
for _ in $(seq 1 100); do
    scraped=$(python3 -c "import urllib.request; print(urllib.request.urlopen('http://127.0.0.1:$port/metrics', timeout=2).read().decode())" 2>/dev/null) && break
    sleep 0.1
done
[ -n "$scraped" ] || { cat "$work/exporter.log"; fail "node_exporter did not answer"; }
for want in 'node_textfile_scrape_error 0' \
    'ftes_charts_charts_published{station="rome"} 6' \
    'ftes_charts_charts_published{station="milano"} 0' \
    'ftes_charts_chart_published{slot="6",station="rome"} 1' \
    'ftes_charts_last_run_exit_status{station="milano"} 1' \
    'ftes_charts_charts_published{station="napoli"} 6'; do
    echo "$scraped" | grep -qxF "$want" || fail "node_exporter does not serve: $want"
done
echo "metrics: promtool-clean files, alert rules tested, two stations served by node_exporter"
