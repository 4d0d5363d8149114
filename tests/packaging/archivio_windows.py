#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The Windows zip as an operator unpacks it: one folder with the very ftes-charts.exe that was
built, the installer and the task definition it starts from, instructions and a manual written
for Windows operators (no word of what only Linux has), a sample varnel.ini, the web pages and
the licence with the notices of everything linked into the exe; the texts with Windows line
ends. Where Wine is installed, the exe runs with the arguments the installer gives the task, in
a demo station, and leaves its log beside varnel.ini, with CR LF lines. (The installer itself
is run under Wine by tests/windows/installatore_windows.py.)
Usage: archivio_windows.py ZIP VERSION EXE [DEMO_GENERATOR]"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile


def richiedi(condizione, perche):
    """A check that holds whatever python3 is run with (-O drops assert statements)."""
    if not condizione:
        sys.exit("FAIL: %s" % (perche,))


path, version, exe = sys.argv[1:4]
demo = sys.argv[4] if len(sys.argv) > 4 else None
folder = "ftes-charts-%s-windows-x64/" % version
texts = ("README-Windows.txt", "varnel.ini", "LICENSE.txt", "ftes-charts.html",
         "install-ftes-charts.cmd", "ftes-charts-task.xml", "ftes-charts-task.js")
with zipfile.ZipFile(path) as z:
    names = {n for n in z.namelist() if not n.endswith("/")}
    wanted = {folder + n for n in texts + ("ftes-charts.exe", "index.html", "archive.html")}
    richiedi(names == wanted, sorted(names ^ wanted))
    richiedi(z.read(folder + "ftes-charts.exe") == open(exe, "rb").read(), "not the built exe")
    for text in texts:
        data = z.read(folder + text)
        richiedi(data.count(b"\n") == data.count(b"\r\n") > 0, text + " without CR LF lines")
    readme = z.read(folder + "README-Windows.txt").decode("ascii")
    richiedi(readme.startswith("ftes-charts %s for Windows\r\n" % version), readme[:60])
    # Plain text for Notepad, not Markdown.
    richiedi(not re.search(r"```|\*\*|^#", readme, re.M), "Markdown in README-Windows.txt")
    richiedi(max(map(len, readme.split("\r\n"))) <= 80, "README-Windows.txt lines past 80")
    # The administrator's steps are said before the first of them.
    richiedi(readme.index("administrator") < readme.index("1. INSTALL"),
             "README-Windows.txt says late which steps need an administrator")
    for needed in ("install-ftes-charts", "/check", "/uninstall", "ftes-charts.log",
                   "\\\\server\\share", "every 10 minutes, all day", "0x3"):
        richiedi(needed in readme, "README-Windows.txt says nothing of " + needed)
    manual = z.read(folder + "ftes-charts.html").decode("utf-8")
    richiedi(manual.lower().startswith("<!doctype html>") and version in manual, "no manual")
    for needed in ("install-ftes-charts", "0x41306", "0x8007010B", "0x80070002",
                   "Enable All Tasks History", "Updating", "Uninstalling",
                   "The charts stopped appearing", "Reporting a problem", "started",
                   "previous_ftEs_plots", "--backfill", "/?"):
        richiedi(needed in manual, "the Windows manual says nothing of " + needed)
    # Written for Windows: nothing of what only Linux has.
    for word in ("systemd", "systemctl", "cron", "journalctl", "/usr", "/srv", "/var", "/etc",
                 "ionosonde user", "sudo", "Wine", "Debian", "@VERSION@"):
        richiedi(word not in manual and word not in readme,
                 word + " in the Windows manual or README-Windows.txt")
    richiedi(len(z.read(folder + "varnel.ini").splitlines()) == 6, "varnel.ini is not six lines")
    for page in ("index.html", "archive.html"):
        richiedi(z.read(folder + page).lower().startswith(b"<!doctype html>"), "no " + page)
    licence = z.read(folder + "LICENSE.txt")
    for notice in (b"MIT License", b"giflib", b"stb_easy_font", b"winpthreads",
                   b"Lockless Inc.", b"mingw-w64 runtime", b"Zope Public License",
                   b"GCC Runtime Library Exception"):
        richiedi(notice in licence, "LICENSE.txt lacks the notice of " + notice.decode())
    installer = z.read(folder + "install-ftes-charts.cmd").decode("ascii")
    arguments = re.search(r'call :task "ftes-charts" "00:10" "([^"]+)"', installer).group(1)
    wine = shutil.which("wine") or shutil.which("wine64")
    if demo and wine:
        with tempfile.TemporaryDirectory() as d:
            # The task's run, in the station folder, twice: the log keeps both starts and both
            # reports.
            station = os.path.join(d, "station")
            subprocess.run([demo, station], check=True, stdout=subprocess.DEVNULL)
            program = os.path.join(d, "ftes-charts.exe")
            open(program, "wb").write(z.read(folder + "ftes-charts.exe"))
            # A UTF-8 locale, whatever the machine's: Wine names host files in it.
            env = dict(os.environ, WINEDEBUG="-all", LANG="C.UTF-8", LC_ALL="C.UTF-8")
            for _ in range(2):
                run = subprocess.run([wine, program] + arguments.split(), cwd=station,
                                     env=env, capture_output=True)
                richiedi(run.returncode == 0, run.stderr)
            log = open(os.path.join(station, "ftes-charts.log"), "rb").read()
            richiedi(log.count(b"\n") == log.count(b"\r\n") == 2 * 8, log)
            richiedi(log.count(b": started\r\n") == 2, log)
            richiedi(log.count(b"exit status 0 (every chart published)\r\n") == 2, log)
            richiedi(os.path.exists(os.path.join(station, "web", "plotftEs.json")),
                     "no manifest beside the charts")
            print("Windows zip: the task's own run under Wine left its log beside varnel.ini")
print("Windows zip: the built exe, the installer, instructions and manual for Windows, "
      "varnel.ini, web pages, licence with every notice")
