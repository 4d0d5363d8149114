// SPDX-License-Identifier: MIT
// Names of the files one chart is published as. Each is a plain concatenation of a configured
// folder text and fixed parts; nothing adds a separator and nothing creates folders.
#pragma once

#include <string>
#include <string_view>

namespace ftes::esportazione {

// percorso_base + "grafico" + slot + ".bmp"
std::string nome_bmp_temporaneo(const std::string& percorso_base, int slot);
// percorso_figure + "plotftEs" + slot + ".gif"
std::string nome_gif_corrente(const std::string& percorso_figure, int slot);
// percorso_base + "previous_ftEs_plots" + separator: the folder of the archive copies.
std::string cartella_archivio(const std::string& percorso_base);
// Whether a name in the archive folder is the temporary of an archive copy: "." + yyyyddd +
// ".gif.tmp".
bool e_temporaneo_archivio(std::string_view nome);
// percorso_base + "previous_ftEs_plots" + separator + yyyy + ddd + ".gif", the year being
// characters 3 to 6 of the slot's month key.
std::string nome_gif_archivio(const std::string& percorso_base, const std::string& file_previsioni,
                              const std::string& giorno_anno);

}  // namespace ftes::esportazione
