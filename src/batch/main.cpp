// ftes-charts: the daily batch that draws and publishes the six ftEs charts.
#include <iostream>
#include <string_view>
#include <vector>

#include "batch/configurazione.h"
#include "batch/form1.h"
#include "batch/riga_comando.h"
#include "platform/file_system.h"

#ifndef FTES_VERSION
#define FTES_VERSION "0"
#endif

int main(int argc, char** argv) {
    std::vector<std::string_view> argomenti(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ftes::OpzioniComando opzioni = ftes::leggi_riga_comando(argomenti);
    using Azione = ftes::OpzioniComando::Azione;
    switch (opzioni.azione) {
        case Azione::aiuto:
            std::cout << ftes::testo_uso();
            return 0;
        case Azione::versione:
            std::cout << "ftes-charts " FTES_VERSION "\n";
            return 0;
        case Azione::errore:
            std::cerr << "ftes-charts: " << opzioni.errore << "\n" << ftes::testo_uso();
            return 2;
        case Azione::esegui:
            break;
    }

    const auto oggi = opzioni.data ? opzioni.data : ftes::platform::local_today();
    if (!oggi) {
        std::cerr << "ftes-charts: the local date cannot be read; give --date YYYY-MM-DD\n";
        return 2;
    }
    const ftes::Diagnostica diagnostica(opzioni.verboso ? &std::cerr : nullptr);
    // Runs on the same station take turns: their exports share the temporary BMP names. A run
    // that cannot have the lock within a minute goes ahead rather than miss its day.
    const ftes::platform::FileLock turno(std::string(ftes::nome_configurazione),
                                         std::chrono::minutes(1));
    if (turno.file_found() && !turno.locked()) {
        diagnostica.segnala("run lock", ftes::nome_configurazione, "not held; running anyway");
    }
    ftes::Form1 form(*oggi, diagnostica);
    if (opzioni.recupero) {
        form.recupera_archivio(opzioni.recupero->primo, opzioni.recupero->ultimo);
    } else {
        form.caricamento_form();
    }
    return form.stato_uscita();
}
