// SPDX-License-Identifier: MIT
#include "batch/riga_comando.h"

#include <gtest/gtest.h>

#include <vector>

namespace ftes {
namespace {

using namespace std::chrono;
using Azione = OpzioniComando::Azione;

OpzioniComando leggi(std::vector<std::string_view> args) {
    return leggi_riga_comando(args);
}

TEST(CommandLine, OptionsAndTheirErrors) {
    EXPECT_EQ(leggi({}).azione, Azione::esegui);
    EXPECT_FALSE(leggi({}).data.has_value());
    EXPECT_FALSE(leggi({}).verboso);

    const auto o = leggi({"--verbose", "--date", "2025-01-02"});
    EXPECT_EQ(o.azione, Azione::esegui);
    EXPECT_TRUE(o.verboso);
    EXPECT_EQ(o.data, 2025y / 1 / 2);
    EXPECT_EQ(leggi({"--date=2024-02-29"}).data, 2024y / 2 / 29);

    EXPECT_EQ(leggi({"--help"}).azione, Azione::aiuto);
    EXPECT_EQ(leggi({"--version"}).azione, Azione::versione);

    EXPECT_EQ(leggi({"--backfill", "2024-12-30..2025-01-02"}).recupero,
              (Intervallo{2024y / 12 / 30, 2025y / 1 / 2}));
    EXPECT_EQ(leggi({"--backfill=2024-02-29", "-v"}).recupero,
              (Intervallo{2024y / 2 / 29, 2024y / 2 / 29}));
    EXPECT_EQ(leggi({"--backfill", "2015-01-02..2025-01-08"}).recupero,  // 3660 days
              (Intervallo{2015y / 1 / 2, 2025y / 1 / 8}));
    EXPECT_EQ(leggi({}).attesa_secondi, 60);
    EXPECT_EQ(leggi({"--wait", "0"}).attesa_secondi, 0);
    EXPECT_EQ(leggi({"--wait=3600", "--backfill", "2025-01-01"}).attesa_secondi, 3600);

    for (const auto& sbagliati : std::vector<std::vector<std::string_view>>{
             {"--backfill"},
             {"--backfill="},
             {"--backfill", "2025-01-02..2024-12-30"},
             {"--backfill", "2025-01-02.."},
             {"--backfill", "2024-02-30"},
             {"--backfill", "2024-01-01..2024-13-01"},
             {"--backfill", "2015-01-01..2025-01-08"},  // 3661 days
             {"--backfill", "2025-01-01", "--date", "2025-01-01"},
             {"--bogus"},
             {"extra"},
             {"--date"},
             {"--date", "2024-02-30"},
             {"--date", "2023-02-29"},
             {"--date", "2025-1-2"},
             {"--date", "2025-01-02x"},
             {"--date", "+025-01-02"},
             {"--date", "1899-12-31"},
             {"--date", "2025-13-01"},
             {"--wait"},
             {"--wait", "3601"},
             {"--wait", "-1"},
             {"--wait", "1.5"},
             {"--wait", "99999999999999999999"},
         }) {
        const auto e = leggi(sbagliati);
        EXPECT_EQ(e.azione, Azione::errore) << sbagliati.back();
        EXPECT_FALSE(e.errore.empty());
        EXPECT_EQ(e.errore.find('\n'), std::string::npos);
    }
}

TEST(CommandLine, ABackfillPastTodayIsToldWithBothDays) {
    EXPECT_EQ(errore_recupero_futuro({2026y / 1 / 1, 2036y / 1 / 1}, 2026y / 12 / 10),
              "--backfill reaches 2036-01-01, after today (2026-12-10): the archive holds only "
              "days that have been");
}

}  // namespace
}  // namespace ftes
