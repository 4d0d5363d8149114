// SPDX-License-Identifier: MIT
#include "reports/registro.h"

#include <gtest/gtest.h>

#include <string>

#include "support/cartella_temporanea.h"

namespace ftes {
namespace {

TEST(Log, ARunsReportIsItsHeaderThenItsLinesWithTheSystemsLineEnds) {
    EXPECT_EQ(testo_corsa("1.3.0", "2025-01-06T00:10:02+01:00", 3, "a\nb\n", "\r\n"),
              "== ftes-charts 1.3.0 2025-01-06T00:10:02+01:00: exit status 3 (every chart "
              "published, but an input file could not be read)\r\na\r\nb\r\n");
    EXPECT_EQ(testo_corsa("1.3.0", "t", 0, "", "\n"),
              "== ftes-charts 1.3.0 t: exit status 0 (every chart published)\n");
}

TEST(Log, TheOldestRunsGoWholeThenDownToTheirHeaders) {
    const std::string testa_uno = "== ftes-charts 1 a\n", testa_due = "== ftes-charts 1 b\n";
    const std::string uno = testa_uno + std::string(40, 'x') + "\n",
                      due = testa_due + std::string(40, 'y') + "\n", nuova = "== ftes-charts 1 c\n";
    struct Caso {
        std::string precedente;
        std::size_t massimo;
        std::string atteso;
    } casi[] = {
        {"", 200, nuova},
        {uno + due, 200, uno + due + nuova},
        {uno + due, (due + nuova).size(), due + nuova},  // the oldest goes, whole
        // Then the older runs keep their header lines, while those fit.
        {uno + due, (testa_uno + due + nuova).size(), testa_uno + due + nuova},
        {uno + due, (testa_uno + testa_due + nuova).size(), testa_uno + testa_due + nuova},
        {uno + due, (testa_due + nuova).size(), testa_due + nuova},
        {uno + due, (testa_due + nuova).size() - 1, nuova},
        {"left by hand\n" + due, 200, "left by hand\n" + due + nuova},
        {"left by hand\n" + due, (due + nuova).size(), due + nuova},  // a preamble goes first
        {"no header, no line end", 200, "no header, no line end\n" + nuova},
        {"no header, no line end", nuova.size() * 2, nuova},
        {due.substr(0, due.size() - 1), 200, due + nuova},  // a cut last line is ended
    };
    for (const auto& c : casi) {
        const std::string dopo = registro_aggiornato(c.precedente, nuova, c.massimo);
        EXPECT_EQ(dopo, c.atteso) << c.precedente << " / " << c.massimo;
        EXPECT_LE(dopo.size(), c.massimo);
    }
}

TEST(Log, AStartLineGoesWhenItsRunsReportIsThereAndStaysWhenTheRunNeverEnded) {
    EXPECT_EQ(riga_inizio("1.4.0", "2025-01-06T00:10:02+01:00", "\r\n"),
              "== ftes-charts 1.4.0 2025-01-06T00:10:02+01:00: started\r\n");
    const std::string finita = "== ftes-charts 1 a: started\n",
                      rapporto = "== ftes-charts 1 a: exit status 0 (x)\nline\n",
                      fermata = "== ftes-charts 1 b: started\n",
                      nuova_inizio = "== ftes-charts 1 c: started\n",
                      nuova = "== ftes-charts 1 c: exit status 0 (x)\n";
    struct Caso {
        std::string precedente, corsa, atteso;
    } casi[] = {
        // Cut down, a log keeps a run's report and drops its start line.
        {finita + rapporto, "", rapporto},
        // A run stopped before its end keeps its start line: all the log can say of it.
        {finita + fermata + rapporto, "", fermata + rapporto},
        // The start line of the run whose report comes now goes too.
        {fermata + nuova_inizio, nuova, fermata + nuova},
        // CR LF lines, as on Windows.
        {"== ftes-charts 1 a: started\r\n== ftes-charts 1 a: exit status 0 (x)\r\n", "",
         "== ftes-charts 1 a: exit status 0 (x)\r\n"},
    };
    for (const auto& c : casi) {
        EXPECT_EQ(registro_aggiornato(c.precedente, c.corsa, 1000), c.atteso) << c.precedente;
    }
}

TEST(Log, ALongReportKeepsItsHeadAndItsTailAndTheEarlierRunsHeaders) {
    std::string lunga = "== ftes-charts 1 t: exit status 1 (x)\n";
    for (int i = 0; i < 1000; ++i) {
        lunga += "ftes-charts: observed values: file " + std::to_string(i) + ": skipped\n";
    }
    lunga += "05/01/2025 plotftEs6.gif: the summary at the end\n";
    std::string prima;
    for (int i = 0; i < 50; ++i) prima += "== ftes-charts 0 run " + std::to_string(i) + "\nok\n";
    const std::string dopo = registro_aggiornato(prima, lunga, 8192);
    EXPECT_LE(dopo.size(), 8192u);
    EXPECT_NE(dopo.find("== ftes-charts 1 t: exit status 1 (x)\nftes-charts: observed values: "
                        "file 0: skipped\n"),
              std::string::npos);
    EXPECT_NE(dopo.find(" lines of this run left out)\n"), std::string::npos);
    EXPECT_TRUE(
        dopo.ends_with("file 999: skipped\n05/01/2025 plotftEs6.gif: the summary at the "
                       "end\n"));
    // Every earlier run is there, at least by its header.
    for (int i = 0; i < 50; ++i) {
        EXPECT_NE(dopo.find("== ftes-charts 0 run " + std::to_string(i) + "\n"), std::string::npos)
            << i;
    }
}

TEST(Log, ALogPastTheBoundIsTrimmedAndWrittenNotAbandoned) {
    test::CartellaTemporanea dir;
    std::string enorme;
    while (enorme.size() < 5 * max_registro) enorme += "== ftes-charts 0 old\nline\n";
    dir.scrivi("ftes-charts.log", enorme);
    const std::string log = (dir.percorso() / "ftes-charts.log").string();
    ASSERT_TRUE(scrivi_registro(log, "== ftes-charts 9 new\n"));
    const std::string dopo = test::leggi_file(log);
    // Cut down well below the bound, so that the next cut is a thousand runs away.
    EXPECT_LE(dopo.size(), registro_ridotto);
    EXPECT_GT(dopo.size(), registro_ridotto - 64);
    EXPECT_TRUE(dopo.starts_with("== ftes-charts 0 old\nline\n"));
    EXPECT_TRUE(dopo.ends_with("== ftes-charts 9 new\n"));
}

}  // namespace
}  // namespace ftes
