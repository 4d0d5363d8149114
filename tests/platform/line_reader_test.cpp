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
    for (;;) {
        const auto l = r.next_line();
        EXPECT_TRUE(l);
        if (!l || !*l) return righe;
        righe.push_back(**l);
    }
}

// A reader of a file written in the folder.
LineReader da_file(const test::CartellaTemporanea& dir, std::string_view nome,
                   std::string_view contenuto) {
    auto f = InputFile::open(dir.scrivi(nome, contenuto).string());
    EXPECT_TRUE(f);
    return LineReader(std::move(*f));
}

std::optional<std::string> prossima(LineReader& r) {
    const auto l = r.next_line();
    return l ? *l : std::nullopt;
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
        LineReader in_memoria(LineReader::InMemory{}, c.testo);
        EXPECT_EQ(tutte(in_memoria), c.righe) << "in memory: " << c.testo;
        LineReader file = da_file(dir, "f.txt", c.testo);
        EXPECT_EQ(tutte(file), c.righe) << "from file: " << c.testo;
    }
}

TEST(LineReader, CrLfSplitAcrossReadBuffersIsOneLineEnd) {
    test::CartellaTemporanea dir;
    for (std::size_t lunghezza : {16 * 1024 - 1, 16 * 1024, 16 * 1024 + 1}) {
        const std::string prima(lunghezza, 'x');
        LineReader r = da_file(dir, "f.txt", prima + "\r\nsecond\r\n");
        EXPECT_EQ(tutte(r), (std::vector<std::string>{prima, "second"}));
    }
}

TEST(LineReader, OverlongLineIsCutAndItsRestSkipped) {
    const std::string lunga(LineReader::max_line_length + 5000, 'z');
    const std::string testo = lunga + "\nnext";
    LineReader r(LineReader::InMemory{}, testo);
    EXPECT_EQ(prossima(r)->size(), LineReader::max_line_length);
    EXPECT_EQ(prossima(r), "next");
}

TEST(LineReader, ReadingStopsAtTheScanBudgetAndSaysSo) {
    test::CartellaTemporanea dir;
    const std::string enorme(LineReader::max_scanned_bytes + 100, 'q');
    LineReader r = da_file(dir, "big.txt", enorme + "\nafter");
    EXPECT_EQ(prossima(r)->size(), LineReader::max_line_length);
    EXPECT_EQ(prossima(r), std::nullopt);  // "after" lies beyond the budget
    EXPECT_TRUE(r.cut_short());

    // A file that ends exactly at the budget is read whole.
    const std::string giusto(LineReader::max_scanned_bytes - 6, 'q');
    LineReader intero = da_file(dir, "exact.txt", giusto + "\nlast\n");
    EXPECT_TRUE(*intero.skip_line());
    EXPECT_EQ(prossima(intero), "last");
    EXPECT_EQ(prossima(intero), std::nullopt);
    EXPECT_FALSE(intero.cut_short());
    LineReader in_memoria(LineReader::InMemory{}, enorme);
    EXPECT_TRUE(*in_memoria.skip_line());
    EXPECT_TRUE(in_memoria.cut_short());
}

TEST(LineReader, SkippedLinesAndReusedTextGiveTheSameLines) {
    LineReader r(LineReader::InMemory{}, "one\r\ntwo\rthree\n\nfive");
    std::string riga = "left over from before";
    EXPECT_TRUE(*r.skip_line());
    EXPECT_TRUE(*r.read_line(riga));
    EXPECT_EQ(riga, "two");
    EXPECT_TRUE(*r.skip_line());
    EXPECT_TRUE(*r.read_line(riga));
    EXPECT_EQ(riga, "");
    EXPECT_TRUE(*r.read_line(riga));
    EXPECT_EQ(riga, "five");
    EXPECT_FALSE(*r.skip_line());
    EXPECT_FALSE(*r.read_line(riga));
}

TEST(LineReader, MissingFileFolderAndAnythingNotARegularFileDoNotOpen) {
    test::CartellaTemporanea dir;
    dir.crea_cartella("folder.txt");
    std::vector<std::filesystem::path> percorsi = test::pianta_non_regolari(dir.percorso());
    percorsi.push_back(dir.percorso() / "none.txt");
    percorsi.push_back(dir.percorso() / "folder.txt");
    for (const auto& p : percorsi) {
        const auto f = InputFile::open(p.string());
        ASSERT_FALSE(f) << p;
        EXPECT_NE(f.error().text, "") << p;
        if (p.filename() == "none.txt" || p.filename() == "folder.txt") {
            EXPECT_EQ(f.error().absent, p.filename() == "none.txt") << p;
        }
    }
}

}  // namespace
}  // namespace ftes::platform
