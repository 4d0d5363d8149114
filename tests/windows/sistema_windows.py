#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The Windows program before what a station's PC puts in its way, set up from the host, in a
fresh Wine prefix:

- in Wine's console (a pseudo-terminal, whose code page is 437) --check shows a folder named
  "données" and the middle dot that marks a blank as they are written;
- a web folder the program may not write into is a problem, with its icacls fix. Wine keeps no
  ACLs: an immutable folder, which the host refuses to write into, stands in for a folder whose
  ACL denies writing, and reaches the program as the same ERROR_ACCESS_DENIED;
- folders on a drive letter Wine calls a network drive are a problem for a task, with the fix
  of their network name.

Usage: sistema_windows.py FTES_CHARTS_EXE   (exit 77 without Wine)
"""
import os
import pty
import shutil
import subprocess
import sys
import tempfile

import vino

EXE = os.path.abspath(sys.argv[1])


def fallisci(testo):
    print("FAIL: " + testo)
    sys.exit(1)


wine, wineserver = vino.programmi()

lavoro = tempfile.mkdtemp()
prefisso = os.path.join(lavoro, "prefix")
env = None


def in_console(argomenti, cartella):
    """The program run in a pseudo-terminal, as in a console window: what the terminal shows."""
    padrone, servo = pty.openpty()
    p = subprocess.Popen([wine, EXE] + argomenti, cwd=cartella, stdin=servo, stdout=servo,
                         stderr=servo, env=env)
    os.close(servo)
    uscita = b""
    while True:
        try:
            dati = os.read(padrone, 65536)
        except OSError:
            break
        if not dati:
            break
        uscita += dati
    p.wait()
    os.close(padrone)
    return p.returncode, uscita.decode("utf-8", "replace")


def controllo(cartella):
    fatto = subprocess.run([wine, EXE, "--check", "--date", "2025-01-05"], cwd=cartella, env=env,
                           capture_output=True)
    return fatto.returncode, fatto.stdout.decode("utf-8", "replace").replace("\r\n", "\n")


def varnel(cartella, base, dati, web):
    with open(os.path.join(cartella, "varnel.ini"), "wb") as f:
        f.write(("base\r\n%s\r\ndata\r\n%s\r\nweb\r\n%s\r\n" % (base, dati, web)).encode())


try:
    env = vino.prefisso_nuovo(wine, lavoro)
    stazione = os.path.join(lavoro, "station")
    for cartella in ("données/previous_ftEs_plots", "data", "web"):
        os.makedirs(os.path.join(stazione, cartella))

    # The console: the terminal shows the folder's name and the blank marker as written.
    varnel(stazione, "données\\", "data\\", "web\\ ")
    stato, detto = in_console(["--check", "--date", "2025-01-05"], stazione)
    if stato != 1 or "[données\\]" not in detto or "[web\\\u00b7]" not in detto:
        fallisci("the console does not show what the check says (status %d):\n%s" % (stato, detto))

    # A web folder the program may not write into.
    varnel(stazione, "données\\", "data\\", "web\\")
    web = os.path.join(stazione, "web")
    if subprocess.run(["chattr", "+i", web], capture_output=True).returncode == 0:
        try:
            stato, detto = controllo(stazione)
        finally:
            subprocess.run(["chattr", "-i", web])
        if stato != 1 or "cannot write into the web folder web\\: " not in detto or \
                'icacls "web" /grant ' not in detto:
            fallisci("a web folder that denies writing is no problem (status %d):\n%s"
                     % (stato, detto))
    else:
        print("chattr +i is not supported here: the denied folder is not tried")

    # A drive letter Wine calls a network drive, as a user's mapped share.
    subprocess.run([wine, "reg", "add", "HKLM\\Software\\Wine\\Drives", "/v", "y:", "/d",
                    "network", "/f"], env=env, capture_output=True, check=True)
    os.symlink(stazione, os.path.join(prefisso, "dosdevices", "y:"))
    subprocess.run([wineserver, "-k"], env=env)
    varnel(stazione, "Y:\\données\\", "Y:\\data\\", "Y:\\web\\")
    stato, detto = controllo(stazione)
    if stato != 1 or detto.count("is on a drive letter mapped to a network share, which a "
                                 "scheduled task does not see") != 3 or \
            "fix: write the share's network name instead" not in detto:
        fallisci("folders on a mapped drive are no problem (status %d):\n%s" % (stato, detto))
    print("Windows: the console shows the check's words; a folder that denies writing and "
          "folders on a mapped drive are problems with their fixes")
finally:
    if env is not None:
        subprocess.run([wineserver, "-k"], env=env)
    shutil.rmtree(lavoro, ignore_errors=True)
