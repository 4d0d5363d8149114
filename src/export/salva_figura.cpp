// Publishing one finished chart: the canvas goes to a temporary BMP, the image component turns
// it into the slot's current GIF and its archive GIF, and the BMP is removed. The first step
// that fails ends the export; what was published before stays as it was.
#include "batch/form1.h"
#include "export/nomi_file.h"
#include "platform/file_system.h"

namespace ftes {

void Form1::salva_figura(const std::string& file_previsioni) {
    const auto slot = static_cast<std::size_t>(indice_giorno);
    const std::string bmp = esportazione::nome_bmp_temporaneo(percorso_base, indice_giorno);
    const auto fallisce = [&](std::string_view passo, const std::string& percorso,
                              std::string_view motivo) {
        diagnostica.segnala(passo, percorso, motivo);
    };

    if (const std::string motivo = area.capture_bmp(bmp); !motivo.empty()) {
        return fallisce("export: BMP", bmp, "cannot write: " + motivo);
    }
    if (!wpdlx1.carica_bmp(bmp)) return fallisce("export: load BMP", bmp, wpdlx1.messaggio());

    const std::string corrente = esportazione::nome_gif_corrente(percorso_figure, indice_giorno);
    if (!wpdlx1.salva_gif(corrente, false)) {
        return fallisce("export: current GIF", corrente, wpdlx1.messaggio());
    }
    const std::string archivio = esportazione::nome_gif_archivio(
        percorso_base, file_previsioni, slot < giorno_anno.size() ? giorno_anno[slot] : "");
    // The archive is the station's long-term record: it is on the disk before the run goes on.
    if (!wpdlx1.salva_gif(archivio, false, platform::Durability::flushed)) {
        return fallisce("export: archive GIF", archivio, wpdlx1.messaggio());
    }
    ++figure_pubblicate;

    if (!wpdlx1.chiudi_immagine()) return fallisce("export: close picture", bmp, "failed");
    if (!platform::remove_file(bmp)) fallisce("export: remove BMP", bmp, "cannot delete");
}

}  // namespace ftes
