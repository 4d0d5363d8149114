#!/bin/sh
# SPDX-License-Identifier: MIT
# The web page in a real browser (headless Chromium), opened from the disk beside the demo
# station's charts: all six charts decode at 286 pixels wide, they are fetched again after 10
# minutes (virtual time), a missing chart keeps the layout, and a phone screen needs no
# sideways scrolling. Exit 77 (skipped) without Chromium.
# Usage: pagina_web.sh BINARY DEMO_GENERATOR PAGE ARCHIVE_PAGE [SCREENSHOT.png]
set -eu
binary=$1 demo=$2 page=$3 archive=$4 screenshot=${5:-}
command -v chromium >/dev/null 2>&1 || { echo "chromium not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Nothing is loaded from elsewhere.
if grep -n -E '(src|href)="[a-z]*:|//[a-z0-9.-]+\.[a-z]' "$page" "$archive"; then
    echo "the page refers to something outside its folder"; exit 1
fi

"$demo" "$work/station" --date 2025-01-05 >/dev/null
(cd "$work/station" && "$binary" --date 2025-01-05)
cp "$page" "$work/station/web/index.html"

browse() {  # browse WIDTH,HEIGHT MILLISECONDS [flags] [URL]: the page's DOM after that time
    size=$1 ms=$2; shift 2
    case "$*" in *file://*) ;; *) set -- "$@" "file://$work/station/web/index.html" ;; esac
    chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$work/profile" --hide-scrollbars --window-size="$size" \
        --virtual-time-budget="$ms" "$@" 2>/dev/null
}
figures() { grep -o '<figure[^>]*>' "$1"; }
fail() { echo "$1"; cat "$2"; exit 1; }

# Eleven minutes: the first load and one refresh of every chart.
browse 1000,700 660000 --dump-dom >"$work/dom"
[ "$(figures "$work/dom" | grep -c 'data-state="loaded" data-width="286" data-loads="2"')" = 6 ] ||
    fail "not every chart decoded twice at 286 pixels:" "$work/dom"
[ "$(figures "$work/dom" | grep -o 'data-slot="[0-9]"' | tr -d '\n')" = \
  'data-slot="1"data-slot="2"data-slot="3"data-slot="4"data-slot="5"data-slot="6"' ] ||
    fail "charts out of day order:" "$work/dom"
[ "$(grep -c 'alt="ftEs against universal time, ' "$work/dom")" = 6 ] ||
    fail "a chart without its alt text:" "$work/dom"
# Without the manifest no caption names a day, nor says "today".
grep -o '<figcaption>[^<]*' "$work/dom" | grep -q -E '[0-9]{4}|Today' &&
    fail "a caption names a day the page cannot know:" "$work/dom"

# A missing chart keeps its place and the others their size.
rm "$work/station/web/plotftEs3.gif"
browse 1000,700 2000 --dump-dom >"$work/dom"
figures "$work/dom" | grep 'data-slot="3"' | grep -q 'data-state="missing"' ||
    fail "the missing chart is not shown as missing:" "$work/dom"
[ "$(figures "$work/dom" | grep -c 'data-state="loaded"')" = 5 ] || fail "charts lost:" "$work/dom"
[ "$(figures "$work/dom" | grep -o 'data-height="[0-9]*"' | sort -u | wc -l)" = 1 ] ||
    fail "the layout changed around the missing chart:" "$work/dom"

# A phone: one column, nothing wider than the screen, today's chart first.
browse 400,844 2000 --dump-dom >"$work/dom"
grep -q '<body data-fits="true"' "$work/dom" || fail "the page is wider than a phone:" "$work/dom"
grep -q '<body [^>]*data-first="6"' "$work/dom" || fail "today's chart is not first on a phone:" "$work/dom"
browse 1000,700 2000 --dump-dom >"$work/dom"
grep -q '<body [^>]*data-first="1"' "$work/dom" || fail "the days are not in order on a wide screen:" "$work/dom"

# With plotftEs.json (--manifest), read through a page beside it that points at today's chart
# where the manifest puts a value, and notes what the page then shows.
(cd "$work/station" && "$binary" --date 2025-01-05 --manifest --station "Roma Monte")
manifest=$work/station/web/plotftEs.json
cat >"$work/station/web/check.html" <<'HTML'
<!doctype html><html><body><iframe id="f" src="index.html" width="1000" height="700"></iframe>
<script>
  var f = document.getElementById("f");
  f.onload = function () {
    setTimeout(function () {
      var d = f.contentDocument, b = document.body;
      var captions = [].map.call(d.querySelectorAll("figcaption"), function (c) {
        return c.firstChild.textContent;
      });
      b.setAttribute("data-captions", captions.join("|"));
      b.setAttribute("data-states", [].map.call(d.querySelectorAll(".state"), function (c) {
        return c.textContent;
      }).join("|"));
      b.setAttribute("data-withheld", [].map.call(d.querySelectorAll("figure[data-withheld]"),
          function (f) { return f.getAttribute("data-slot"); }).join("|"));
      b.setAttribute("data-title", d.title);
      b.setAttribute("data-refreshed", d.getElementById("refreshed").textContent);
      var stale = d.getElementById("stale");
      b.setAttribute("data-stale", stale.hidden ? "" : stale.textContent);
      var figure = d.querySelector('figure[data-slot="6"]');
      var box = figure.querySelector("img").getBoundingClientRect();
      var at = location.hash.slice(1).split(",").map(Number);  // UT hours, MHz
      figure.dispatchEvent(new PointerEvent("pointermove", {bubbles: true,
          clientX: box.left + (at[0] * 10 + 35) * box.width / 286,
          clientY: box.top + (215 - at[1] * 10) / 261 * box.height}));
      b.setAttribute("data-said", figure.querySelector("output").textContent);
      var link = figure.querySelector("figcaption a");
      b.setAttribute("data-csv", link ? decodeURIComponent(link.href.slice(link.href.indexOf(",") + 1)) : "");
      b.setAttribute("data-download", link ? link.download : "");
    }, 3000);
  };
</script></body></html>
HTML
# Today's highest value: where to point, and what the page must say there.
point=$(python3 -c "import json, sys; c = json.load(open(sys.argv[1]))['charts'][5]; v = max(c['observed'], key=lambda v: v[1]); m = round(v[0] * 60); print('%s,%s %02d:%02d UT, %.1f MHz' % (v[0], v[1], m // 60, m % 60, v[1]))" "$manifest")
at=${point%% *} said=${point#* }
check() {  # check NAME: the noted attribute NAME of the check page
    python3 -c "import html, re, sys; m = re.search(sys.argv[2] + '=\"([^\"]*)\"', open(sys.argv[1]).read()); print(html.unescape(m.group(1)) if m else '')" "$work/dom" "data-$1"
}
browse 1000,700 5000 --allow-file-access-from-files --dump-dom \
    "file://$work/station/web/check.html#$at" >"$work/dom"
[ "$(check captions)" = "Tue 31 Dec 2024|Wed 1 Jan 2025|Thu 2 Jan 2025|Fri 3 Jan 2025|Sat 4 Jan 2025|Sun 5 Jan 2025" ] ||
    fail "captions not by the charts' days: $(check captions)" "$work/dom"
case "$(check refreshed)" in "Charts updated "[0-9]*" minute"*" ago."|"Charts updated less than a minute ago.") ;; *) fail "no age: $(check refreshed)" "$work/dom" ;; esac
[ "$(check title)" = "ftEs charts of Roma Monte" ] || fail "no station in the title: $(check title)" "$work/dom"
[ "$(check states)" = "|||||" ] || fail "states said of sound charts: $(check states)" "$work/dom"
[ -z "$(check stale)" ] || fail "fresh charts said to be stale" "$work/dom"
[ "$(check said)" = "$said" ] || fail "under the point: '$(check said)', not '$said'" "$work/dom"
[ "$(check download)" = "ftEs-2025-01-05.csv" ] || fail "no CSV of the day" "$work/dom"
check csv >"$work/csv"
python3 -c "import json, sys; print(json.load(open(sys.argv[1]))['charts'][5]['csv'])" "$manifest" >"$work/csv.manifest"
# The run's own table: each sounding with its state and the forecast of its hour.
[ "$(head -n 1 "$work/csv")" = "time_ut,ftes_mhz,state,forecast_mhz" ] &&
    cmp -s "$work/csv" "$work/csv.manifest" &&
    grep -q "^${said%% UT*},$(echo "$said" | sed 's/.*UT, \([0-9.]*\) MHz/\1/'),value,[0-9]*\.[0-9]\$" "$work/csv" &&
    grep -q ',no layer,' "$work/csv" ||
    fail "the day's CSV is not its values ($said):" "$work/csv"
# A run of today: its last chart, and no other, is today's.
(cd "$work/station" && "$binary" --date "$(date +%F)" --manifest) || true
browse 1000,700 5000 --allow-file-access-from-files --dump-dom \
    "file://$work/station/web/check.html#$at" >"$work/dom"
[ "$(check captions | tr '|' '\n' | grep -c '^Today, ')" = 1 ] &&
    check captions | tr '|' '\n' | tail -n 1 | grep -q '^Today, ' ||
    fail "today's chart not captioned as today: $(check captions)" "$work/dom"
# What the run could not do is said of each chart: a chart not published keeps the day it
# shows (or is not shown at all), and offers no values that are not its own.
(cd "$work/station" && "$binary" --date 2025-01-05 --manifest)
cp "$manifest" "$work/manifest.json"
python3 - "$manifest" <<'PY'
import json, sys
p = sys.argv[1]
d = json.load(open(p))
c = d["charts"]
c[5]["state"] = "unreadable"
c[4]["state"], c[4]["shows"], c[4]["published"] = "not published", "2025-01-03", False
c[3]["state"], c[3]["shows"], c[3]["published"] = "not published", None, False
c[2]["state"] = "no station"
json.dump(d, open(p, "w"))
PY
browse 1000,700 5000 --allow-file-access-from-files --dump-dom \
    "file://$work/station/web/check.html#$at" >"$work/dom"
[ "$(check states)" = "||No station recognised among the soundings|The chart of Fri 3 Jan 2025 could not be published|Not published: the chart of Fri 3 Jan 2025 stays|Some soundings could not be read" ] ||
    fail "states not said: $(check states)" "$work/dom"
[ "$(check captions)" = "Tue 31 Dec 2024|Wed 1 Jan 2025|Thu 2 Jan 2025|Fri 3 Jan 2025|Fri 3 Jan 2025|Sun 5 Jan 2025" ] ||
    fail "captions not by the days the charts show: $(check captions)" "$work/dom"
[ "$(check withheld)" = "4" ] || fail "a chart of no known day shown: $(check withheld)" "$work/dom"
cp "$work/manifest.json" "$manifest"
# An old manifest, then a run without --manifest: the run removes it, and the page names no day.
(cd "$work/station" && "$binary" --date 2025-01-07)
[ ! -e "$manifest" ] || fail "a run without --manifest left the old manifest" "$manifest"
browse 1000,700 5000 --allow-file-access-from-files --dump-dom \
    "file://$work/station/web/check.html#$at" >"$work/dom"
case "$(check captions)" in *20[0-9][0-9]*|*Today*) fail "a caption with a day the charts may not show: $(check captions)" "$work/dom" ;; esac
# Only what the chart's own file tells (its Last-Modified), if anything.
case "$(check refreshed)" in ""|"The latest chart was written "[0-9]*" minute"*" ago."|"The latest chart was written less than a minute ago.") ;;
    *) fail "an age the page cannot know: $(check refreshed)" "$work/dom" ;; esac
(cd "$work/station" && "$binary" --date 2025-01-05 --manifest)
# Two days later the charts are said to be old.
python3 -c "import json, sys, datetime; p = sys.argv[1]; d = json.load(open(p)); d['generated'] = (datetime.datetime.now(datetime.timezone.utc) - datetime.timedelta(hours=50)).isoformat(timespec='seconds'); json.dump(d, open(p, 'w'))" "$manifest"
browse 1000,700 5000 --allow-file-access-from-files --dump-dom \
    "file://$work/station/web/check.html#$at" >"$work/dom"
case "$(check stale)" in "These charts have not been updated since "*" UT.For the station's operator: no run for 50 hours"*) ;;
    *) fail "old charts not said to be stale: $(check stale)" "$work/dom" ;; esac

# The archive on the web: the month's calendar read from the archive's index, each archived
# day linked to its chart, with its counts and the table of its values.
(cd "$work/station" && "$binary" --backfill 2024-12-20..2025-01-05 >/dev/null)
cp "$archive" "$work/station/web/archive.html"
ln -s ../base/previous_ftEs_plots "$work/station/web/previous_ftEs_plots"
cat >"$work/station/web/check-archive.html" <<'HTML'
<!doctype html><html><body><iframe id="f" src="archive.html?month=2025-01" width="1000" height="900"></iframe>
<script>
  var f = document.getElementById("f");
  f.onload = function () {
    setTimeout(function () {
      var d = f.contentDocument, b = document.body;
      var linked = [].map.call(d.querySelectorAll("td.archived"), function (td) {
        return td.getAttribute("data-day") + "=" + td.querySelector("a.day").getAttribute("href") +
            "," + td.querySelector(".counts").textContent + "," +
            (td.querySelector("a[download]") ? td.querySelector("a[download]").getAttribute("href") : "");
      });
      b.setAttribute("data-linked", linked.join("|"));
      b.setAttribute("data-cells", String(d.querySelectorAll("td[data-day]").length));
      b.setAttribute("data-month", d.getElementById("month").textContent);
      b.setAttribute("data-title", d.title);
      d.querySelector('td[data-day="2025-01-05"] a.day').click();
      setTimeout(function () {
        var img = d.querySelector("#day img");
        b.setAttribute("data-shown", d.querySelector("#day figcaption").textContent + "," +
            img.naturalWidth + "," + d.querySelector("#day .counts").textContent);
      }, 1000);
    }, 2000);
  };
</script></body></html>
HTML
browse 1000,900 5000 --allow-file-access-from-files --dump-dom \
    "file://$work/station/web/check-archive.html" >"$work/dom"
[ "$(check month)" = "January 2025" ] && [ "$(check cells)" = 31 ] ||
    fail "no calendar of January 2025: $(check month), $(check cells) days" "$work/dom"
check linked | tr '|' '\n' >"$work/linked"
! grep -q '^2025-01-2' "$work/linked" && grep -qx '2025-01-01=previous_ftEs_plots/2025001.gif,[0-9]* values,previous_ftEs_plots/2025001.csv' "$work/linked" &&
    grep -q '^2025-01-05=previous_ftEs_plots/2025005.gif,' "$work/linked" ||
    fail "the archived days are not each linked with its counts and table:" "$work/linked"
case "$(check shown)" in "Sun 5 Jan 2025,286,"*" values, "*) ;;
    *) fail "the chart of a day chosen is not shown: $(check shown)" "$work/dom" ;; esac
[ "$(check title)" = "ftEs archive of station" ] || fail "no station in the archive's title: $(check title)" "$work/dom"

if [ -n "$screenshot" ]; then
    (cd "$work/station" && "$binary" --date 2025-01-05)
    browse 1000,660 2000 --screenshot="$screenshot" >/dev/null
fi
echo "web page: six charts decoded and refreshed, layout kept, fits a phone, today first there;"
echo "with the manifest captions by day, the station, each chart's state, the age and a warning"
echo "when old, the value under the pointer, the CSV; without it no day named; the archive's"
echo "calendar with each archived day linked"
