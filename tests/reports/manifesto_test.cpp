// SPDX-License-Identifier: MIT
#include "reports/manifesto.h"

#include <gtest/gtest.h>

#include "support/cartella_temporanea.h"

namespace ftes {
namespace {

using namespace std::chrono;

TEST(Manifest, EachChartWithItsDayWhatItShowsItsStateCountsAndSoundings) {
    EsitoCorsa esito;
    EsitoFigura ieri;
    ieri.slot = 5;
    ieri.giorno = calcola_giorno(2025y / 1 / 4, 0);
    ieri.esportazione.perche = "current GIF: x";
    EsitoFigura oggi;
    oggi.slot = 6;
    oggi.giorno = calcola_giorno(2025y / 1 / 5, 0);
    oggi.valori = 2;
    oggi.assenze = 1;
    oggi.illeggibili = 1;
    oggi.previsione = true;
    oggi.esportazione.corrente = true;
    oggi.esportazione.copia = Copia::conservata;
    oggi.sondaggi = {{72, {Osservazione::Tipo::valore, 45}, 7 * 60 + 15},
                     {122, {Osservazione::Tipo::nessuno_strato, 0}, 12 * 60 + 15},
                     {125, {Osservazione::Tipo::non_disponibile, 0}, 12 * 60 + 30},
                     {80, {Osservazione::Tipo::valore, 123}, 8 * 60}};
    oggi.tabella = "time_ut,ftes_mhz,state,forecast_mhz\n07:15,4.5,value,\n";
    esito.figure = {ieri, oggi};
    GiorniMostrati prima;
    prima[4] = 2025y / 1 / 3;  // what plotftEs5.gif showed before
    const std::string testo = testo_manifesto("2025-01-05T14:03:07+01:00", "1.4.0",
                                              "Rome \"Monte\"", 2025y / 1 / 5, esito, prima);
    EXPECT_EQ(
        testo,
        "{\n"
        "  \"generated\": \"2025-01-05T14:03:07+01:00\",\n"
        "  \"version\": \"1.4.0\",\n"
        "  \"station\": \"Rome \\\"Monte\\\"\",\n"
        "  \"today\": \"2025-01-05\",\n"
        "  \"charts\": [\n"
        "    {\"slot\": 5, \"day\": \"2025-01-04\", \"shows\": \"2025-01-03\", \"file\": "
        "\"plotftEs5.gif\",\n"
        "     \"state\": \"not published\", \"published\": false, \"values\": 0, "
        "\"no_layer\": 0, \"unreadable\": 0, \"station\": true, \"forecast\": false,\n"
        "     \"observed\": [],\n"
        "     \"no_layer_times\": [],\n"
        "     \"not_available_times\": [],\n"
        "     \"csv\": \"\"},\n"
        "    {\"slot\": 6, \"day\": \"2025-01-05\", \"shows\": \"2025-01-05\", \"file\": "
        "\"plotftEs6.gif\",\n"
        "     \"state\": \"unreadable\", \"published\": true, \"values\": 2, "
        "\"no_layer\": 1, \"unreadable\": 1, \"station\": true, \"forecast\": true,\n"
        "     \"observed\": [[7.25, 4.5], [8, 12.3]],\n"
        "     \"no_layer_times\": [12.25],\n"
        "     \"not_available_times\": [12.5],\n"
        "     \"csv\": \"time_ut,ftes_mhz,state,forecast_mhz\\u000a07:15,4.5,value,\\u000a\"}\n"
        "  ]\n"
        "}\n");
    // What a manifest tells the charts show is what the next run reads back.
    const GiorniMostrati letti = giorni_mostrati(testo);
    EXPECT_EQ(letti[4], 2025y / 1 / 3);
    EXPECT_EQ(letti[5], 2025y / 1 / 5);
    EXPECT_EQ(letti[0], std::nullopt);
}

TEST(Manifest, ANewChartNotPublishedShowsWhatWasThereOrNothingKnown) {
    EsitoCorsa esito;
    EsitoFigura f;
    f.slot = 2;
    f.giorno = calcola_giorno(2025y / 1 / 1, 0);
    esito.figure = {f};
    const std::string testo = testo_manifesto("t", "v", "s", 2025y / 1 / 5, esito, {});
    EXPECT_NE(testo.find("\"shows\": null"), std::string::npos);
    EXPECT_EQ(giorni_mostrati("garbage\n{\"slot\": 9, \"shows\": \"2025-01-01\"}")[1],
              std::nullopt);
}

TEST(Manifest, WithoutTheOptionAnOldOneGoesAndNoneIsNothingToDo) {
    test::CartellaTemporanea dir;
    EXPECT_TRUE(togli_manifesto(dir.prefisso()));
    dir.scrivi("plotftEs.json", "{}");
    EXPECT_TRUE(togli_manifesto(dir.prefisso()));
    EXPECT_TRUE(test::nomi_in(dir.percorso()).empty());
}

}  // namespace
}  // namespace ftes
