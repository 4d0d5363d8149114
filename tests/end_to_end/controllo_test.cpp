// SPDX-License-Identifier: MIT
// ftes-charts --check on the set-up mistakes a new station makes: each is found once, told with
// its fix, and gives status 1; a sound station gives 0; nothing of the station is ever written.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "support/stazione_di_prova.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace ftes {
namespace {

namespace fs = std::filesystem;
using test::esegui;
using Controllo = test::StazioneDiProva;

// The number of PROBLEM lines of a check's findings.
int problemi(const std::string& out) {
    int n = 0;
    for (std::size_t at = out.find("PROBLEM  "); at != std::string::npos;
         at = out.find("PROBLEM  ", at + 1)) {
        ++n;
    }
    return n;
}

TEST_F(Controllo, EachSetUpMistakeIsFoundOnceWithItsFixAndNothingIsWritten) {
    const std::string ini = "base\r\nbase\\\r\ndata\r\ndata\\\r\ncharts\r\nweb\\\r\n";
    std::string zigzag = "forecast\r\n";
    for (int k = 0; k < 24; ++k) zigzag += "5.0 ";
    struct Caso {
        const char* cosa;
        std::function<void()> guasta;
        int problemi;  // one cause, one problem: what follows from it is not told again
        std::string detto;
    };
    const Caso casi[] = {
        {"a sound station", [] {}, 0, "no problem found"},
        {"folders written with /",
         [&] { dir.scrivi("varnel.ini", "b\nbase/\nd\ndata/\nc\nweb/\n"); }, 0,
         "line 6 (web folder): [web/]"},
        {"no varnel.ini", [&] { fs::remove(dir.percorso() / "varnel.ini"); }, 1,
         "varnel.ini: not found"},
        {"varnel.ini saved as varnel.ini.txt",
         [&] { fs::rename(dir.percorso() / "varnel.ini", dir.percorso() / "varnel.ini.txt"); }, 1,
         "fix: rename varnel.ini.txt to varnel.ini"},
        {"a blank and a tab after a folder",
         [&] { dir.scrivi("varnel.ini", "b\r\nbase\\ \t\r\ndata\r\ndata\\\r\nc\r\nweb\\\r\n"); }, 1,
         "line 2 (base folder) [base\\\xC2\xB7\xC2\xB7] has blanks before or after"},
        {"quotes around a folder that exists",
         [&] { dir.scrivi("varnel.ini", "b\r\n\"base\\\"\r\nd\r\ndata\\\r\nc\r\nweb\\\r\n"); }, 1,
         "line 2 (base folder) [\"base\\\"] is in quotes"},
        {"no final separator on the base line",
         [&] { dir.scrivi("varnel.ini", "b\r\nbase\r\nd\r\ndata\\\r\nc\r\nweb\\\r\n"); }, 1,
         "line 2 (base folder) [base] does not end with a separator"},
        {"no final separator on the sounding line",
         [&] { dir.scrivi("varnel.ini", "b\r\nbase\\\r\nd\r\ndata\r\nc\r\nweb\\\r\n"); }, 1,
         "line 4 (sounding folder) [data] does not end with a separator"},
        {"an empty folder line",
         [&] { dir.scrivi("varnel.ini", "b\r\nbase\\\r\nd\r\ndata\\\r\nc\r\n\r\n"); }, 1,
         "line 6 (web folder) [] is empty"},
        {"a varnel.ini of three lines", [&] { dir.scrivi("varnel.ini", "b\r\nbase\\\r\nd\r\n"); },
         2, "line 4 (sounding folder) is missing"},
        {"no archive folder", [&] { fs::remove_all(archivio()); }, 1,
         test::nativo("previous_ftEs_plots/") +
             " does not exist: no archive copy would be written"},
        {"a web folder that is not there", [&] { fs::remove_all(web()); }, 1,
         "the web folder " + test::nativo("web/") + " does not exist"},
        {"a file where the web folder should be",
         [&] {
             fs::remove_all(web());
             dir.scrivi("web", "");
         },
         1, "the web folder " + test::nativo("web/") + " is a file, not a folder"},
        {"no station in the sounding folder",
         [&] {
             fs::remove_all(dir.percorso() / "data");
             dir.scrivi("data/readme.txt", "notes\r\n");
         },
         1, "no station recognised in " + test::nativo("data/")},
        {"a new station: no sounding yet",
         [&] {
             fs::remove_all(dir.percorso() / "data");
             dir.crea_cartella("data");
         },
         0, "note     no sounding yet in " + test::nativo("data/")},
        {"a forecast in single spaces", [&] { dir.scrivi("base/012025.txt", zigzag); }, 1,
         "012025.txt: line 2 is not 24 fields of five characters"},
    };
    for (const Caso& c : casi) {
        dir.scrivi("varnel.ini", ini);
        c.guasta();
        const test::Esito e = esegui(dir.percorso(), test::controllo("--date 2025-01-05"));
        EXPECT_EQ(e.stato, c.problemi == 0 ? 0 : 1) << c.cosa << "\n" << e.out;
        EXPECT_EQ(problemi(e.out), c.problemi) << c.cosa << "\n" << e.out;
        EXPECT_NE(e.out.find(c.detto), std::string::npos) << c.cosa << "\n" << e.out;
        EXPECT_EQ(e.out.find("cannot open"), std::string::npos) << c.cosa << "\n" << e.out;
        EXPECT_TRUE(e.out.starts_with("note     checked as ")) << c.cosa << "\n" << e.out;
        // Every problem comes with its fix, and a line with a problem is not also "ok".
        EXPECT_EQ(e.out.find("fix: ") != std::string::npos, c.problemi > 0) << c.cosa;
        EXPECT_EQ(e.out.find(" ok "), std::string::npos) << c.cosa;
        // Looked at, never written: no chart, archive copy, BMP, temporary or turn's file.
        EXPECT_TRUE(test::nomi_in(web()).empty()) << c.cosa;
        EXPECT_TRUE(test::nomi_in(archivio()).empty()) << c.cosa;
        std::set<std::string> in_base = test::nomi_in(base());
        in_base.erase("previous_ftEs_plots");
        EXPECT_EQ(in_base, std::set<std::string>{"012025.txt"}) << c.cosa;
        // Put the station back as it was.
        fs::remove(dir.percorso() / "varnel.ini.txt");
        if (!fs::is_directory(web())) fs::remove(web());
        fs::create_directories(archivio());
        fs::create_directories(web());
        dir.scrivi("data/CN12A_20250050715.TXT", test::file_sondaggio("Cind", "12.0"));
        fs::remove(dir.percorso() / "data" / "readme.txt");
        std::string riga;
        for (int k = 0; k < 24; ++k) riga += "  5.0";
        dir.scrivi("base/012025.txt", "forecast\r\n" + riga + "\r\n");
    }
    // A month without its forecast file is told, and is no problem; the station is named with
    // the file it was recognised from; every folder a run writes is tried, lock included.
    const test::Esito e = esegui(dir.percorso(), test::controllo("--date 2025-01-05"));
    EXPECT_NE(e.out.find("station kind 2 (key \"Cind\") recognised from data"), std::string::npos)
        << e.out;
    EXPECT_NE(e.out.find("CN12A_20250050715.TXT"), std::string::npos) << e.out;
    EXPECT_NE(e.out.find("the web folder " + test::nativo("web/") + " exists, and "),
              std::string::npos)
        << e.out;
    EXPECT_NE(e.out.find(" can write and lock there"), std::string::npos) << e.out;
    EXPECT_NE(e.out.find("122024.txt: not found; its charts have no forecast"), std::string::npos)
        << e.out;
    EXPECT_EQ(esegui(dir.percorso(), "--check --backfill 2025-01-01").stato, 2);
    EXPECT_EQ(esegui(dir.percorso(), "--as root --date 2025-01-05").stato, 2);
}

TEST_F(Controllo, TheMetricsAndLogFilesAreCheckedAndTheFindingsAddedToTheLog) {
    dir.crea_cartella("reports");
    dir.crea_cartella("reports/station.log");
    const test::Esito e =
        esegui(dir.percorso(), test::controllo("--date 2025-01-05 --metrics missing/s.prom "
                                               "--log reports/station.log --station Rome"));
    EXPECT_EQ(e.stato, 1) << e.out;
    EXPECT_EQ(problemi(e.out), 2) << e.out;
    EXPECT_NE(e.out.find("the folder of the metrics file missing/ does not exist"),
              std::string::npos)
        << e.out;
    EXPECT_NE(e.out.find("a folder stands at the log reports/station.log"), std::string::npos)
        << e.out;
    EXPECT_NE(e.out.find("the metrics are labelled station=\"Rome\""), std::string::npos) << e.out;

    // A log that can be written gets the findings, under a header that says it was a check.
    fs::remove(dir.percorso() / "reports" / "station.log");
    const test::Esito buono =
        esegui(dir.percorso(), test::controllo("--date 2025-01-05 --log reports/station.log"));
    EXPECT_EQ(buono.stato, 0) << buono.out;
    const std::string registro = test::leggi_file(dir.percorso() / "reports" / "station.log");
    EXPECT_NE(registro.find("== ftes-charts "), std::string::npos) << registro;
    EXPECT_NE(registro.find(": check as "), std::string::npos) << registro;
    EXPECT_NE(registro.find("no problem found"), std::string::npos) << registro;
    EXPECT_EQ(test::nomi_in(dir.percorso() / "reports"), std::set<std::string>{"station.log"});
}

#ifndef _WIN32
TEST_F(Controllo, RootLooksWithTheRightsOfTheAccountThatRunsTheBatch) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can look as another account";
    // The station readable by all, its base and archive writable by all, its web folder
    // root's alone: an account that is not root cannot publish there.
    fs::permissions(dir.percorso(), fs::perms::all, fs::perm_options::add);
    for (const fs::path& p : {base(), archivio()}) {
        fs::permissions(p, fs::perms::all, fs::perm_options::add);
    }
    fs::permissions(web(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    const test::Esito e = esegui(dir.percorso(), "--check --as nobody --date 2025-01-05");
    EXPECT_EQ(e.stato, 1) << e.out;
    EXPECT_TRUE(e.out.starts_with("note     checked as nobody\n")) << e.out;
    EXPECT_NE(e.out.find("PROBLEM  nobody cannot write into the web folder web/: " +
                         test::testo_errore_sistema(EACCES) +
                         "\n         fix: let nobody write there: sudo chown nobody: web/\n"),
              std::string::npos)
        << e.out;
    EXPECT_EQ(problemi(e.out), 1) << e.out;
    EXPECT_EQ(test::nomi_in(web()), std::set<std::string>{});

    const test::Esito nessuno =
        esegui(dir.percorso(), "--check --as no-such-account-here --date 2025-01-05");
    EXPECT_EQ(nessuno.stato, 1);
    EXPECT_NE(nessuno.out.find("PROBLEM  cannot look as no-such-account-here: no account "
                               "no-such-account-here on this system"),
              std::string::npos)
        << nessuno.out;
}
#endif

}  // namespace
}  // namespace ftes
