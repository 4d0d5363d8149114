// SPDX-License-Identifier: MIT
#include "export/nomi_file.h"

#include <algorithm>

#include "platform/file_system.h"

namespace ftes::esportazione {

std::string nome_bmp_temporaneo(const std::string& percorso_base, int slot) {
    return percorso_base + "grafico" + std::to_string(slot) + ".bmp";
}

std::string nome_gif_corrente(const std::string& percorso_figure, int slot) {
    return percorso_figure + "plotftEs" + std::to_string(slot) + ".gif";
}

std::string cartella_archivio(const std::string& percorso_base) {
    return percorso_base + "previous_ftEs_plots" + platform::separator();
}

bool e_temporaneo_archivio(std::string_view nome) {
    constexpr std::string_view fine = ".gif.tmp";
    if (nome.size() != 1 + 7 + fine.size() || nome[0] != '.' || !nome.ends_with(fine)) {
        return false;
    }
    return std::all_of(nome.begin() + 1, nome.begin() + 8,
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::string nome_gif_archivio(const std::string& percorso_base, const std::string& file_previsioni,
                              const std::string& giorno_anno) {
    const std::string anno = file_previsioni.size() > 2 ? file_previsioni.substr(2, 4) : "";
    return cartella_archivio(percorso_base) + anno + giorno_anno + ".gif";
}

}  // namespace ftes::esportazione
