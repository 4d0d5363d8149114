#!/bin/sh
# SPDX-License-Identifier: MIT
# The manual page: groff renders it with no warning, and every option that --help lists is in
# it, set in bold as an option. Usage: manuale.sh MANUAL_PAGE BINARY
set -eu
page=$1 binary=$2
warnings=$(groff -ww -z -man "$page" 2>&1) || { echo "$warnings"; exit 1; }
[ -z "$warnings" ] || { echo "groff warns:"; echo "$warnings"; exit 1; }
options=$("$binary" --help | grep -o -E '(^|[ ,|[])--?[a-z][a-z-]*' | sed 's/^[ ,|[]//' | sort -u)
[ -n "$options" ] || { echo "--help lists no option"; exit 1; }
missing=0
for option in $options; do
    grep -q -F "\\fB$option\\fR" "$page" || { echo "not in the manual page: $option"; missing=1; }
done
[ "$missing" = 0 ]
version=$("$binary" --version | sed 's/^ftes-charts //')
grep -q -F "ftes-charts $version" "$page" || { echo "the manual page is not of version $version"; exit 1; }
echo "manual page: no groff warning; options:" $options
