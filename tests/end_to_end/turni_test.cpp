// SPDX-License-Identifier: MIT
// Runs of one station take turns: a run that cannot have its turn gives up writing nothing, two
// backfills and a daily run at once each publish their own charts, and a long backfill keeps the
// daily run out for about one chart.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/file_system.h"
#include "support/stazione_di_prova.h"

namespace ftes {
namespace {

namespace fs = std::filesystem;
using test::esegui;
using Turni = test::StazioneDiProva;

// stderr as Linux writes it: Windows ends its lines with CR LF.
std::string senza_cr(std::string testo) {
    std::erase(testo, '\r');
    return testo;
}

TEST_F(Turni, ARunThatCannotHaveItsTurnGivesUpWritingNothing) {
    platform::StationLock altra_corsa((dir.percorso() / "varnel.ini").string());
    ASSERT_TRUE(altra_corsa.acquire(std::chrono::milliseconds(0)));
    const std::string ini = dir.prefisso() + "varnel.ini";

    const test::Esito giornaliera = esegui(dir.percorso(), "--date 2025-01-05 --wait 1");
    EXPECT_EQ(giornaliera.stato, 4);
    EXPECT_EQ(senza_cr(giornaliera.err),
              "ftes-charts: run lock: " + ini +
                  ": another run of this station kept its turn for 1 s; nothing "
                  "written\n");
    const test::Esito recupero =
        esegui(dir.percorso(), "--backfill 2025-01-01..2025-01-05 --wait 1");
    EXPECT_EQ(recupero.stato, 4);
    EXPECT_EQ(senza_cr(recupero.err),
              "ftes-charts: run lock: " + ini +
                  ": another run of this station kept its turn for 1 s; backfill "
                  "stopped before 01/01/2025\n");
    EXPECT_EQ(pubblicati().size(), 0u);
    EXPECT_EQ(avanzi(), std::set<std::string>{});

    altra_corsa.release();
    EXPECT_EQ(esegui(dir.percorso(), "--date 2025-01-05 --wait 1").stato, 0);
    EXPECT_EQ(pubblicati().size(), 12u);
}

TEST_F(Turni, TwoBackfillsAndADailyRunAtOnceEachPublishTheirOwnCharts) {
    // Months of archive (weeks under Wine, where a chart costs far more), and the charts each
    // run draws when it is alone.
#ifdef _WIN32
    const std::string recupero = "--backfill 2024-11-26..2025-01-04";
#else
    const std::string recupero = "--backfill 2024-09-01..2025-01-04";
#endif
    test::CartellaTemporanea da_soli;
    test::copia_cartella(dir.percorso(), da_soli.percorso());
    ASSERT_EQ(esegui(da_soli.percorso(), recupero).stato, 0);
    ASSERT_EQ(esegui(da_soli.percorso(), "--date 2025-01-05").stato, 0);
    std::map<std::string, std::string> attesi;
    for (const auto& cartella :
         {da_soli.percorso() / "web", da_soli.percorso() / "base" / "previous_ftEs_plots"}) {
        for (const auto& f : fs::directory_iterator(cartella)) {
            attesi[fs::relative(f.path(), da_soli.percorso()).generic_string()] =
                test::leggi_file(f.path());
        }
    }

    std::atomic<int> finiti{0};
    test::Esito primo, secondo;
    std::thread a([&] {
        primo = esegui(dir.percorso(), recupero);
        ++finiti;
    });
    std::thread b([&] {
        secondo = esegui(dir.percorso(), recupero);
        ++finiti;
    });
    // The daily run starts once the backfills are at work.
    while (fs::is_empty(archivio()) && finiti == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto inizio = std::chrono::steady_clock::now();
    const test::Esito giornaliera = esegui(dir.percorso(), "--date 2025-01-05 --wait 30");
    const auto durata = std::chrono::steady_clock::now() - inizio;
    const bool durante = finiti == 0;
    a.join();
    b.join();

    EXPECT_EQ(giornaliera.stato, 0) << giornaliera.err;
    EXPECT_EQ(primo.stato, 0) << primo.err;
    EXPECT_EQ(secondo.stato, 0) << secondo.err;
    EXPECT_TRUE(durante) << "the backfills ended before the daily run: make them longer";
    EXPECT_LT(durata, std::chrono::seconds(10));
    const auto fatti = pubblicati();
    EXPECT_EQ(fatti.size(), attesi.size());
    int diversi = 0;
    for (const auto& [nome, byte] : attesi) {
        const auto trovato = fatti.find(nome);
        diversi += trovato == fatti.end() || trovato->second != byte;
    }
    EXPECT_EQ(diversi, 0) << "charts that are not the day's own";
    EXPECT_EQ(avanzi(), std::set<std::string>{});
}

}  // namespace
}  // namespace ftes
