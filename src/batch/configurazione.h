// The six-line configuration file "varnel.ini": lines 2, 4 and 6 are the base folder, the
// sounding-file folder and the chart folder; lines 1, 3 and 5 are labels.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/line_reader.h"

namespace ftes {

inline constexpr std::string_view nome_configurazione = "varnel.ini";

// The six lines taken by position; a line the file does not have is nothing. Lines after the
// sixth are never read.
std::array<std::optional<std::string>, 6> leggi_sei_righe(platform::LineReader& lettore);

// A configured folder text as this platform uses it: a backslash stands for the platform's
// separator, so one varnel.ini serves Windows and POSIX relative paths alike.
std::string adatta_cartella(std::string valore);

// The current directory with exactly one trailing separator ensured. An unknown (empty)
// directory stays empty, so the configuration is then looked up as a relative name.
std::string con_separatore_finale(std::string cartella);

}  // namespace ftes
