// ftes-charts: the daily batch that draws and publishes the six ftEs charts.
#include <iostream>
#include <string_view>
#include <vector>

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
    ftes::Form1 form(*oggi, ftes::Diagnostica(opzioni.verboso ? &std::cerr : nullptr));
    form.caricamento_form();
    return form.stato_uscita();
}
