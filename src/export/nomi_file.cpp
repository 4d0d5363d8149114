// SPDX-License-Identifier: MIT
#include "export/nomi_file.h"

#include <algorithm>

#include "platform/file_system.h"

namespace ftes::esportazione {

namespace {

bool cifre(std::string_view testo) {
    return !testo.empty() &&
           std::all_of(testo.begin(), testo.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool slot(std::string_view testo) {
    return testo.size() == 1 && testo[0] >= '1' && testo[0] <= '6';
}

}  // namespace

std::string nome_bmp_temporaneo(const std::string& percorso_base, int slot) {
    return percorso_base + "grafico" + std::to_string(slot) + "." + platform::run_mark() + ".bmp";
}

std::string nome_gif_corrente(const std::string& percorso_figure, int slot) {
    return percorso_figure + "plotftEs" + std::to_string(slot) + ".gif";
}

std::string cartella_archivio(const std::string& percorso_base) {
    return percorso_base + "previous_ftEs_plots" + platform::separator();
}

std::string nome_gif_archivio(const std::string& percorso_base, const std::string& file_previsioni,
                              const std::string& giorno_anno) {
    const std::string anno = file_previsioni.size() > 2 ? file_previsioni.substr(2, 4) : "";
    return cartella_archivio(percorso_base) + anno + giorno_anno + ".gif";
}

std::string nome_csv_archivio(const std::string& percorso_base, const std::string& file_previsioni,
                              const std::string& giorno_anno) {
    std::string nome = nome_gif_archivio(percorso_base, file_previsioni, giorno_anno);
    return nome.replace(nome.size() - 3, 3, "csv");
}

bool e_avanzo_base(std::string_view nome) {
    // "graficoN.MARK.bmp", or "graficoN.bmp" of the runs before marks.
    if (!nome.starts_with("grafico") || !nome.ends_with(".bmp")) return false;
    const std::string_view mezzo = nome.substr(7, nome.size() - 7 - 4);
    return slot(mezzo) || (mezzo.size() == 18 && slot(mezzo.substr(0, 1)) && mezzo[1] == '.' &&
                           platform::is_run_mark(mezzo.substr(2)));
}

bool e_avanzo_archivio(std::string_view nome) {
    const auto bersaglio = platform::target_of_temporary(nome);
    if (!bersaglio) return false;
    // "yyyyddd.gif" or "yyyyddd.csv", or an index "yyyy-mm.json".
    const std::string_view b = *bersaglio;
    if (b.size() == 11 && (b.ends_with(".gif") || b.ends_with(".csv"))) {
        return cifre(b.substr(0, 7));
    }
    return b.size() == 12 && b.ends_with(".json") && b[4] == '-' && cifre(b.substr(0, 4)) &&
           cifre(b.substr(5, 2));
}

bool e_avanzo_web(std::string_view nome) {
    const auto bersaglio = platform::target_of_temporary(nome);
    if (!bersaglio) return false;
    const std::string_view b = *bersaglio;
    return b == "plotftEs.json" || (b.size() == 13 && b.starts_with("plotftEs") &&
                                    slot(b.substr(8, 1)) && b.ends_with(".gif"));
}

}  // namespace ftes::esportazione
