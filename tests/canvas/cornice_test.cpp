// SPDX-License-Identifier: MIT
#include "canvas/cornice.h"

#include <gtest/gtest.h>

#include "canvas/colori.h"
#include "support/gif.h"

namespace ftes::canvas {
namespace {

test::GifDecodificata con_cornice() {
    Canvas a;
    imposta_dimensioni_e_scala(a);
    disegna_cornice(a);
    return test::fotografa(a);
}

TEST(ChartFrame, EdgesGridAndLabelsWhereTheScalePutsThem) {
    const auto a = con_cornice();
    // Frame: left column 35, right column 276, bottom row 190, top row 21.
    for (int row = 22; row < 190; row += 7) {
        EXPECT_EQ(a.at(35, row), colori::cornice) << row;
        EXPECT_EQ(a.at(276, row), colori::cornice) << row;
    }
    for (int col = 36; col < 276; col += 7) {
        // the vertical grid lines, drawn after the frame, run down onto the bottom edge
        if (col % 50 != 35) {
            EXPECT_EQ(a.at(col, 190), colori::cornice) << col;
        }
        EXPECT_EQ(a.at(col, 21), colori::cornice) << col;
    }
    EXPECT_EQ(a.at(277, 190), colori::cornice);  // bottom and top edges run one unit further
    EXPECT_EQ(a.at(278, 190), colori::sfondo);
    // Grid: verticals at 5, 10, 15, 20 h (columns 85, 135, 185, 235) from y = 189 down,
    // horizontals at 5, 10, 15 MHz (rows 146, 102, 58).
    for (int col : {85, 135, 185, 235}) {
        EXPECT_EQ(a.at(col, 120), colori::griglia) << col;
        EXPECT_EQ(a.at(col, 22), colori::sfondo) << col;  // stops short of the top edge
    }
    for (int row : {146, 102, 58}) EXPECT_EQ(a.at(60, row), colori::griglia) << row;
    EXPECT_EQ(a.at(36, 146), colori::griglia);
    // Every text stands outside the frame: none inside, some below and some to the left.
    int dentro = 0, sotto = 0, sinistra = 0;
    for (int r = 0; r < a.altezza; ++r) {
        for (int c = 0; c < a.larghezza; ++c) {
            if (a.at(c, r) != colori::testo) continue;
            if (c > 35 && c < 276 && r > 21 && r < 190) ++dentro;
            if (r > 190) ++sotto;
            if (c < 35) ++sinistra;
        }
    }
    EXPECT_EQ(dentro, 0);
    EXPECT_GT(sotto, 0);
    EXPECT_GT(sinistra, 0);
    // "19" hangs from (-18, 195): column 17, row 17.7.
    bool diciannove = false;
    for (int c = 17; c < 30; ++c) diciannove |= a.at(c, 19) == colori::testo;
    EXPECT_TRUE(diciannove);
}

}  // namespace
}  // namespace ftes::canvas
