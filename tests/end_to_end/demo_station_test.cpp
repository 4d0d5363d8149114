// SPDX-License-Identifier: MIT
// The demo station generator, read back by the batch.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "curves/osservazioni.h"
#include "curves/stazione.h"
#include "platform/line_reader.h"
#include "support/cartella_temporanea.h"
#include "support/gif.h"
#include "support/processo.h"

namespace ftes {
namespace {

namespace fs = std::filesystem;

int genera(const std::vector<std::string>& argomenti) {
    return test::esegui_programma(FTES_DEMO, argomenti, fs::current_path()).stato;
}

std::map<std::string, std::string> contenuti(const fs::path& cartella) {
    std::map<std::string, std::string> m;
    for (const auto& f : fs::directory_iterator(cartella)) {
        m[f.path().filename().string()] = test::leggi_file(f.path());
    }
    return m;
}

TEST(DemoStation, SoundingFilesTheBatchReadsAndChartsOnEveryDay) {
    test::CartellaTemporanea dir;
    const std::string demo = (dir.percorso() / "demo").string();
    ASSERT_EQ(genera({demo, "--date", "2025-01-02", "--seed", "3"}), 0);

    int valori = 0, nessuno = 0, non_disponibili = 0, file = 0;
    for (const auto& f : fs::directory_iterator(fs::path(demo) / "data")) {
        const std::string testo = test::leggi_file(f.path());
        ASSERT_NE(testo.find("\r\n"), std::string::npos);
        ASSERT_EQ(testo.find('\n'), testo.find("\r\n") + 1);  // CR LF line ends
        platform::LineReader r(platform::LineReader::InMemory{}, testo);
        std::vector<std::string> righe;
        for (auto l = r.next_line(); l && *l; l = r.next_line()) righe.push_back(**l);
        ASSERT_GE(righe.size(), 8u) << f.path();
        EXPECT_EQ(tipo_da_chiave(righe[0]), 2);
        const Osservazione o = leggi_osservazione(righe[7]);
        if (o.tipo == Osservazione::Tipo::valore) {
            ++valori;
            EXPECT_GE(o.valore, 20);
            EXPECT_LE(o.valore, 120);
        }
        nessuno += o.tipo == Osservazione::Tipo::nessuno_strato;
        non_disponibili += o.tipo == Osservazione::Tipo::non_disponibile;
        ++file;
    }
    // Every 15 minutes for six days, less the few soundings that never arrived.
    EXPECT_GT(file, 6 * 96 * 9 / 10);
    EXPECT_LT(file, 6 * 96);
    EXPECT_GT(valori, 0);
    EXPECT_GT(nessuno, 0);
    EXPECT_GT(non_disponibili, 0);
    EXPECT_TRUE(fs::exists(fs::path(demo) / "base" / "122024.txt"));
    EXPECT_TRUE(fs::exists(fs::path(demo) / "base" / "012025.txt"));

    ASSERT_EQ(test::esegui_programma(FTES_BINARY, {"--date", "2025-01-02"}, demo).stato, 0);
    for (int slot = 1; slot <= 6; ++slot) {
        const auto gif = test::decodifica_gif(
            (fs::path(demo) / "web" / ("plotftEs" + std::to_string(slot) + ".gif")).string());
        ASSERT_TRUE(gif);
        int rossi = 0;
        for (const auto& p : gif->pixel) rossi += p == canvas::Rgb{255, 0, 0};
        EXPECT_GT(rossi, 500) << slot;
    }
}

TEST(DemoStation, SameSeedSameFilesAndIntervalsOfFiveMinutes) {
    test::CartellaTemporanea dir;
    const std::string a = (dir.percorso() / "a").string(), b = (dir.percorso() / "b").string();
    ASSERT_EQ(genera({a, "--date", "2025-03-01", "--seed", "9"}), 0);
    ASSERT_EQ(genera({b, "--date", "2025-03-01", "--seed", "9"}), 0);
    EXPECT_EQ(contenuti(fs::path(a) / "data"), contenuti(fs::path(b) / "data"));

    const std::string c = (dir.percorso() / "c").string();
    ASSERT_EQ(genera({c, "--date", "2025-03-01", "--interval", "5"}), 0);
    EXPECT_GT(contenuti(fs::path(c) / "data").size(), 6u * 288 * 9 / 10);
    EXPECT_NE(genera({c, "--interval", "4"}), 0);
}

}  // namespace
}  // namespace ftes
