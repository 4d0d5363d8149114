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
#include <set>
#include <sstream>

#include "batch/form1.h"
#include "canvas/bmp.h"
#include "export/lettura_bmp.h"
#include "export/nomi_file.h"
#include "export/wpdlx.h"
#include "support/cartella_temporanea.h"
#include "support/gif.h"

namespace ftes {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

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

// The image component with one step made to fail, as the real control can.
class ComponenteGuasto : public esportazione::Wpdlx {
  public:
    enum class Guasto { carica, chiudi, cancellazione };
    explicit ComponenteGuasto(Guasto g) : guasto_(g) {}
    platform::Result<> carica_bmp(const std::string& p) override {
        bmp_ = p;
        if (guasto_ == Guasto::carica) return platform::Error{p, "BMP cannot be read"};
        return Wpdlx::carica_bmp(p);
    }
    platform::Result<> chiudi_immagine() override {
        (void)Wpdlx::chiudi_immagine();
        if (guasto_ == Guasto::cancellazione && !bmp_.empty()) {
            // A folder in the BMP's place cannot be deleted as a file.
            fs::remove(bmp_);
            fs::create_directories(fs::path(bmp_) / "busy");
        }
        if (guasto_ == Guasto::chiudi) return platform::Error{bmp_, "failed"};
        return {};
    }

  private:
    Guasto guasto_;
    std::string bmp_;
};

// A station folder whose varnel.ini names base/, data/ and web/.
class Pubblicazione : public ::testing::Test {
  protected:
    Pubblicazione() {
        dir.scrivi("varnel.ini", "base\r\nbase/\r\ndata\r\ndata/\r\ncharts\r\nweb/\r\n");
        dir.crea_cartella("base/previous_ftEs_plots");
        dir.crea_cartella("data");
        dir.crea_cartella("web");
    }
    int esegui(year_month_day oggi, std::unique_ptr<esportazione::Wpdlx> c = nullptr) {
        test::DirectoryCorrente qui(dir.percorso());
        Form1 form(oggi, Diagnostica{&diagnostica}, std::move(c));
        form.caricamento_form();
        return form.stato_uscita();
    }
    // Has the image component hold a picture other than the published charts.
    void carica_un_altro_grafico(esportazione::Wpdlx& componente) {
        canvas::Canvas tela;
        tela.draw_line(0, 0, 285, 230, {255, 0, 0});
        const std::string bmp = (dir.percorso() / "x.bmp").string();
        ASSERT_TRUE(tela.capture_bmp(bmp));
        ASSERT_TRUE(componente.carica_bmp(bmp));
    }
    fs::path base() const { return dir.percorso() / "base"; }
    fs::path archivio() const { return base() / "previous_ftEs_plots"; }
    fs::path web() const { return dir.percorso() / "web"; }
    const std::set<std::string> sei_correnti{"plotftEs1.gif", "plotftEs2.gif", "plotftEs3.gif",
                                             "plotftEs4.gif", "plotftEs5.gif", "plotftEs6.gif"};
    const std::set<std::string> sei_bmp{"grafico1.bmp", "grafico2.bmp", "grafico3.bmp",
                                        "grafico4.bmp", "grafico5.bmp", "grafico6.bmp"};
    test::CartellaTemporanea dir;
    std::ostringstream diagnostica;
};

TEST_F(Pubblicazione, SixCurrentAndSixArchiveChartsAcrossTheYearEndAndNoBmpLeft) {
    EXPECT_EQ(esegui(2025y / 1 / 2), 0);
    EXPECT_EQ(test::nomi_in(web()), sei_correnti);
    EXPECT_EQ(test::nomi_in(archivio()),
              (std::set<std::string>{"2024363.gif", "2024364.gif", "2024365.gif", "2024366.gif",
                                     "2025001.gif", "2025002.gif"}));
    EXPECT_EQ(test::nomi_in(base()), std::set<std::string>{"previous_ftEs_plots"});
    for (const auto& nome : sei_correnti) {
        const auto gif = test::decodifica_gif((web() / nome).string());
        ASSERT_TRUE(gif) << nome;
        EXPECT_EQ(gif->larghezza, 286);
        EXPECT_EQ(gif->altezza, 231);
    }
    // The current chart of slot 4 and the archive of its day are the same picture.
    EXPECT_EQ(test::leggi_file(web() / "plotftEs4.gif"),
              test::leggi_file(archivio() / "2024366.gif"));
}

TEST_F(Pubblicazione, NextDayShiftsTheChartsAndKeepsOlderArchives) {
    ASSERT_EQ(esegui(2025y / 1 / 2), 0);
    const std::string vecchio = test::leggi_file(archivio() / "2024363.gif");
    const std::string slot2 = test::leggi_file(web() / "plotftEs2.gif");
    ASSERT_EQ(esegui(2025y / 1 / 2), 0);  // same day again: the same twelve files
    EXPECT_EQ(test::nomi_in(web()).size(), 6u);
    EXPECT_EQ(test::nomi_in(archivio()).size(), 6u);
    ASSERT_EQ(esegui(2025y / 1 / 3), 0);
    EXPECT_EQ(test::nomi_in(archivio()).size(), 7u);
    EXPECT_EQ(test::leggi_file(archivio() / "2024363.gif"), vecchio);
    EXPECT_EQ(test::leggi_file(web() / "plotftEs1.gif"), slot2);  // 29/12 moved to slot 1
}

TEST_F(Pubblicazione, EachFailingStepLeavesWhatItsPredecessorsDid) {
    // Missing archive folder: every slot still publishes its current chart, the BMPs stay.
    fs::remove(archivio());
    EXPECT_EQ(esegui(2025y / 1 / 2), 1);
    EXPECT_EQ(test::nomi_in(web()), sei_correnti);
    std::set<std::string> attesi = sei_bmp;
    EXPECT_EQ(test::nomi_in(base()), attesi);
    EXPECT_NE(diagnostica.str().find("archive GIF"), std::string::npos);

    // Missing chart folder: no current and no archive chart; the BMPs stay.
    fs::create_directory(archivio());
    fs::remove_all(web());
    EXPECT_EQ(esegui(2025y / 1 / 2), 1);
    EXPECT_TRUE(test::nomi_in(archivio()).empty());
    attesi.insert("previous_ftEs_plots");
    EXPECT_EQ(test::nomi_in(base()), attesi);

    // Missing base folder: nothing is written or deleted anywhere.
    fs::create_directory(web());
    fs::remove_all(base());
    EXPECT_EQ(esegui(2025y / 1 / 2), 1);
    EXPECT_TRUE(test::nomi_in(web()).empty());
}

TEST_F(Pubblicazione, ComponentFailuresLeaveTheBmp) {
    using G = ComponenteGuasto::Guasto;
    EXPECT_EQ(esegui(2025y / 1 / 2, std::make_unique<ComponenteGuasto>(G::carica)), 1);
    EXPECT_TRUE(test::nomi_in(web()).empty());
    EXPECT_TRUE(test::nomi_in(archivio()).empty());
    EXPECT_TRUE(test::nomi_in(base()).contains("grafico1.bmp"));

    for (const G g : {G::chiudi, G::cancellazione}) {
        fs::remove_all(base());
        dir.crea_cartella("base/previous_ftEs_plots");
        // Both charts of every slot are published, so the run succeeds; the BMPs stay.
        EXPECT_EQ(esegui(2025y / 1 / 2, std::make_unique<ComponenteGuasto>(g)), 0)
            << diagnostica.str();
        EXPECT_EQ(test::nomi_in(web()), sei_correnti);
        EXPECT_EQ(test::nomi_in(archivio()).size(), 6u);
        EXPECT_TRUE(test::nomi_in(base()).contains("grafico6.bmp"));
    }
}

#ifndef _WIN32

TEST_F(Pubblicazione, AFailedWriteLeavesThePublishedChartByteIdentical) {
    ASSERT_EQ(esegui(2025y / 1 / 2), 0);
    const std::string prima = test::leggi_file(web() / "plotftEs6.gif");
    ASSERT_FALSE(prima.empty());

    // A file-size limit stands in for a full disk: the BMP is written first (limit lifted for
    // it by loading it here), then the GIF write runs out of room.
    esportazione::Wpdlx componente;
    carica_un_altro_grafico(componente);
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
    EXPECT_EQ(test::nomi_in(web()), sei_correnti);  // no temporary file left behind
}

#else

TEST_F(Pubblicazione, AChartHeldOpenIsReplacedOnceLetGoOrLeftByteIdentical) {
    ASSERT_EQ(esegui(2025y / 1 / 2), 0);
    const fs::path grafico = web() / "plotftEs6.gif";
    const std::string prima = test::leggi_file(grafico);
    // A web server reading the chart, sharing it for reading only.
    const auto tieni = [&] {
        return CreateFileW(grafico.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    esportazione::Wpdlx componente;
    carica_un_altro_grafico(componente);

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
    EXPECT_EQ(test::nomi_in(web()), sei_correnti);  // no temporary file left behind

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
    // are refused with the reason.
    dir.scrivi("pnm.bmp", "P5\n" + std::string(55, '5') + "\n");
    dir.scrivi("foreign.bmp",
               bmp_24(3, 2, {255, 0, 0, 1, 2, 3, 255, 0, 0, 9, 9, 9, 1, 2, 3, 0, 0, 0}));
    for (const char* nome : {"pnm.bmp", "foreign.bmp"}) {
        const auto rifiutata = c.carica_bmp((dir.percorso() / nome).string());
        ASSERT_FALSE(rifiutata) << nome;
        EXPECT_NE(rifiutata.error().text.find("not an uncompressed 8-bit paletted BMP"),
                  std::string::npos)
            << rifiutata.error().text;
    }
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
            const auto img = esportazione::leggi_bmp_8(bmp.data(), bmp.size(), 4096);
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
        return esportazione::leggi_bmp_8(b.data(), b.size(), 4096).has_value();
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
    EXPECT_FALSE(esportazione::leggi_bmp_8(buona.data(), buona.size() - 1, 4096).has_value());
    EXPECT_FALSE(esportazione::leggi_bmp_8(buona.data(), buona.size(), 3).has_value());
}

TEST(ExportNames, CurrentArchiveAndTemporaryNames) {
    EXPECT_EQ(esportazione::nome_bmp_temporaneo("b/", 3), "b/grafico3.bmp");
    EXPECT_EQ(esportazione::nome_gif_corrente("w/", 6), "w/plotftEs6.gif");
    EXPECT_EQ(esportazione::nome_gif_archivio("b/", "032024", "061"),
              "b/" + test::nativo("previous_ftEs_plots/2024061.gif"));
    EXPECT_EQ(esportazione::nome_gif_archivio("", "122024", "366"),
              test::nativo("previous_ftEs_plots/2024366.gif"));
}

}  // namespace
}  // namespace ftes
