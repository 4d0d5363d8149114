// SPDX-License-Identifier: MIT
#include "app/riga_comando.h"

#include <gtest/gtest.h>

#include <vector>

namespace ftes {
namespace {

using namespace std::chrono;
using Azione = OpzioniComando::Azione;

OpzioniComando leggi(std::vector<std::string_view> args) {
    return leggi_riga_comando(args);
}

TEST(CommandLine, OptionsAndTheirValues) {
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
    EXPECT_EQ(leggi({"--log", "ftes-charts.log"}).registro, "ftes-charts.log");
}

TEST(CommandLine, EachMistakeIsToldInOneLine) {
    struct Caso {
        std::vector<std::string_view> argomenti;
        const char* detto;
    };
    const Caso casi[] = {
        {{"--backfill"}, "--backfill needs a day or a range"},
        {{"--backfill="}, "invalid day ''"},
        {{"--backfill", "2025-01-02..2024-12-30"}, "range ends (2024-12-30) before it starts"},
        {{"--backfill", "2025-01-02.."}, "invalid day ''"},
        {{"--backfill", "2024-02-30"}, "invalid day '2024-02-30'"},
        {{"--backfill", "2024-01-01..2024-13-01"}, "invalid day '2024-13-01'"},
        {{"--backfill", "2015-01-01..2025-01-08"}, "range of 3661 days is longer than 3660"},
        {{"--backfill", "2025-01-01", "--date", "2025-01-01"}, "cannot be used together"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"extra"}, "unknown option 'extra'"},
        {{"--date"}, "--date needs a date"},
        {{"--date", "2024-02-30"}, "invalid date '2024-02-30'"},
        {{"--date", "2023-02-29"}, "invalid date '2023-02-29'"},
        {{"--date", "2025-1-2"}, "invalid date '2025-1-2'"},
        {{"--date", "2025-01-02x"}, "invalid date '2025-01-02x'"},
        {{"--date", "+025-01-02"}, "invalid date '+025-01-02'"},
        {{"--date", "1899-12-31"}, "invalid date '1899-12-31'"},
        {{"--date", "2025-13-01"}, "invalid date '2025-13-01'"},
        {{"--wait"}, "--wait needs a number of seconds from 0 to 3600"},
        {{"--wait", "3601"}, "--wait needs a number of seconds"},
        {{"--wait", "-1"}, "--wait needs a number of seconds"},
        {{"--wait", "1.5"}, "--wait needs a number of seconds"},
        {{"--wait", "99999999999999999999"}, "--wait needs a number of seconds"},
        {{"--date", "2025-01-01", "--date=2025-01-02"}, "--date given twice"},
        {{"--backfill", "2025-01-01", "--backfill", "2025-01-02"}, "--backfill given twice"},
        {{"--wait", "1", "--wait", "2"}, "--wait given twice"},
        {{"--log"}, "--log needs a file name"},
        {{"--log="}, "--log needs a file name"},
        {{"--log", "a.log", "--log", "b.log"}, "--log given twice"},
    };
    for (const Caso& c : casi) {
        const auto e = leggi(c.argomenti);
        EXPECT_EQ(e.azione, Azione::errore) << c.detto;
        EXPECT_NE(e.errore.find(c.detto), std::string::npos) << e.errore;
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
