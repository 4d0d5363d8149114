#include "platform/line_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/cartella_temporanea.h"

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

TEST(LineReader, ReadingStopsAtTheScanBudget) {
    test::CartellaTemporanea dir;
    const std::string enorme(LineReader::max_scanned_bytes + 100, 'q');
    LineReader r(dir.scrivi("big.txt", enorme + "\nafter").string());
    EXPECT_EQ(r.next_line()->size(), LineReader::max_line_length);
    EXPECT_EQ(r.next_line(), std::nullopt);  // "after" lies beyond the budget
}

TEST(LineReader, MissingFileFolderAndFifoDoNotOpen) {
    test::CartellaTemporanea dir;
    dir.crea_cartella("folder.txt");
    const std::string fifo = (dir.percorso() / "pipe.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& p :
         {(dir.percorso() / "none.txt").string(), (dir.percorso() / "folder.txt").string(), fifo}) {
        LineReader r(p);
        EXPECT_FALSE(r.is_open()) << p;
        EXPECT_EQ(r.next_line(), std::nullopt);
    }
}

}  // namespace
}  // namespace ftes::platform
