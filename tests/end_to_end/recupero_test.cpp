// SPDX-License-Identifier: MIT
// The operator's view of a run: the archive backfill and the summary line of every chart.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <vector>

#include "support/stazione_di_prova.h"

namespace ftes {
namespace {

namespace fs = std::filesystem;
using test::esegui;

class Recupero : public test::StazioneDiProva {
  protected:
    static std::vector<std::string> righe(const std::string& testo) {
        std::vector<std::string> v;
        std::istringstream in(testo);
        for (std::string r; std::getline(in, r);) {
            if (r.ends_with('\r')) r.pop_back();  // Windows ends its lines with CR LF
            v.push_back(r);
        }
        return v;
    }
};

TEST_F(Recupero, EachDayIsTheDailyRunsChartPublishedOnlyAsItsArchiveCopy) {
    // The daily run of 5 January in a copy of the station: its archive copies are the charts
    // the backfill must draw.
    test::CartellaTemporanea giornaliera;
    test::copia_cartella(dir.percorso(), giornaliera.percorso());
    ASSERT_EQ(esegui(giornaliera.percorso(), "--date 2025-01-05").stato, 0);
    dir.scrivi("web/plotftEs1.gif", "the live chart");

    const test::Esito e = esegui(dir.percorso(), "--backfill 2024-12-30..2025-01-06 --verbose");
    EXPECT_EQ(e.stato, 0) << e.err;
    EXPECT_EQ(test::nomi_in(web()), std::set<std::string>{"plotftEs1.gif"});
    EXPECT_EQ(test::leggi_file(web() / "plotftEs1.gif"), "the live chart");
    std::set<std::string> attesi = {"2024-12.json", "2025-01.json"};
    for (const char* giorno :
         {"2024365", "2024366", "2025001", "2025002", "2025003", "2025004", "2025005", "2025006"}) {
        attesi.insert(giorno + std::string(".gif"));
        attesi.insert(giorno + std::string(".csv"));
    }
    EXPECT_EQ(test::nomi_in(archivio()), attesi);
    // Beside each copy the table of its day: each sounding with the forecast of its hour, and
    // each hour without a sounding (a day gone has them all).
    const std::string tabella = test::leggi_file(archivio() / "2025005.csv");
    EXPECT_TRUE(
        tabella.starts_with("time_ut,ftes_mhz,state,forecast_mhz\n"
                            "00:00,,no sounding,5.0\n"))
        << tabella;
    for (const char* riga : {"\n06:00,,no sounding,5.0\n07:15,12.0,value,5.0\n"
                             "07:30,16.0,value,5.0\n08:00,,no sounding,5.0\n",
                             "\n12:15,,no layer,5.0\n13:00,,no sounding,5.0\n"}) {
        EXPECT_NE(tabella.find(riga), std::string::npos) << riga << "\n" << tabella;
    }
    EXPECT_EQ(std::count(tabella.begin(), tabella.end(), '\n'), 1 + 3 + 22) << tabella;
    EXPECT_NE(test::leggi_file(archivio() / "2025-01.json").find("\"csv\": \"2025005.csv\""),
              std::string::npos);
    for (const auto& f :
         fs::directory_iterator(giornaliera.percorso() / "base" / "previous_ftEs_plots")) {
        if (f.path().extension() != ".gif" && f.path().extension() != ".csv") continue;
        EXPECT_EQ(test::leggi_file(archivio() / f.path().filename()), test::leggi_file(f.path()))
            << f.path().filename();
    }
    EXPECT_EQ(avanzi(), std::set<std::string>{});

    // One summary line a day, oldest first: December has no forecast, 5 January two values
    // and one "NO".
    const auto linee = righe(e.err);
    // Eight summaries, each December one after the line that says its forecast is missing.
    ASSERT_EQ(linee.size(), 2u + 8u) << e.err;
    EXPECT_EQ(linee[1], "30/12/2024 " + test::nativo("previous_ftEs_plots/2024365.gif") +
                            ": 0 values, 0 no-layer, no sounding, "
                            "forecast missing, published");
    EXPECT_EQ(linee[8], "05/01/2025 " + test::nativo("previous_ftEs_plots/2025005.gif") +
                            ": 2 values, 1 no-layer, "
                            "forecast drawn, published");
    EXPECT_EQ(linee[9], "06/01/2025 " + test::nativo("previous_ftEs_plots/2025006.gif") +
                            ": 0 values, 0 no-layer, no sounding, "
                            "forecast drawn, published");
}

TEST_F(Recupero, AnArchiveCopyThatCannotBeWrittenGivesStatusOneAndSaysWhy) {
    fs::remove_all(archivio());
    const test::Esito e = esegui(dir.percorso(), "--backfill 2025-01-05 --verbose");
    EXPECT_EQ(e.stato, 1);
    EXPECT_TRUE(fs::is_empty(web()));
    EXPECT_NE(e.err.find("05/01/2025 " + test::nativo("previous_ftEs_plots/2025005.gif") +
                         ": 2 values, 1 no-layer, forecast drawn, not published (archive GIF: "
                         "cannot create a file"),
              std::string::npos)
        << e.err;
}

TEST_F(Recupero, TheDailyRunSumsUpEveryChart) {
    const test::Esito e = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(e.stato, 0);
    const auto linee = righe(e.err);
    ASSERT_EQ(linee.size(), 1u + 6u) << e.err;
    EXPECT_NE(linee[0].find(test::nativo("forecast curve: base/122024.txt: cannot open")),
              std::string::npos);
    EXPECT_EQ(
        linee[1],
        "31/12/2024 plotftEs1.gif: 0 values, 0 no-layer, no sounding, forecast missing, published");
    EXPECT_EQ(linee[6],
              "05/01/2025 plotftEs6.gif: 2 values, 1 no-layer, forecast drawn, published");

    fs::remove_all(web());
    const test::Esito senza_web = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(senza_web.stato, 1);
    EXPECT_NE(senza_web.err.find("05/01/2025 plotftEs6.gif: 2 values, 1 no-layer, forecast drawn, "
                                 "not published (current GIF: cannot create a file"),
              std::string::npos)
        << senza_web.err;
}

}  // namespace
}  // namespace ftes
