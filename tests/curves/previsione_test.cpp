// SPDX-License-Identifier: MIT
#include "curves/previsione.h"

#include <gtest/gtest.h>

#include <vector>

#include "canvas/colori.h"
#include "canvas/cornice.h"
#include "support/cartella_temporanea.h"
#include "support/gif.h"

namespace ftes {
namespace {

TEST(ForecastLine, FieldsOfFiveCharactersJoinWholeAndTenths) {
    auto v = valori_previsione_da_riga("  4.5 12.0  3.2");
    EXPECT_EQ(v[0], 45);
    EXPECT_EQ(v[1], 120);
    EXPECT_EQ(v[2], 32);
    EXPECT_EQ(v[3], 0);

    std::string dodici;
    for (int k = 0; k < 12; ++k) dodici += "  5.5";
    v = valori_previsione_da_riga(dodici);
    EXPECT_EQ(v[11], 55);
    EXPECT_EQ(v[12], 0);
    EXPECT_EQ(v[23], 0);

    EXPECT_EQ(valori_previsione_da_riga("  -.-  4.5")[0], 0);  // no digits
    EXPECT_EQ(valori_previsione_da_riga("  4.5 12")[1], 12);   // ends after whole MHz
    EXPECT_EQ(valori_previsione_da_riga("  4,7")[0], 47);      // the point is not looked at
    std::string piena;
    for (int k = 0; k < 24; ++k) piena += " 10.0";
    v = valori_previsione_da_riga(piena + "  9.9  9.9");  // beyond the 120th: ignored
    EXPECT_EQ(v[23], 100);
    EXPECT_EQ(valori_previsione_da_riga(""), (std::array<std::int16_t, 24>{}));
}

// What a forecast file of the folder draws: nothing when it does not open.
std::vector<SegnoPrevisione> disegna(const test::CartellaTemporanea& dir) {
    auto aperto = platform::InputFile::open((dir.percorso() / "032025.txt").string());
    if (!aperto) return {};
    platform::LineReader file(std::move(*aperto));
    const auto letta = leggi_previsione(file);
    EXPECT_TRUE(letta);
    return letta ? segni_previsione(letta->valori) : std::vector<SegnoPrevisione>{};
}

TEST(ForecastCurve, TwentyFourWhiteDotsJoinedByTwentyThreeLines) {
    test::CartellaTemporanea dir;
    EXPECT_TRUE(disegna(dir).empty());  // no forecast file: nothing drawn

    dir.scrivi("032025.txt", "header\r\n  4.5 12.0  3.2\r\n 99.9 99.9\r\n");
    const auto segni = disegna(dir);
    ASSERT_EQ(segni.size(), 24u + 23u);
    const float attesi[] = {45, 120, 32};
    int punti = 0;
    for (const SegnoPrevisione& s : segni) {
        if (s.tipo == SegnoPrevisione::Tipo::punto) {
            EXPECT_EQ(s.x1, punti * 10.0f);
            EXPECT_EQ(s.y1, punti < 3 ? attesi[punti] : 0);
            ++punti;
        } else {
            // each line joins the dot before to the dot just drawn
            EXPECT_EQ(s.x1, (punti - 2) * 10.0f);
            EXPECT_EQ(s.x2, (punti - 1) * 10.0f);
        }
    }
    EXPECT_EQ(segni[0].tipo, SegnoPrevisione::Tipo::punto);
    EXPECT_EQ(segni[1].tipo, SegnoPrevisione::Tipo::punto);  // no line before the second dot
    EXPECT_EQ(segni[2], (SegnoPrevisione{SegnoPrevisione::Tipo::linea, 0, 45, 10, 120}));
    EXPECT_EQ(segni.back().x2, 230);  // the last dot is 23 UT; none at 24
}

TEST(ForecastCurve, ShortOrEmptyFilesReadTheirLastLine) {
    struct Caso {
        const char* contenuto;
        float primo;  // the value of hour 0
    };
    // A line that is not there leaves the text as it was: a file of one line is read as its
    // line 1.
    for (const Caso c :
         {Caso{"", 0}, Caso{"only one line\r\n", 0}, Caso{"\r\n", 0}, Caso{"  4.5\r\n", 45}}) {
        test::CartellaTemporanea dir;
        dir.scrivi("032025.txt", c.contenuto);
        const auto segni = disegna(dir);
        ASSERT_EQ(segni.size(), 47u) << c.contenuto;
        EXPECT_EQ(segni[0].y1, c.primo) << c.contenuto;
        EXPECT_EQ(segni.back().y2, 0) << c.contenuto;
    }
}

TEST(ForecastCurve, DrawnAsWhiteDotsOnTheChart) {
    ValoriPrevisione valori{};
    valori.fill(50);
    canvas::Canvas area;
    canvas::imposta_dimensioni_e_scala(area);
    disegna_previsione(area, valori);
    // 5.0 MHz at 3 h: a white dot at column 65, row (215 - 50) * 231 / 261 = 146.
    const auto p = test::fotografa(area);
    EXPECT_EQ(p.at(65, 146), colori::previsione);
    EXPECT_EQ(p.at(65, 145), colori::previsione);  // filled, above the line through it
}

TEST(ForecastFormat, TheFixedFieldsOfLineTwo) {
    std::string buona;
    for (int k = 0; k < 24; ++k) buona += k % 2 ? " 12.0" : "  4.5";
    EXPECT_TRUE(formato_previsione(buona));
    EXPECT_TRUE(formato_previsione(buona + " trailing"));
    std::string zigzag;
    for (int k = 0; k < 24; ++k) zigzag += "5.0 ";
    std::string iniziale = buona, virgola = buona;
    iniziale[0] = 'x';
    virgola[3] = ',';
    for (const std::string& cattiva : {zigzag, buona.substr(0, 119), iniziale, virgola}) {
        EXPECT_FALSE(formato_previsione(cattiva)) << cattiva;
    }
}

}  // namespace
}  // namespace ftes
