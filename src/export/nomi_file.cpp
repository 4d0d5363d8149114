#include "export/nomi_file.h"

#include "platform/file_system.h"

namespace ftes::esportazione {

std::string nome_bmp_temporaneo(const std::string& percorso_base, int slot) {
    return percorso_base + "grafico" + std::to_string(slot) + ".bmp";
}

std::string nome_gif_corrente(const std::string& percorso_figure, int slot) {
    return percorso_figure + "plotftEs" + std::to_string(slot) + ".gif";
}

std::string nome_gif_archivio(const std::string& percorso_base, const std::string& file_previsioni,
                              const std::string& giorno_anno) {
    const std::string anno = file_previsioni.size() > 2 ? file_previsioni.substr(2, 4) : "";
    return percorso_base + "previous_ftEs_plots" + platform::separator() + anno + giorno_anno +
           ".gif";
}

}  // namespace ftes::esportazione
