// SPDX-License-Identifier: MIT
// Recognising the station from its own files, and the names of its sounding files in the order
// they are tried.
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

// The hour labels of a kind: "A" to "X" for kind 1, "00" to "23" for kinds 2 to 6.
std::array<std::string, 24> etichette_per_tipo(std::int16_t tipo_stazione);

// The station of a data folder, found by its own files.
struct StazioneTrovata {
    std::int16_t tipo_stazione = 0;             // 0: none recognised
    std::string chiave;                         // the key that decided, such as "Cind"
    std::string file;                           // the file whose first line holds it
    std::array<std::string, 24> etichette_ore;  // the hour labels of its kind, when recognised
    std::vector<platform::Note> avvisi;  // each file passed over and why, then why none was found
    int esaminati = 0;                   // files of the folder looked at
    int illeggibili = 0;                 // inputs there but unreadable, when none was found
};

// Recognises the station from the first line of the first regular file of its data folder that
// holds a station key, within the first max_file_riconoscimento files of the listing. Files
// that could not be read are counted only when no station is found: any file of the station
// tells the same kind. A folder missing or not listable is one unreadable input.
StazioneTrovata trova_stazione(const std::string& percorso_dati);

// One sounding time of a day: hour 0 to 23 UT, minute 0 to 59.
struct OraMinuto {
    int ora;
    int minuto;
};
// The 1440 sounding times of a day in the order their files are tried: hour by hour, and within
// an hour minute 01 to 59 and then minute 00, last.
const std::array<OraMinuto, 1440>& ordine_sondaggi();

// The sounding names of one station and one day. The text up to the hour is formed once; each
// name then only puts its hour label and minute in place.
class NomiSondaggio {
  public:
    NomiSondaggio(std::int16_t tipo_stazione, std::string_view percorso_dati,
                  std::string_view file_previsioni, std::string_view giorno_anno);
    // The name of the sounding at that time, valid until the next call; empty for a kind
    // other than 1 to 6.
    const std::string& nome(OraMinuto quando);

  private:
    std::string testo_;
    std::array<std::string, 24> etichette_;
    std::size_t inizio_ora_ = 0;  // where the hour label starts
    bool valido_ = false;
};

}  // namespace ftes
