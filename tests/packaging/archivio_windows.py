#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The Windows zip as an operator unpacks it: one folder with the very ftes-charts.exe that was
built, the README's Windows section as text, a sample varnel.ini and the Task Scheduler
definition, all with Windows line ends, the definition in UTF-16 as schtasks takes it.
Usage: archivio_windows.py ZIP VERSION EXE"""
import os
import subprocess
import sys
import tempfile
import zipfile

path, version, exe = sys.argv[1:4]
folder = "ftes-charts-%s-windows-x64/" % version
with zipfile.ZipFile(path) as z:
    names = {n for n in z.namelist() if not n.endswith("/")}
    wanted = {folder + n for n in ("ftes-charts.exe", "README-Windows.txt", "varnel.ini",
                                   "ftes-charts-task.xml", "LICENSE.txt")}
    assert names == wanted, sorted(names ^ wanted)
    assert z.read(folder + "ftes-charts.exe") == open(exe, "rb").read(), "not the built exe"
    for text in ("README-Windows.txt", "varnel.ini", "LICENSE.txt"):
        data = z.read(folder + text)
        assert data.count(b"\n") == data.count(b"\r\n") > 0, text + " without CR LF lines"
    assert z.read(folder + "README-Windows.txt").startswith(b"## Windows")
    assert len(z.read(folder + "varnel.ini").splitlines()) == 6
    licence = z.read(folder + "LICENSE.txt")
    assert licence.startswith(b"MIT License") and b"giflib" in licence, "no licence or notices"
    task = z.read(folder + "ftes-charts-task.xml")
    assert task.startswith(b"\xff\xfe"), "the task definition is not UTF-16"
    with tempfile.TemporaryDirectory() as d:
        xml = os.path.join(d, "task.xml")
        open(xml, "wb").write(task)
        here = os.path.dirname(os.path.abspath(__file__))
        subprocess.run([sys.executable, os.path.join(here, "attivita_windows.py"), xml], check=True)
print("Windows zip: the built exe, instructions, varnel.ini, task and licence, with CR LF")
