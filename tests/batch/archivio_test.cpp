// SPDX-License-Identifier: MIT
#include "batch/archivio.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ftes {
namespace {

using namespace std::chrono;

TEST(ArchiveIndex, OneLineADayReadBackAsWritten) {
    const std::vector<VoceArchivio> voci = {
        {2025y / 1 / 5, "2025005.gif", "2025-01-05T14:03:07+01:00", 59, 30, 0, true, "2025005.csv"},
        {2025y / 1 / 2, "2025002.gif", "2025-01-06T00:10:02+01:00", 0, 0, 2, false, ""},
    };
    const std::string testo = testo_indice(2025y / January, voci);
    EXPECT_EQ(testo,
              "{\"month\": \"2025-01\", \"days\": [\n"
              "    {\"day\": \"2025-01-02\", \"file\": \"2025002.gif\", \"drawn\": "
              "\"2025-01-06T00:10:02+01:00\", \"values\": 0, \"no_layer\": 0, \"unreadable\": 2, "
              "\"forecast\": false},\n"
              "    {\"day\": \"2025-01-05\", \"file\": \"2025005.gif\", \"drawn\": "
              "\"2025-01-05T14:03:07+01:00\", \"values\": 59, \"no_layer\": 30, \"unreadable\": 0, "
              "\"forecast\": true, \"csv\": \"2025005.csv\"}\n"
              "]}\n");
    const auto lette = leggi_indice(testo);
    ASSERT_EQ(lette.size(), 2u);
    EXPECT_EQ(lette[0], voci[1]);
    EXPECT_EQ(lette[1], voci[0]);
    EXPECT_EQ(nome_indice(2024y / 12 / 31), "2024-12.json");
}

TEST(ArchiveIndex, ADamagedLineIsAnUnknownDayNotAGuess) {
    const std::string buona =
        "    {\"day\": \"2025-01-05\", \"file\": \"2025005.gif\", \"drawn\": \"t\", \"values\": "
        "59, \"no_layer\": 30, \"unreadable\": 0, \"forecast\": true},";
    for (const std::string& guasta :
         {std::string("    {\"day\": \"2025-02-30\""), std::string("garbage"), buona.substr(0, 60),
          std::string("{\"day\": \"2025-01-05\", \"values\": -3}")}) {
        EXPECT_TRUE(leggi_indice(guasta + "\n").empty()) << guasta;
    }
    std::string valori_finti = buona;
    valori_finti.replace(valori_finti.find("59"), 2, "5x");
    EXPECT_TRUE(leggi_indice(valori_finti).empty());
    EXPECT_EQ(leggi_indice("{\"month\": \"2025-01\", \"days\": [\n" + buona + "\n]}\r\n").size(),
              1u);
}

TEST(ArchiveIndex, ACopyIsReplacedOnlyByAChartAtLeastAsFull) {
    const VoceArchivio piena{2025y / 1 / 5, "2025005.gif", "t", 59, 30, 0, true, ""};
    const VoceArchivio senza_previsione{2025y / 1 / 5, "2025005.gif", "t", 59, 30, 0, false, ""};
    struct Caso {
        const char* cosa;
        bool copia;
        const VoceArchivio* voce;
        Disegno nuovo;
        std::optional<std::string> perche;  // nothing: replaced
    };
    const Caso casi[] = {
        {"no copy: written, however empty", false, &piena, {0, 0, 3, false, true}, std::nullopt},
        {"as full", true, &piena, {59, 30, 0, true, false}, std::nullopt},
        {"fuller", true, &piena, {60, 31, 0, true, false}, std::nullopt},
        {"a retention script thinned the day",
         true,
         &piena,
         {1, 30, 0, true, false},
         "59 values in the copy, 1 now"},
        {"fewer no-layer ticks",
         true,
         &piena,
         {59, 2, 0, true, false},
         "30 no-layer in the copy, 2 now"},
        {"the soundings gone",
         true,
         &piena,
         {0, 0, 0, true, false},
         "59 values in the copy, 0 now"},
        {"an input unreadable",
         true,
         &piena,
         {70, 40, 1, true, false},
         "1 input file of this day could not be read"},
        {"no station recognised", true, &piena, {0, 0, 0, true, true}, "no station recognised"},
        {"the forecast gone",
         true,
         &piena,
         {59, 30, 0, false, false},
         "the copy shows the forecast, this chart does not"},
        {"the forecast come", true, &senza_previsione, {59, 30, 0, true, false}, std::nullopt},
        {"a copy the index does not know, and a chart with values",
         true,
         nullptr,
         {1, 0, 0, false, false},
         std::nullopt},
        {"a copy the index does not know, and an empty chart",
         true,
         nullptr,
         {0, 0, 0, true, false},
         "this chart shows no observation"},
    };
    for (const Caso& c : casi) {
        EXPECT_EQ(perche_conservare(c.copia, c.voce, c.nuovo), c.perche) << c.cosa;
    }
}

}  // namespace
}  // namespace ftes
