#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The Task Scheduler definition shipped for Windows: well-formed XML that schtasks takes, a daily
run of ftes-charts.exe started in the station folder, for an account that runs whether or not
anyone is logged on, a missed run made up, never two at once, never one for ever. Usage: attivita_windows.py FILE"""
import sys
import xml.etree.ElementTree as ET

def richiedi(condizione, perche):
    """A check that holds whatever python3 is run with (-O drops assert statements)."""
    if not condizione:
        sys.exit("FAIL: %s" % (perche,))


ns = {"t": "http://schemas.microsoft.com/windows/2004/02/mit/task"}
task = ET.parse(sys.argv[1]).getroot()
richiedi(task.tag == "{%s}Task" % ns["t"], task.tag)


def text(path):
    node = task.find(path, ns)
    richiedi(node is not None, "missing " + path)
    return node.text.strip()


richiedi(text("t:Actions/t:Exec/t:Command").lower().endswith("\\ftes-charts.exe"), 'text("t:Actions/t:Exec/t:Command").lower().endswith("\\\\ftes-charts.exe")')
richiedi(text("t:Actions/t:Exec/t:WorkingDirectory"), "no start-in folder")
# Each run leaves its report in a log beside varnel.ini (the start-in folder), and the
# manifest for the web page.
richiedi(text("t:Actions/t:Exec/t:Arguments").split() == ["--manifest", "--log", "ftes-charts.log"], 'text("t:Actions/t:Exec/t:Arguments").split() == ["--manifest", "--log", "ftes-charts.log"]')
richiedi(text("t:Triggers/t:CalendarTrigger/t:ScheduleByDay/t:DaysInterval") == "1", 'text("t:Triggers/t:CalendarTrigger/t:ScheduleByDay/t:DaysInterval") == "1"')
# LOCAL SERVICE: runs with nobody logged on and no password stored.
richiedi(text("t:Principals/t:Principal/t:UserId") == "S-1-5-19", 'text("t:Principals/t:Principal/t:UserId") == "S-1-5-19"')
richiedi(text("t:Principals/t:Principal/t:RunLevel") == "LeastPrivilege", 'text("t:Principals/t:Principal/t:RunLevel") == "LeastPrivilege"')
richiedi(text("t:Settings/t:StartWhenAvailable") == "true", 'text("t:Settings/t:StartWhenAvailable") == "true"')
richiedi(text("t:Settings/t:MultipleInstancesPolicy") == "IgnoreNew", 'text("t:Settings/t:MultipleInstancesPolicy") == "IgnoreNew"')
# A run held by a share that does not answer is stopped, and so is never there for ever.
richiedi(text("t:Settings/t:ExecutionTimeLimit") == "PT10M", 'text("t:Settings/t:ExecutionTimeLimit") == "PT10M"')
principal = task.find("t:Principals/t:Principal", ns).get("id")
richiedi(task.find("t:Actions", ns).get("Context") == principal, 'task.find("t:Actions", ns).get("Context") == principal')
print("task definition: daily, in the station folder, as LOCAL SERVICE, with its log")
