#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The Windows zip as an operator unpacks it: one folder with the very ftes-charts.exe that was
built, instructions written for Windows users, a sample varnel.ini, the Task Scheduler
definition, the web page, the manual as HTML and the licence with the notices of what is linked
in; the texts with Windows line ends, the definition in UTF-16 as schtasks takes it. Where Wine
is installed, the exe runs with the task's own arguments in a demo station and leaves its log
beside varnel.ini, with CR LF lines.
Usage: archivio_windows.py ZIP VERSION EXE [DEMO_GENERATOR]"""
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile

def richiedi(condizione, perche):
    """A check that holds whatever python3 is run with (-O drops assert statements)."""
    if not condizione:
        sys.exit("FAIL: %s" % (perche,))


path, version, exe = sys.argv[1:4]
demo = sys.argv[4] if len(sys.argv) > 4 else None
folder = "ftes-charts-%s-windows-x64/" % version
texts = ("README-Windows.txt", "varnel.ini", "LICENSE.txt", "ftes-charts.html")
with zipfile.ZipFile(path) as z:
    names = {n for n in z.namelist() if not n.endswith("/")}
    wanted = {folder + n for n in texts + ("ftes-charts.exe", "ftes-charts-task.xml", "index.html")}
    richiedi(names == wanted, sorted(names ^ wanted))
    richiedi(z.read(folder + "ftes-charts.exe") == open(exe, "rb").read(), "not the built exe")
    for text in texts:
        data = z.read(folder + text)
        richiedi(data.count(b"\n") == data.count(b"\r\n") > 0, text + " without CR LF lines")
    readme = z.read(folder + "README-Windows.txt").decode("ascii")
    richiedi(readme.startswith("ftes-charts %s for Windows\r\n" % version), readme[:60])
    # Plain text for Notepad, not Markdown, and nothing a Windows operator has no use for.
    richiedi(not re.search(r"```|\*\*|^#", readme, re.M), "Markdown in README-Windows.txt")
    for word in ("scripts/", "Wine", "Debian", "@VERSION@"):
        richiedi(word not in readme, word + " in README-Windows.txt")
    for needed in ("previous_ftEs_plots", "ftes-charts --check", "schtasks /create",
                   "ftes-charts.log", "\\\\server\\share", "NETWORK SERVICE", "index.html",
                   "0x3"):
        richiedi(needed in readme, "README-Windows.txt says nothing of " + needed)
    richiedi(max(map(len, readme.split("\r\n"))) <= 80, "README-Windows.txt lines past 80")
    richiedi(len(z.read(folder + "varnel.ini").splitlines()) == 6, 'len(z.read(folder + "varnel.ini").splitlines()) == 6')
    manual = z.read(folder + "ftes-charts.html").decode("utf-8")
    richiedi("<html" in manual and "STATION SET-UP" in manual and "--check" in manual, '"<html" in manual and "STATION SET-UP" in manual and "--check" in manual')
    richiedi(z.read(folder + "index.html").lower().startswith(b"<!doctype html>"), "no web page")
    licence = z.read(folder + "LICENSE.txt")
    richiedi(licence.startswith(b"MIT License") and b"giflib" in licence, "no licence or notices")
    task = z.read(folder + "ftes-charts-task.xml")
    richiedi(task.startswith(b"\xff\xfe"), "the task definition is not UTF-16")
    with tempfile.TemporaryDirectory() as d:
        xml = os.path.join(d, "task.xml")
        open(xml, "wb").write(task)
        here = os.path.dirname(os.path.abspath(__file__))
        subprocess.run([sys.executable, os.path.join(here, "attivita_windows.py"), xml], check=True)
        ns = {"t": "http://schemas.microsoft.com/windows/2004/02/mit/task"}
        arguments = ET.parse(xml).getroot().find("t:Actions/t:Exec/t:Arguments", ns).text
        wine = shutil.which("wine") or shutil.which("wine64")
        if demo and wine:
            # The task's run, in the station folder, twice: the log keeps both reports.
            station = os.path.join(d, "station")
            subprocess.run([demo, station], check=True, stdout=subprocess.DEVNULL)
            program = os.path.join(d, "ftes-charts.exe")
            open(program, "wb").write(z.read(folder + "ftes-charts.exe"))
            # A UTF-8 locale, whatever the machine's: Wine names host files in it.
            env = dict(os.environ, WINEDEBUG="-all", LANG="C.UTF-8", LC_ALL="C.UTF-8")
            for _ in range(2):
                run = subprocess.run([wine, program] + shlex.split(arguments), cwd=station,
                                     env=env, capture_output=True)
                richiedi(run.returncode == 0, run.stderr)
            log = open(os.path.join(station, "ftes-charts.log"), "rb").read()
            richiedi(log.count(b"\n") == log.count(b"\r\n") == 2 * 7, log)
            richiedi(log.count(b"exit status 0 (every chart published)\r\n") == 2, log)
            richiedi(os.path.exists(os.path.join(station, "web", "plotftEs.json")), 'os.path.exists(os.path.join(station, "web", "plotftEs.json"))')
            print("Windows zip: the task's own run under Wine left its log beside varnel.ini")
print("Windows zip: the built exe, instructions, varnel.ini, task, web page, manual, licence")
