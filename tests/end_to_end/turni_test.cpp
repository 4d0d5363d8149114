// SPDX-License-Identifier: MIT
// Runs that write the same folders take turns, whoever starts them and from whatever folder: a
// run that cannot have its turn gives up writing nothing, runs at once each publish their own
// charts, a long backfill keeps the daily run out for about one chart, and a file system that
// gives no lock is said to, never taken for another run.
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

// Every chart a finished run leaves in the web and archive folders, by path within the station.
std::map<std::string, std::string> grafici(const fs::path& stazione) {
    std::map<std::string, std::string> m;
    for (const auto& cartella : {stazione / "web", stazione / "base" / "previous_ftEs_plots"}) {
        for (const auto& f : fs::directory_iterator(cartella)) {
            if (f.path().extension() != ".gif") continue;
            m[fs::relative(f.path(), stazione).generic_string()] = test::leggi_file(f.path());
        }
    }
    return m;
}

TEST_F(Turni, ARunThatCannotHaveItsTurnGivesUpWritingNothing) {
    platform::Turn altra_corsa = platform::Turn::open({dir.prefisso("base"), dir.prefisso("web")});
    ASSERT_TRUE(*altra_corsa.acquire(std::chrono::milliseconds(0)));
    // The refusal names the first turn file the run waited on: the two are taken in an order
    // of their own (the file system's), the same for every run.
    const auto rifiuto = [&](const std::string& err, const std::string& seguito) {
        for (const char* cartella : {"base", "web"}) {
            const std::string turno = test::nativo(std::string(cartella) + "/.ftes-charts.lock");
            if (senza_cr(err) == "ftes-charts: run lock: " + turno +
                                     ": another run of this station kept its turn for 1 s; " +
                                     seguito + "\n") {
                return true;
            }
        }
        return false;
    };

    const test::Esito giornaliera = esegui(dir.percorso(), "--date 2025-01-05 --wait 1");
    EXPECT_EQ(giornaliera.stato, 4);
    EXPECT_TRUE(rifiuto(giornaliera.err, "nothing written")) << giornaliera.err;
    const test::Esito recupero =
        esegui(dir.percorso(), "--backfill 2025-01-01..2025-01-05 --wait 1");
    EXPECT_EQ(recupero.stato, 4);
    // A backfill writes in the base folder alone, and waits on its turn there.
    EXPECT_EQ(senza_cr(recupero.err),
              "ftes-charts: run lock: " + test::nativo("base/.ftes-charts.lock") +
                  ": another run of this station kept its turn for 1 s; backfill stopped before "
                  "01/01/2025\n");
    EXPECT_EQ(pubblicati().size(), 0u);
    EXPECT_EQ(avanzi(), std::set<std::string>{});

    altra_corsa.release();
    EXPECT_EQ(esegui(dir.percorso(), "--date 2025-01-05 --wait 1").stato, 0);
    EXPECT_EQ(pubblicati().size(), 12u);
}

TEST_F(Turni, RunsFromTwoFoldersThatWriteTheSameFoldersNeverMixTheirCharts) {
    // A second station folder, as a copy for a manual run or a second account would be: its
    // varnel.ini names the same base, data and web folders by their full paths.
    const std::string ini = "base\r\n" + dir.prefisso("base") + "\r\ndata\r\n" +
                            dir.prefisso("data") + "\r\nweb\r\n" + dir.prefisso("web") + "\r\n";
    test::CartellaTemporanea altra;
    altra.scrivi("varnel.ini", ini);
    dir.scrivi("varnel.ini", ini);
    // What each run draws when it is alone.
    const auto da_solo = [&](const std::string& data) {
        test::CartellaTemporanea sola;
        test::copia_cartella(dir.percorso(), sola.percorso());
        sola.scrivi("varnel.ini", "b\r\nbase\\\r\nd\r\ndata\\\r\nw\r\nweb\\\r\n");
        EXPECT_EQ(esegui(sola.percorso(), "--date " + data).stato, 0);
        return grafici(sola.percorso());
    };
    const auto primo = da_solo("2025-01-05"), secondo = da_solo("2025-01-07");
#ifdef _WIN32
    const int giri = 8;  // each start of a program costs a second under Wine
#else
    const int giri = 80;
#endif
    for (int giro = 0; giro < giri; ++giro) {
        test::Esito a, b;
        std::thread altro([&] { b = esegui(altra.percorso(), "--date 2025-01-07 --verbose"); });
        a = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
        altro.join();
        ASSERT_EQ(a.stato, 0) << giro << a.err;
        ASSERT_EQ(b.stato, 0) << giro << b.err;
        // Every summary line says "published", and is true.
        for (const test::Esito* e : {&a, &b}) {
            EXPECT_EQ(senza_cr(e->err).find("not published"), std::string::npos) << e->err;
        }
        for (const auto& [nome, byte] : grafici(dir.percorso())) {
            const auto p = primo.find(nome), s = secondo.find(nome);
            const bool suo = (p != primo.end() && p->second == byte) ||
                             (s != secondo.end() && s->second == byte);
            ASSERT_TRUE(suo) << "round " << giro << ": " << nome << " is no run's own chart";
        }
        ASSERT_EQ(avanzi(), std::set<std::string>{}) << giro;
    }
}

TEST_F(Turni, AVarnelIniReplacedByRenameDuringABackfillLetsNoRunIn) {
    // The turn is on the folders a run writes, not on varnel.ini: an editor (or sed -i) that
    // writes a new file over it changes nothing.
    std::atomic<bool> finito{false};
    test::Esito recupero;
    std::thread lungo([&] {
        recupero = esegui(dir.percorso(), "--backfill 2023-01-01..2025-01-04");
        finito = true;
    });
    while (!fs::exists(archivio() / "2023001.gif") && !finito) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    dir.scrivi("varnel.ini.new", test::leggi_file(dir.percorso() / "varnel.ini"));
    fs::rename(dir.percorso() / "varnel.ini.new", dir.percorso() / "varnel.ini");
    const test::Esito giornaliera = esegui(dir.percorso(), "--date 2025-01-05 --wait 0");
    const bool durante = !finito;
    lungo.join();
    ASSERT_TRUE(durante) << "the backfill ended before the daily run: make it longer";
    EXPECT_EQ(giornaliera.stato, 4) << giornaliera.err;
    EXPECT_EQ(recupero.stato, 0) << recupero.err;
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
    const auto attesi = grafici(da_soli.percorso());

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
    while (grafici(dir.percorso()).empty() && finiti == 0) {
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
    const auto fatti = grafici(dir.percorso());
    EXPECT_EQ(fatti.size(), attesi.size());
    int diversi = 0;
    for (const auto& [nome, byte] : attesi) {
        const auto trovato = fatti.find(nome);
        diversi += trovato == fatti.end() || trovato->second != byte;
    }
    EXPECT_EQ(diversi, 0) << "charts that are not the day's own";
    EXPECT_EQ(avanzi(), std::set<std::string>{});
}

#ifndef _WIN32

TEST_F(Turni, AFileSystemThatGivesNoLockIsSaidToAndTheChartsArePublished) {
    const auto strace = test::strace_utilizzabile();
    if (!strace) GTEST_SKIP() << "strace is not installed or cannot trace here";
    for (const std::string errore : {"ENOLCK", "EOPNOTSUPP", "EINVAL"}) {
        const test::Esito e = test::esegui_con_guasto(
            *strace, dir.percorso(), {"base/.ftes-charts.lock", "web/.ftes-charts.lock"}, "flock",
            errore, "--date 2025-01-05 --metrics m.prom");
        EXPECT_EQ(e.stato, 0) << errore << e.err;
        const std::string err = senza_cr(e.err);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_TRUE(err.starts_with("ftes-charts: run lock: "));
        EXPECT_NE(err.find(": cannot lock: "), std::string::npos) << err;
        EXPECT_NE(err.find("the run goes on without its turn"), std::string::npos) << err;
        EXPECT_EQ(err.find("another run of this station kept"), std::string::npos) << err;
        EXPECT_EQ(pubblicati().size(), 12u) << errore;
        EXPECT_NE(test::leggi_file(dir.percorso() / "m.prom")
                      .find("ftes_charts_last_run_without_turn{station=\""),
                  std::string::npos);
        EXPECT_NE(
            test::leggi_file(dir.percorso() / "m.prom")
                .find("without_turn{station=\"" + dir.percorso().filename().string() + "\"} 1"),
            std::string::npos);
    }
}

#endif

}  // namespace
}  // namespace ftes
