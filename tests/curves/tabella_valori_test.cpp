// SPDX-License-Identifier: MIT
#include "curves/tabella_valori.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace ftes {
namespace {

Sondaggio sondaggio(int minuto, Osservazione::Tipo tipo, double decimi = 0) {
    return {0, {tipo, decimi}, static_cast<std::int16_t>(minuto)};
}

TEST(ValuesTable, EachSoundingInTheOrderOfTheDayAndEachPassedHourWithoutOne) {
    using T = Osservazione::Tipo;
    // As the files are read: minute 00 of an hour last.
    const std::vector<Sondaggio> giorno = {
        sondaggio(1 * 60 + 15, T::valore, 45), sondaggio(1 * 60 + 30, T::nessuno_strato),
        sondaggio(1 * 60, T::non_disponibile), sondaggio(3 * 60 + 45, T::valore, 123)};
    ValoriPrevisione previsione{};
    for (int ora = 0; ora < 24; ++ora) previsione[static_cast<std::size_t>(ora)] = 20 + ora;
    const std::string intestazione = "time_ut,ftes_mhz,state,forecast_mhz\n";
    struct Caso {
        std::optional<ValoriPrevisione> previsione;
        int ore_passate;
        std::string atteso;
    } casi[] = {
        // Today at 03:10 UT: hours 00 and 02 are over without a sounding; 03 is not over.
        {previsione, 3,
         intestazione + "00:00,,no sounding,2.0\n01:00,,not available,2.1\n01:15,4.5,value,2.1\n"
                        "01:30,,no layer,2.1\n02:00,,no sounding,2.2\n03:45,12.3,value,2.3\n"},
        // No forecast: its column stays empty. A day still to come lacks nothing.
        {std::nullopt, 0,
         intestazione + "01:00,,not available,\n01:15,4.5,value,\n01:30,,no layer,\n"
                        "03:45,12.3,value,\n"},
    };
    for (const auto& c : casi) {
        EXPECT_EQ(tabella_csv(giorno, c.previsione, c.ore_passate), c.atteso);
    }
    // A day gone without a single sounding: 24 rows of "no sounding".
    const std::string vuoto = tabella_csv({}, previsione, 24);
    EXPECT_EQ(std::count(vuoto.begin(), vuoto.end(), '\n'), 25);
    EXPECT_TRUE(vuoto.ends_with("23:00,,no sounding,4.3\n"));
}

TEST(ValuesTable, EveryValueAndForecastAsOneDecimalOfMegahertz) {
    // Whole tenths, the station's own, and what an odd column can give (a fraction, a sign),
    // each as printf's "%.1f" writes the MHz.
    for (const double decimi : {0.0, 5.0, 45.0, 100.0, 999.0, -5.0, -0.0, 1.3, 0.5, -12.75}) {
        char atteso[32];
        std::snprintf(atteso, sizeof atteso, "%.1f", decimi / 10.0);
        ValoriPrevisione previsione{};
        previsione[0] = static_cast<std::int16_t>(decimi);
        char previsto[32];
        std::snprintf(previsto, sizeof previsto, "%.1f", previsione[0] / 10.0);
        EXPECT_EQ(tabella_csv({sondaggio(0, Osservazione::Tipo::valore, decimi)}, previsione, 0),
                  "time_ut,ftes_mhz,state,forecast_mhz\n00:00," + std::string(atteso) + ",value," +
                      previsto + "\n")
            << decimi;
    }
}

}  // namespace
}  // namespace ftes
