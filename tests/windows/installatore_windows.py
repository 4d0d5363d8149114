#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The Windows installer as an operator runs it, under Wine, in a fresh prefix: the folder the
zip holds, laid out by the packaging's own script, and install-ftes-charts.cmd run from it.
Stand-ins for schtasks, icacls and net, first on the PATH, write down what they are asked
(Wine's own schtasks drops most of a definition); the test plays the Task Scheduler service,
starting the check task's program when the installer runs it. Checked:

- the install: the program in Program Files, the folders made, varnel.ini written, the rights
  given (exactly those a run needs, and none where the account had one already), the tasks'
  definitions (structurally against the Task Scheduler 1.2 schema, and what they run, where,
  as whom, how often), the check run as the task and shown;
- a second install does nothing twice; /check checks again;
- /uninstall removes exactly the tasks and rights the install added, and the program, and
  leaves every file of the station as it was; a second /uninstall finds nothing to remove;
- without administrator's rights nothing is done.

Usage: installatore_windows.py FTES_CHARTS_EXE STAND_IN_EXE VERSION   (exit 77 without Wine)
"""
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

import vino

EXE, SOSTITUTO = (os.path.abspath(a) for a in sys.argv[1:3])
VERSIONE = sys.argv[3]
RADICE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def fallisci(testo):
    print("FAIL: " + testo)
    if os.path.exists(registro):
        print("the calls written down, the last ones:")
        print("\n".join(chiamate()[-25:]))
    for c in compiti[-2:]:
        print("a task's run, as the test started it: " + c)
    sys.exit(1)


def richiedi(condizione, perche):
    if not condizione:
        fallisci(perche)


wine, wineserver = vino.programmi()

# ---- the Task Scheduler 1.2 schema, as far as the definitions use it: for each element its
# children (in order where the schema says xs:sequence), which must be there, and the form of
# its value.
T = "{http://schemas.microsoft.com/windows/2004/02/mit/task}"
BOOL = r"true|false"
DURATA = r"P(\d+D)?(T(\d+H)?(\d+M)?(\d+S)?)?"
SCHEMA = {
    "Task": (False, ["RegistrationInfo", "Triggers", "Settings", "Data", "Principals",
                     "Actions"], ["Actions"], None),
    "RegistrationInfo": (False, ["URI", "SecurityDescriptor", "Source", "Date", "Author",
                                 "Version", "Description", "Documentation"], [], None),
    "Description": (False, [], [], r".+"),
    "Triggers": (False, ["CalendarTrigger", "TimeTrigger", "BootTrigger", "LogonTrigger"], [],
                 None),
    # triggerBaseType is a sequence, then calendarTriggerType's own elements.
    "CalendarTrigger": (True, ["Enabled", "StartBoundary", "EndBoundary", "Repetition",
                               "ExecutionTimeLimit", "RandomDelay", "ScheduleByDay"],
                        ["StartBoundary", "ScheduleByDay"], None),
    "Enabled": (False, [], [], BOOL),
    "StartBoundary": (False, [], [], r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d"),
    "Repetition": (False, ["Interval", "Duration", "StopAtDurationEnd"], ["Interval"], None),
    "Interval": (False, [], [], DURATA),
    "Duration": (False, [], [], DURATA),
    "StopAtDurationEnd": (False, [], [], BOOL),
    "ScheduleByDay": (False, ["DaysInterval"], [], None),
    "DaysInterval": (False, [], [], r"[1-9]\d*"),
    "Principals": (True, ["Principal"], ["Principal"], None),
    "Principal": (False, ["UserId", "GroupId", "DisplayName", "LogonType", "RunLevel"], [], None),
    "UserId": (False, [], [], r".+"),
    "RunLevel": (False, [], [], r"LeastPrivilege|HighestAvailable"),
    "Settings": (False, ["AllowStartOnDemand", "RestartOnFailure", "MultipleInstancesPolicy",
                         "DisallowStartIfOnBatteries", "StopIfGoingOnBatteries",
                         "AllowHardTerminate", "StartWhenAvailable", "NetworkProfileName",
                         "RunOnlyIfNetworkAvailable", "WakeToRun", "Enabled", "Hidden",
                         "DeleteExpiredTaskAfter", "IdleSettings", "NetworkSettings",
                         "ExecutionTimeLimit", "Priority", "RunOnlyIfIdle"], [], None),
    "MultipleInstancesPolicy": (False, [], [], r"Parallel|Queue|IgnoreNew|StopExisting"),
    "DisallowStartIfOnBatteries": (False, [], [], BOOL),
    "StopIfGoingOnBatteries": (False, [], [], BOOL),
    "AllowHardTerminate": (False, [], [], BOOL),
    "StartWhenAvailable": (False, [], [], BOOL),
    "RunOnlyIfNetworkAvailable": (False, [], [], BOOL),
    "AllowStartOnDemand": (False, [], [], BOOL),
    "Hidden": (False, [], [], BOOL),
    "RunOnlyIfIdle": (False, [], [], BOOL),
    "WakeToRun": (False, [], [], BOOL),
    "IdleSettings": (False, ["Duration", "WaitTimeout", "StopOnIdleEnd", "RestartOnIdle"], [],
                     None),
    "StopOnIdleEnd": (False, [], [], BOOL),
    "RestartOnIdle": (False, [], [], BOOL),
    "ExecutionTimeLimit": (False, [], [], DURATA),
    "Priority": (False, [], [], r"[0-9]|10"),
    "Actions": (True, ["Exec"], ["Exec"], None),
    "Exec": (True, ["Command", "Arguments", "WorkingDirectory"], ["Command"], None),
    "Command": (False, [], [], r".+"),
    "Arguments": (False, [], [], r".+"),
    "WorkingDirectory": (False, [], [], r".+"),
}


def secondo_schema(e, dove="Task"):
    nome = e.tag[len(T):] if e.tag.startswith(T) else e.tag
    richiedi(e.tag.startswith(T), dove + ": element outside the task namespace: " + e.tag)
    richiedi(nome in SCHEMA, dove + ": no such element in the schema: " + nome)
    sequenza, ammessi, dovuti, forma = SCHEMA[nome]
    figli = [c.tag[len(T):] for c in e]
    for f in figli:
        richiedi(f in ammessi, "%s: %s may not hold %s" % (dove, nome, f))
    richiedi(len(set(figli)) == len(figli) or nome in ("Principals", "Actions", "Triggers"),
             "%s: %s holds an element twice: %s" % (dove, nome, figli))
    for d in dovuti:
        richiedi(d in figli, "%s: %s lacks %s" % (dove, nome, d))
    if sequenza:
        posti = [ammessi.index(f) for f in figli]
        richiedi(posti == sorted(posti), "%s: %s's elements out of the schema's order: %s"
                 % (dove, nome, figli))
    if forma is not None:
        richiedi(len(e) == 0 and re.fullmatch(forma, (e.text or "").strip()),
                 "%s: %s is not of the form %s: %r" % (dove, nome, forma, e.text))
    elif not len(e) and nome not in ("ScheduleByDay",):
        richiedi(False, "%s: %s is empty" % (dove, nome))
    for c in e:
        secondo_schema(c, dove + "/" + nome)


lavoro = tempfile.mkdtemp()
prefisso = os.path.join(lavoro, "prefix")
c_drive = os.path.join(prefisso, "drive_c")


def windows(percorso_host):
    """A host path as Wine's drive Z: names it."""
    return "Z:" + percorso_host.replace("/", "\\")


def host(percorso_windows):
    """A Windows path of drive C: or Z: as the host names it."""
    lettera, resto = percorso_windows[0].upper(), percorso_windows[2:].replace("\\", "/")
    return (c_drive if lettera == "C" else "") + resto


registro = os.path.join(lavoro, "calls.txt")
compiti = []  # each task run as the test started it, with what it said
definizioni = os.path.join(lavoro, "definitions")
sostituti = os.path.join(lavoro, "standins")
env = None


def chiamate():
    if not os.path.exists(registro):
        return []
    # Whole lines only: a stand-in may be writing the last one.
    return [r for r in open(registro, encoding="utf-8", newline="").read().split("\r\n")[:-1] if r]


def argomenti(riga):
    """A recorded command line's words, as the program got them."""
    return shlex.split(riga.replace("\\", "\\\\"))


def installatore(*opzioni, amministratore=True):
    """install-ftes-charts run from the unzipped folder, as the test plays Task Scheduler: each
    /run of a task starts its program, as its definition says, where it says."""
    prima = len(chiamate())
    p = subprocess.Popen([wine, "cmd", "/c", "install-ftes-charts.cmd"] + list(opzioni),
                         cwd=cartella_zip, env=dict(env, FTES_NON_AMMINISTRATORE=
                                                    "" if amministratore else "1"),
                         stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT)
    viste = prima
    while p.poll() is None:
        fatte = chiamate()
        for riga in fatte[viste:]:
            parole = argomenti(riga)
            if os.path.basename(parole[0]).lower().startswith("schtasks") and "/run" in parole:
                compito = ET.parse(os.path.join(definizioni,
                                                parole[parole.index("/tn") + 1] + ".xml"))
                esegui = compito.getroot().find(T + "Actions/" + T + "Exec")
                corsa = subprocess.run([wine, host(esegui.find(T + "Command").text)] +
                                       esegui.find(T + "Arguments").text.split(),
                                       cwd=host(esegui.find(T + "WorkingDirectory").text),
                                       env=env, capture_output=True)
                compiti.append("%s: status %d\n%s%s" % (
                    " ".join(parole), corsa.returncode, corsa.stdout.decode("utf-8", "replace"),
                    corsa.stderr.decode("utf-8", "replace")))
        viste = len(fatte)
        time.sleep(0.2)
    uscita = p.stdout.read().decode("utf-8", "replace").replace("\r\n", "\n")
    return p.returncode, uscita, chiamate()[prima:]


def albero(radice):
    """Every file under a folder with its bytes, and every folder."""
    tutto = {}
    for cartella, sotto, file in os.walk(radice):
        tutto[os.path.relpath(cartella, radice) + "/"] = None
        for f in file:
            tutto[os.path.relpath(os.path.join(cartella, f), radice)] = \
                open(os.path.join(cartella, f), "rb").read()
    return tutto


try:
    env = vino.prefisso_nuovo(wine, lavoro, WINEPATH=windows(sostituti),
                              FTES_REGISTRO=windows(registro),
                              FTES_DEFINIZIONI=windows(definizioni))
    os.makedirs(definizioni)
    os.makedirs(sostituti)
    for nome in ("schtasks.exe", "icacls.exe", "net.exe"):
        shutil.copy(SOSTITUTO, os.path.join(sostituti, nome))
    # The unzipped folder, laid out as the zip holds it.
    cartella_zip = os.path.join(c_drive, "users", "Public", "Downloads",
                                "ftes-charts-%s-windows-x64" % VERSIONE)
    subprocess.run(["sh", os.path.join(RADICE, "scripts", "lib", "cartella_windows.sh"), EXE,
                    VERSIONE, cartella_zip], check=True)
    # A station that has soundings already, and a sounding folder the account may read
    # already: that right is not the installer's to give or to take away.
    stazione = os.path.join(c_drive, "ionosonde")
    os.makedirs(os.path.join(stazione, "data"))
    open(os.path.join(stazione, "data", "CN12A_20250050715.TXT"), "wb").write(
        b"Cind\r\n" * 7 + b"ftEs [MHz]    12.0\r\n")
    with open(registro, "a", encoding="utf-8") as f:
        f.write('icacls "C:\\ionosonde\\data" /grant "*S-1-5-19:(OI)(CI)RX"\r\n')

    # Without an administrator's rights nothing is done.
    stato, detto, fatte = installatore("/station", "C:\\ionosonde", amministratore=False)
    richiedi(stato == 1 and "must be run as administrator" in detto, "not admin: " + detto)
    richiedi(all(os.path.basename(argomenti(r)[0]).lower().startswith("net") for r in fatte),
             "something was done without an administrator: %s" % fatte)
    richiedi(not os.path.exists(os.path.join(c_drive, "Program Files", "ftes-charts")),
             "the program was copied without an administrator")

    # The install, base and sounding folders taken by default (asked, with no answer).
    stato, detto, fatte = installatore("/station", "C:\\ionosonde", "/web",
                                       "C:\\inetpub\\wwwroot\\ftes", "/live")
    richiedi(stato == 0, "the install ended with %d:\n%s" % (stato, detto))
    for atteso in (": check as ", "no problem found", "What next", "schtasks /run"):
        richiedi(atteso in detto, "the install did not say %r:\n%s" % (atteso, detto))
    programma = os.path.join(c_drive, "Program Files", "ftes-charts")
    for f in ("ftes-charts.exe", "install-ftes-charts.cmd", "ftes-charts-task.xml",
              "ftes-charts.html", "README-Windows.txt", "LICENSE.txt"):
        richiedi(os.path.isfile(os.path.join(programma, f)), "not installed: " + f)
    richiedi(open(os.path.join(programma, "ftes-charts.exe"), "rb").read() ==
             open(EXE, "rb").read(), "the installed program is not the one built")
    for d in ("base/previous_ftEs_plots", "data"):
        richiedi(os.path.isdir(os.path.join(stazione, d)), "folder not made: " + d)
    web = os.path.join(c_drive, "inetpub", "wwwroot", "ftes")
    for f in ("index.html", "archive.html"):
        richiedi(os.path.isfile(os.path.join(web, f)), "web page not in place: " + f)
    varnel = open(os.path.join(stazione, "varnel.ini"), encoding="utf-8").read().split("\n")
    richiedi([r.rstrip("\r") for r in varnel[1:6:2]] ==
             ["C:\\ionosonde\\base\\", "C:\\ionosonde\\data\\", "C:\\inetpub\\wwwroot\\ftes\\"],
             "varnel.ini names other folders: %s" % varnel)
    concessi = sorted((a[1], a[3]) for a in map(argomenti, fatte)
                      if os.path.basename(a[0]).lower().startswith("icacls") and "/grant" in a)
    richiedi(concessi == sorted([
        ("C:\\ionosonde", "*S-1-5-19:(OI)(CI)RX"),
        ("C:\\ionosonde\\base", "*S-1-5-19:(OI)(CI)M"),
        ("C:\\inetpub\\wwwroot\\ftes", "*S-1-5-19:(OI)(CI)M"),
        ("C:\\ionosonde\\ftes-charts.log", "*S-1-5-19:M"),
        ("C:\\ionosonde\\ftes-charts-check.log", "*S-1-5-19:M")]),
        "the rights given are not those a run needs: %s" % concessi)
    creati = [a[a.index("/tn") + 1] for a in map(argomenti, fatte)
              if os.path.basename(a[0]).lower().startswith("schtasks") and "/create" in a]
    richiedi(creati == ["ftes-charts", "ftes-charts live", "ftes-charts check"],
             "tasks created: %s" % creati)
    richiedi(any("/delete" in a and "ftes-charts check" in a for a in map(argomenti, fatte)),
             "the check's task was left behind")
    # The definitions: the schema, and what each runs, where, as whom and how often.
    for compito in ("ftes-charts", "ftes-charts live", "ftes-charts check"):
        radice = ET.parse(os.path.join(definizioni, compito + ".xml")).getroot()
        secondo_schema(radice)
        richiedi(radice.get("version") == "1.2", compito + ": not a version 1.2 definition")
        valore = lambda p: radice.find("/".join(T + x for x in p.split("/"))).text.strip()
        richiedi(valore("Actions/Exec/Command") ==
                 "C:\\Program Files\\ftes-charts\\ftes-charts.exe", compito + ": command")
        richiedi(valore("Actions/Exec/WorkingDirectory") == "C:\\ionosonde",
                 compito + ": not started in the station folder")
        richiedi(valore("Principals/Principal/UserId") == "S-1-5-19",
                 compito + ": not LOCAL SERVICE")
        richiedi(valore("Principals/Principal/RunLevel") == "LeastPrivilege", compito)
        richiedi(valore("Settings/ExecutionTimeLimit") == "PT10M", compito + ": no time limit")
        richiedi(valore("Settings/StartWhenAvailable") == "true", compito)
        richiedi(valore("Settings/MultipleInstancesPolicy") == "IgnoreNew", compito)
        richiedi(radice.find(T + "Actions").get("Context") ==
                 radice.find(T + "Principals/" + T + "Principal").get("id"), compito)
        ripetizione = radice.find(T + "Triggers/" + T + "CalendarTrigger/" + T + "Repetition")
        if compito == "ftes-charts live":
            richiedi(valore("Triggers/CalendarTrigger/Repetition/Interval") == "PT10M" and
                     valore("Triggers/CalendarTrigger/Repetition/Duration") == "P1D",
                     "the live task does not run every 10 minutes all day")
        else:
            richiedi(ripetizione is None, compito + " repeats")
        argomenti_compito = valore("Actions/Exec/Arguments")
        richiedi(argomenti_compito == ("--check --log ftes-charts-check.log"
                                       if compito.endswith("check")
                                       else "--manifest --log ftes-charts.log"),
                 compito + ": arguments " + argomenti_compito)

    # Again: nothing done twice. Then the check again, as the task.
    stato, detto, fatte = installatore("/station", "C:\\ionosonde", "/web",
                                       "C:\\inetpub\\wwwroot\\ftes", "/live")
    richiedi(stato == 0, "the second install ended with %d:\n%s" % (stato, detto))
    richiedi(not any("/grant" in a for a in map(argomenti, fatte)),
             "the second install gave rights again: %s" % fatte)
    stato, detto, fatte = installatore("/check")
    richiedi(stato == 0 and "no problem found" in detto, "/check:\n" + detto)

    # The uninstall: exactly what the install added, and nothing of the station.
    prima = albero(stazione)
    stato, detto, fatte = installatore("/uninstall")
    richiedi(stato == 0, "the uninstall ended with %d:\n%s" % (stato, detto))
    tolti = sorted(a[1] for a in map(argomenti, fatte)
                   if os.path.basename(a[0]).lower().startswith("icacls") and "/remove:g" in a)
    richiedi(tolti == sorted(p for p, _ in concessi),
             "the rights taken away are not those given: %s" % tolti)
    cancellati = sorted(a[a.index("/tn") + 1] for a in map(argomenti, fatte) if "/delete" in a)
    richiedi(cancellati == sorted(["ftes-charts", "ftes-charts live", "ftes-charts check"]),
             "tasks removed: %s" % cancellati)
    richiedi(not os.path.exists(programma), "the program is still in Program Files")
    richiedi(albero(stazione) == prima, "the uninstall changed the station's files")
    stato, detto, fatte = installatore("/uninstall")
    richiedi(stato == 0 and "nothing to remove" in detto and not any(
        "/remove:g" in a for a in map(argomenti, fatte)), "a second uninstall: " + detto)
    print("Windows installer: installed, scheduled, checked as the task, installed again, "
          "checked again and uninstalled, exactly")
finally:
    if env is not None:
        subprocess.run([wineserver, "-k"], env=env)
    shutil.rmtree(lavoro, ignore_errors=True)
