# SPDX-License-Identifier: MIT
"""Wine for the host-side Windows tests: where its programs are, and a fresh prefix of a test's
own, in a UTF-8 locale whatever the machine's, so that no test changes another's."""
import os
import shutil
import subprocess
import sys


def programmi():
    """wine and wineserver; exit 77 (skipped) when Wine is not installed."""
    wine = next((w for w in ("/usr/lib/wine/wine64", shutil.which("wine64") or "",
                             shutil.which("wine") or "") if w and os.path.exists(w)), None)
    if wine is None:
        print("Wine is not installed")
        sys.exit(77)
    return wine, shutil.which("wineserver") or "/usr/lib/wine/wineserver"


def prefisso_nuovo(wine, cartella, **altre):
    """The environment of a fresh Wine prefix in cartella/prefix, made ready."""
    env = dict(os.environ, WINEPREFIX=os.path.join(cartella, "prefix"), WINEDEBUG="-all",
               LANG="C.UTF-8", LC_ALL="C.UTF-8", **altre)
    subprocess.run([wine, "wineboot", "-i"], env=env, capture_output=True, check=True)
    return env
