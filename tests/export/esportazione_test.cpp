// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <stb_image.h>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include <thread>
#else
#include <sys/resource.h>

#include <csignal>
#endif
#include <filesystem>
#include <functional>
#include <set>

#include "canvas/bmp.h"
#include "export/codifica_gif.h"
#include "export/lettura_bmp.h"
#include "export/nomi_file.h"
#include "export/wpdlx.h"
#include "support/cartella_temporanea.h"
#include "support/gif.h"
#include "support/giflib_riferimento.h"

namespace ftes {
namespace {

namespace fs = std::filesystem;

// A 24-bit BMP, the kind other programs write, of RGB pixels given top row first.
std::string bmp_24(int w, int h, const std::vector<std::uint8_t>& rgb) {
    const int riga = (w * 3 + 3) / 4 * 4;
    std::string b = "BM";
    const auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
    };
    u32(54 + static_cast<std::uint32_t>(riga * h)), u32(0), u32(54), u32(40);
    u32(static_cast<std::uint32_t>(w)), u32(static_cast<std::uint32_t>(h)), u32(1 | 24 << 16);
    for (int i = 0; i < 6; ++i) u32(0);
    for (int r = h; r-- > 0;) {
        for (int c = 0; c < w; ++c) {
            const auto* p = &rgb[static_cast<std::size_t>((r * w + c) * 3)];
            b += {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0])};
        }
        b.append(static_cast<std::size_t>(riga - w * 3), '\0');
    }
    return b;
}

// A picture loaded in the image component, and a folder for what it writes.
class Componente : public ::testing::Test {
  protected:
    void carica_un_grafico(esportazione::Wpdlx& componente, canvas::Rgb colore) {
        canvas::Canvas tela;
        tela.draw_line(0, 0, 285, 230, colore);
        const std::string bmp = (bmp_dir.percorso() / std::to_string(++bmp_)).string();
        ASSERT_TRUE(tela.capture_bmp(bmp));
        ASSERT_TRUE(componente.carica_bmp(bmp));
    }
    fs::path web() const { return dir.percorso(); }
    test::CartellaTemporanea dir, bmp_dir;
    int bmp_ = 0;
};

#ifndef _WIN32

TEST_F(Componente, AFailedWriteLeavesThePublishedChartByteIdentical) {
    esportazione::Wpdlx componente;
    carica_un_grafico(componente, {255, 255, 0});
    ASSERT_TRUE(componente.salva_gif((web() / "plotftEs6.gif").string()));
    const std::string prima = test::leggi_file(web() / "plotftEs6.gif");
    const auto prima_nomi = test::nomi_in(web());

    // A file-size limit stands in for a full disk: the BMP is written first (limit lifted for
    // it by loading it here), then the GIF write runs out of room.
    carica_un_grafico(componente, {255, 0, 0});
    rlimit vecchio{};
    getrlimit(RLIMIT_FSIZE, &vecchio);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit piccolo = vecchio;
    piccolo.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &piccolo);
    const auto scritto = componente.salva_gif((web() / "plotftEs6.gif").string());
    setrlimit(RLIMIT_FSIZE, &vecchio);
    ASSERT_FALSE(scritto);
    EXPECT_EQ(scritto.error().text,
              "cannot write the GIF (" + std::string(std::strerror(EFBIG)) + ")");
    EXPECT_EQ(test::leggi_file(web() / "plotftEs6.gif"), prima);
    EXPECT_EQ(test::nomi_in(web()), prima_nomi);  // no temporary file left behind
}

#else

TEST_F(Componente, AChartHeldOpenIsReplacedOnceLetGoOrLeftByteIdentical) {
    esportazione::Wpdlx componente;
    carica_un_grafico(componente, {255, 255, 0});
    const fs::path grafico = web() / "plotftEs6.gif";
    ASSERT_TRUE(componente.salva_gif(grafico.string()));
    const std::string prima = test::leggi_file(grafico);
    const auto prima_nomi = test::nomi_in(web());
    // A web server reading the chart, sharing it for reading only.
    const auto tieni = [&] {
        return CreateFileW(grafico.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    carica_un_grafico(componente, {255, 0, 0});

    HANDLE aperto = tieni();
    ASSERT_NE(aperto, INVALID_HANDLE_VALUE);
    const auto inizio = std::chrono::steady_clock::now();
    const auto rifiutato = componente.salva_gif(grafico.string());
    ASSERT_FALSE(rifiutato);
    EXPECT_GE(std::chrono::steady_clock::now() - inizio, std::chrono::milliseconds(500));
    EXPECT_EQ(rifiutato.error().text.rfind("cannot replace the GIF (the chart is held open", 0), 0u)
        << rifiutato.error().text;
    CloseHandle(aperto);
    EXPECT_EQ(test::leggi_file(grafico), prima);
    EXPECT_EQ(test::nomi_in(web()), prima_nomi);  // no temporary file left behind

    // Let go within the second: the chart is replaced.
    aperto = tieni();
    std::thread lettore([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        CloseHandle(aperto);
    });
    EXPECT_TRUE(componente.salva_gif(grafico.string()));
    lettore.join();
    EXPECT_NE(test::leggi_file(grafico), prima);
}

#endif

TEST(ImageComponent, KeepsTheExactColoursAndRefusesBadPictures) {
    test::CartellaTemporanea dir;
    canvas::Canvas tela;
    const canvas::Rgb colori[] = {{255, 255, 0}, {100, 100, 100}, {255, 153, 0}};
    for (int i = 0; i < 3; ++i) tela.draw_line(float(i), 0, float(i), 230, colori[i]);
    const std::string bmp = (dir.percorso() / "g.bmp").string();
    ASSERT_TRUE(tela.capture_bmp(bmp));
    esportazione::Wpdlx c;
    const auto senza = c.salva_gif((dir.percorso() / "none.gif").string());
    ASSERT_FALSE(senza);
    EXPECT_EQ(senza.error().text, "no picture loaded");
    EXPECT_EQ(senza.error().path, (dir.percorso() / "none.gif").string());
    ASSERT_TRUE(c.carica_bmp(bmp));
    const std::string gif = (dir.percorso() / "g.gif").string();
    ASSERT_TRUE(c.salva_gif(gif));
    const auto d = test::decodifica_gif(gif);
    ASSERT_TRUE(d);
    for (int row : {0, 1, 7, 100, 230}) {
        for (int i = 0; i < 3; ++i) EXPECT_EQ(d->at(i, row), colori[i]);
        EXPECT_EQ(d->at(3, row), (canvas::Rgb{0, 0, 0}));
    }
    const auto mancante = c.carica_bmp((dir.percorso() / "missing.bmp").string());
    ASSERT_FALSE(mancante);
    EXPECT_EQ(mancante.error().text, "BMP cannot be read (not found)");
    dir.scrivi("bad.bmp", "BM not really a bitmap");
    EXPECT_FALSE(c.carica_bmp((dir.percorso() / "bad.bmp").string()));
    EXPECT_FALSE(c.salva_gif((dir.percorso() / "after.gif").string()));
    // Only the canvas's own kind of BMP is read: other formats, and BMPs of 24 bits a pixel,
    // are refused with what they are not.
    dir.scrivi("pnm.bmp", "P5\n" + std::string(55, '5') + "\n");
    dir.scrivi("foreign.bmp",
               bmp_24(3, 2, {255, 0, 0, 1, 2, 3, 255, 0, 0, 9, 9, 9, 1, 2, 3, 0, 0, 0}));
    for (const auto& [nome, perche] :
         {std::pair{"pnm.bmp",
                    "BMP cannot be read (not the canvas's BMP: no BMP signature and "
                    "headers)"},
          std::pair{"foreign.bmp",
                    "BMP cannot be read (not the canvas's BMP: not 8 bits a "
                    "pixel)"}}) {
        const auto rifiutata = c.carica_bmp((dir.percorso() / nome).string());
        ASSERT_FALSE(rifiutata) << nome;
        EXPECT_EQ(rifiutata.error().text, perche);
    }
}

// The component compresses the pixels itself: every picture is the GIF giflib writes when it
// compresses them, byte for byte, whatever its palette (code sizes 2 to 8), its shape and its
// indices (past the palette they count modulo its size, as in giflib). One compressor takes
// them all in turn, as a run's component takes its charts: its tables, kept from one picture
// to the next, hold nothing of the one before.
TEST(GifEncoding, EveryPictureIsTheGifGiflibWritesFromItsPixels) {
    std::uint32_t seme = 12345;
    const auto caso = [&] { return (seme = seme * 1103515245U + 12345U) >> 16; };
    struct Forma {
        const char* cosa;
        int w, h;
        std::function<unsigned(int x, int y)> indice;
    };
    const Forma forme[] = {
        {"one pixel", 1, 1, [](int, int) { return 1U; }},
        {"one colour", 4000, 1, [](int, int) { return 0U; }},
        {"noise, the table full many times", 257, 263, [&](int, int) { return caso(); }},
        {"stripes", 286, 231, [](int x, int y) { return unsigned(x / 7 + y / 5); }},
        {"a gradient", 512, 512, [](int x, int y) { return unsigned(x * y / 97); }},
        {"a chart's few dots", 288, 231,
         [](int x, int y) { return (x * 31 + y * 17) % 211 == 0 ? 2U
                                   : x == 40                    ? 1U
                                                                : 0U; }},
    };
    esportazione::CompressoreLzw compressore;
    for (const int colori : {1, 2, 3, 4, 5, 8, 9, 16, 17, 33, 64, 65, 129, 256, 7, 2}) {
        for (const Forma& f : forme) {
            esportazione::ImmagineIndicizzata img{f.w, f.h, {}, {}};
            for (int i = 0; i < colori; ++i) {
                img.tavolozza.push_back({std::uint8_t(i), std::uint8_t(255 - i), 7});
            }
            for (int y = 0; y < f.h; ++y) {
                for (int x = 0; x < f.w; ++x) img.indici.push_back(f.indice(x, y) % colori);
            }
            const auto gif = esportazione::codifica_gif(img, compressore);
            ASSERT_TRUE(gif) << f.cosa;
            ASSERT_EQ(*gif, test::gif_di_giflib(img)) << f.cosa << ", " << colori << " colours";
            // The same indices past the palette.
            for (auto& i : img.indici) i = static_cast<std::uint8_t>(caso());
            ASSERT_EQ(*esportazione::codifica_gif(img, compressore), test::gif_di_giflib(img))
                << f.cosa << ", indices past " << colori << " colours";
        }
    }
    // One colour long enough for its runs to fill the table (about 8.4 million pixels).
    esportazione::ImmagineIndicizzata lunga{3000, 3000, {{0, 0, 0}, {1, 1, 1}}, {}};
    lunga.indici.assign(3000 * 3000, 1);
    EXPECT_EQ(*esportazione::codifica_gif(lunga, compressore), test::gif_di_giflib(lunga));
}

TEST(BmpReading, TheCanvasBmpReadsLikeAnIndependentDecoderWithOnlyTheColoursItUses) {
    // A palette with an unused colour and a colour twice, that the picture uses in another order.
    const std::vector<canvas::Rgb> tavolozza = {
        {0, 0, 0}, {7, 7, 7}, {255, 255, 0}, {100, 100, 100}, {255, 255, 0}};
    for (const int w : {1, 2, 3, 4, 5, 286}) {
        std::vector<std::uint8_t> indici;
        for (int i = 0; i < w * 7; ++i) indici.push_back(i % 3 == 0 ? 3 : i % 3 == 1 ? 4 : 2);
        indici[0] = 0;
        std::vector<unsigned char> bmp = canvas::codifica_bmp(indici.data(), w, 7, tavolozza);
        for (const bool dall_alto : {false, true}) {
            if (dall_alto) {
                // The same picture stored top row first, with a negative height.
                const auto riga = static_cast<std::size_t>((w + 3) / 4 * 4);
                const std::size_t testa = 54 + 4 * tavolozza.size();
                std::vector<unsigned char> capovolta(bmp.begin(), bmp.begin() + testa);
                for (std::size_t r = 7; r-- > 0;) {
                    const auto da = bmp.begin() + static_cast<std::ptrdiff_t>(testa + r * riga);
                    capovolta.insert(capovolta.end(), da, da + static_cast<std::ptrdiff_t>(riga));
                }
                capovolta[22] = 0xF9, capovolta[23] = capovolta[24] = capovolta[25] = 0xFF;  // -7
                bmp = capovolta;
            }
            const auto img = esportazione::leggi_bmp_8(bmp, 4096);
            ASSERT_TRUE(img) << w;
            int sw = 0, sh = 0, n = 0;
            stbi_uc* px =
                stbi_load_from_memory(bmp.data(), static_cast<int>(bmp.size()), &sw, &sh, &n, 3);
            ASSERT_NE(px, nullptr);
            EXPECT_EQ(img->larghezza, sw);
            EXPECT_EQ(img->altezza, sh);
            for (std::size_t i = 0; i < img->indici.size(); ++i) {
                ASSERT_EQ(img->tavolozza[img->indici[i]],
                          (canvas::Rgb{px[i * 3], px[i * 3 + 1], px[i * 3 + 2]}))
                    << w << " pixel " << i;
            }
            stbi_image_free(px);
            // The palette's order, grey 7 left out as unused and yellow's two entries made one.
            EXPECT_EQ(img->tavolozza,
                      (std::vector<canvas::Rgb>{{0, 0, 0}, {255, 255, 0}, {100, 100, 100}}))
                << w;
        }
    }
    std::vector<std::uint8_t> indici(4 * 4, 1);
    const std::vector<unsigned char> buona =
        canvas::codifica_bmp(indici.data(), 4, 4, std::span(tavolozza).first(2));
    auto guasta = [&](std::size_t at, unsigned char v) {
        auto b = buona;
        b[at] = v;
        return static_cast<bool>(esportazione::leggi_bmp_8(b, 4096));
    };
    EXPECT_TRUE(guasta(46, 2));      // the palette as it is
    EXPECT_FALSE(guasta(0, 'X'));    // signature
    EXPECT_FALSE(guasta(14, 108));   // another info header
    EXPECT_FALSE(guasta(28, 24));    // 24 bits a pixel
    EXPECT_FALSE(guasta(30, 1));     // compressed
    EXPECT_FALSE(guasta(18, 40));    // wider than the data holds
    EXPECT_FALSE(guasta(10, 0xF0));  // pixel data beyond the end
    EXPECT_FALSE(guasta(46, 1));     // pixels pointing past a palette of one colour
    EXPECT_FALSE(guasta(47, 1));     // a palette of more than 256 colours
    EXPECT_FALSE(esportazione::leggi_bmp_8({buona.begin(), buona.end() - 1}, 4096));
    EXPECT_FALSE(esportazione::leggi_bmp_8(buona, 3));
}

TEST(ExportNames, CurrentArchiveAndTemporaryNames) {
    EXPECT_EQ(esportazione::nome_bmp_temporaneo("b/", 3),
              "b/grafico3." + platform::run_mark() + ".bmp");
    EXPECT_EQ(esportazione::nome_gif_corrente("w/", 6), "w/plotftEs6.gif");
    EXPECT_EQ(esportazione::nome_gif_archivio("b/", "032024", "061"),
              "b/" + test::nativo("previous_ftEs_plots/2024061.gif"));
    EXPECT_EQ(esportazione::nome_gif_archivio("", "122024", "366"),
              test::nativo("previous_ftEs_plots/2024366.gif"));
}

TEST(ExportNames, WhatAKilledRunLeavesIsKnownInEachFolder) {
    const std::string m = platform::run_mark();
    struct Caso {
        std::string nome;
        bool base, archivio, web;
    };
    const Caso casi[] = {
        {"grafico3." + m + ".bmp", true, false, false},
        {"grafico6.bmp", true, false, false},  // runs before marks
        {"grafico7.bmp", false, false, false},
        {"grafico3.bmp.bak", false, false, false},
        {".2025005.gif." + m + ".tmp", false, true, false},
        {".2025005.gif.tmp", false, true, false},
        {".2025-01.json." + m + ".tmp", false, true, false},
        {".plotftEs6.gif." + m + ".tmp", false, false, true},
        {".plotftEs.json." + m + ".tmp", false, false, true},
        {"2025005.gif", false, false, false},
        {".ftes-charts.lock", false, false, false},
        {".index.html." + m + ".tmp", false, false, false},
    };
    for (const Caso& c : casi) {
        EXPECT_EQ(esportazione::e_avanzo_base(c.nome), c.base) << c.nome;
        EXPECT_EQ(esportazione::e_avanzo_archivio(c.nome), c.archivio) << c.nome;
        EXPECT_EQ(esportazione::e_avanzo_web(c.nome), c.web) << c.nome;
    }
}

}  // namespace
}  // namespace ftes
