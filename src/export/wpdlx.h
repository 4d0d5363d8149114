// SPDX-License-Identifier: MIT
// The image component on the chart window: it loads a BMP picture and writes it as GIF files.
// Like a library handle, it keeps the error of its last failed call.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "export/tavolozza.h"
#include "platform/file_system.h"

namespace ftes::esportazione {

enum class ErroreImmagine {
    nessuno,
    bmp_illeggibile,    // the BMP could not be opened or decoded
    bmp_troppo_grande,  // the BMP is larger than the component takes
    nessuna_immagine,   // salva_gif without a picture loaded
    file_temporaneo,    // no temporary file could be made beside the GIF (folder missing?)
    codifica_gif,       // giflib failed to encode the picture
    scrittura_gif,      // the GIF could not be written out (a full disk)
    sostituzione,       // the finished GIF could not be renamed over the old one
};

std::string_view descrizione(ErroreImmagine errore);

class Wpdlx {
  public:
    static constexpr int max_side = 4096;
    virtual ~Wpdlx() = default;

    // Takes the picture of the BMP at the path for the next calls.
    virtual bool carica_bmp(const std::string& percorso);
    // Writes the picture as a GIF (not interlaced) at the path, replacing any file of that name
    // only once the new one is complete; a flushed GIF is on the disk when the call returns.
    virtual bool salva_gif(const std::string& percorso,
                           platform::Durability durata = platform::Durability::ordinary);
    // Lets go of the picture; the BMP file is no longer needed.
    virtual bool chiudi_immagine();

    ErroreImmagine errore() const { return errore_; }
    // The text of the last failure, with the system's reason where there is one.
    const std::string& messaggio() const { return messaggio_; }

  protected:
    bool fallito(ErroreImmagine e, const std::string& dettaglio = {});

  private:
    void libera();

    ImmagineIndicizzata immagine_;
    // The picture encoded as a GIF by the last salva_gif, reused while the picture stays the
    // same: the current and the archive chart are one encoding.
    std::vector<unsigned char> gif_;
    ErroreImmagine errore_ = ErroreImmagine::nessuno;
    std::string messaggio_;
};

}  // namespace ftes::esportazione
