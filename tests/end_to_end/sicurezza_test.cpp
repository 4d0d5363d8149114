// SPDX-License-Identifier: MIT
// What a shared folder may hold by mistake or malice, and runs that end at the worst moment:
// the built batch never writes through a planted link, never hangs on a pipe or device, leaves
// every published chart whole and flushes the archive before it counts on it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "support/gif.h"
#include "support/piantati.h"
#include "support/stazione_di_prova.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace ftes {
namespace {

namespace fs = std::filesystem;
using test::esegui;

using Sicurezza = test::StazioneDiProva;

#ifndef _WIN32

TEST_F(Sicurezza, PlantedLinksAndPipesAreReplacedNeverWrittenThrough) {
    test::CartellaTemporanea altrove;
    std::map<fs::path, std::string> esterni;
    const auto link = [&](const fs::path& dove, const std::string& nome) {
        const fs::path esterno = altrove.scrivi(nome, "precious " + nome);
        esterni[esterno] = "precious " + nome;
        fs::create_symlink(esterno, dove);
    };
    link(base() / "grafico1.bmp", "bmp");
    link(web() / "plotftEs1.gif", "gif");
    link(archivio() / "2025005.gif", "archive");
    link(web() / ".plotftEs2.gif.tmp", "temporary");
    fs::create_symlink(altrove.percorso() / "nothing", base() / "grafico3.bmp");
    ::mkfifo((base() / "grafico2.bmp").c_str(), 0600);
    ::mkfifo((web() / "plotftEs3.gif").c_str(), 0600);

    const test::Esito e = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_FALSE(e.interrotto);
    EXPECT_EQ(e.stato, 0) << e.err;
    for (const auto& [esterno, contenuto] : esterni) {
        EXPECT_EQ(test::leggi_file(esterno), contenuto) << esterno;
    }
    // Nothing was written outside the station's folders either.
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(altrove.percorso()),
                                                     fs::directory_iterator())),
              esterni.size());
    EXPECT_EQ(pubblicati().size(), 12u);
    for (const auto& [nome, byte] : pubblicati()) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.percorso() / nome))) << nome;
        EXPECT_TRUE(test::decodifica_gif((dir.percorso() / nome).string())) << nome;
    }
    EXPECT_EQ(avanzi(), std::set<std::string>{});
}

TEST_F(Sicurezza, FoldersAtTemporaryNamesGoWhenEmptyAndAreNamedWithTheirFixOtherwise) {
    dir.crea_cartella("base/previous_ftEs_plots/.2025005.gif.tmp");
    dir.crea_cartella("base/previous_ftEs_plots/.2025004.gif.0123456789abcdef.tmp/kept");
    dir.crea_cartella("web/.plotftEs6.gif.tmp");
    const test::Esito e = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(e.stato, 0) << e.err;
    EXPECT_EQ(pubblicati().size(), 12u);
    EXPECT_FALSE(fs::exists(archivio() / ".2025005.gif.tmp"));
    EXPECT_FALSE(fs::exists(web() / ".plotftEs6.gif.tmp"));
    EXPECT_TRUE(fs::exists(archivio() / ".2025004.gif.0123456789abcdef.tmp" / "kept"));
    EXPECT_NE(
        e.err.find("ftes-charts: tidying up: " +
                   test::nativo("base/previous_ftEs_plots/.2025004.gif.0123456789abcdef.tmp") +
                   ": a folder that is not empty stands at a temporary name of the batch; "
                   "fix: remove it"),
        std::string::npos)
        << e.err;
}

TEST_F(Sicurezza, PipesDevicesAndFoldersInAFilesPlaceNeverHangTheRun) {
    // The data folder also holds a link to /dev/zero and a pipe that may be listed first; a
    // sounding and December's forecast are pipes, another sounding is a folder.
    test::pianta_non_regolari(dir.percorso() / "data");
    ::mkfifo((dir.percorso() / "data" / "CN12A_20250050800.TXT").c_str(), 0600);
    dir.crea_cartella("data/CN12A_20250050805.TXT");
    ::mkfifo((base() / "122024.txt").c_str(), 0600);
    const test::Esito e = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    ASSERT_FALSE(e.interrotto);
    // Every chart is published; the pipes and the folder are there but cannot be read.
    EXPECT_EQ(e.stato, 3) << e.err;
    EXPECT_NE(e.err.find("forecast curve: base/122024.txt: cannot open: not a regular file"),
              std::string::npos)
        << e.err;
    EXPECT_NE(e.err.find("data/CN12A_20250050800.TXT: cannot open: not a regular file"),
              std::string::npos);
    EXPECT_NE(e.err.find("data/CN12A_20250050805.TXT: cannot open: not a regular file"),
              std::string::npos);
    const auto gif = test::decodifica_gif((web() / "plotftEs6.gif").string());
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->at(107, 84), (canvas::Rgb{255, 0, 0}));  // 07:15 still drawn

    // varnel.ini itself a pipe: its folders are unknown, so the run stops, writing nothing.
    fs::remove(dir.percorso() / "varnel.ini");
    ::mkfifo((dir.percorso() / "varnel.ini").c_str(), 0600);
    const auto prima = pubblicati();
    const test::Esito senza = esegui(dir.percorso(), "--date 2025-01-05");
    ASSERT_FALSE(senza.interrotto);
    EXPECT_EQ(senza.stato, 1);
    EXPECT_NE(senza.err.find("varnel.ini: cannot open: not a regular file"), std::string::npos)
        << senza.err;
    EXPECT_EQ(pubblicati(), prima);
    EXPECT_FALSE(fs::exists(dir.percorso() / "plotftEs6.gif"));
}

#endif

TEST_F(Sicurezza, FilesCutShortByTheReadingBudgetAreNamedWithVerbose) {
    // A forecast whose line 1 runs past 4 MiB and a sounding whose first lines do (sparse: no
    // disk is spent on them).
    std::ofstream(base() / "122024.txt", std::ios::binary) << "forecast ";
    fs::resize_file(base() / "122024.txt", 5'000'000);
    std::ofstream(dir.percorso() / "data" / "CN12A_20250050900.TXT", std::ios::binary) << "Cind";
    fs::resize_file(dir.percorso() / "data" / "CN12A_20250050900.TXT", 5'000'000);
    const test::Esito e = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(e.stato, 0);
    EXPECT_NE(
        e.err.find(test::nativo("base/122024.txt") + ": longer than 4 MiB before line 2 ends"),
        std::string::npos)
        << e.err;
    EXPECT_NE(e.err.find("CN12A_20250050900.TXT: no line 8 within its first 4 MiB"),
              std::string::npos)
        << e.err;
}

}  // namespace
}  // namespace ftes
