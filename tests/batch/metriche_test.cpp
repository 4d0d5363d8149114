// SPDX-License-Identifier: MIT
#include "batch/metriche.h"

#include <gtest/gtest.h>

namespace ftes {
namespace {

using namespace std::chrono;

TEST(Metrics, EverySeriesLabelledWithTheStationAndChartsWithTheirSlotOnly) {
    MetricheCorsa corsa;
    corsa.stazione = "rome";
    corsa.fine = 1736100000.25;
    corsa.durata = 0.031;
    corsa.stato = 3;
    corsa.attese = corsa.pubblicate = 6;
    corsa.illeggibili = 2;
    corsa.ultimo_successo = 1736000000;
    corsa.figure.push_back({6, sys_days{2025y / 1 / 5}, 51, 30, 2, true, true, {}});
    const std::string testo = testo_metriche(corsa);
    for (const char* riga : {
             "# TYPE ftes_charts_last_run_timestamp_seconds gauge\n"
             "ftes_charts_last_run_timestamp_seconds{station=\"rome\"} 1736100000.250\n",
             "ftes_charts_last_run_exit_status{station=\"rome\"} 3\n",
             "ftes_charts_last_success_timestamp_seconds{station=\"rome\"} 1736000000.000\n",
             "ftes_charts_unreadable_inputs{station=\"rome\"} 2\n",
             "ftes_charts_chart_day_timestamp_seconds{station=\"rome\",slot=\"6\"} 1736035200\n",
             "ftes_charts_chart_observed_values{station=\"rome\",slot=\"6\"} 51\n",
             "ftes_charts_chart_no_layer_ticks{station=\"rome\",slot=\"6\"} 30\n",
             "ftes_charts_chart_forecast_drawn{station=\"rome\",slot=\"6\"} 1\n",
         }) {
        EXPECT_NE(testo.find(riga), std::string::npos) << riga << "\nin:\n" << testo;
    }
    // Every metric has its HELP and TYPE; a backfill has no chart series.
    std::size_t help = 0, type = 0;
    for (std::size_t p = 0; (p = testo.find("# HELP ", p)) != std::string::npos; ++p) ++help;
    for (std::size_t p = 0; (p = testo.find("# TYPE ", p)) != std::string::npos; ++p) ++type;
    EXPECT_EQ(help, 14u);
    EXPECT_EQ(type, 14u);
    corsa.figure.clear();
    EXPECT_EQ(testo_metriche(corsa).find("slot="), std::string::npos);
}

TEST(Metrics, TheLastSuccessIsCarriedOverForItsOwnStationOnly) {
    const std::string prima =
        "ftes_charts_last_success_timestamp_seconds{station=\"milano\"} 5\n"
        "ftes_charts_last_success_timestamp_seconds{station=\"rome\"} 1736000000.500\n";
    EXPECT_EQ(ultimo_successo_in(prima, "rome"), 1736000000.5);
    EXPECT_EQ(ultimo_successo_in(prima, "milano"), 5.0);
    EXPECT_EQ(ultimo_successo_in(prima, "torino"), std::nullopt);
    EXPECT_EQ(ultimo_successo_in("ftes_charts_last_success_timestamp_seconds{station=\"rome\"} x",
                                 "rome"),
              std::nullopt);
    EXPECT_TRUE(corsa_riuscita(0));
    EXPECT_TRUE(corsa_riuscita(3));  // every chart published; unreadable inputs alert apart
    EXPECT_FALSE(corsa_riuscita(1));
    EXPECT_FALSE(corsa_riuscita(4));
}

TEST(Metrics, AStationNameIsAnAsciiLabelValue) {
    EXPECT_EQ(etichetta("rome"), "rome");
    EXPECT_EQ(etichetta("a\"b\\c"), "a\\\"b\\\\c");
    EXPECT_EQ(etichetta("Localit\xC3\xA0\n"), "Localit___");
}

}  // namespace
}  // namespace ftes
