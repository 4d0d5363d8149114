// SPDX-License-Identifier: MIT
#include "batch/registro.h"

#include <gtest/gtest.h>

#include <string>

namespace ftes {
namespace {

TEST(Log, ARunsReportIsItsHeaderThenItsLinesWithTheSystemsLineEnds) {
    EXPECT_EQ(testo_corsa("1.3.0", "2025-01-06T00:10:02+01:00", 3, "a\nb\n", "\r\n"),
              "== ftes-charts 1.3.0 2025-01-06T00:10:02+01:00: exit status 3 (every chart "
              "published, but an input file could not be read)\r\na\r\nb\r\n");
    EXPECT_EQ(testo_corsa("1.3.0", "t", 0, "", "\n"),
              "== ftes-charts 1.3.0 t: exit status 0 (every chart published)\n");
}

TEST(Log, TheOldestRunsGoWholeSoThatTheLogStaysWithinItsBound) {
    const std::string uno = "== ftes-charts 1 a\nx\n", due = "== ftes-charts 1 b\nyy\n",
                      nuova = "== ftes-charts 1 c\nz\n";
    struct Caso {
        std::string precedente;
        std::size_t massimo;
        std::string atteso;
    } casi[] = {
        {"", 100, nuova},
        {uno + due, 100, uno + due + nuova},
        {uno + due, (due + nuova).size(), due + nuova},  // the oldest goes, whole
        {uno + due, (due + nuova).size() - 1, nuova},    // both go
        {"left by hand\n" + due, 100, "left by hand\n" + due + nuova},
        {"left by hand\n" + due, (due + nuova).size(), due + nuova},  // a preamble goes first
        {"no header, no line end", 100, "no header, no line end\n" + nuova},
        {"no header, no line end", nuova.size(), nuova},
        {due.substr(0, due.size() - 1), 100, due + nuova},  // a cut last line is ended
    };
    for (const auto& c : casi) {
        const std::string dopo = registro_aggiornato(c.precedente, nuova, c.massimo);
        EXPECT_EQ(dopo, c.atteso) << c.precedente << " / " << c.massimo;
        EXPECT_LE(dopo.size(), c.massimo);
    }
}

TEST(Log, AReportLongerThanTheBoundKeepsItsBeginningAndSaysSo) {
    std::string lunga = "== ftes-charts 1 t: exit status 1 (x)\n";
    for (int i = 0; i < 1000; ++i) lunga += "ftes-charts: observed values: a file: skipped\n";
    const std::string dopo = registro_aggiornato("== ftes-charts 0 old\n", lunga, 4096);
    EXPECT_LE(dopo.size(), 4096u);
    EXPECT_TRUE(dopo.starts_with("== ftes-charts 1 t: exit status 1 (x)\nftes-charts: obs"));
    EXPECT_TRUE(dopo.ends_with("skipped\n(the rest of this run's lines left out)\n"));
}

}  // namespace
}  // namespace ftes
