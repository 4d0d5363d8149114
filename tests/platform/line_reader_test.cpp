// SPDX-License-Identifier: MIT
#include "platform/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/cartella_temporanea.h"
#include "support/piantati.h"

namespace ftes::platform {
namespace {

std::vector<std::string> tutte(LineReader& r) {
    std::vector<std::string> righe;
    while (auto l = r.next_line()) righe.push_back(*l);
    return righe;
}

struct CasoRighe {
    std::string testo;
    std::vector<std::string> righe;
};

TEST(LineReader, LineEndsAreCrCrLfOrLfAndTheLastLineNeedsNone) {
    const std::vector<CasoRighe> casi = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\rc", {"a", "b", "c"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"\r\n\r\n", {"", ""}},
        {"  x  \r\n", {"  x  "}},
        {std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
    };
    test::CartellaTemporanea dir;
    for (const auto& c : casi) {
        auto in_memoria = LineReader::from_memory(c.testo);
        EXPECT_EQ(tutte(in_memoria), c.righe) << "in memory: " << c.testo;
        LineReader da_file(dir.scrivi("f.txt", c.testo).string());
        ASSERT_TRUE(da_file.is_open());
        EXPECT_EQ(tutte(da_file), c.righe) << "from file: " << c.testo;
    }
}

TEST(LineReader, CrLfSplitAcrossReadBuffersIsOneLineEnd) {
    test::CartellaTemporanea dir;
    for (std::size_t lunghezza : {16 * 1024 - 1, 16 * 1024, 16 * 1024 + 1}) {
        const std::string prima(lunghezza, 'x');
        LineReader r(dir.scrivi("f.txt", prima + "\r\nsecond\r\n").string());
        EXPECT_EQ(tutte(r), (std::vector<std::string>{prima, "second"}));
    }
}

TEST(LineReader, OverlongLineIsCutAndItsRestSkipped) {
    const std::string lunga(LineReader::max_line_length + 5000, 'z');
    const std::string testo = lunga + "\nnext";
    auto r = LineReader::from_memory(testo);
    EXPECT_EQ(r.next_line()->size(), LineReader::max_line_length);
    EXPECT_EQ(r.next_line(), "next");
}

TEST(LineReader, ReadingStopsAtTheScanBudgetAndSaysSo) {
    test::CartellaTemporanea dir;
    const std::string enorme(LineReader::max_scanned_bytes + 100, 'q');
    LineReader r(dir.scrivi("big.txt", enorme + "\nafter").string());
    EXPECT_EQ(r.next_line()->size(), LineReader::max_line_length);
    EXPECT_EQ(r.next_line(), std::nullopt);  // "after" lies beyond the budget
    EXPECT_TRUE(r.cut_short());

    // A file that ends exactly at the budget is read whole.
    const std::string giusto(LineReader::max_scanned_bytes - 6, 'q');
    LineReader intero(dir.scrivi("exact.txt", giusto + "\nlast\n").string());
    EXPECT_TRUE(intero.skip_line());
    EXPECT_EQ(intero.next_line(), "last");
    EXPECT_EQ(intero.next_line(), std::nullopt);
    EXPECT_FALSE(intero.cut_short());
    auto in_memoria = LineReader::from_memory(enorme);
    EXPECT_TRUE(in_memoria.skip_line());
    EXPECT_TRUE(in_memoria.cut_short());
}

TEST(LineReader, SkippedLinesAndReusedTextGiveTheSameLines) {
    auto r = LineReader::from_memory("one\r\ntwo\rthree\n\nfive");
    std::string riga = "left over from before";
    EXPECT_TRUE(r.skip_line());
    EXPECT_TRUE(r.read_line(riga));
    EXPECT_EQ(riga, "two");
    EXPECT_TRUE(r.skip_line());
    EXPECT_TRUE(r.read_line(riga));
    EXPECT_EQ(riga, "");
    EXPECT_TRUE(r.read_line(riga));
    EXPECT_EQ(riga, "five");
    EXPECT_FALSE(r.skip_line());
    EXPECT_FALSE(r.read_line(riga));
}

TEST(LineReader, MissingFileFolderAndAnythingNotARegularFileDoNotOpen) {
    test::CartellaTemporanea dir;
    dir.crea_cartella("folder.txt");
    std::vector<std::filesystem::path> percorsi = test::pianta_non_regolari(dir.percorso());
    percorsi.push_back(dir.percorso() / "none.txt");
    percorsi.push_back(dir.percorso() / "folder.txt");
    for (const auto& p : percorsi) {
        LineReader r(p.string());
        EXPECT_FALSE(r.is_open()) << p;
        EXPECT_NE(r.error().text, "") << p;
        if (p.filename() == "none.txt" || p.filename() == "folder.txt") {
            EXPECT_EQ(r.error().absent, p.filename() == "none.txt") << p;
        }
        EXPECT_EQ(r.next_line(), std::nullopt);
    }
}

}  // namespace
}  // namespace ftes::platform
