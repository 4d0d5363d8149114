// SPDX-License-Identifier: MIT
// The image component on the chart window: it loads a BMP picture and writes it as GIF files.
// Each call that fails says why, with the file it concerns and the reason below it (the
// system's, giflib's or the BMP reader's).
#pragma once

#include <string>
#include <vector>

#include "export/codifica_gif.h"
#include "export/tavolozza.h"
#include "platform/file_system.h"

namespace ftes::esportazione {

class Wpdlx {
  public:
    static constexpr int max_side = 4096;

    // Takes the picture of the BMP at the path for the next calls.
    platform::Result<> carica_bmp(const std::string& percorso);
    // Writes the picture as a GIF (not interlaced) at the path, replacing any file of that name
    // only once the new one is complete; a flushed GIF is on the disk when the call returns (or
    // the result says why it may not be).
    platform::Result<platform::Placed> salva_gif(
        const std::string& percorso, platform::Durability durata = platform::Durability::ordinary);
    // Lets go of the picture; the BMP file is no longer needed.
    void chiudi_immagine();

  private:
    ImmagineIndicizzata immagine_;
    // The picture encoded as a GIF by the last salva_gif, reused while the picture stays the
    // same: the current and the archive chart are one encoding.
    std::vector<unsigned char> gif_;
    // The compression's tables, kept for the next chart.
    CompressoreLzw compressore_;
};

}  // namespace ftes::esportazione
