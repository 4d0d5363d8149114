// SPDX-License-Identifier: MIT
#include "curves/previsione.h"

#include <gtest/gtest.h>

#include <vector>

#include "canvas/colori.h"
#include "canvas/cornice.h"
#include "support/cartella_temporanea.h"

namespace ftes {
namespace {

using canvas::DrawnShape;

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

std::vector<DrawnShape> disegna(const test::CartellaTemporanea& dir) {
    platform::LineReader file((dir.percorso() / "032025.txt").string());
    if (!file.is_open()) return {};
    canvas::Canvas area;
    canvas::imposta_dimensioni_e_scala(area);
    std::vector<DrawnShape> forme;
    area.record_to(&forme);
    const PuntoPrevisione ultimo = disegna_previsione(area, leggi_previsione(file));
    area.record_to(nullptr);
    EXPECT_EQ(ultimo.x, 230);
    EXPECT_TRUE(area.fill_solid());
    EXPECT_EQ(area.fill_colour(), colori::previsione);
    return forme;
}

TEST(ForecastCurve, TwentyFourWhiteDotsJoinedByTwentyThreeLines) {
    test::CartellaTemporanea dir;
    EXPECT_TRUE(disegna(dir).empty());  // no forecast file: nothing drawn

    dir.scrivi("032025.txt", "header\r\n  4.5 12.0  3.2\r\n 99.9 99.9\r\n");
    const auto forme = disegna(dir);
    ASSERT_EQ(forme.size(), 24u + 23u);
    const std::int16_t attesi[] = {45, 120, 32};
    int punti = 0;
    for (std::size_t i = 0; i < forme.size(); ++i) {
        const DrawnShape& f = forme[i];
        EXPECT_EQ(f.colour, colori::previsione);
        if (f.kind == DrawnShape::Kind::circle) {
            EXPECT_EQ(f.x1, punti * 10.0f);
            EXPECT_EQ(f.y1, punti < 3 ? attesi[punti] : 0);
            EXPECT_EQ(f.x2, 2.0f);
            EXPECT_TRUE(f.filled);
            ++punti;
        } else {
            // each line joins the dot before to the dot just drawn
            EXPECT_EQ(f.x1, (punti - 2) * 10.0f);
            EXPECT_EQ(f.x2, (punti - 1) * 10.0f);
        }
    }
    EXPECT_EQ(forme[0].kind, DrawnShape::Kind::circle);
    EXPECT_EQ(forme[1].kind, DrawnShape::Kind::circle);  // no line before the second dot
    EXPECT_EQ(forme[2].kind, DrawnShape::Kind::line);
    EXPECT_EQ(forme[2].y1, 45);
    EXPECT_EQ(forme[2].y2, 120);
}

TEST(ForecastCurve, ShortOrEmptyFilesDrawAFlatCurve) {
    for (const char* contenuto : {"", "only one line\r\n", "\r\n"}) {
        test::CartellaTemporanea dir;
        dir.scrivi("032025.txt", contenuto);
        const auto forme = disegna(dir);
        ASSERT_EQ(forme.size(), 47u) << contenuto;
        for (const auto& f : forme) {
            EXPECT_EQ(f.y1, 0);
            if (f.kind == DrawnShape::Kind::line) {
                EXPECT_EQ(f.y2, 0);
            }
        }
    }
}

}  // namespace
}  // namespace ftes
