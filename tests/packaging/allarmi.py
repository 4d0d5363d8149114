#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The alert rules against the metrics the real program writes.

The program runs on a demo station under faketime at 00:10, 12:10 and 23:10 UTC in the time
zones UTC, Europe/Rome and America/Santiago, with the soundings a real station would have by
then; each run's metrics file becomes the input of a `promtool test rules` case, once held
as a daily station's (one run a day) and once as a live station's (a run every 10 minutes).
promtool's clock starts at 1970-01-01: every timestamp is shifted by the same whole number of
days, which the rules, made of differences of times, cannot tell. A healthy station raises no
alert; a station without a sounding today raises "no observation" only after a run past noon
UT; missing, vanished and stopped metrics raise theirs. Every alert has a description that
says what to run.

Usage: allarmi.py BINARY DEMO_GENERATOR RULES   (exit 77 when promtool or faketime is missing)
"""
import datetime as dt
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
from zoneinfo import ZoneInfo

import yaml

BINARY, DEMO, RULES = (os.path.abspath(a) for a in sys.argv[1:4])
DIECI_MINUTI = 600


def fallisci(testo):
    print("FAIL: " + testo)
    sys.exit(1)


for programma in ("promtool", "faketime"):
    if shutil.which(programma) is None:
        print(programma + " not installed")
        sys.exit(77)

regole = {r["alert"]: r for g in yaml.safe_load(open(RULES))["groups"] for r in g["rules"]}
for nome, regola in regole.items():
    note = regola.get("annotations", {})
    if not note.get("summary") or not note.get("description"):
        fallisci(nome + " has no summary or no description")
    if not re.search(r"--check|journalctl|systemctl|ls -l", note["description"]):
        fallisci(nome + "'s description names nothing to run: " + note["description"])


def annotazioni(alert, stazione):
    """The annotations promtool must find on the alert, its templates filled in."""
    fatte = {}
    for chiave, testo in regole[alert]["annotations"].items():
        testo = testo.replace("{{ $labels.station }}", stazione)
        if "{{" in testo:
            fallisci(alert + ": a template this test cannot fill: " + testo)
        fatte[chiave] = testo
    return fatte


def atteso(alert, stazione, **etichette):
    etichette.update(severity=regole[alert]["labels"]["severity"])
    if stazione is not None:
        etichette["station"] = stazione
    return {"exp_labels": etichette,
            "exp_annotations": annotazioni(alert, stazione or "")}


def metriche_di(file):
    """The samples of a metrics file: (series as promtool writes it, value)."""
    campioni = []
    for riga in open(file):
        if riga.startswith("#") or not riga.strip():
            continue
        serie, valore = riga.rsplit(" ", 1)
        campioni.append((serie, float(valore)))
    return campioni


def corsa(lavoro, tz, istante, stazione, senza_oggi=False):
    """The program's run at the UT instant in the time zone, on a station whose soundings end
    then (or, senza_oggi, at the end of the day before): its metrics' samples."""
    locale = istante.astimezone(ZoneInfo(tz))
    cartella = os.path.join(lavoro, stazione)
    fine = istante if not senza_oggi else dt.datetime.combine(
        locale.date(), dt.time(), dt.timezone.utc) - dt.timedelta(minutes=10)
    subprocess.run([DEMO, cartella, "--date", locale.date().isoformat(), "--days", "7",
                    "--until", fine.strftime("%Y-%m-%dT%H:%M")],
                   check=True, stdout=subprocess.DEVNULL)
    file = os.path.join(lavoro, stazione + ".prom")
    env = dict(os.environ, TZ=tz, ASAN_OPTIONS="verify_asan_link_order=0:detect_leaks=0")
    fatto = subprocess.run(["faketime", locale.strftime("%Y-%m-%d %H:%M:%S"), BINARY,
                            "--metrics", file, "--station", stazione],
                           cwd=cartella, env=env, capture_output=True, text=True)
    if fatto.returncode != 0:
        fallisci("%s: the run ended with %d: %s" % (stazione, fatto.returncode, fatto.stderr))
    return metriche_di(file)


def serie_tenute(campioni, base, campioni_totali, ultima_corsa=None):
    """input_series: each sample held from promtool's time 0; with ultima_corsa (seconds after
    base), the last-run time rises by 10 minutes a run up to it and stays there, as a live
    station's does."""
    serie = []
    for nome, valore in campioni:
        if nome.split("{")[0].endswith("_timestamp_seconds"):
            valore -= base
        if ultima_corsa is not None and nome.startswith("ftes_charts_last_run_timestamp_seconds"):
            corse = ultima_corsa // DIECI_MINUTI
            inizio = valore - corse * DIECI_MINUTI
            valori = "%r+%dx%d %rx%d" % (inizio, DIECI_MINUTI, corse, valore,
                                         campioni_totali - corse)
        else:
            valori = "%rx%d" % (valore, campioni_totali)
        serie.append({"series": nome, "values": valori})
    return serie


def verifiche(momenti):
    """alert_rule_test entries: for each (seconds, alert, expected alerts)."""
    return [{
    "eval_time" : "%ds" % secondi, "alertname" : alert, "exp_alerts" : attesi}
            for secondi, alert, attesi in momenti]


lavoro = tempfile.mkdtemp()
try:
    prove = []
    giorno = dt.date(2025, 1, 15)
    base_ut = dt.datetime.combine(giorno - dt.timedelta(days=1), dt.time(), dt.timezone.utc)
    base = int(base_ut.timestamp())
    quiete = ("FtesChartsNoObservationToday", "FtesChartsNoSuccessfulRun",
              "FtesChartsRunsStopped", "FtesChartsStationMetricsGone",
              "FtesChartsNotPublished", "FtesChartsInputsUnreadable", "FtesChartsTurnRefused")
    for tz in ("UTC", "Europe/Rome", "America/Santiago"):
        for ora in (0, 12, 23):
            istante = dt.datetime.combine(giorno, dt.time(ora, 10), dt.timezone.utc)
            stazione = "%s-%02d10" % (tz.split("/")[-1].lower(), ora)
            campioni = corsa(lavoro, tz, istante, stazione)
            r = int((istante - base_ut).total_seconds())
            # A daily station: the run's metrics stay for a day; nothing fires all day long.
            totali = (r + 86400) // DIECI_MINUTI
            prove.append({
                "interval": "10m",
                "input_series": serie_tenute(campioni, base, totali),
                "alert_rule_test": verifiche(
                    [(r + dopo, alert, []) for dopo in (600, 6 * 3600, 12 * 3600, 86400 - 600)
                     for alert in quiete]),
            })
            # A live station: a run every 10 minutes up to this one. Nothing fires while it
            # runs; once its runs stop, "runs stopped" and then "no successful run" do.
            totali = (r + 3 * 3600) // DIECI_MINUTI
            prove.append({
                "interval": "10m",
                "input_series": serie_tenute(campioni, base, totali, ultima_corsa=r),
                "alert_rule_test": verifiche(
                    [(r + 300, alert, []) for alert in quiete] +
                    [(r + 3600, "FtesChartsRunsStopped",
                      [atteso("FtesChartsRunsStopped", stazione)]),
                     (r + 3600, "FtesChartsNoSuccessfulRun", []),
                     (r + 5400, "FtesChartsNoSuccessfulRun",
                      [atteso("FtesChartsNoSuccessfulRun", stazione)])]),
            })

    # A station with no sounding today: "no observation" after a run past noon UT, and not
    # before, nor two hours after the run (its runs stopped: another alert's matter).
    for ora in (0, 12):
        istante = dt.datetime.combine(giorno, dt.time(ora, 10), dt.timezone.utc)
        stazione = "silent-%02d10" % ora
        campioni = corsa(lavoro, "UTC", istante, stazione, senza_oggi=True)
        if ("ftes_charts_chart_observed_values{station=\"%s\",slot=\"6\"}" % stazione, 0.0) \
                not in campioni:
            fallisci(stazione + ": today's chart has values")
        attesi = [] if ora < 12 else [atteso("FtesChartsNoObservationToday", stazione, slot="6")]
        r = int((istante - base_ut).total_seconds())
        prove.append({
            "interval": "10m",
            "input_series": serie_tenute(campioni, base, (r + 86400) // DIECI_MINUTI),
            "alert_rule_test": verifiche([(r + 600, "FtesChartsNoObservationToday", attesi),
                                          (r + 3 * 3600, "FtesChartsNoObservationToday", [])]),
        })

    # No station's metrics at all; one station's that vanished; single runs' findings.
    prove.append({
        "interval": "10m",
        "input_series": [{"series": 'up{job="node"}', "values": "1x20"}],
        "alert_rule_test": verifiche([
            (1800, "FtesChartsMetricsMissing", []),
            (7200, "FtesChartsMetricsMissing", [atteso("FtesChartsMetricsMissing", None)])]),
    })
    prove.append({
        "interval": "10m",
        "input_series": [
            {"series": 'ftes_charts_last_run_timestamp_seconds{station="rome"}',
             "values": "0+600x12 _x30"},
            {"series": 'ftes_charts_last_run_timestamp_seconds{station="milano"}',
             "values": "0+600x42"}],
        "alert_rule_test": verifiche([
            (3600, "FtesChartsStationMetricsGone", []),
            (3 * 3600, "FtesChartsStationMetricsGone",
             [atteso("FtesChartsStationMetricsGone", "rome")]),
            (3 * 3600, "FtesChartsMetricsMissing", [])]),
    })
    prove.append({
        "interval": "10m",
        "input_series": [
            {"series": 'ftes_charts_charts_published{station="rome"}', "values": "6 5 6"},
            {"series": 'ftes_charts_charts_expected{station="rome"}', "values": "6 6 6"},
            {"series": 'ftes_charts_unreadable_inputs{station="rome"}', "values": "0 2 0"},
            {"series": 'ftes_charts_last_run_turn_refused{station="rome"}', "values": "0 1 0"}],
        "alert_rule_test": verifiche(
            [(600, a, [atteso(a, "rome")]) for a in
             ("FtesChartsNotPublished", "FtesChartsInputsUnreadable", "FtesChartsTurnRefused")] +
            [(t, a, []) for t in (0, 1200) for a in
             ("FtesChartsNotPublished", "FtesChartsInputsUnreadable", "FtesChartsTurnRefused")]),
    })

    shutil.copy(RULES, os.path.join(lavoro, "ftes-charts.rules.yml"))
    test = os.path.join(lavoro, "ftes-charts.rules.test.yml")
    with open(test, "w") as f:
        json.dump({"rule_files": ["ftes-charts.rules.yml"], "evaluation_interval": "10m",
                   "tests": prove}, f, indent=1)
    fatto = subprocess.run(["promtool", "test", "rules", os.path.basename(test)], cwd=lavoro,
                           capture_output=True, text=True)
    if fatto.returncode != 0:
        fallisci("promtool test rules:\n" + fatto.stdout[-6000:] + fatto.stderr[-3000:])
    print("alerts: %d promtool cases, nine of them from the program's own runs in three time "
          "zones, each held as a daily and as a live station's" % len(prove))
finally:
    shutil.rmtree(lavoro)
