// SPDX-License-Identifier: MIT
#include "reports/metriche.h"

#include <gtest/gtest.h>

#include "batch/stato_uscita.h"

namespace ftes {
namespace {

using namespace std::chrono;

int conta(const std::string& testo, const std::string& cosa) {
    int n = 0;
    for (std::size_t p = 0; (p = testo.find(cosa, p)) != std::string::npos; ++p) ++n;
    return n;
}

TEST(Metrics, EverySeriesLabelledWithTheStationAndChartsWithTheirSlotOnly) {
    MetricheCorsa corsa;
    corsa.stazione = "rome";
    corsa.fine = 1736100000.25;
    corsa.durata = 0.031;
    corsa.stato = 3;
    corsa.ultimo_successo = 1736000000;
    EsitoCorsa esito;
    esito.attese = esito.pubblicate = 6;
    esito.illeggibili = 2;
    EsitoFigura f;
    f.slot = 6;
    f.giorno = calcola_giorno(2025y / 1 / 5, 0);
    f.valori = 51;
    f.assenze = 30;
    f.illeggibili = 2;
    f.previsione = true;
    f.esportazione.corrente = true;
    f.esportazione.copia = Copia::scritta;
    esito.figure.push_back(f);
    const std::string testo = testo_metriche(corsa, esito);
    for (const char* riga : {
             "# TYPE ftes_charts_last_run_timestamp_seconds gauge\n"
             "ftes_charts_last_run_timestamp_seconds{station=\"rome\"} 1736100000.250\n",
             "ftes_charts_last_run_exit_status{station=\"rome\"} 3\n",
             "ftes_charts_last_success_timestamp_seconds{station=\"rome\"} 1736000000.000\n",
             "ftes_charts_last_run_turn_refused{station=\"rome\"} 0\n",
             "ftes_charts_unreadable_inputs{station=\"rome\"} 2\n",
             "ftes_charts_chart_day_timestamp_seconds{station=\"rome\",slot=\"6\"} 1736035200\n",
             "ftes_charts_chart_observed_values{station=\"rome\",slot=\"6\"} 51\n",
             "ftes_charts_chart_no_layer_ticks{station=\"rome\",slot=\"6\"} 30\n",
             "ftes_charts_chart_forecast_drawn{station=\"rome\",slot=\"6\"} 1\n",
             "ftes_charts_chart_published{station=\"rome\",slot=\"6\"} 1\n",
         }) {
        EXPECT_NE(testo.find(riga), std::string::npos) << riga << "\nin:\n" << testo;
    }
    // Every metric has its HELP and TYPE; a backfill has no chart series.
    EXPECT_EQ(conta(testo, "# HELP "), conta(testo, "# TYPE "));
    EXPECT_EQ(conta(testo, "# HELP "), 18);
    esito.figure.clear();
    EXPECT_EQ(testo_metriche(corsa, esito).find("slot="), std::string::npos);
}

TEST(Metrics, TheLastSuccessIsCarriedOverOnlyWhenItIsAPastTime) {
    const double adesso = 1736100000;
    const std::string prima =
        "ftes_charts_last_success_timestamp_seconds{station=\"milano\"} 5\n"
        "ftes_charts_last_success_timestamp_seconds{station=\"rome\"} 1736000000.500\r\n";
    EXPECT_EQ(*ultimo_successo_in(prima, "rome", adesso), 1736000000.5);  // CR LF too
    EXPECT_EQ(*ultimo_successo_in(prima, "milano", adesso), 5.0);
    EXPECT_EQ(*ultimo_successo_in(prima, "torino", adesso), std::nullopt);
    for (const char* valore : {"nan", "-nan", "inf", "-inf", "x", "-5", "4102444800", "1e400"}) {
        const auto letto = ultimo_successo_in(
            std::string("ftes_charts_last_success_timestamp_seconds{station=\"rome\"} ") + valore,
            "rome", adesso);
        EXPECT_FALSE(letto) << valore;
    }
    EXPECT_TRUE(corsa_riuscita(0));
    EXPECT_TRUE(corsa_riuscita(3));  // every chart published; unreadable inputs alert apart
    EXPECT_FALSE(corsa_riuscita(1));
    EXPECT_FALSE(corsa_riuscita(4));
}

TEST(Metrics, ARunRefusedItsTurnKeepsTheChartsFiguresOfTheRunBefore) {
    const std::string prima =
        "# HELP ftes_charts_last_run_exit_status x\n"
        "# TYPE ftes_charts_last_run_exit_status gauge\n"
        "ftes_charts_last_run_exit_status{station=\"rome\"} 0\n"
        "# HELP ftes_charts_charts_expected Charts the last run was to publish.\n"
        "# TYPE ftes_charts_charts_expected gauge\n"
        "ftes_charts_charts_expected{station=\"rome\"} 6\n"
        "ftes_charts_charts_published{station=\"rome\"} 5\r\n"
        "ftes_charts_chart_observed_values{station=\"rome\",slot=\"6\"} -nan\n"
        "something_else 1\n";
    EXPECT_EQ(figure_precedenti(prima),
              "# HELP ftes_charts_charts_expected Charts the last run was to publish.\n"
              "# TYPE ftes_charts_charts_expected gauge\n"
              "ftes_charts_charts_expected{station=\"rome\"} 6\n"
              "ftes_charts_charts_published{station=\"rome\"} 5\n");
    MetricheCorsa corsa;
    corsa.stazione = "rome";
    corsa.stato = uscita_turno_negato;
    EsitoCorsa negato;
    negato.arresto = Arresto::turno_negato;
    const std::string testo = testo_metriche(corsa, negato);
    EXPECT_NE(testo.find("ftes_charts_last_run_turn_refused{station=\"rome\"} 1\n"),
              std::string::npos);
    EXPECT_EQ(testo.find("ftes_charts_charts_expected"), std::string::npos);
}

TEST(Metrics, AStationNameIsAnAsciiLabelValue) {
    EXPECT_EQ(etichetta("rome"), "rome");
    EXPECT_EQ(etichetta("a\"b\\c"), "a\\\"b\\\\c");
    EXPECT_EQ(etichetta("Localit\xC3\xA0\n"), "Localit___");
}

}  // namespace
}  // namespace ftes
