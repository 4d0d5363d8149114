// SPDX-License-Identifier: MIT
// Runs that end at the worst moment and a power cut's view of the disk: every published chart
// stays whole, the next run tidies up what a killed one left, and the archive is flushed before
// and after its rename. Linux only: the run is observed with strace and killed by a small
// library loaded into it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "batch/archivio.h"
#include "support/stazione_di_prova.h"

namespace ftes {
namespace {

namespace fs = std::filesystem;
using test::esegui;

class Interruzioni : public test::StazioneDiProva {
  protected:
    // New soundings on each of the six days and December's forecast: every chart changes.
    void nuovi_dati() {
        for (const char* giorno :
             {"2024366", "2025001", "2025002", "2025003", "2025004", "2025005"}) {
            dir.scrivi(std::string("data/CN12A_") + giorno + "1000.TXT",
                       test::file_sondaggio("Cind", " 9.0"));
        }
        std::string riga;
        for (int k = 0; k < 24; ++k) riga += "  3.0";
        dir.scrivi("base/122024.txt", "forecast\r\n" + riga + "\r\n");
    }
};

TEST_F(Interruzioni, TheArchiveIsOnTheDiskBeforeItsRenameAndItsFolderRightAfter) {
    const auto strace = test::strace_utilizzabile();
    if (!strace) GTEST_SKIP() << "strace is not installed or cannot trace here";
    const fs::path log = dir.percorso() / "trace.log";
    const auto e =
        test::esegui_programma(*strace,
                               {"-o", log.string(), "-e",
                                "trace=open,openat,fdatasync,fsync,rename,renameat,renameat2,close",
                                FTES_BINARY, "--date", "2025-01-05"},
                               // LeakSanitizer cannot work under ptrace.
                               dir.percorso(), {"ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_EQ(e.stato, 0) << e.err;

    // The calls as events on paths: each descriptor stands for the path it was opened on.
    // strace writes one call a line: name(arguments) = result.
    std::map<std::string, std::string> aperti;
    std::vector<std::string> eventi;
    std::istringstream righe(test::leggi_file(log));
    for (std::string r; std::getline(righe, r);) {
        const std::size_t parentesi = r.find('('), uguale = r.rfind(" = ");
        if (parentesi == std::string::npos || uguale == std::string::npos) continue;
        const std::string nome = r.substr(0, parentesi), esito = r.substr(uguale + 3);
        const std::size_t virgolette = r.find('"');
        const std::string primo =
            virgolette == std::string::npos
                ? std::string()
                : r.substr(virgolette + 1, r.find('"', virgolette + 1) - virgolette - 1);
        if (nome == "open" || nome == "openat") {
            if (!esito.starts_with("-")) aperti[esito] = primo;
        } else if ((nome == "fdatasync" || nome == "fsync") && esito == "0") {
            eventi.push_back(nome + " " +
                             aperti[r.substr(parentesi + 1, r.find(')') - parentesi - 1)]);
        } else if (nome.starts_with("rename") && esito == "0") {
            const std::size_t terza = r.find('"', r.find('"', virgolette + 1) + 1);
            // A temporary's name carries its run's mark: ".NAME.MARK.tmp" is told as ".NAME".
            std::string da = primo;
            if (da.ends_with(".tmp")) da.resize(da.size() - 4 - 17);
            eventi.push_back("rename " + da + " " +
                             r.substr(terza + 1, r.find('"', terza + 1) - terza - 1));
        }
    }
    const auto temporaneo = [](const std::string& ev) {
        // "fdatasync base/x/.NAME.MARK.tmp" as "fdatasync base/x/.NAME"
        return ev.ends_with(".tmp") ? ev.substr(0, ev.size() - 4 - 17) : ev;
    };
    const std::string cartella = "base/previous_ftEs_plots/";
    for (const char* giorno : {"2024366", "2025001", "2025002", "2025003", "2025004", "2025005"}) {
        const std::string gif = cartella + giorno + ".gif";
        const std::string temp = cartella + "." + giorno + ".gif";
        const auto dove = std::find(eventi.begin(), eventi.end(), "rename " + temp + " " + gif);
        ASSERT_NE(dove, eventi.end()) << gif;
        ASSERT_NE(dove, eventi.begin());
        EXPECT_EQ(temporaneo(*(dove - 1)), "fdatasync " + temp) << gif;
        ASSERT_NE(dove + 1, eventi.end());
        EXPECT_EQ(*(dove + 1), "fsync " + cartella) << gif;
        // Its entry in the archive's index is on the disk before it: flushed, renamed, and its
        // folder flushed.
        const std::string indice = cartella + (giorno[3] == '4' ? "2024-12" : "2025-01") + ".json";
        ASSERT_GE(dove - eventi.begin(), 4);
        EXPECT_EQ(*(dove - 2), "fsync " + cartella) << gif;
        EXPECT_EQ(*(dove - 3),
                  "rename " + cartella + "." + indice.substr(cartella.size()) + " " + indice)
            << gif;
        EXPECT_EQ(temporaneo(*(dove - 4)),
                  "fdatasync " + cartella + "." + indice.substr(cartella.size()))
            << gif;
    }
    // The current charts are rewritten by every run and not flushed: the six copies and the six
    // writes of their index are.
    EXPECT_EQ(std::count_if(eventi.begin(), eventi.end(),
                            [](const std::string& ev) { return ev.starts_with("fdatasync"); }),
              12);
}

TEST_F(Interruzioni, AKillAtAnyMomentLeavesEveryChartWholeAndTheNextRunTidiesUp) {
    ASSERT_EQ(esegui(dir.percorso(), "--date 2025-01-05").stato, 0);
    const auto vecchi = pubblicati();
    ASSERT_EQ(vecchi.size(), 12u);
    nuovi_dati();
    // The charts a whole run draws from the new data, and the station as the killed runs find
    // it: old charts, new data.
    test::CartellaTemporanea copie;
    const fs::path modello = copie.percorso() / "modello";
    test::copia_cartella(dir.percorso(), modello);
    ASSERT_EQ(esegui(dir.percorso(), "--date 2025-01-05").stato, 0);
    const auto nuovi = pubblicati();
    for (const auto& [nome, byte] : nuovi) ASSERT_TRUE(byte != vecchi.at(nome)) << nome;
    std::map<std::string, VoceArchivio> voci_nuove;
    for (const char* mese : {"2024-12", "2025-01"}) {
        for (const VoceArchivio& v :
             leggi_indice(test::leggi_file(archivio() / (std::string(mese) + ".json")))) {
            voci_nuove[v.file] = v;
        }
    }

    // Kill points across a run: every rename, flush, write and lock, the removals, and opens
    // from the first to the last.
    std::vector<std::string> punti;
    // Six current charts, and six archive copies each after its index.
    for (int n = 1; n <= 18; ++n) punti.push_back("rename:" + std::to_string(n));
    for (int n = 1; n <= 12; ++n) {
        punti.push_back("fdatasync:" + std::to_string(n));
        punti.push_back("fsync:" + std::to_string(n));
    }
    for (int n = 1; n <= 13; ++n) punti.push_back("flock:" + std::to_string(n));
    for (int n = 1; n <= 18; ++n) punti.push_back("write:" + std::to_string(n));
    for (int n = 1; n <= 12; ++n) punti.push_back("unlink:" + std::to_string(n));
    for (int n : {1, 2, 3, 5, 8, 13, 1500, 3000, 4500, 6000, 7500, 8660, 8680, 8700, 8720}) {
        punti.push_back("open:" + std::to_string(n));
    }
    for (int n : {1, 10, 30, 60, 100, 150}) punti.push_back("close:" + std::to_string(n));
    int uccisi = 0;
    for (const std::string& punto : punti) {
        fs::remove_all(dir.percorso());
        test::copia_cartella(modello, dir.percorso());
        const auto e =
            test::esegui_programma(FTES_BINARY, {"--date", "2025-01-05"}, dir.percorso(),
                                   {"LD_PRELOAD=" FTES_INTERRUTTORE, "FTES_UCCIDI=" + punto,
                                    "ASAN_OPTIONS=verify_asan_link_order=0"});
        uccisi += e.stato == -1;
        const auto dopo = pubblicati();
        ASSERT_EQ(dopo.size(), 12u) << punto;
        for (const auto& [nome, byte] : dopo) {
            EXPECT_TRUE(byte == vecchi.at(nome) || byte == nuovi.at(nome))
                << "killed at " << punto << ": " << nome << " is neither whole chart";
        }
        // The index never tells of less than a copy in place holds: a copy already the new
        // chart has its new entry.
        for (const char* mese : {"2024-12", "2025-01"}) {
            for (const VoceArchivio& v :
                 leggi_indice(test::leggi_file(archivio() / (std::string(mese) + ".json")))) {
                const std::string nome = "base/previous_ftEs_plots/" + v.file;
                if (dopo.at(nome) == nuovi.at(nome)) {
                    EXPECT_TRUE(v == voci_nuove.at(v.file) ||
                                (v.valori == voci_nuove.at(v.file).valori &&
                                 v.assenze == voci_nuove.at(v.file).assenze))
                        << "killed at " << punto << ": the index of " << v.file;
                }
            }
        }
        const auto e2 = esegui(dir.percorso(), "--date 2025-01-05");
        EXPECT_EQ(e2.stato, 0) << punto;
        EXPECT_EQ(pubblicati(), nuovi) << "after " << punto;
        EXPECT_EQ(avanzi(), std::set<std::string>{}) << "after " << punto;
    }
    EXPECT_GT(uccisi, static_cast<int>(punti.size()) * 3 / 4);  // the points lie inside a run
}

TEST_F(Interruzioni, TemporariesOfAKilledBackfillAreSweptByTheNextRunThatWritesThere) {
    // Killed just before the archive copy of its third day takes its name (each day's table
    // of values, then its index, are renamed into place before its copy).
    const auto e = test::esegui_programma(FTES_BINARY, {"--backfill", "2017-05-20..2017-05-25"},
                                          dir.percorso(),
                                          {"LD_PRELOAD=" FTES_INTERRUTTORE, "FTES_UCCIDI=rename:9",
                                           "ASAN_OPTIONS=verify_asan_link_order=0"});
    ASSERT_EQ(e.stato, -1);
    const auto rimasti = avanzi();
    ASSERT_EQ(rimasti.size(), 2u);
    EXPECT_TRUE(rimasti.begin()->starts_with(".2017142.gif.") &&
                rimasti.begin()->ends_with(".tmp"));
    EXPECT_TRUE(rimasti.rbegin()->starts_with("grafico6.") && rimasti.rbegin()->ends_with(".bmp"));
    // No daily run ever writes that day again; it removes the temporary all the same.
    const auto giornaliera = esegui(dir.percorso(), "--date 2025-01-05 --verbose");
    EXPECT_EQ(giornaliera.stato, 0);
    EXPECT_EQ(avanzi(), std::set<std::string>{});
    EXPECT_NE(giornaliera.err.find("1 temporary file left by a stopped run removed"),
              std::string::npos)
        << giornaliera.err;
}

TEST_F(Interruzioni, ARunStoppedBeforeItsEndLeavesItsStartAloneInTheLog) {
    const auto e = test::esegui_programma(
        FTES_BINARY, {"--date", "2025-01-05", "--log", "station.log"}, dir.percorso(),
        {"LD_PRELOAD=" FTES_INTERRUTTORE, "FTES_UCCIDI=rename:3",
         "ASAN_OPTIONS=verify_asan_link_order=0"});
    ASSERT_EQ(e.stato, -1);
    const std::string fermata = test::leggi_file(dir.percorso() / "station.log");
    EXPECT_TRUE(fermata.starts_with("== ftes-charts ")) << fermata;
    EXPECT_TRUE(fermata.ends_with(": started\n")) << fermata;
    EXPECT_EQ(std::count(fermata.begin(), fermata.end(), '\n'), 1) << fermata;

    // The next run adds its start and its report after it; the stopped run stays told.
    ASSERT_EQ(esegui(dir.percorso(), "--date 2025-01-05 --log station.log").stato, 0);
    const std::string dopo = test::leggi_file(dir.percorso() / "station.log");
    EXPECT_TRUE(dopo.starts_with(fermata)) << dopo;
    const std::string seguito = dopo.substr(fermata.size());
    const std::string intestazione = seguito.substr(0, seguito.find(": started\n"));
    EXPECT_TRUE(seguito.starts_with(intestazione + ": started\n" + intestazione +
                                    ": exit status 0 (every chart published)\n"))
        << dopo;
}

}  // namespace
}  // namespace ftes
