// SPDX-License-Identifier: MIT
#include "export/codifica_gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

namespace ftes::esportazione {

namespace {

// The largest code of a GIF's LZW: when the next code would reach it, the table starts again.
constexpr unsigned codice_massimo = 4095;

// The codes packed least significant bit first, as GIF wants them.
class Bit {
  public:
    explicit Bit(std::vector<unsigned char>& byte) : byte_(byte) {}
    void scrivi(unsigned codice, int larghezza) {
        accumulo_ |= static_cast<std::uint64_t>(codice) << pieni_;
        pieni_ += larghezza;
        while (pieni_ >= 8) {
            byte_.push_back(static_cast<unsigned char>(accumulo_ & 0xff));
            accumulo_ >>= 8;
            pieni_ -= 8;
        }
    }
    // What is left of the last code, in a byte of its own.
    void chiudi() {
        if (pieni_ > 0) byte_.push_back(static_cast<unsigned char>(accumulo_ & 0xff));
        accumulo_ = 0;
        pieni_ = 0;
    }

  private:
    std::vector<unsigned char>& byte_;
    std::uint64_t accumulo_ = 0;
    int pieni_ = 0;
};

// A point of the compression: the code of the string matched so far, and the pixel after it.
struct Tratto {
    const std::uint8_t* p;
    unsigned codice;
};

// The loop most pixels go through, kept apart so that its few values stay in registers: the
// string grows along the pixels as long as the table knows it, up to the first pixel no known
// string goes on with, or the end.
inline Tratto segui(const std::uint16_t* seguiti, int bit_indice, unsigned maschera, Tratto da,
                    const std::uint8_t* fine) {
    unsigned codice = da.codice;
    const std::uint8_t* p = da.p;
    for (; p != fine; ++p) {
        const unsigned seguito = seguiti[std::size_t{codice} << bit_indice | (*p & maschera)];
        if (seguito == 0) break;
        codice = seguito;
    }
    return {p, codice};
}

// The first byte from p on that is not the given one, eight bytes at a time.
const std::uint8_t* fine_della_serie(const std::uint8_t* p, const std::uint8_t* fine,
                                     std::uint8_t byte) {
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t otto = 0x0101010101010101ULL * byte;
        for (; fine - p >= 8; p += 8) {
            std::uint64_t parola = 0;
            std::memcpy(&parola, p, 8);
            if (const std::uint64_t diversi = parola ^ otto; diversi != 0) {
                return p + std::countr_zero(diversi) / 8;
            }
        }
    }
    while (p != fine && *p == byte) ++p;
    return p;
}

// giflib's compressor, step for step: a string is the code of its prefix and one more index;
// the code of a new string is given when its prefix is written out, its width grows right
// after the code written once the next free code no longer fits, and the table starts again
// (after a clear code) when the next free code would be the largest.
//
// Charts are mostly long runs of one colour. The strings of one index repeated (its runs) are
// given codes one length after the other, so the table's runs of each index are kept in order
// of length: a run of pixels is crossed in one step, to the longest run the table knows within
// it, where giflib's walk, one pixel at a time, arrives too.
class Lzw {
  public:
    Lzw(std::vector<unsigned char>& byte, int codice_minimo, TabelleLzw& tabelle)
        : bit_(byte),
          colori_(1U << codice_minimo),
          cancella_(colori_),
          fine_(colori_ + 1),
          primo_libero_(colori_ + 2),
          minima_(codice_minimo + 1),
          serie_(tabelle.serie) {
        // Whatever the picture before left in the table is cleared row by row as its codes
        // are given again.
        const std::size_t voci = std::size_t{codice_massimo + 1} * colori_;
        if (tabelle.dimensione < voci) {
            tabelle.seguiti = std::make_unique_for_overwrite<std::uint16_t[]>(voci);
            tabelle.dimensione = voci;
        }
        seguiti_ = tabelle.seguiti.get();
        if (serie_.size() < colori_) serie_.resize(colori_);
        ricomincia();
        scrivi(cancella_);
    }

    void comprimi(const std::uint8_t* indici, std::size_t quanti) {
        if (quanti == 0) {
            scrivi(fine_);
            bit_.chiudi();
            return;
        }
        const unsigned maschera = colori_ - 1;
        const std::uint8_t* const fine = indici + quanti;
        Tratto tratto = salta_serie({indici + 1, indici[0] & maschera}, fine);
        while ((tratto = segui(seguiti_, minima_ - 1, maschera, tratto, fine)).p != fine) {
            // A string the table does not know yet: its prefix is written out, and it gets the
            // next free code, unless that would be the largest.
            const unsigned indice = *tratto.p & maschera;
            scrivi(tratto.codice);
            if (libero_ >= codice_massimo) {
                scrivi(cancella_);
                ricomincia();
            } else {
                aggiungi(tratto.codice, indice);
            }
            tratto = salta_serie({tratto.p + 1, indice}, fine);
        }
        scrivi(tratto.codice);
        scrivi(fine_);
        bit_.chiudi();
    }

  private:
    void scrivi(unsigned codice) {
        bit_.scrivi(codice, larghezza_);
        if (libero_ >= limite_) limite_ = 1U << ++larghezza_;
    }
    // The strings that begin with the code: none yet.
    void svuota_riga(unsigned codice) {
        std::fill_n(seguiti_ + (std::size_t{codice} << (minima_ - 1)), colori_, std::uint16_t{0});
    }
    void aggiungi(unsigned prefisso, unsigned indice) {
        seguiti_[std::size_t{prefisso} << (minima_ - 1) | indice] =
            static_cast<std::uint16_t>(libero_);
        svuota_riga(libero_);
        // The longest run of the index, one longer.
        if (std::vector<std::uint16_t>& serie = serie_[indice]; serie.back() == prefisso) {
            serie.push_back(static_cast<std::uint16_t>(libero_));
        }
        ++libero_;
    }
    // From the string of one index, just begun: the pixels after it that repeat its byte are
    // matched by the table's runs of that index as far as the longest of them goes.
    Tratto salta_serie(Tratto da, const std::uint8_t* fine) const {
        const std::vector<std::uint16_t>& serie = serie_[da.codice];
        const auto dopo = static_cast<std::size_t>(fine_della_serie(da.p, fine, da.p[-1]) - da.p);
        const std::size_t lunghezza = std::min(dopo + 1, serie.size());
        return {da.p + (lunghezza - 1), serie[lunghezza - 1]};
    }
    void ricomincia() {
        libero_ = primo_libero_;
        larghezza_ = minima_;
        limite_ = 1U << larghezza_;
        for (unsigned i = 0; i < colori_; ++i) {
            svuota_riga(i);
            serie_[i].assign(1, static_cast<std::uint16_t>(i));
        }
    }

    Bit bit_;
    const unsigned colori_, cancella_, fine_, primo_libero_;
    const int minima_;
    std::uint16_t* seguiti_ = nullptr;
    std::vector<std::vector<std::uint16_t>>& serie_;
    unsigned libero_ = 0, limite_ = 0;
    int larghezza_ = 0;
};

int accoda(GifFileType* gif, const GifByteType* dati, int quanti) {
    auto* out = static_cast<std::vector<unsigned char>*>(gif->UserData);
    out->insert(out->end(), dati, dati + quanti);
    return quanti;
}

// giflib's words for its error code.
std::string parole_giflib(int codice) {
    const char* testo = GifErrorString(codice);
    return testo != nullptr ? testo : "giflib error " + std::to_string(codice);
}

// The compressed sub-blocks handed to giflib as they are, then the empty block that ends them.
// giflib's image descriptor has written the minimum code size before them; the clear code its
// own compressor would have begun with (and left unwritten in its buffer) is the first code of
// the blocks.
bool scrivi_blocchi(GifFileType* gif, int codice_minimo,
                    const std::vector<unsigned char>& blocchi) {
    for (std::size_t i = 0; i < blocchi.size(); i += std::size_t{blocchi[i]} + 1) {
        const int fatto = i == 0 ? EGifPutCode(gif, codice_minimo, &blocchi[i])
                                 : EGifPutCodeNext(gif, &blocchi[i]);
        if (fatto != GIF_OK) return false;
    }
    return EGifPutCodeNext(gif, nullptr) == GIF_OK;
}

}  // namespace

std::vector<unsigned char> CompressoreLzw::comprimi(const std::uint8_t* indici, std::size_t quanti,
                                                    int codice_minimo) {
    std::vector<unsigned char> codici;
    Lzw(codici, codice_minimo, tabelle_).comprimi(indici, quanti);
    // Cut into sub-blocks of 255 bytes, the last one shorter.
    std::vector<unsigned char> blocchi;
    blocchi.reserve(codici.size() + codici.size() / 255 + 1);
    for (std::size_t da = 0; da < codici.size(); da += 255) {
        const std::size_t n = std::min<std::size_t>(255, codici.size() - da);
        blocchi.push_back(static_cast<unsigned char>(n));
        blocchi.insert(blocchi.end(), codici.begin() + static_cast<std::ptrdiff_t>(da),
                       codici.begin() + static_cast<std::ptrdiff_t>(da + n));
    }
    return blocchi;
}

platform::Result<std::vector<unsigned char>> codifica_gif(const ImmagineIndicizzata& img,
                                                          CompressoreLzw& compressore) {
    std::vector<unsigned char> out;
    int errore = 0;
    GifFileType* gif = EGifOpen(&out, accoda, &errore);
    if (gif == nullptr) return platform::Error{{}, parole_giflib(errore)};
    // The colour table of a GIF has a power of two entries; unused ones stay black.
    int dimensione = 2;
    while (dimensione < static_cast<int>(img.tavolozza.size())) dimensione *= 2;
    ColorMapObject* mappa = GifMakeMapObject(dimensione, nullptr);
    int codice = mappa == nullptr ? E_GIF_ERR_NOT_ENOUGH_MEM : 0;
    if (codice == 0) {
        for (std::size_t i = 0; i < img.tavolozza.size(); ++i) {
            mappa->Colors[i] = {img.tavolozza[i].r, img.tavolozza[i].g, img.tavolozza[i].b};
        }
        // The minimum code size giflib writes after the image descriptor: the colour table's
        // bits, at least 2.
        const int codice_minimo = std::max(2, mappa->BitsPerPixel);
        if (EGifPutScreenDesc(gif, img.larghezza, img.altezza, 8, 0, mappa) != GIF_OK ||
            EGifPutImageDesc(gif, 0, 0, img.larghezza, img.altezza, false, nullptr) != GIF_OK ||
            !scrivi_blocchi(
                gif, codice_minimo,
                compressore.comprimi(img.indici.data(), img.indici.size(), codice_minimo))) {
            codice = gif->Error;
        }
    }
    GifFreeMapObject(mappa);
    if (EGifCloseFile(gif, &errore) != GIF_OK && codice == 0) codice = errore;
    if (codice != 0) return platform::Error{{}, parole_giflib(codice)};
    return out;
}

}  // namespace ftes::esportazione
