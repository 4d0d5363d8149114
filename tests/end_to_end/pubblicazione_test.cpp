// SPDX-License-Identifier: MIT
// What a run publishes, from the built binary: six current charts and six archive copies across
// a year's end, the next day's shift, and what each failing step leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/gif.h"
#include "support/stazione_di_prova.h"

namespace ftes {
namespace {

namespace fs = std::filesystem;
using test::esegui;

class Pubblicazione : public test::StazioneDiProva {
  protected:
    // The BMPs a run left in the base folder.
    int bmp_rimasti() const {
        int n = 0;
        for (const auto& nome : test::nomi_in(base())) n += nome.ends_with(".bmp");
        return n;
    }
    const std::set<std::string> sei_correnti{"plotftEs1.gif", "plotftEs2.gif", "plotftEs3.gif",
                                             "plotftEs4.gif", "plotftEs5.gif", "plotftEs6.gif"};
    std::set<std::string> gif_in(const fs::path& cartella) const {
        std::set<std::string> s;
        for (const auto& n : test::nomi_in(cartella)) {
            if (n.ends_with(".gif")) s.insert(n);
        }
        return s;
    }
};

TEST_F(Pubblicazione, SixCurrentAndSixArchiveChartsAcrossTheYearEndAndNoBmpLeft) {
    EXPECT_EQ(esegui(dir.percorso(), "--date 2025-01-02").stato, 0);
    EXPECT_EQ(gif_in(web()), sei_correnti);
    EXPECT_EQ(gif_in(archivio()),
              (std::set<std::string>{"2024363.gif", "2024364.gif", "2024365.gif", "2024366.gif",
                                     "2025001.gif", "2025002.gif"}));
    // The archive's own index, one file a month, beside the copies.
    EXPECT_TRUE(fs::exists(archivio() / "2024-12.json"));
    EXPECT_TRUE(fs::exists(archivio() / "2025-01.json"));
    EXPECT_EQ(bmp_rimasti(), 0);
    for (const auto& nome : sei_correnti) {
        const auto gif = test::decodifica_gif((web() / nome).string());
        ASSERT_TRUE(gif) << nome;
        EXPECT_EQ(gif->larghezza, 286);
        EXPECT_EQ(gif->altezza, 231);
    }
    // The current chart of slot 4 and the archive of its day are the same picture.
    EXPECT_EQ(test::leggi_file(web() / "plotftEs4.gif"),
              test::leggi_file(archivio() / "2024366.gif"));
}

TEST_F(Pubblicazione, NextDayShiftsTheChartsAndKeepsOlderArchives) {
    ASSERT_EQ(esegui(dir.percorso(), "--date 2025-01-02").stato, 0);
    const std::string vecchio = test::leggi_file(archivio() / "2024363.gif");
    const std::string slot2 = test::leggi_file(web() / "plotftEs2.gif");
    ASSERT_EQ(esegui(dir.percorso(), "--date 2025-01-02").stato, 0);  // the same twelve files
    EXPECT_EQ(gif_in(web()).size(), 6u);
    EXPECT_EQ(gif_in(archivio()).size(), 6u);
    ASSERT_EQ(esegui(dir.percorso(), "--date 2025-01-03").stato, 0);
    EXPECT_EQ(gif_in(archivio()).size(), 7u);
    EXPECT_EQ(test::leggi_file(archivio() / "2024363.gif"), vecchio);
    EXPECT_EQ(test::leggi_file(web() / "plotftEs1.gif"), slot2);  // 29/12 moved to slot 1
}

TEST_F(Pubblicazione, EachFailingStepLeavesWhatItsPredecessorsDid) {
    // Missing archive folder: every slot still publishes its current chart, the BMPs stay.
    fs::remove_all(archivio());
    const test::Esito senza_archivio = esegui(dir.percorso(), "--date 2025-01-02");
    EXPECT_EQ(senza_archivio.stato, 1);
    EXPECT_EQ(gif_in(web()), sei_correnti);
    EXPECT_EQ(bmp_rimasti(), 6);
    // Without --verbose, one line says why.
    EXPECT_NE(senza_archivio.err.find("6 of 6 charts not published or not archived; the first: "
                                      "28/12/2024 plotftEs1.gif"),
              std::string::npos)
        << senza_archivio.err;

    // Missing chart folder: no current and no archive chart; the BMPs stay, and those of the
    // run before are swept.
    fs::create_directory(archivio());
    fs::remove_all(web());
    EXPECT_EQ(esegui(dir.percorso(), "--date 2025-01-02").stato, 1);
    EXPECT_TRUE(gif_in(archivio()).empty());
    EXPECT_EQ(bmp_rimasti(), 6);

    // Missing base folder: nothing is written or deleted anywhere.
    fs::create_directory(web());
    fs::remove_all(base());
    EXPECT_EQ(esegui(dir.percorso(), "--date 2025-01-02").stato, 1);
    EXPECT_TRUE(test::nomi_in(web()).empty() ||
                test::nomi_in(web()) == std::set<std::string>{".ftes-charts.lock"});
}

}  // namespace
}  // namespace ftes
