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

namespace ftes::canvas {
namespace {

// The chart canvas as the batch sets it up.
Canvas area_del_grafico() {
    Canvas a;
    imposta_dimensioni_e_scala(a);
    return a;
}

int conta(const Canvas& a, Rgb colore) {
    int n = 0;
    for (int r = 0; r < a.height(); ++r) {
        for (int c = 0; c < a.width(); ++c) n += a.at(c, r) == colore;
    }
    return n;
}

TEST(Canvas, DrawingAreaAndScale) {
    const Canvas a = area_del_grafico();
    EXPECT_EQ(a.width(), 286);
    EXPECT_EQ(a.height(), 231);
    struct Caso {
        float x, y;
        double col, row;
    };
    const Caso casi[] = {
        {-35, 215, 0, 0},     {0, 0, 35, 190.3},    {240, 190, 275, 22.1}, {75, 210, 110, 4.4},
        {251, -46, 286, 231}, {240, 0, 275, 190.3}, {0, 191, 35, 21.2},    {241, 0, 276, 190.3},
    };
    for (const Caso& c : casi) {
        const PixelPoint p = a.to_pixel(c.x, c.y);
        EXPECT_NEAR(p.col, c.col, 0.05) << c.x << "," << c.y;
        EXPECT_NEAR(p.row, c.row, 0.05) << c.x << "," << c.y;
    }
}

TEST(Canvas, LinesAreClippedAtTheEdgesWhateverTheirCoordinates) {
    Canvas a = area_del_grafico();
    const Rgb rosso = colori::osservato;
    a.draw_line(0, 0, 1e30f, 0, rosso);  // runs off to the right: drawn up to the edge
    EXPECT_EQ(a.at(35, 190), rosso);
    EXPECT_EQ(a.at(285, 190), rosso);
    EXPECT_EQ(a.at(34, 190), colori::sfondo);
    EXPECT_EQ(conta(a, rosso), 285 - 35 + 1);

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
    EXPECT_LE(conta(b, rosso), 286 + 231);
    EXPECT_EQ(conta(b, colori::testo), 0);
}

TEST(Canvas, SolidCircleIsARoundFilledDotAndOutlineOnlyOtherwise) {
    Canvas a = area_del_grafico();
    const Rgb rosso = colori::osservato, blu{0, 0, 255};
    a.set_fill_solid(true);
    a.set_fill_colour(rosso);
    a.draw_circle(100, 100, 2, rosso);  // column 135, row (215-100)*231/261 = 101.8 -> 102
    EXPECT_EQ(conta(a, rosso), 21);     // 5 x 5 less its corners
    for (const auto& [dc, dr] : {std::pair{0, 0}, {2, 0}, {-2, 0}, {0, 2}, {0, -2}, {1, 1}}) {
        EXPECT_EQ(a.at(135 + dc, 102 + dr), rosso) << dc << "," << dr;
    }
    EXPECT_EQ(a.at(137, 104), colori::sfondo);

    a.clear();
    a.set_fill_solid(false);
    a.set_fill_colour(blu);
    a.draw_circle(100, 100, 2, rosso);
    EXPECT_EQ(a.at(135, 102), colori::sfondo);
    EXPECT_EQ(a.at(137, 102), rosso);
    EXPECT_EQ(conta(a, blu), 0);
}

TEST(Canvas, TextHangsFromItsPositionInTheTextColour) {
    Canvas a = area_del_grafico();
    a.set_position(75, 210);  // column 110, row 4.4
    a.print_text("Date: 05/12/2025");
    int min_col = 999, min_row = 999, max_col = -1;
    for (int r = 0; r < a.height(); ++r) {
        for (int c = 0; c < a.width(); ++c) {
            if (a.at(c, r) != colori::testo) continue;
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

TEST(Canvas, ClearKeepsTextColourAndFillSettings) {
    Canvas a = area_del_grafico();
    a.set_fill_solid(true);
    a.set_fill_colour(colori::previsione);
    a.draw_circle(50, 50, 2, colori::previsione);
    a.set_position(100, 100);
    a.print_text("19");
    a.clear();
    EXPECT_EQ(conta(a, colori::sfondo), 286 * 231);
    EXPECT_TRUE(a.fill_solid());
    EXPECT_EQ(a.fill_colour(), colori::previsione);
    a.print_text("19");
    EXPECT_GT(conta(a, colori::testo), 0);
    a.draw_circle(50, 50, 2, colori::previsione);
    EXPECT_EQ(conta(a, colori::previsione), 21);
}

TEST(Canvas, CaptureWritesTheDrawingAreaAsBmp) {
    test::CartellaTemporanea dir;
    Canvas a = area_del_grafico();
    a.draw_line(0, 0, 240, 190, colori::cornice);
    const std::string bmp = (dir.percorso() / "grafico1.bmp").string();
    dir.scrivi("grafico1.bmp", "old content");
    ASSERT_TRUE(a.capture_bmp(bmp));
    // One byte a pixel, rows padded to 288 bytes, after the headers and a palette of the two
    // colours drawn.
    EXPECT_EQ(std::filesystem::file_size(bmp), 54u + 4 * 2 + 288 * 231);
    int w = 0, h = 0, n = 0;
    stbi_uc* px = stbi_load(bmp.c_str(), &w, &h, &n, 3);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 286);
    EXPECT_EQ(h, 231);
    EXPECT_TRUE(std::equal(px, px + w * h * 3, a.rgb().begin()));
    stbi_image_free(px);
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
