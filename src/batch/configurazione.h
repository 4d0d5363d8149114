// SPDX-License-Identifier: MIT
// The six-line configuration file "varnel.ini": lines 2, 4 and 6 are the base folder, the
// sounding-file folder and the chart folder; lines 1, 3 and 5 are labels. A run and --check read
// it the same way, through these functions.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/line_reader.h"

namespace ftes {

inline constexpr std::string_view nome_configurazione = "varnel.ini";

// The current directory with exactly one trailing separator ensured.
std::string con_separatore_finale(std::string cartella);
// Where a run started in cartella_corrente finds its configuration.
std::string percorso_configurazione(const std::string& cartella_corrente);

// The six lines of varnel.ini by position; a line the file does not have is nothing.
using SeiRighe = std::array<std::optional<std::string>, 6>;

// The six lines taken by position. Lines after the sixth are never read.
platform::Result<SeiRighe> leggi_sei_righe(platform::LineReader& lettore);

// The six lines as the program's UTF-8 text. A file that is UTF-8 throughout is taken as it is
// (a byte-order mark only touches the label on line 1); any other was written, as the replaced
// program wrote and read it, in the system's ANSI code page, and each line is converted.
// Whether the lines were converted.
bool in_utf8(SeiRighe& righe, std::string (*da_ansi)(std::string_view) = platform::ansi_to_utf8);

// varnel.ini as a run reads it: its six lines as UTF-8 text, and what they were written in.
struct ConfigurazioneLetta {
    SeiRighe righe;
    std::string codifica;             // "UTF-8", "UTF-16" or "the system's ANSI code page"
    bool utf16_troppo_lungo = false;  // UTF-16 past 64 KiB: not decoded, no line read
};
// The file at percorso read and decoded; when it cannot be, the Error says "cannot open: ..."
// (absent when it is not there) or "cannot read: ..." with the system's words.
platform::Result<ConfigurazioneLetta> leggi_configurazione_da(const std::string& percorso);

// A configured folder text as this platform uses it: a backslash stands for the platform's
// separator, so one varnel.ini serves Windows and POSIX relative paths alike.
std::string adatta_cartella(std::string valore);

// The three folders of the configuration, as the run uses them. A line the file does not have
// leaves its folder empty: names are then relative to the current folder.
struct Cartelle {
    std::string percorso_base;
    std::string percorso_dati;
    std::string percorso_figure;
};
// The line of varnel.ini (2, 4 or 6) that names each folder, and what it names.
struct RigaCartella {
    int numero;
    std::string Cartelle::*campo;
    const char* cosa;
};
inline constexpr std::array<RigaCartella, 3> righe_cartelle{{
    {2, &Cartelle::percorso_base, "base folder"},
    {4, &Cartelle::percorso_dati, "sounding folder"},
    {6, &Cartelle::percorso_figure, "web folder"},
}};
Cartelle cartelle_da(const SeiRighe& righe);

}  // namespace ftes
