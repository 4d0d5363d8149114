#!/bin/sh
# SPDX-License-Identifier: MIT
# The web page in a real browser (headless Chromium), opened from the disk beside the demo
# station's charts: all six charts decode at 286 pixels wide, they are fetched again after 10
# minutes (virtual time), a missing chart keeps the layout, and a phone screen needs no
# sideways scrolling. Exit 77 (skipped) without Chromium.
# Usage: pagina_web.sh BINARY DEMO_GENERATOR PAGE [SCREENSHOT.png]
set -eu
binary=$1 demo=$2 page=$3 screenshot=${4:-}
command -v chromium >/dev/null 2>&1 || { echo "chromium not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Nothing is loaded from elsewhere.
if grep -n -E '(src|href)="[a-z]*:|//[a-z0-9.-]+\.[a-z]' "$page"; then
    echo "the page refers to something outside its folder"; exit 1
fi

"$demo" "$work/station" --date 2025-01-05 >/dev/null
(cd "$work/station" && "$binary" --date 2025-01-05)
cp "$page" "$work/station/web/index.html"

browse() {  # browse WIDTH,HEIGHT MILLISECONDS [extra flags]: the page's DOM after that time
    size=$1 ms=$2; shift 2
    chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$work/profile" --hide-scrollbars --window-size="$size" \
        --virtual-time-budget="$ms" "$@" "file://$work/station/web/index.html" 2>/dev/null
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

# A missing chart keeps its place and the others their size.
rm "$work/station/web/plotftEs3.gif"
browse 1000,700 2000 --dump-dom >"$work/dom"
figures "$work/dom" | grep 'data-slot="3"' | grep -q 'data-state="missing"' ||
    fail "the missing chart is not shown as missing:" "$work/dom"
[ "$(figures "$work/dom" | grep -c 'data-state="loaded"')" = 5 ] || fail "charts lost:" "$work/dom"
[ "$(figures "$work/dom" | grep -o 'data-height="[0-9]*"' | sort -u | wc -l)" = 1 ] ||
    fail "the layout changed around the missing chart:" "$work/dom"

# A phone: one column, nothing wider than the screen.
browse 390,844 2000 --dump-dom >"$work/dom"
grep -q '<body data-fits="true"' "$work/dom" || fail "the page is wider than a phone:" "$work/dom"

if [ -n "$screenshot" ]; then
    (cd "$work/station" && "$binary" --date 2025-01-05)
    browse 1000,660 2000 --screenshot="$screenshot" >/dev/null
fi
echo "web page: six charts decoded and refreshed, layout kept, fits a phone"
