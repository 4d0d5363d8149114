// SPDX-License-Identifier: MIT
#include "curves/osservazioni.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "canvas/colori.h"
#include "canvas/cornice.h"
#include "curves/stazione.h"
#include "support/cartella_temporanea.h"

namespace ftes {
namespace {

using canvas::DrawnShape;
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

// One day of soundings of a kind-2 station on 5 January 2025, and what the day's chart asks
// the canvas to draw.
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
    std::vector<DrawnShape> disegna() {
        const StazioneTrovata stazione = trova_stazione(dir.prefisso("data"));
        if (stazione.tipo == 0) return {};
        std::array<std::string, 25> etichette{};
        const auto per_tipo = etichette_per_tipo(stazione.tipo);
        std::copy(per_tipo.begin(), per_tipo.end(), etichette.begin());
        std::array<std::string, 61> minuti{};
        for (int m = 1; m <= 60; ++m) {
            char testo[4];
            std::snprintf(testo, sizeof testo, "%02d", m % 60);  // slot 60 is minute 00
            minuti[std::size_t(m)] = testo;
        }
        const OsservazioniGiorno giorno = leggi_osservazioni(stazione.tipo, dir.prefisso("data"),
                                                             "012025", "005", etichette, minuti);
        canvas::Canvas area;
        canvas::imposta_dimensioni_e_scala(area);
        std::vector<DrawnShape> forme;
        area.record_to(&forme);
        const Disegnati disegnati = disegna_osservazioni(area, giorno.sondaggi);
        area.record_to(nullptr);
        EXPECT_EQ(disegnati.valori + disegnati.assenze, static_cast<int>(giorno.sondaggi.size()));
        return forme;
    }
    static std::vector<DrawnShape> di(const std::vector<DrawnShape>& forme, DrawnShape::Kind k) {
        std::vector<DrawnShape> out;
        for (const auto& f : forme) {
            if (f.kind == k) out.push_back(f);
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
    const auto forme = disegna();
    const auto punti = di(forme, DrawnShape::Kind::circle);
    const auto linee = di(forme, DrawnShape::Kind::line);
    ASSERT_EQ(punti.size(), 12u);
    EXPECT_EQ(linee.size(), 11u);  // all but the first point of the day
    const float xs[] = {1, 3, 6, 8, 11, 13, 16, 18, 21, 23, 26, 28};
    for (std::size_t i = 0; i < punti.size(); ++i) {
        EXPECT_EQ(punti[i].x1, xs[i]);
        EXPECT_EQ(punti[i].y1, 45);
        EXPECT_EQ(punti[i].x2, 2);
        EXPECT_EQ(punti[i].colour, colori::osservato);
        EXPECT_TRUE(punti[i].filled);
        EXPECT_EQ(punti[i].fill, colori::osservato);
    }
    for (std::size_t i = 0; i < linee.size(); ++i) {
        EXPECT_EQ(linee[i].x1, xs[i + 1]);  // from the new point back to the previous one
        EXPECT_EQ(linee[i].x2, xs[i]);
        EXPECT_EQ(linee[i].colour, colori::osservato);
    }
}

TEST_F(GiornoDiSondaggi, MinuteZeroIsTriedLastInItsHour) {
    // Minutes 00, 15, 30, 45: only 15-30 and 30-45 are linked within each hour; the 00 point
    // comes after the 45 point of its own hour.
    for (int ora = 0; ora < 2; ++ora) {
        for (int minuto : {0, 15, 30, 45}) sondaggio(ora, minuto, " 5.0");
    }
    const auto forme = disegna();
    std::vector<float> xs;
    for (const auto& p : di(forme, DrawnShape::Kind::circle)) xs.push_back(p.x1);
    EXPECT_EQ(xs, (std::vector<float>{2, 5, 7, 0, 12, 15, 17, 10}));
    const auto linee = di(forme, DrawnShape::Kind::line);
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
    const auto forme = disegna();
    std::vector<std::pair<float, float>> punti;
    for (const auto& p : di(forme, DrawnShape::Kind::circle)) punti.push_back({p.x1, p.y1});
    EXPECT_EQ(punti, (std::vector<std::pair<float, float>>{
                         {17, 30}, {22, 0}, {20, 60}, {41, 20}, {43, 0}, {46, 70}, {48, 75}}));
    std::vector<std::vector<float>> rosse, arancio;
    for (const auto& l : di(forme, DrawnShape::Kind::line)) {
        (l.colour == colori::osservato ? rosse : arancio).push_back({l.x1, l.y1, l.x2, l.y2});
        if (l.colour != colori::osservato) {
            EXPECT_EQ(l.colour, colori::assenza_strato);
        }
    }
    // 22 after 17: 5 apart, no link; 20 after 22: backwards, no link.
    EXPECT_EQ(rosse, (std::vector<std::vector<float>>{{43, 0, 41, 20}, {48, 75, 46, 70}}));
    EXPECT_EQ(arancio, (std::vector<std::vector<float>>{{31, 1, 31, 8}, {47, 1, 47, 8}}));
}

TEST_F(GiornoDiSondaggi, LateMinutesMoveToTheNextHoursPosition) {
    sondaggio(10, 58, " 4.0");
    sondaggio(11, 0, " 4.0");
    sondaggio(23, 59, " 4.0");
    std::vector<float> xs;
    for (const auto& p : di(disegna(), DrawnShape::Kind::circle)) xs.push_back(p.x1);
    EXPECT_EQ(xs, (std::vector<float>{110, 110, 240}));
}

TEST_F(GiornoDiSondaggi, ShortFilesAreSkippedAndLinesAfterTheEighthIgnored) {
    sondaggio(5, 5, " 4.0");
    scrivi(5, 20, "Cind\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");  // seven lines: skipped
    scrivi(5, 35, "");
    scrivi(5, 50, test::file_sondaggio("Cind", " 6.0") + std::string(100000, 'x'));
    dir.crea_cartella("data/CN12A_20250050600.TXT");  // a folder where a file belongs
    std::vector<std::pair<float, float>> punti;
    for (const auto& p : di(disegna(), DrawnShape::Kind::circle)) punti.push_back({p.x1, p.y1});
    EXPECT_EQ(punti, (std::vector<std::pair<float, float>>{{51, 40}, {58, 60}}));
}

TEST_F(GiornoDiSondaggi, NoStationRecognisedNoFileOpened) {
    scrivi(5, 5, test::file_sondaggio("cind", " 4.0"));  // lower case: no key
    scrivi(5, 20, test::file_sondaggio("cind", " 4.0"));
    EXPECT_TRUE(disegna().empty());
}

}  // namespace
}  // namespace ftes
