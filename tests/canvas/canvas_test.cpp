// SPDX-License-Identifier: MIT
#include "canvas/canvas.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "canvas/bmp.h"
#include "canvas/colori.h"
#include "canvas/cornice.h"
#include "support/cartella_temporanea.h"
#include "support/gif.h"

namespace ftes::canvas {
namespace {

// The chart canvas as the batch sets it up.
Canvas area_del_grafico() {
    Canvas a;
    imposta_dimensioni_e_scala(a);
    return a;
}

using test::conta;
using test::fotografa;

TEST(Canvas, DrawingAreaAndScale) {
    const Canvas a = area_del_grafico();
    const auto p = fotografa(a);
    EXPECT_EQ(p.larghezza, 286);
    EXPECT_EQ(p.altezza, 231);
    struct Caso {
        float x, y;
        double col, row;
    };
    const Caso casi[] = {
        {-35, 215, 0, 0},     {0, 0, 35, 190.3},    {240, 190, 275, 22.1}, {75, 210, 110, 4.4},
        {251, -46, 286, 231}, {240, 0, 275, 190.3}, {0, 191, 35, 21.2},    {241, 0, 276, 190.3},
    };
    for (const Caso& c : casi) {
        const PixelPoint q = a.to_pixel(c.x, c.y);
        EXPECT_NEAR(q.col, c.col, 0.05) << c.x << "," << c.y;
        EXPECT_NEAR(q.row, c.row, 0.05) << c.x << "," << c.y;
    }
}

TEST(Canvas, LinesAreClippedAtTheEdgesWhateverTheirCoordinates) {
    Canvas a = area_del_grafico();
    const Rgb rosso = colori::osservato;
    a.draw_line(0, 0, 1e30f, 0, rosso);  // runs off to the right: drawn up to the edge
    const auto p = fotografa(a);
    EXPECT_EQ(p.at(35, 190), rosso);
    EXPECT_EQ(p.at(285, 190), rosso);
    EXPECT_EQ(p.at(34, 190), colori::sfondo);
    EXPECT_EQ(conta(p, rosso), 285 - 35 + 1);

    Canvas b = area_del_grafico();
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float estremi[][4] = {{-1e30f, -1e30f, 1e30f, 1e30f},
                                {nan, 0, 10, 10},
                                {0, inf, 10, 10},
                                {-inf, 5, inf, 5},
                                {300, 0, 400, 0},
                                {0, 216, 100, 300}};
    for (const auto& e : estremi) b.draw_line(e[0], e[1], e[2], e[3], rosso);
    b.draw_circle(nan, 0, 2, rosso);
    b.draw_circle(1e30f, -1e30f, 2, rosso);
    b.draw_circle(0, 0, 1e30f, rosso);
    b.set_position(inf, 0);
    b.print_text("x");
    // Only the diagonal through the whole area can be on it; nothing else is.
    const auto q = fotografa(b);
    EXPECT_LE(conta(q, rosso), 286 + 231);
    EXPECT_EQ(conta(q, colori::testo), 0);
}

TEST(Canvas, SolidCircleIsARoundFilledDotAndOutlineOnlyOtherwise) {
    Canvas a = area_del_grafico();
    const Rgb rosso = colori::osservato, blu{0, 0, 255};
    a.set_fill_solid(true);
    a.set_fill_colour(rosso);
    a.draw_circle(100, 100, 2, rosso);  // column 135, row (215-100)*231/261 = 101.8 -> 102
    const auto pieno = fotografa(a);
    EXPECT_EQ(conta(pieno, rosso), 21);  // 5 x 5 less its corners
    for (const auto& [dc, dr] : {std::pair{0, 0}, {2, 0}, {-2, 0}, {0, 2}, {0, -2}, {1, 1}}) {
        EXPECT_EQ(pieno.at(135 + dc, 102 + dr), rosso) << dc << "," << dr;
    }
    EXPECT_EQ(pieno.at(137, 104), colori::sfondo);

    a.clear();
    a.set_fill_solid(false);
    a.set_fill_colour(blu);
    a.draw_circle(100, 100, 2, rosso);
    const auto vuoto = fotografa(a);
    EXPECT_EQ(vuoto.at(135, 102), colori::sfondo);
    EXPECT_EQ(vuoto.at(137, 102), rosso);
    EXPECT_EQ(conta(vuoto, blu), 0);
}

TEST(Canvas, TextHangsFromItsPositionInTheTextColour) {
    Canvas a = area_del_grafico();
    a.set_position(75, 210);  // column 110, row 4.4
    a.print_text("Date: 05/12/2025");
    const auto p = fotografa(a);
    int min_col = 999, min_row = 999, max_col = -1;
    for (int r = 0; r < p.altezza; ++r) {
        for (int c = 0; c < p.larghezza; ++c) {
            if (p.at(c, r) != colori::testo) continue;
            min_col = std::min(min_col, c);
            min_row = std::min(min_row, r);
            max_col = std::max(max_col, c);
        }
    }
    EXPECT_EQ(min_col, 110);
    EXPECT_GE(min_row, 4);
    EXPECT_LE(min_row, 6);
    EXPECT_NEAR(max_col - min_col, 16 * 6, 12);  // about 6 pixels a character
    a.set_position(0, 0);
    a.print_text(std::string("\x01\xff\n", 3));  // bytes outside the font do no harm
}

TEST(Canvas, ClearLeavesABlackAreaAndKeepsTextColourAndFillSettings) {
    Canvas a = area_del_grafico();
    a.set_fill_solid(true);
    a.set_fill_colour(colori::previsione);
    a.draw_circle(50, 50, 2, colori::previsione);
    a.set_position(100, 100);
    a.print_text("19");
    a.clear();
    EXPECT_EQ(conta(fotografa(a), colori::sfondo), 286 * 231);
    // What is drawn next is still light yellow text and a filled dot.
    a.print_text("19");
    a.draw_circle(50, 50, 2, colori::previsione);
    const auto p = fotografa(a);
    EXPECT_GT(conta(p, colori::testo), 0);
    EXPECT_EQ(conta(p, colori::previsione), 21);
}

TEST(Canvas, CaptureWritesTheDrawingAreaAsBmp) {
    test::CartellaTemporanea dir;
    Canvas a = area_del_grafico();
    a.draw_line(0, 0, 240, 190, colori::cornice);
    const std::string bmp = (dir.percorso() / "grafico1.bmp").string();
    ASSERT_TRUE(a.capture_bmp(bmp));
    // One byte a pixel, rows padded to 288 bytes, after the headers and a palette of the two
    // colours drawn.
    EXPECT_EQ(std::filesystem::file_size(bmp), 54u + 4 * 2 + 288 * 231);
    int w = 0, h = 0, n = 0;
    stbi_uc* px = stbi_load(bmp.c_str(), &w, &h, &n, 3);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 286);
    EXPECT_EQ(h, 231);
    int gialli = 0;
    for (int i = 0; i < w * h; ++i)
        gialli += Rgb{px[i * 3], px[i * 3 + 1], px[i * 3 + 2]} == colori::cornice;
    EXPECT_GT(gialli, 240);
    stbi_image_free(px);
    // The BMP is a new file: what stands at its name is neither replaced nor written through.
    dir.scrivi("grafico2.bmp", "old content");
    EXPECT_FALSE(a.capture_bmp((dir.percorso() / "grafico2.bmp").string()));
    EXPECT_EQ(test::leggi_file(dir.percorso() / "grafico2.bmp"), "old content");
    EXPECT_FALSE(a.capture_bmp((dir.percorso() / "missing" / "g.bmp").string()));
}

}  // namespace
}  // namespace ftes::canvas

namespace ftes::canvas {
namespace {

TEST(Bmp, DecodesBackToThePictureForEveryRowPadding) {
    const std::vector<Rgb> tavolozza = {{0, 0, 0}, {255, 255, 0}, {100, 100, 100}, {255, 153, 0}};
    for (int w = 1; w <= 5; ++w) {
        std::vector<std::uint8_t> indici;
        for (int i = 0; i < w * 3; ++i)
            indici.push_back(static_cast<std::uint8_t>((i * 7 + w) % 4));
        const auto bmp = codifica_bmp(indici.data(), w, 3, tavolozza);
        EXPECT_EQ(bmp.size(), 54u + 4 * 4 + static_cast<std::size_t>((w + 3) / 4 * 4 * 3));
        int dw = 0, dh = 0, n = 0;
        stbi_uc* px =
            stbi_load_from_memory(bmp.data(), static_cast<int>(bmp.size()), &dw, &dh, &n, 3);
        ASSERT_NE(px, nullptr) << w;
        EXPECT_EQ(dw, w);
        EXPECT_EQ(dh, 3);
        for (std::size_t i = 0; i < indici.size(); ++i) {
            EXPECT_EQ((Rgb{px[i * 3], px[i * 3 + 1], px[i * 3 + 2]}), tavolozza[indici[i]])
                << w << " pixel " << i;
        }
        stbi_image_free(px);
    }
}

}  // namespace
}  // namespace ftes::canvas
