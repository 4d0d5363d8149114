#!/bin/sh
# SPDX-License-Identifier: MIT
# Lays out the folder the Windows zip holds, as a Windows operator unzips it: the program, the
# installer and the task definition it makes the tasks from, the instructions, the manual, the
# web pages, a sample varnel.ini and the licence with the notices of what is linked into the
# exe; the texts with CR LF lines, for Notepad and for cmd.
# Usage: cartella_windows.sh FTES_CHARTS_EXE VERSION DESTINATION
set -eu
exe=$1 version=$2 dest=$3
src=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$dest"
cp "$exe" "$dest/ftes-charts.exe"
crlf() { sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$1" >"$2"; }
crlf "$src/packaging/windows/README-Windows.txt" "$dest/README-Windows.txt"
crlf "$src/packaging/windows/ftes-charts.html" "$dest/ftes-charts.html"
crlf "$src/packaging/windows/install-ftes-charts.cmd" "$dest/install-ftes-charts.cmd"
crlf "$src/packaging/windows/ftes-charts-task.xml" "$dest/ftes-charts-task.xml"
crlf "$src/packaging/windows/ftes-charts-task.js" "$dest/ftes-charts-task.js"
crlf "$src/packaging/windows/varnel.ini" "$dest/varnel.ini"
cp "$src/packaging/web/index.html" "$src/packaging/web/archive.html" "$dest/"
{ cat "$src/LICENSE"; echo; cat "$src/packaging/windows/third-party-notices.txt"; } |
    sed 's/$/\r/' >"$dest/LICENSE.txt"
