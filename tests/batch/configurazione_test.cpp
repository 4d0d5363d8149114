// SPDX-License-Identifier: MIT
#include "batch/configurazione.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/cartella_temporanea.h"

namespace ftes {
namespace {

using namespace std::chrono;

struct Lette {
    std::string base, dati, figure;
    bool fermata = false;  // the run stops: varnel.ini is not there, or cannot be read
};

Lette leggi_in(const test::CartellaTemporanea& dir) {
    const auto letta = leggi_configurazione_da(percorso_configurazione(dir.percorso().string()));
    if (!letta || letta->utf16_troppo_lungo) return {{}, {}, {}, true};
    const Cartelle c = cartelle_da(letta->righe);
    return {c.percorso_base, c.percorso_dati, c.percorso_figure, false};
}

TEST(Configuration, LinesTwoFourSixByPosition) {
    struct Caso {
        std::string testo;
        std::string base, dati, figure;
    };
    const std::string sette = "L1\r\nb/\r\nL3\r\nd/\r\nL5\r\nf/\r\nseventh/\r\n";
    const Caso casi[] = {
        {"label\r\nbase/\r\nlabel\r\ndata/\r\nlabel\r\ncharts/\r\n", "base/", "data/", "charts/"},
        {sette, "b/", "d/", "f/"},
        {"\r\nb/  \r\n\r\n d/\r\n\r\nf/", "b/  ", " d/", "f/"},  // blanks kept, no last CR LF
        {"x\rb/\rx\rd/\rx\rf/\r", "b/", "d/", "f/"},             // CR-only line ends
        {"x\nb/\nx\nd/\nx\nf/\n", "b/", "d/", "f/"},             // LF-only line ends
        {"x\r\nb/\r\nx\r\nd/\r\n", "b/", "d/", ""},              // four lines
        {"x\r\n\r\nx\r\nd/\r\nx\r\nf/\r\n", "", "d/", "f/"},     // empty value line
        {"x\r\nC:\\base\\\r\nx\r\n..\\data\\\r\nx\r\nf\r\n", test::nativo("C:/base/"),
         test::nativo("../data/"), "f"},
        {"a=1;\r\n\"q, r\"\r\n", "\"q, r\"", "", ""},  // no special characters
    };
    for (const Caso& c : casi) {
        test::CartellaTemporanea dir;
        dir.scrivi("varnel.ini", c.testo);
        const Lette got = leggi_in(dir);
        EXPECT_EQ(got.base, c.base) << c.testo;
        EXPECT_EQ(got.dati, c.dati) << c.testo;
        EXPECT_EQ(got.figure, c.figure) << c.testo;
    }
}

TEST(Configuration, MissingUnreadableOrDamagedFiles) {
    std::string binario;
    for (int i = 0; i < 4096; ++i) binario.push_back(static_cast<char>(i * 37 % 256));
    // UTF-16 past the 64 KiB any varnel.ini fits in: not decoded, the run stops.
    const std::string utf16_enorme = "\xFF\xFE" + std::string(70'000, 'b');
    struct Caso {
        const char* cosa;
        std::optional<std::string> testo;  // nothing: a folder named varnel.ini, or no file
        bool cartella;
        std::size_t base;  // the length of the base folder read
        bool fermata;
    };
    const Caso casi[] = {
        {"no file", std::nullopt, false, 0, true},
        {"a folder named varnel.ini", std::nullopt, true, 0, true},
        // One enormous line: its start is kept (bounded), nothing else is there.
        {"one line of 10 MB", "label\n" + std::string(10'000'000, 'b'), false,
         platform::LineReader::max_line_length, false},
        {"UTF-16 larger than 64 KiB", utf16_enorme, false, 0, true},
        {"binary bytes", binario, false, std::string::npos, false},
    };
    for (const Caso& c : casi) {
        test::CartellaTemporanea dir;
        if (c.testo) dir.scrivi("varnel.ini", *c.testo);
        if (c.cartella) dir.crea_cartella("varnel.ini");
        const Lette got = leggi_in(dir);  // whatever it yields, it returns
        if (c.base != std::string::npos) {
            EXPECT_EQ(got.base.size(), c.base) << c.cosa;
            EXPECT_EQ(got.dati + got.figure, "") << c.cosa;
        }
        EXPECT_EQ(got.fermata, c.fermata) << c.cosa;
    }
}

TEST(Configuration, SixLinesAreReadAndNoMore) {
    std::string testo;
    for (int i = 1; i <= 1000; ++i) testo += "line" + std::to_string(i) + "\n";
    platform::LineReader r(platform::LineReader::InMemory{}, testo);
    const auto righe = leggi_sei_righe(r);
    ASSERT_TRUE(righe);
    EXPECT_EQ((*righe)[5], "line6");
    EXPECT_EQ(*r.next_line(), "line7");  // the seventh is still unread
}

TEST(Configuration, AFileThatIsNotUtf8IsInTheAnsiCodePage) {
    // Stands for the system's conversion: Windows-1252's e grave, 0xE8, as UTF-8.
    const auto da_1252 = [](std::string_view t) {
        std::string s;
        for (const char c : t) s += c == '\xE8' ? std::string("\xC3\xA8") : std::string(1, c);
        return s;
    };
    using Righe = std::array<std::optional<std::string>, 6>;
    Righe utf8 = {"\xEF\xBB\xBFlabel", "C:\\Stazione \xC3\xA8\\", "x", "D:\\", std::nullopt,
                  std::nullopt};
    const Righe com_era = utf8;
    in_utf8(utf8, +da_1252);
    EXPECT_EQ(utf8, com_era);

    Righe ansi = {"label", "C:\\Stazione \xE8\\", "x", "C:\\caf\xE8\\", "x", "plain\\"};
    in_utf8(ansi, +da_1252);
    EXPECT_EQ(ansi[1], "C:\\Stazione \xC3\xA8\\");
    EXPECT_EQ(ansi[3], "C:\\caf\xC3\xA8\\");
    EXPECT_EQ(ansi[5], "plain\\");
}

TEST(Configuration, AFileSavedAsUtf16IsReadAsText) {
    // Notepad's "Unicode": UTF-16 little-endian with a byte-order mark and CR LF lines.
    std::string utf16 = "\xFF\xFE";
    for (const char32_t c : {U'l',  U'a',  U'b',  U'e',  U'l',  U'\r', U'\n', U'b', U'\u00e8',
                             U'/',  U'\r', U'\n', U'l',  U'\r', U'\n', U'd',  U'/', U'\r',
                             U'\n', U'l',  U'\r', U'\n', U'f',  U'/',  U'\r', U'\n'}) {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    test::CartellaTemporanea dir;
    dir.scrivi("varnel.ini", utf16);
    const Lette got = leggi_in(dir);
    EXPECT_EQ(got.base, "b\xC3\xA8/");
    EXPECT_EQ(got.dati, "d/");
    EXPECT_EQ(got.figure, "f/");
}

TEST(Configuration, CurrentDirectoryGetsOneTrailingSeparator) {
    EXPECT_EQ(con_separatore_finale(test::nativo("/work")), test::nativo("/work/"));
    EXPECT_EQ(con_separatore_finale(test::nativo("/")), test::nativo("/"));
    EXPECT_EQ(con_separatore_finale(""), "");
    EXPECT_EQ(percorso_configurazione(test::nativo("/work")), test::nativo("/work/varnel.ini"));
}

}  // namespace
}  // namespace ftes
