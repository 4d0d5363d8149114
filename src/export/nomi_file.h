// SPDX-License-Identifier: MIT
// Names of the files one chart is published as. Each is a plain concatenation of a configured
// folder text and fixed parts; nothing adds a separator and nothing creates folders.
#pragma once

#include <string>
#include <string_view>

namespace ftes::esportazione {

// percorso_base + "grafico" + slot + "." + this run's mark + ".bmp": the temporary BMP of a
// chart, a name that no other run uses.
std::string nome_bmp_temporaneo(const std::string& percorso_base, int slot);
// percorso_figure + "plotftEs" + slot + ".gif"
std::string nome_gif_corrente(const std::string& percorso_figure, int slot);
// percorso_base + "previous_ftEs_plots" + separator: the folder of the archive copies.
std::string cartella_archivio(const std::string& percorso_base);
// percorso_base + "previous_ftEs_plots" + separator + yyyy + ddd + ".gif", the year being
// characters 3 to 6 of the slot's month key.
std::string nome_gif_archivio(const std::string& percorso_base, const std::string& file_previsioni,
                              const std::string& giorno_anno);
// The table of the day's values beside its archive copy: "yyyyddd.csv".
std::string nome_csv_archivio(const std::string& percorso_base, const std::string& file_previsioni,
                              const std::string& giorno_anno);

// What a killed run may leave in each folder it writes, for the next run to sweep: in the base
// folder its temporary BMPs (also of the runs before marks, "graficoN.bmp"); in the archive
// folder the temporaries of its copies and of its index; in the web folder those of the current
// charts and of the manifest.
bool e_avanzo_base(std::string_view nome);
bool e_avanzo_archivio(std::string_view nome);
bool e_avanzo_web(std::string_view nome);

}  // namespace ftes::esportazione
