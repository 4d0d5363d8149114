// SPDX-License-Identifier: MIT
#include "curves/osservazioni.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "canvas/colori.h"
#include "canvas/cornice.h"
#include "curves/stazione.h"
#include "support/cartella_temporanea.h"
#include "support/gif.h"

namespace ftes {
namespace {

using Tipo = Osservazione::Tipo;

TEST(ValueColumn, KeywordsAndValuesOfCharacters16To19) {
    struct Caso {
        std::string colonna;
        Tipo tipo;
        double valore;
    };
    const Caso casi[] = {
        {" 4.5", Tipo::valore, 45},         {"12.3", Tipo::valore, 123},
        {" 0.8", Tipo::valore, 8},          {" 0.0", Tipo::valore, 0},
        {"N/A ", Tipo::non_disponibile, 0}, {" N/A", Tipo::non_disponibile, 0},
        {"NO  ", Tipo::nessuno_strato, 0},  {" NO ", Tipo::nessuno_strato, 0},
        {"  NO", Tipo::nessuno_strato, 0},  {"no  ", Tipo::valore, 0},
        {"n/a ", Tipo::valore, 0},          {"----", Tipo::valore, 0},
        {"    ", Tipo::valore, 0},          {"9999", Tipo::valore, 999},
        {"-5.0", Tipo::valore, -50},        {"1e99", Tipo::valore, 1},
    };
    for (const Caso& c : casi) {
        const Osservazione o = leggi_osservazione("ftEs           " + c.colonna + " MHz");
        EXPECT_EQ(o.tipo, c.tipo) << '"' << c.colonna << '"';
        EXPECT_EQ(o.valore, c.valore) << '"' << c.colonna << '"';
    }
    EXPECT_EQ(leggi_osservazione("short").tipo, Tipo::valore);  // fewer than 16 characters
    EXPECT_EQ(leggi_osservazione("short").valore, 0);
    EXPECT_EQ(leggi_osservazione("123456789012345 4.").valore, 4);  // column cut short
}

TEST(MinuteOffset, NearestTenthOfAnHourHalfwayGoingDown) {
    const int attesi[60] = {0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 3, 3, 3,  3,
                            3, 3, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6,  6,
                            7, 7, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 9, 9, 9, 9, 9, 9, 10, 10};
    for (int m = 0; m < 60; ++m) EXPECT_EQ(scarto_minuto(m), attesi[m]) << m;
}

// One day of soundings of a kind-2 station on 5 January 2025, and what the day's chart draws of
// them.
class GiornoDiSondaggi : public ::testing::Test {
  protected:
    void sondaggio(int ora, int minuto, const std::string& colonna) {
        scrivi(ora, minuto, test::file_sondaggio("Cind", colonna));
    }
    void scrivi(int ora, int minuto, const std::string& contenuto) {
        char nome[64];
        std::snprintf(nome, sizeof nome, "data/CN12A_2025005%02d%02d.TXT", ora, minuto);
        dir.scrivi(nome, contenuto);
    }
    OsservazioniGiorno leggi() {
        const StazioneTrovata stazione = trova_stazione(dir.prefisso("data"));
        if (stazione.tipo_stazione == 0) return {};
        return leggi_osservazioni(stazione.tipo_stazione, dir.prefisso("data"), "012025", "005");
    }
    std::vector<Segno> disegna() { return segni_osservazioni(leggi().sondaggi); }
    static std::vector<Segno> di(const std::vector<Segno>& segni, Segno::Tipo t) {
        std::vector<Segno> out;
        for (const auto& s : segni) {
            if (s.tipo == t) out.push_back(s);
        }
        return out;
    }
    test::CartellaTemporanea dir;
};

TEST_F(GiornoDiSondaggi, QuarterHourSoundingsOffTheHourAreAllLinked) {
    // Minutes 05, 20, 35, 50: offsets 1, 3, 6, 8, so each point lies 2 or 3 after the last.
    for (int ora = 0; ora < 3; ++ora) {
        for (int minuto : {5, 20, 35, 50}) sondaggio(ora, minuto, " 4.5");
    }
    const auto segni = disegna();
    const auto punti = di(segni, Segno::Tipo::punto);
    const auto linee = di(segni, Segno::Tipo::collegamento);
    ASSERT_EQ(punti.size(), 12u);
    EXPECT_EQ(linee.size(), 11u);  // all but the first point of the day
    const float xs[] = {1, 3, 6, 8, 11, 13, 16, 18, 21, 23, 26, 28};
    for (std::size_t i = 0; i < punti.size(); ++i) {
        EXPECT_EQ(punti[i].x1, xs[i]);
        EXPECT_EQ(punti[i].y1, 45);
    }
    for (std::size_t i = 0; i < linee.size(); ++i) {
        EXPECT_EQ(linee[i].x1, xs[i + 1]);  // from the new point back to the previous one
        EXPECT_EQ(linee[i].x2, xs[i]);
    }
    // Each link is drawn right after the point it starts from.
    EXPECT_EQ(segni[0].tipo, Segno::Tipo::punto);
    EXPECT_EQ(segni[1].tipo, Segno::Tipo::punto);
    EXPECT_EQ(segni[2], (Segno{Segno::Tipo::collegamento, 3, 45, 1, 45}));
}

TEST_F(GiornoDiSondaggi, MinuteZeroIsTriedLastInItsHour) {
    // Minutes 00, 15, 30, 45: only 15-30 and 30-45 are linked within each hour; the 00 point
    // comes after the 45 point of its own hour.
    for (int ora = 0; ora < 2; ++ora) {
        for (int minuto : {0, 15, 30, 45}) sondaggio(ora, minuto, " 5.0");
    }
    const auto segni = disegna();
    std::vector<float> xs;
    for (const auto& p : di(segni, Segno::Tipo::punto)) xs.push_back(p.x1);
    EXPECT_EQ(xs, (std::vector<float>{2, 5, 7, 0, 12, 15, 17, 10}));
    const auto linee = di(segni, Segno::Tipo::collegamento);
    ASSERT_EQ(linee.size(), 4u);
    EXPECT_EQ(linee[0].x1, 5);
    EXPECT_EQ(linee[1].x1, 7);
    EXPECT_EQ(linee[2].x1, 15);
    EXPECT_EQ(linee[3].x1, 17);
}

TEST_F(GiornoDiSondaggi, ZeroValuesKeywordsAndGapsInTheChainOfLinks) {
    sondaggio(1, 45, " 3.0");  // x 17
    sondaggio(2, 0, " 6.0");   // x 20, tried at the end of hour 2, after 02:15
    sondaggio(2, 15, " 0.0");  // x 22: linked back to 01:45? no, 17 + 5
    sondaggio(3, 5, " NO ");   // x 31: tick, chain untouched
    sondaggio(3, 20, "N/A ");  // nothing
    sondaggio(4, 5, " 2.0");   // x 41
    sondaggio(4, 20, "    ");  // x 43: empty column is the value 0, linked back to 41
    sondaggio(4, 35, " 7.0");  // x 46: not linked, the previous value is 0
    sondaggio(4, 40, "NO  ");  // x 47: tick
    sondaggio(4, 50, " 7.5");  // x 48: linked to 46 across the tick
    const auto segni = disegna();
    std::vector<std::pair<float, float>> punti;
    for (const auto& p : di(segni, Segno::Tipo::punto)) punti.push_back({p.x1, p.y1});
    EXPECT_EQ(punti, (std::vector<std::pair<float, float>>{
                         {17, 30}, {22, 0}, {20, 60}, {41, 20}, {43, 0}, {46, 70}, {48, 75}}));
    std::vector<std::vector<float>> rosse, arancio;
    for (const auto& l : di(segni, Segno::Tipo::collegamento))
        rosse.push_back({l.x1, l.y1, l.x2, l.y2});
    for (const auto& l : di(segni, Segno::Tipo::assenza))
        arancio.push_back({l.x1, l.y1, l.x2, l.y2});
    // "N/A" is read, and draws nothing.
    const auto letti = leggi().sondaggi;
    EXPECT_EQ(std::count_if(
                  letti.begin(), letti.end(),
                  [](const Sondaggio& x) { return x.osservazione.tipo == Tipo::non_disponibile; }),
              1);
    // 22 after 17: 5 apart, no link; 20 after 22: backwards, no link.
    EXPECT_EQ(rosse, (std::vector<std::vector<float>>{{43, 0, 41, 20}, {48, 75, 46, 70}}));
    EXPECT_EQ(arancio, (std::vector<std::vector<float>>{{31, 1, 31, 8}, {47, 1, 47, 8}}));
}

TEST_F(GiornoDiSondaggi, LateMinutesMoveToTheNextHoursPosition) {
    sondaggio(10, 58, " 4.0");
    sondaggio(11, 0, " 4.0");
    sondaggio(23, 59, " 4.0");
    std::vector<float> xs;
    for (const auto& p : di(disegna(), Segno::Tipo::punto)) xs.push_back(p.x1);
    EXPECT_EQ(xs, (std::vector<float>{110, 110, 240}));
}

TEST_F(GiornoDiSondaggi, ShortFilesAreSkippedAndLinesAfterTheEighthIgnored) {
    sondaggio(5, 5, " 4.0");
    scrivi(5, 20, "Cind\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");  // seven lines: skipped
    scrivi(5, 35, "");
    scrivi(5, 50, test::file_sondaggio("Cind", " 6.0") + std::string(100000, 'x'));
    dir.crea_cartella("data/CN12A_20250050600.TXT");  // a folder where a file belongs
    std::vector<std::pair<float, float>> punti;
    for (const auto& p : di(disegna(), Segno::Tipo::punto)) punti.push_back({p.x1, p.y1});
    EXPECT_EQ(punti, (std::vector<std::pair<float, float>>{{51, 40}, {58, 60}}));
    // The short files and the folder are told, the folder as unreadable.
    const auto giorno = leggi();
    ASSERT_EQ(giorno.saltati.size(), 3u);
    EXPECT_EQ(giorno.illeggibili, 1);
    EXPECT_TRUE(giorno.saltati[2].illeggibile);
    EXPECT_NE(giorno.saltati[0].nota.text.find("fewer than 8 lines"), std::string::npos);
}

TEST_F(GiornoDiSondaggi, NoStationRecognisedNoFileOpened) {
    scrivi(5, 5, test::file_sondaggio("cind", " 4.0"));  // lower case: no key
    scrivi(5, 20, test::file_sondaggio("cind", " 4.0"));
    EXPECT_TRUE(disegna().empty());
}

TEST_F(GiornoDiSondaggi, DotsAreFilledLightRedLinksRedAndTicksOrangeOnTheChart) {
    sondaggio(7, 15, "12.0");   // x 72, 12.0 MHz: column 107, row 84.1
    sondaggio(7, 30, "16.0");   // x 75, 16.0 MHz: column 110, row 48.7
    sondaggio(12, 15, " NO ");  // x 122: column 157, rows 189 to 183
    canvas::Canvas area;
    canvas::imposta_dimensioni_e_scala(area);
    const Disegnati disegnati = disegna_osservazioni(area, leggi().sondaggi);
    EXPECT_EQ(disegnati.valori, 2);
    EXPECT_EQ(disegnati.assenze, 1);
    const auto p = test::fotografa(area);
    EXPECT_EQ(p.at(107, 84), colori::osservato);
    EXPECT_EQ(p.at(110, 49), colori::osservato);
    int link = 0;
    for (int r = 60; r < 73; ++r)
        link += p.at(108, r) == colori::osservato || p.at(109, r) == colori::osservato;
    EXPECT_GT(link, 5);
    EXPECT_EQ(p.at(157, 186), colori::assenza_strato);
    EXPECT_EQ(test::conta(p, colori::assenza_strato), 7);
}

}  // namespace
}  // namespace ftes
