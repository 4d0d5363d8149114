// SPDX-License-Identifier: MIT
// Inputs that fail as network shares and stray files make them fail: a file that is there but
// cannot be read is told in the system's own words and gives status 3, the archive copies of the
// days it concerns are kept as they were, and the station is found past files that are not its
// own. Faults that cannot be made for real are made by strace, which fails one call on one path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sstream>
#include <vector>

#include "support/gif.h"
#include "support/stazione_di_prova.h"

namespace ftes {
namespace {

namespace fs = std::filesystem;
using test::esegui;

class Guasti : public test::StazioneDiProva {
  protected:
    // The archive copies as the first run of the station leaves them.
    void SetUp() override {
        ASSERT_EQ(esegui(dir.percorso(), "--date 2025-01-05").stato, 0);
        archivio_iniziale = archivi();
        ASSERT_EQ(archivio_iniziale.size(), 6u);
    }
    std::map<std::string, std::string> archivi() const {
        std::map<std::string, std::string> m;
        for (const auto& [nome, byte] : pubblicati()) {
            if (nome.starts_with("base/")) m[nome] = byte;
        }
        return m;
    }
    // The summary line of a chart in what a --verbose run wrote.
    static std::string riepilogo(const std::string& err, const std::string& inizio) {
        std::istringstream righe(err);
        for (std::string r; std::getline(righe, r);) {
            if (r.ends_with('\r')) r.pop_back();
            if (r.starts_with(inizio)) return r;
        }
        return "no line " + inizio + " in:\n" + err;
    }
    std::map<std::string, std::string> archivio_iniziale;
};

#ifndef _WIN32

struct Guasto {
    std::vector<std::string> percorsi;  // within the station
    std::string chiamata, errore;
    std::string detto;      // what --verbose says of it
    std::string riassunto;  // the summary of today's chart
};

TEST_F(Guasti, AnInputThereButUnreadableIsToldInTheSystemsWordsAndKeepsTheArchive) {
    const auto strace = test::strace_utilizzabile();
    if (!strace) GTEST_SKIP() << "strace is not installed or cannot trace here";
    const std::string sondaggio = "data/CN12A_20250050715.TXT";
    const std::vector<std::string> tutti = {sondaggio, "data/CN12A_20250050730.TXT",
                                            "data/CN12A_20250051215.TXT"};
    const std::string oggi = "05/01/2025 plotftEs6.gif: ";
    const std::vector<Guasto> casi = {
        {{sondaggio},
         "openat",
         "EIO",
         "observed values: " + sondaggio + ": cannot open: Input/output error; skipped",
         oggi + "1 values, 1 no-layer, 1 unreadable, forecast drawn, published, archive copy kept "
                "(1 input file of this day could not be read)"},
        {{sondaggio},
         "read",
         "EIO",
         "observed values: " + sondaggio + ": cannot read: Input/output error; skipped",
         oggi + "1 values, 1 no-layer, 1 unreadable, forecast drawn, published, archive copy kept "
                "(1 input file of this day could not be read)"},
        {{sondaggio},
         "openat",
         "ESTALE",
         "observed values: " + sondaggio + ": cannot open: Stale file handle; skipped",
         oggi + "1 values, 1 no-layer, 1 unreadable, forecast drawn, published, archive copy kept "
                "(1 input file of this day could not be read)"},
        {{"base/012025.txt"},
         "openat",
         "EACCES",
         "forecast curve: base/012025.txt: cannot open: Permission denied; no forecast drawn",
         oggi + "2 values, 1 no-layer, 1 unreadable, forecast missing, published, "
                "archive copy kept (1 input file of this day could not be read)"},
        {{"base/012025.txt"},
         "read",
         "EIO",
         "forecast curve: base/012025.txt: cannot read: Input/output error; no forecast drawn",
         oggi + "2 values, 1 no-layer, 1 unreadable, forecast missing, published, "
                "archive copy kept (1 input file of this day could not be read)"},
        // Whichever of the station's files is listed first cannot be opened or read, nor can
        // the others.
        {tutti, "openat", "EIO", ": cannot open: Input/output error; skipped",
         oggi + "0 values, 0 no-layer, 3 unreadable, forecast drawn, published, "
                "archive copy kept (3 input files of this day could not be read)"},
        {tutti, "read", "EIO", ": cannot read: Input/output error; skipped",
         oggi + "0 values, 0 no-layer, 3 unreadable, forecast drawn, published, "
                "archive copy kept (3 input files of this day could not be read)"},
        {{"data/"},
         "openat",
         "EACCES",
         "station: data/: cannot list: Permission denied; no observed values drawn",
         oggi + "0 values, 0 no-layer, 1 unreadable, forecast drawn, published, "
                "archive copy kept (1 input file of this day could not be read)"},
        {{"data"},
         "getdents64",
         "EIO",
         "station: data/: cannot list: Input/output error",
         oggi + "0 values, 0 no-layer, 1 unreadable, forecast drawn, published, "
                "archive copy kept (1 input file of this day could not be read)"},
    };
    for (const Guasto& c : casi) {
        const std::string quale = c.chiamata + " " + c.errore + " on " + c.percorsi[0];
        const test::Esito e = test::esegui_con_guasto(*strace, dir.percorso(), c.percorsi,
                                                      c.chiamata, c.errore, "--date 2025-01-05 -v");
        EXPECT_EQ(e.stato, 3) << quale << "\n" << e.err;
        EXPECT_NE(e.err.find(c.detto), std::string::npos) << quale << "\n" << e.err;
        EXPECT_EQ(riepilogo(e.err, oggi), c.riassunto) << quale;
        EXPECT_EQ(archivi(), archivio_iniziale) << quale;
        EXPECT_TRUE(test::decodifica_gif((web() / "plotftEs6.gif").string())) << quale;
    }
    // The same run without the fault: everything as before, and status 0.
    EXPECT_EQ(esegui(dir.percorso(), "--date 2025-01-05").stato, 0);
}

TEST_F(Guasti, AVarnelIniThereButUnreadableStopsTheRunBeforeItWritesAnything) {
    const auto strace = test::strace_utilizzabile();
    if (!strace) GTEST_SKIP() << "strace is not installed or cannot trace here";
    fs::remove_all(web());
    fs::create_directory(web());
    for (const auto& [chiamata, errore, detto] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"openat", "EACCES", "cannot open: Permission denied; nothing written"},
             {"read", "EIO", "cannot read: Input/output error; nothing written"}}) {
        // Said without --verbose: a run that does nothing at all says why.
        const test::Esito e = test::esegui_con_guasto(*strace, dir.percorso(), {"varnel.ini"},
                                                      chiamata, errore, "--date 2025-01-05");
        EXPECT_EQ(e.stato, 1) << chiamata;
        EXPECT_EQ(e.err,
                  "ftes-charts: configuration: " + dir.prefisso() + "varnel.ini: " + detto + "\n")
            << chiamata;
        EXPECT_TRUE(fs::is_empty(web())) << chiamata;
        EXPECT_EQ(archivi(), archivio_iniziale) << chiamata;
        EXPECT_EQ(avanzi(), std::set<std::string>{}) << chiamata;
        EXPECT_FALSE(fs::exists(dir.percorso() / "grafico1.bmp")) << chiamata;
    }
}

TEST_F(Guasti, CheckTellsASoundingFolderThatCannotBeListedInTheSystemsWords) {
    const auto strace = test::strace_utilizzabile();
    if (!strace) GTEST_SKIP() << "strace is not installed or cannot trace here";
    const test::Esito e = test::esegui_con_guasto(*strace, dir.percorso(), {"data/"}, "openat",
                                                  "EACCES", test::controllo("--date 2025-01-05"));
    EXPECT_EQ(e.stato, 1);
    // Told once, in the system's words, with the command that lets the account read it; the
    // station is not looked for in a folder that cannot be listed.
    EXPECT_NE(e.out.find(" cannot list the sounding folder data/: " +
                         test::testo_errore_sistema(EACCES) + "\n         fix: let "),
              std::string::npos)
        << e.out;
    EXPECT_NE(e.out.find("read it: sudo chmod o+rX data/"), std::string::npos) << e.out;
    EXPECT_EQ(e.out.find("no station recognised"), std::string::npos) << e.out;
    EXPECT_NE(e.out.find("\n1 problem(s) found\n"), std::string::npos) << e.out;
}

TEST_F(Guasti, CheckTellsAFolderWhoseFileSystemGivesNoLock) {
    const auto strace = test::strace_utilizzabile();
    if (!strace) GTEST_SKIP() << "strace is not installed or cannot trace here";
    const test::Esito e = test::esegui_con_guasto(*strace, dir.percorso(), {}, "flock", "ENOLCK",
                                                  test::controllo("--date 2025-01-05"));
    EXPECT_EQ(e.stato, 1);
    EXPECT_NE(
        e.out.find("is on a file system that gives no lock: " + test::testo_errore_sistema(ENOLCK)),
        std::string::npos)
        << e.out;
    EXPECT_NE(e.out.find("fix: keep the folder on a disk that gives locks"), std::string::npos);
}

TEST_F(Guasti, AStrayFileListedFirstIsPassedOverUpToTheBound) {
    // On a tmpfs the newest entry of a folder is listed first: the stray file is made last.
    if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no tmpfs at /dev/shm";
    test::CartellaTemporanea memoria("/dev/shm");
    test::copia_cartella(dir.percorso(), memoria.percorso());
    memoria.scrivi("data/desktop.ini", "[.ShellClassInfo]\r\n");
    const test::Esito e = esegui(memoria.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(e.stato, 0) << e.err;
    ASSERT_NE(e.err.find("station: data/desktop.ini: first line \"[.ShellClassInfo]\" holds no "
                         "station key; skipped"),
              std::string::npos)
        << e.err;
    EXPECT_EQ(riepilogo(e.err, "05/01/2025"),
              "05/01/2025 plotftEs6.gif: 2 values, 1 no-layer, forecast drawn, published");

    // Past the first 64 files the station is no longer looked for: a data folder that holds
    // files but no station is no success, and the archive copies stay as they were.
    for (int i = 0; i < 64; ++i) memoria.scrivi("data/note" + std::to_string(i) + ".txt", "x");
    const test::Esito oltre = esegui(memoria.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(oltre.stato, 3);
    EXPECT_NE(oltre.err.find("station: data/: none of its first 64 files holds a station key in "
                             "its first line; no observed values drawn"),
              std::string::npos)
        << oltre.err;
    EXPECT_EQ(riepilogo(oltre.err, "05/01/2025"),
              "05/01/2025 plotftEs6.gif: 0 values, 0 no-layer, no station recognised, forecast "
              "drawn, published, archive copy kept (no station recognised)");
    // Without --verbose, one line says so.
    const test::Esito quieto = esegui(memoria.percorso(), "--date 2025-01-05");
    EXPECT_EQ(quieto.err,
              "ftes-charts: every chart published, but no station recognised; station: data/: "
              "none of its first 64 files holds a station key in its first line; no observed "
              "values drawn\n");
}

TEST_F(Guasti, AnArchiveCopyInPlaceButNotFlushedIsSaidToBe) {
    const auto strace = test::strace_utilizzabile();
    if (!strace) GTEST_SKIP() << "strace is not installed or cannot trace here";
    dir.scrivi("data/CN12A_20250051000.TXT", test::file_sondaggio("Cind", " 9.0"));
    // The archive folder's flush fails after each copy's rename (its index, renamed before,
    // flushes).
    const test::Esito e =
        test::esegui_con_guasto(*strace, dir.percorso(), {"base/previous_ftEs_plots"}, "fsync",
                                "EIO:when=2+2", "--date 2025-01-05 --verbose");
    EXPECT_EQ(e.stato, 1) << e.err;
    EXPECT_EQ(riepilogo(e.err, "05/01/2025"),
              "05/01/2025 plotftEs6.gif: 3 values, 1 no-layer, forecast drawn, published, archive "
              "copy in place but not flushed (in place, but its folder could not be flushed: "
              "Input/output error)");
    // The copy is the new chart, as its summary says.
    EXPECT_TRUE(archivi().at("base/previous_ftEs_plots/2025005.gif") ==
                test::leggi_file(web() / "plotftEs6.gif"));
}

#ifdef FTES_INTERRUTTORE

TEST_F(Guasti, AManifestThatCannotBeWrittenLeavesNoneThatTellsOfOtherCharts) {
    ASSERT_EQ(esegui(dir.percorso(), "--date 2025-01-04 --manifest").stato, 0);
    ASSERT_TRUE(fs::exists(web() / "plotftEs.json"));
    // The new manifest cannot take its name (a full disk, an I/O error): the old one goes.
    const test::Esito e = test::esegui_programma(
        FTES_BINARY, {"--date", "2025-01-05", "--manifest", "--verbose"}, dir.percorso(),
        {"LD_PRELOAD=" FTES_INTERRUTTORE,
         "FTES_GUASTO=rename:plotftEs.json:" + std::to_string(ENOSPC),
         "ASAN_OPTIONS=verify_asan_link_order=0"});
    EXPECT_EQ(e.stato, 0) << e.err;
    EXPECT_NE(e.err.find("ftes-charts: manifest: " + test::nativo("web/plotftEs.json") +
                         ": cannot write: " + test::testo_errore_sistema(ENOSPC) +
                         "; the old one is removed"),
              std::string::npos)
        << e.err;
    EXPECT_FALSE(fs::exists(web() / "plotftEs.json"));
}

#endif

#endif

TEST_F(Guasti, AManifestThatCanNeitherBeWrittenNorRemovedFailsTheRun) {
    // A folder at the manifest's name: no file can replace it, and it is no file to remove.
    dir.crea_cartella("web/plotftEs.json/x");
    const test::Esito e = esegui(dir.percorso(), "--date 2025-01-05 --manifest");
    EXPECT_EQ(e.stato, 1);
    EXPECT_EQ(std::count(e.err.begin(), e.err.end(), '\n'), 1) << e.err;
    EXPECT_NE(e.err.find("ftes-charts: manifest: " + test::nativo("web/plotftEs.json") +
                         ": cannot write: "),
              std::string::npos)
        << e.err;
    EXPECT_NE(e.err.find("; nor remove the old one: "), std::string::npos) << e.err;
    // Without --manifest, a run removes the manifest an earlier run left: it tells of other
    // charts now.
    fs::remove_all(web() / "plotftEs.json");
    ASSERT_EQ(esegui(dir.percorso(), "--date 2025-01-04 --manifest").stato, 0);
    ASSERT_EQ(esegui(dir.percorso(), "--date 2025-01-05").stato, 0);
    EXPECT_FALSE(fs::exists(web() / "plotftEs.json"));
    // A backfill changes no current chart, and leaves the manifest alone.
    ASSERT_EQ(esegui(dir.percorso(), "--date 2025-01-05 --manifest").stato, 0);
    ASSERT_EQ(esegui(dir.percorso(), "--backfill 2025-01-01").stato, 0);
    EXPECT_TRUE(fs::exists(web() / "plotftEs.json"));
}

TEST_F(Guasti, TheArchiveIsKeptWithoutDataWrittenWhereItLacksAndReplacedWithNewData) {
    const auto oggi = [](const test::Esito& e) { return riepilogo(e.err, "05/01/2025"); };
    // The data folder gone (an unmounted share): it is expected, so it counts as unreadable.
    fs::rename(dir.percorso() / "data", dir.percorso() / "away");
    const test::Esito via = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(via.stato, 3);
    EXPECT_EQ(oggi(via),
              "05/01/2025 plotftEs6.gif: 0 values, 0 no-layer, 1 unreadable, forecast "
              "drawn, published, archive copy kept (1 input file of this day could not be read)");
    EXPECT_NE(via.err.find(test::nativo("export: archive GIF: base/previous_ftEs_plots/2025005.gif"
                                        ": kept as it is: 1 input file of this day could not be "
                                        "read")),
              std::string::npos)
        << via.err;
    EXPECT_EQ(archivi(), archivio_iniziale);
    // The current chart says what the data now say: no value today.
    const auto corrente = test::decodifica_gif((web() / "plotftEs6.gif").string());
    ASSERT_TRUE(corrente);
    EXPECT_NE(corrente->at(107, 84), (canvas::Rgb{255, 0, 0}));

    // An empty data folder: nothing unreadable, nothing observed.
    dir.crea_cartella("data");
    const test::Esito vuota = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(vuota.stato, 0);
    EXPECT_EQ(oggi(vuota),
              "05/01/2025 plotftEs6.gif: 0 values, 0 no-layer, no sounding, forecast drawn, "
              "published, archive copy kept (2 values in the copy, 0 now)");
    EXPECT_NE(vuota.err.find("kept as it is: 2 values in the copy, 0 now"), std::string::npos);
    EXPECT_EQ(archivi(), archivio_iniziale);
    // A day without a copy gets its empty chart: the station was off.
    fs::remove(archivio() / "2025001.gif");
    EXPECT_EQ(esegui(dir.percorso(), "--date 2025-01-05").stato, 0);
    EXPECT_TRUE(test::decodifica_gif((archivio() / "2025001.gif").string()));

    // The share is back with a new sounding: the copy of the day is replaced.
    fs::remove_all(dir.percorso() / "data");
    fs::rename(dir.percorso() / "away", dir.percorso() / "data");
    dir.scrivi("data/CN12A_20250051000.TXT", test::file_sondaggio("Cind", " 9.0"));
    const test::Esito di_nuovo = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(di_nuovo.stato, 0);
    EXPECT_EQ(oggi(di_nuovo),
              "05/01/2025 plotftEs6.gif: 3 values, 1 no-layer, forecast drawn, published");
    const auto dopo = archivi();
    const std::string copia = "base/previous_ftEs_plots/2025005.gif";
    EXPECT_TRUE(dopo.at(copia) != archivio_iniziale.at(copia));
    EXPECT_TRUE(dopo.at("base/previous_ftEs_plots/2025004.gif") ==
                archivio_iniziale.at("base/previous_ftEs_plots/2025004.gif"));
    // A backfill keeps the record as well: the soundings gone, the copy stays as it was...
    fs::remove_all(dir.percorso() / "data");
    dir.crea_cartella("data");
    const test::Esito recupero = esegui(dir.percorso(), "--backfill 2025-01-05 --verbose");
    EXPECT_EQ(recupero.stato, 0);
    EXPECT_NE(recupero.err.find(
                  "2025005.gif: 0 values, 0 no-layer, no sounding, forecast drawn, archive copy "
                  "kept (3 values in the copy, 0 now)"),
              std::string::npos)
        << recupero.err;
    EXPECT_TRUE(archivi() == dopo);
    // ...unless the operator says --replace.
    const test::Esito sostituito = esegui(dir.percorso(), "--backfill 2025-01-05 --replace -v");
    EXPECT_EQ(sostituito.stato, 0);
    EXPECT_NE(sostituito.err.find(
                  "2025005.gif: 0 values, 0 no-layer, no sounding, forecast drawn, replaced"),
              std::string::npos)
        << sostituito.err;
    EXPECT_TRUE(archivi().at(copia) != dopo.at(copia));
}

TEST_F(Guasti, AMissingArchiveFolderIsNamedWithItsFixAndTheCurrentChartsStillPublished) {
    fs::remove_all(archivio());
#ifdef _WIN32
    const std::string sistema = test::testo_errore_sistema(3);  // ERROR_PATH_NOT_FOUND
#else
    const std::string sistema = test::testo_errore_sistema(ENOENT);
#endif
    const test::Esito e = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(e.stato, 1);
    EXPECT_EQ(riepilogo(e.err, "05/01/2025"),
              "05/01/2025 plotftEs6.gif: 2 values, 1 no-layer, forecast drawn, published, archive "
              "copy not written (archive GIF: cannot create a file in the target folder (" +
                  sistema + "); the folder " + test::nativo("base/previous_ftEs_plots/") +
                  " is missing: create it)");
    for (int slot = 1; slot <= 6; ++slot) {
        EXPECT_TRUE(fs::exists(web() / ("plotftEs" + std::to_string(slot) + ".gif"))) << slot;
    }
}

}  // namespace
}  // namespace ftes
