// SPDX-License-Identifier: MIT
// What a run leaves for a monitoring system: a text file in Prometheus' exposition format, as
// node_exporter's and windows_exporter's textfile collectors read it.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/figura_fatta.h"
#include "platform/error.h"

namespace ftes {

// One run of the batch.
struct MetricheCorsa {
    std::string stazione;  // the station label of every series
    double fine = 0;       // when the run ended, seconds since 1970 (UTC)
    double durata = 0;     // how long it took, seconds
    int stato = 0;         // its exit status
    int attese = 0;        // charts it was to publish
    int pubblicate = 0;    // charts published
    int illeggibili = 0;   // unreadable inputs over all its charts
    int conservati = 0;    // archive copies kept rather than blanked
    // The last run that published every chart: this one when it did, otherwise the one the
    // previous file told of (nothing when none is known).
    std::optional<double> ultimo_successo;
    std::vector<FiguraFatta> figure;  // the charts of a daily run; none for a backfill
};

// Whether a run with this exit status published every chart.
bool corsa_riuscita(int stato);

// The file's text: ASCII, LF line ends, HELP and TYPE before every metric, every series labelled
// with the station (and a chart's with its slot, never its date).
std::string testo_metriche(const MetricheCorsa& corsa);

// The last successful run of the station that a previous file tells of.
std::optional<double> ultimo_successo_in(std::string_view testo, std::string_view stazione);

// Writes the run's metrics to the file, replacing it whole at once (the collector may read it at
// any moment); the last successful run is carried over from the file it replaces when this run
// did not publish every chart.
platform::Result<> scrivi_metriche(const std::string& percorso, MetricheCorsa corsa);

// The station's name as a label value: printable ASCII only, quotes and backslashes escaped.
std::string etichetta(std::string_view testo);

}  // namespace ftes
