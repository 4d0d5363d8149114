// SPDX-License-Identifier: MIT
// The built ftes-charts binary run as an operator's scheduler runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "platform/file_system.h"
#include "reports/registro.h"
#include "support/cartella_temporanea.h"
#include "support/gif.h"
#include "support/processo.h"
#include "support/stazione_di_prova.h"

namespace ftes {
namespace {

namespace fs = std::filesystem;

using test::esegui;
using Stazione = test::StazioneDiProva;

TEST_F(Stazione, PublishesTwelveChartsSilentlyWithFrameCaptionCurvesAndTicks) {
    const test::Esito e = esegui(dir.percorso(), "--date 2025-01-05");
    EXPECT_EQ(e.stato, 0);
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(e.err, "");
    int archivi = 0;
    for (const auto& f : fs::directory_iterator(dir.percorso() / "base" / "previous_ftEs_plots")) {
        archivi += test::decodifica_gif(f.path().string()).has_value();
    }
    EXPECT_EQ(archivi, 6);
    for (int slot = 1; slot <= 6; ++slot) {
        const auto gif = test::decodifica_gif(
            (dir.percorso() / "web" / ("plotftEs" + std::to_string(slot) + ".gif")).string());
        ASSERT_TRUE(gif) << slot;
        ASSERT_EQ(gif->larghezza, 286);
        ASSERT_EQ(gif->altezza, 231);
        EXPECT_EQ(gif->at(35, 100), (canvas::Rgb{255, 255, 0}));    // left frame edge
        EXPECT_EQ(gif->at(85, 120), (canvas::Rgb{100, 100, 100}));  // 5 h grid line
        int didascalia = 0;  // caption from column 110, rows 4 to 12
        for (int r = 4; r < 14; ++r) {
            for (int c = 110; c < 210; ++c)
                didascalia += gif->at(c, r) == canvas::Rgb{255, 255, 128};
        }
        EXPECT_GT(didascalia, 40) << slot;
        // Forecast 5.0 MHz at 3 h: white dot at column 65, row (215-50)*231/261 = 146, over
        // the grey 5 MHz grid line; December has no forecast file.
        const canvas::Rgb atteso =
            slot >= 2 ? canvas::Rgb{255, 255, 255} : canvas::Rgb{100, 100, 100};
        EXPECT_EQ(gif->at(65, 146), atteso) << slot;
        const bool oggi = slot == 6;
        // 07:15 at 12.0 MHz: x 72 (column 107), row 84.1; 07:30 at 16.0 MHz: x 75, row 48.7.
        EXPECT_EQ(gif->at(107, 84) == (canvas::Rgb{255, 0, 0}), oggi) << slot;
        EXPECT_EQ(gif->at(110, 49) == (canvas::Rgb{255, 0, 0}), oggi) << slot;
        // The link between them passes column 108 or 109 around row 66.
        int link = 0;
        for (int r = 60; r < 73; ++r)
            link += gif->at(108, r) == canvas::Rgb{255, 0, 0} ||
                    gif->at(109, r) == canvas::Rgb{255, 0, 0};
        EXPECT_EQ(link > 5, oggi) << slot;
        // 12:15 "NO": orange tick at x 122 (column 157) from y 1 to 8 (rows 189 to 183).
        EXPECT_EQ(gif->at(157, 186) == (canvas::Rgb{255, 153, 0}), oggi) << slot;
    }
    // The second run replaces the same files.
    EXPECT_EQ(esegui(dir.percorso(), "--date 2025-01-05").stato, 0);
}

TEST_F(Stazione, DamagedFilesSpoilNothingElse) {
    // Beside the good soundings of 07:15 and 07:30: binary bytes, a one-line file, values out of
    // any range, dashes, a folder in a file's place, and files of hundreds of megabytes in one
    // line (sparse, so the test costs no disk).
    // Each begins with the station key, as any file of the folder may be the one listed first.
    std::string binario = "Cind";
    for (int i = 0; i < 5000; ++i) binario.push_back(static_cast<char>(i * 131 % 256));
    dir.scrivi("data/CN12A_20250050800.TXT", binario);
    dir.scrivi("data/CN12A_20250050805.TXT", "Cind");
    dir.scrivi("data/CN12A_20250050810.TXT", test::file_sondaggio("Cind", "9999"));
    dir.scrivi("data/CN12A_20250050815.TXT", test::file_sondaggio("Cind", "-5.0"));
    dir.scrivi("data/CN12A_20250050820.TXT", test::file_sondaggio("Cind", "1e99"));
    dir.scrivi("data/CN12A_20250050825.TXT", test::file_sondaggio("Cind", "----"));
    dir.crea_cartella("data/CN12A_20250050830.TXT");
    for (const char* enorme : {"data/CN12A_20250050835.TXT", "base/122024.txt"}) {
        fs::resize_file(dir.scrivi(enorme, "Cind"), 300'000'000);
    }
    const test::Esito e = esegui(dir.percorso(), "--date 2025-01-05");
    // The folder in a sounding's place is there but cannot be read: the chart may lack a value.
    EXPECT_EQ(e.stato, 3);
    const auto gif = test::decodifica_gif((dir.percorso() / "web" / "plotftEs6.gif").string());
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->at(107, 84), (canvas::Rgb{255, 0, 0}));  // 07:15, 12.0 MHz
    EXPECT_EQ(gif->at(110, 49), (canvas::Rgb{255, 0, 0}));  // 07:30, 16.0 MHz
}

#ifndef _WIN32

TEST_F(Stazione, WithoutDateTheSixDaysEndOnTheMachinesLocalDate) {
    const auto faketime = test::trova_programma("faketime");
    if (!faketime) GTEST_SKIP() << "faketime is not installed";
    // Half past midnight on 6 January in Rome is still the 5th in UTC: the local date is the one
    // charted, in slot 6.
    const test::Esito e = test::esegui_programma(
        *faketime, {"2025-01-06 00:30:00", FTES_BINARY, "--verbose"}, dir.percorso(),
        {"TZ=Europe/Rome", "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"});
    EXPECT_EQ(e.stato, 0) << e.err;
    EXPECT_NE(e.err.find("05/01/2025 plotftEs5.gif: 2 values, 1 no-layer, forecast drawn, "
                         "published"),
              std::string::npos)
        << e.err;
    EXPECT_NE(e.err.find("06/01/2025 plotftEs6.gif: "), std::string::npos) << e.err;
}

#endif

TEST_F(Stazione, UsageErrorsWriteNothingExitTwoAndSayWhyInOneLine) {
    const std::pair<std::string, std::string> casi[] = {
        {"--bogus", "unknown option '--bogus'"},
        {"stray", "unknown option 'stray'"},
        {"--date", "--date needs a date"},
        {"--date 2024-02-30", "invalid date '2024-02-30'"},
        {"--backfill", "--backfill needs a day or a range"},
        {"--backfill 2025-02-30", "invalid day '2025-02-30'"},
        {"--backfill 2025-01-06..2025-01-05", "ends (2025-01-05) before it starts"},
        {"--backfill 2000-01-01..2025-01-05", "is longer than 3660"},
        {"--backfill 2025-01-05 --date 2025-01-05", "cannot be used together"},
        // Days still to come: the archive holds days that have been.
        {"--backfill 2099-01-01", "--backfill reaches 2099-01-01, after today"},
        {"--backfill 2025-01-01..2034-01-01", "--backfill reaches 2034-01-01, after today"},
        {"--wait 3601", "--wait needs a number of seconds"},
        {"--as nobody", "--as goes with --check"},
    };
    for (const auto& [argomenti, detto] : casi) {
        const test::Esito e = esegui(dir.percorso(), argomenti);
        EXPECT_EQ(e.stato, 2) << argomenti;
        // The reason in one line, then the way to the help: the reason stays in sight.
        const std::size_t aiuto = e.err.find("\ntry 'ftes-charts --help'");
        ASSERT_NE(aiuto, std::string::npos) << argomenti << ": " << e.err;
        const std::string motivo = e.err.substr(0, aiuto + 1);
        EXPECT_EQ(std::count(motivo.begin(), motivo.end(), '\n'), 1) << "one line: " << e.err;
        EXPECT_EQ(std::count(e.err.begin(), e.err.end(), '\n'), 2) << e.err;
        EXPECT_EQ(motivo.rfind("ftes-charts: ", 0), 0u) << e.err;
        EXPECT_NE(motivo.find(detto), std::string::npos) << e.err;
        EXPECT_TRUE(fs::is_empty(web())) << argomenti;
        EXPECT_TRUE(fs::is_empty(archivio())) << argomenti;
    }
    EXPECT_EQ(esegui(dir.percorso(), "--help").stato, 0);
#ifdef _WIN32
    // A Windows command is asked for its help with /?.
    EXPECT_EQ(esegui(dir.percorso(), "/?").out.rfind("usage: ftes-charts", 0), 0u);
#endif
    EXPECT_EQ(esegui(dir.percorso(), "--version").out.rfind("ftes-charts ", 0), 0u);
}

TEST_F(Stazione, TheLogKeepsEachRunsReportWithinItsBoundAndNeverChangesTheRun) {
    const fs::path log = dir.percorso() / "ftes-charts.log";
    const std::string fine = platform::text_line_end;
    // Runs older than the bound allows, written before: the oldest go, whole.
    std::string vecchie;
    int ultima = 0;
    for (; vecchie.size() < max_registro; ++ultima) {
        vecchie += "== ftes-charts 0 run " + std::to_string(ultima) + ": exit status 0 (x)" + fine +
                   std::string(200, '.') + fine;
    }
    dir.scrivi("ftes-charts.log", vecchie);
    const test::Esito e = esegui(dir.percorso(), "--date 2025-01-05 --log ftes-charts.log");
    EXPECT_EQ(e.stato, 0);
    EXPECT_EQ(e.err, "") << "the log is no reason to speak";
    const std::string testo = test::leggi_file(log);
    EXPECT_LE(testo.size(), max_registro);
    EXPECT_EQ(testo.find("run 0:"), std::string::npos);
    EXPECT_NE(testo.find("run " + std::to_string(ultima - 1) + ":"), std::string::npos)
        << "the newest old runs stay";
    const std::size_t corsa = testo.rfind("== ftes-charts ");
    ASSERT_NE(corsa, std::string::npos);
    ASSERT_EQ(testo.find("== ftes-charts 0 ", corsa), std::string::npos);
    const std::string nuova = testo.substr(corsa);
    EXPECT_NE(nuova.find(": exit status 0 (every chart published)" + fine), std::string::npos);
    EXPECT_NE(nuova.find("05/01/2025 plotftEs6.gif: 2 values, 1 no-layer, forecast drawn, "
                         "published" +
                         fine),
              std::string::npos)
        << nuova;
    // A header, the line --verbose gives for December's missing forecast, six summaries.
    EXPECT_EQ(std::count(nuova.begin(), nuova.end(), '\n'), 8) << nuova;

    // A run that fails says so in the log too, and a log that cannot be written changes
    // nothing else.
    fs::remove_all(archivio());
    EXPECT_EQ(esegui(dir.percorso(), "--date 2025-01-05 --log ftes-charts.log").stato, 1);
    EXPECT_NE(test::leggi_file(log).find("exit status 1 (a chart or its archive copy not written)"),
              std::string::npos);
    fs::create_directory(archivio());
    fs::create_directory(dir.percorso() / "folder.log");
    const test::Esito cartella =
        esegui(dir.percorso(), "--date 2025-01-05 --verbose --log folder.log");
    EXPECT_EQ(cartella.stato, 0);
    EXPECT_NE(cartella.err.find("ftes-charts: log: folder.log: cannot write: "), std::string::npos)
        << cartella.err;
}

#ifndef _WIN32

TEST_F(Stazione, TheLogIsNeverReadOrWrittenThroughALink) {
    // A link planted at the log's name, to a file the run may read.
    test::CartellaTemporanea altrove;
    const fs::path segreto = altrove.scrivi("shadow", "root:secret\n");
    fs::create_symlink(segreto, dir.percorso() / "ftes-charts.log");
    const test::Esito e =
        esegui(dir.percorso(), "--date 2025-01-05 --log ftes-charts.log --verbose");
    EXPECT_EQ(e.stato, 0);
    EXPECT_EQ(test::leggi_file(segreto), "root:secret\n");
    const fs::path log = dir.percorso() / "ftes-charts.log";
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(log)));
    EXPECT_EQ(test::leggi_file(log).find("secret"), std::string::npos);
    EXPECT_NE(e.err.find("a link stood there; it was not followed"), std::string::npos) << e.err;
}

#endif

TEST_F(Stazione, FailedExportsGiveStatusOneAndVerboseSaysWhy) {
    fs::remove_all(dir.percorso() / "web");
    fs::remove(dir.percorso() / "base" / "012025.txt");
    // Without --verbose, one line says why.
#ifdef _WIN32
    const int cartella_mancante = 3;  // ERROR_PATH_NOT_FOUND
#else
    const int cartella_mancante = ENOENT;
#endif
    const test::Esito quieto = esegui(dir.percorso(), "--date 2025-01-05");
    EXPECT_EQ(quieto.stato, 1);
    EXPECT_EQ(quieto.err,
              "ftes-charts: 6 of 6 charts not published or not archived; the first: 31/12/2024 "
              "plotftEs1.gif: 0 values, 0 no-layer, no sounding, forecast missing, not published "
              "(current GIF: "
              "cannot create a file in the target folder (" +
                  test::testo_errore_sistema(cartella_mancante) + "))" + platform::text_line_end);
    const test::Esito e = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(e.stato, 1);
    EXPECT_NE(e.err.find(test::nativo("forecast curve: base/012025.txt: cannot open")),
              std::string::npos)
        << e.err;
    EXPECT_NE(e.err.find(test::nativo("export: current GIF: web/plotftEs1.gif")), std::string::npos)
        << e.err;

    // A data folder whose files belong to no known station.
    fs::remove_all(dir.percorso() / "data");
    dir.scrivi("data/notes.txt", "Station log\r\n");
    const test::Esito stazione = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_NE(stazione.err.find(test::nativo("station: data/notes.txt") +
                                ": first line \"Station log\" holds no station key"),
              std::string::npos)
        << stazione.err;

    // Without a configuration the run does nothing, and says so in one line even without
    // --verbose: it writes nothing into the folder it was started in, nor its log.
    fs::remove(dir.percorso() / "varnel.ini");
    const auto prima = test::nomi_in(dir.percorso());
    const test::Esito senza = esegui(dir.percorso(), "--date 2025-01-05 --log x.log --manifest");
    EXPECT_EQ(senza.stato, 1);
    EXPECT_EQ(senza.err, "ftes-charts: configuration: " + dir.prefisso() +
                             "varnel.ini: cannot open: not found; nothing written (start the run "
                             "in the station folder, the one that holds varnel.ini)" +
                             platform::text_line_end);
    EXPECT_EQ(test::nomi_in(dir.percorso()), prima);
}

}  // namespace
}  // namespace ftes
