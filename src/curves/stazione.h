// SPDX-License-Identifier: MIT
// Recognising the station from its own files, and the names of its sounding files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace ftes {

// The station is recognised from the first line of the first files of its data folder that hold
// a station key; the files before them that hold none (a desktop.ini, a README) are passed over,
// up to this many files in all, so that a folder of unrelated files costs little.
inline constexpr int max_file_riconoscimento = 64;
// Only the first characters of a file's first line tell the station: this much of each file is
// read at most.
inline constexpr std::size_t max_byte_riconoscimento = std::size_t{64} * 1024;

// The station kind (1 to 6) whose key the first four characters of a sounding file's first
// line are, compared exactly and in the table's order; 0 when none is.
std::int16_t tipo_da_chiave(std::string_view prima_riga);

// The station of a data folder, found by its own files.
struct StazioneTrovata {
    std::int16_t tipo = 0;                // 0: none recognised
    std::string chiave;                   // the key that decided, such as "Cind"
    std::string file;                     // the file whose first line holds it
    std::vector<platform::Error> avvisi;  // each file passed over and why, then why none was found
    int illeggibili = 0;                  // inputs there but unreadable, when none was found
};

// Recognises the station from the first line of the first regular file of its data folder that
// holds a station key, within the first max_file_riconoscimento files of the listing. Files
// that could not be read are counted only when no station is found: any file of the station
// tells the same kind. A folder missing or not listable is one unreadable input.
StazioneTrovata trova_stazione(const std::string& percorso_dati);

// The hour labels of a kind: "A" to "X" for kind 1, "00" to "23" for kinds 2 to 6.
std::array<std::string, 24> etichette_per_tipo(std::int16_t tipo_stazione);

// The parts of one sounding's name, already in text form.
struct PartiNomeSondaggio {
    std::string_view percorso_dati;
    std::string_view file_previsioni;  // month key mmyyyy
    std::string_view giorno_anno;      // ddd
    std::string_view etichetta_ora;    // a letter or two digits
    std::string_view minuto;           // two digits
};

// The sounding names of one station and one day. The text up to the hour is formed once; each
// name then only puts its hour label, minute and ending after it, in the same room.
class NomiSondaggio {
  public:
    NomiSondaggio(std::int16_t tipo_stazione, std::string_view percorso_dati,
                  std::string_view file_previsioni, std::string_view giorno_anno);
    // The name of the sounding at this hour label and minute, valid until the next call; empty
    // for a kind other than 1 to 6.
    const std::string& nome(std::string_view etichetta_ora, std::string_view minuto);

  private:
    std::string testo_;
    std::size_t inizio_ora_ = 0;                          // where the hour label starts
    std::size_t lunghezza_ora_ = std::string_view::npos;  // of the name formed last
    std::size_t lunghezza_minuto_ = std::string_view::npos;
    std::string_view finale_;
    bool valido_ = false;
};

// The sounding file of a station of the given kind (1 to 6); empty for any other kind.
std::string nome_sondaggio(std::int16_t tipo_stazione, const PartiNomeSondaggio& parti);

}  // namespace ftes
