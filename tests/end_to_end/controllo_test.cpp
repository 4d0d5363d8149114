// SPDX-License-Identifier: MIT
// ftes-charts --check on the set-up mistakes a new station makes: each is found, told with its
// fix, and gives status 1; a sound station gives 0; nothing is ever written.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/stazione_di_prova.h"

namespace ftes {
namespace {

namespace fs = std::filesystem;
using test::esegui;
using Controllo = test::StazioneDiProva;

TEST_F(Controllo, EachSetUpMistakeIsFoundWithItsFixAndNothingIsWritten) {
    const std::string ini = "base\r\nbase\\\r\ndata\r\ndata\\\r\ncharts\r\nweb\\\r\n";
    std::string zigzag = "forecast\r\n";
    for (int k = 0; k < 24; ++k) zigzag += "5.0 ";
    struct Caso {
        const char* cosa;
        std::function<void()> guasta;
        int stato;
        const char* detto;
    };
    const Caso casi[] = {
        {"a sound station", [] {}, 0, "no problem found"},
        {"no varnel.ini", [&] { fs::remove(dir.percorso() / "varnel.ini"); }, 1,
         "varnel.ini: not found"},
        {"blanks after a folder",
         [&] { dir.scrivi("varnel.ini", "base\r\nbase\\   \r\ndata\r\ndata\\\r\nc\r\nweb\\\r\n"); },
         1, "line 2 (base folder) has blanks before or after the folder"},
        {"quotes",
         [&] { dir.scrivi("varnel.ini", "b\r\n\"base\\\"\r\nd\r\ndata\\\r\nc\r\nweb\\\r\n"); }, 1,
         "line 2 (base folder) is in quotes"},
        {"no final separator",
         [&] { dir.scrivi("varnel.ini", "b\r\nbase\\\r\nd\r\ndata\\\r\nc\r\nweb\r\n"); }, 1,
         "line 6 (web folder) does not end with a separator"},
        {"an empty folder line",
         [&] { dir.scrivi("varnel.ini", "b\r\nbase\\\r\nd\r\ndata\\\r\nc\r\n\r\n"); }, 1,
         "line 6 (web folder) is empty"},
        {"no archive folder", [&] { fs::remove_all(archivio()); }, 1, "previous_ftEs_plots"},
        {"a web folder that is not there", [&] { fs::remove_all(web()); }, 1, "does not exist"},
        {"no station in the data folder",
         [&] {
             fs::remove_all(dir.percorso() / "data");
             dir.scrivi("data/readme.txt", "notes\r\n");
         },
         1, "no station recognised"},
        {"a forecast in single spaces", [&] { dir.scrivi("base/012025.txt", zigzag); }, 1,
         "012025.txt: line 2 is not 24 fields of five characters"},
    };
    for (const Caso& c : casi) {
        dir.scrivi("varnel.ini", ini);
        c.guasta();
        const test::Esito e = esegui(dir.percorso(), "--check --date 2025-01-05");
        EXPECT_EQ(e.stato, c.stato) << c.cosa << "\n" << e.out;
        EXPECT_NE(e.out.find(c.detto), std::string::npos) << c.cosa << "\n" << e.out;
        EXPECT_EQ(e.out.find("fix: ") != std::string::npos, c.stato == 1) << c.cosa;
        // Looked at, never written: no chart, archive copy, BMP or temporary.
        EXPECT_TRUE(test::nomi_in(web()).empty()) << c.cosa;
        EXPECT_TRUE(test::nomi_in(archivio()).empty()) << c.cosa;
        EXPECT_EQ(test::nomi_in(base()).count("grafico1.bmp"), 0u) << c.cosa;
        // Put the station back as it was.
        fs::create_directories(archivio());
        fs::create_directories(web());
        dir.scrivi("data/CN12A_20250050715.TXT", test::file_sondaggio("Cind", "12.0"));
        fs::remove(dir.percorso() / "data" / "readme.txt");
        std::string riga;
        for (int k = 0; k < 24; ++k) riga += "  5.0";
        dir.scrivi("base/012025.txt", "forecast\r\n" + riga + "\r\n");
    }
    // A month without its forecast file is told, and is no problem; the station is named with
    // the file it was recognised from.
    const test::Esito e = esegui(dir.percorso(), "--check --date 2025-01-05");
    EXPECT_NE(e.out.find("station kind 2 (key \"Cind\") recognised from data"), std::string::npos)
        << e.out;
    EXPECT_NE(e.out.find("CN12A_20250050715.TXT"), std::string::npos) << e.out;
    EXPECT_NE(e.out.find(" exists and can be listed"), std::string::npos) << e.out;
    EXPECT_NE(e.out.find("122024.txt: not found; its charts have no forecast"), std::string::npos)
        << e.out;
    EXPECT_EQ(esegui(dir.percorso(), "--check --backfill 2025-01-01").stato, 2);
}

}  // namespace
}  // namespace ftes
