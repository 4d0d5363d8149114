// SPDX-License-Identifier: MIT
#include "batch/tabelle.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace ftes {
namespace {

using namespace std::chrono;

struct CasoGiorni {
    year_month_day oggi;
    // slots 1..6: day of year, month key, display date
    std::array<std::array<const char*, 3>, 6> slot;
};

TEST(DayTable, SixSlotsEndingOnTheRunDate) {
    const CasoGiorni casi[] = {
        {2024y / 3 / 3,
         {{{"058", "022024", "27/02/2024"},
           {"059", "022024", "28/02/2024"},
           {"060", "022024", "29/02/2024"},
           {"061", "032024", "01/03/2024"},
           {"062", "032024", "02/03/2024"},
           {"063", "032024", "03/03/2024"}}}},
        {2025y / 1 / 2,
         {{{"363", "122024", "28/12/2024"},
           {"364", "122024", "29/12/2024"},
           {"365", "122024", "30/12/2024"},
           {"366", "122024", "31/12/2024"},
           {"001", "012025", "01/01/2025"},
           {"002", "012025", "02/01/2025"}}}},
        {2023y / 3 / 1,
         {{{"055", "022023", "24/02/2023"},
           {"056", "022023", "25/02/2023"},
           {"057", "022023", "26/02/2023"},
           {"058", "022023", "27/02/2023"},
           {"059", "022023", "28/02/2023"},
           {"060", "032023", "01/03/2023"}}}},
        {2025y / 12 / 5,
         {{{"334", "112025", "30/11/2025"},
           {"335", "122025", "01/12/2025"},
           {"336", "122025", "02/12/2025"},
           {"337", "122025", "03/12/2025"},
           {"338", "122025", "04/12/2025"},
           {"339", "122025", "05/12/2025"}}}},
    };
    for (const auto& c : casi) {
        const TabellaGiorni giorni = tabella_giorni(c.oggi);
        for (std::size_t s = 0; s < 6; ++s) {
            EXPECT_EQ(giorni[s].giorno_anno, c.slot[s][0]) << "slot " << s + 1;
            EXPECT_EQ(giorni[s].mese_anno, c.slot[s][1]) << "slot " << s + 1;
            EXPECT_EQ(giorni[s].data_estesa, c.slot[s][2]) << "slot " << s + 1;
            EXPECT_EQ(sys_days{giorni[s].data}, sys_days{c.oggi} - days{5 - s});
        }
    }
}

TEST(DayTable, DayOfYearAtLeapDayAndYearEnds) {
    EXPECT_EQ(calcola_giorno(2024y / 2 / 29, 0).giorno_anno, "060");
    EXPECT_EQ(calcola_giorno(2024y / 12 / 31, 0).giorno_anno, "366");
    EXPECT_EQ(calcola_giorno(2023y / 12 / 31, 0).giorno_anno, "365");
    EXPECT_EQ(calcola_giorno(2025y / 1 / 1, 0).giorno_anno, "001");
    EXPECT_EQ(calcola_giorno(2025y / 4 / 10, 0).giorno_anno, "100");
    EXPECT_EQ(calcola_giorno(2000y / 3 / 5, -5).data_estesa, "29/02/2000");
    EXPECT_EQ(calcola_giorno(1900y / 3 / 5, -5).data_estesa, "28/02/1900");
}

TEST(DayTable, IsoDates) {
    EXPECT_EQ(testo_iso(2025y / 1 / 5), "2025-01-05");
    EXPECT_EQ(testo_iso(1900y / 12 / 31), "1900-12-31");
}

}  // namespace
}  // namespace ftes
