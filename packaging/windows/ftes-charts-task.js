// SPDX-License-Identifier: MIT
// ftes-charts-task.js: a Task Scheduler definition made from ftes-charts-task.xml, for
// install-ftes-charts.cmd: the braced names put in (as XML text), written in UTF-16 as Task
// Scheduler writes its own definitions. Run by Windows Script Host:
//   cscript //nologo ftes-charts-task.js TEMPLATE OUTPUT PROGRAM STATION ARGUMENTS HH:MM [live]
// "live" adds a run every 10 minutes for the whole day, from the first run on.
var a = WScript.Arguments;
if (a.length < 6) {
    WScript.Echo("usage: cscript //nologo ftes-charts-task.js TEMPLATE OUTPUT PROGRAM STATION ARGUMENTS HH:MM [live]");
    WScript.Quit(2);
}
function testo(s) {
    return String(s).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
}
var ripetizione = a.length > 6 && a(6) == "live"
    ? "<Repetition><Interval>PT10M</Interval><Duration>P1D</Duration>" +
      "<StopAtDurationEnd>false</StopAtDurationEnd></Repetition>"
    : "";
var valori = [["{PROGRAM}", testo(a(2))], ["{STATION}", testo(a(3))], ["{ARGUMENTS}", testo(a(4))],
              ["{START}", testo(a(5))], ["{REPETITION}", ripetizione]];
var fso = new ActiveXObject("Scripting.FileSystemObject");
var definizione = fso.OpenTextFile(a(0), 1, false, 0).ReadAll();
for (var i = 0; i < valori.length; i++) definizione = definizione.split(valori[i][0]).join(valori[i][1]);
definizione = definizione.replace('encoding="UTF-8"', 'encoding="UTF-16"');
var uscita = fso.CreateTextFile(a(1), true, true);
uscita.Write(definizione);
uscita.Close();
WScript.Quit(0);
