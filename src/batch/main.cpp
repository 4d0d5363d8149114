// SPDX-License-Identifier: MIT
// ftes-charts: the daily batch that draws and publishes the six ftEs charts.
#include <chrono>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "batch/configurazione.h"
#include "batch/controllo.h"
#include "batch/form1.h"
#include "batch/metriche.h"
#include "batch/registro.h"
#include "batch/riga_comando.h"
#include "platform/file_system.h"

#ifndef FTES_VERSION
#define FTES_VERSION "0"
#endif

namespace {

// The name of the folder a path ends in: the station's, by default, for its metrics.
std::string nome_cartella(std::string percorso) {
    while (!percorso.empty() && (percorso.back() == '/' || percorso.back() == '\\')) {
        percorso.pop_back();
    }
    const std::size_t taglio = percorso.find_last_of("/\\");
    return taglio == std::string::npos ? percorso : percorso.substr(taglio + 1);
}

// The batch itself, once the command line is known to be right; its exit status.
int esegui(const ftes::OpzioniComando& opzioni, std::chrono::year_month_day oggi,
           const ftes::Diagnostica& diagnostica, const std::string& configurazione,
           ftes::MetricheCorsa& corsa) {
    // Runs on the same station take turns: their exports share the temporary BMP names. The
    // turn is held on varnel.ini, which must then be readable; a station without one runs as it
    // always did, with every folder empty.
    ftes::platform::StationLock turno(configurazione);
    if (!turno.is_open()) {
        if (!turno.error()->absent) {
            diagnostica.arresta("configuration", configurazione,
                                "cannot open: " + turno.error()->text + "; nothing written");
            return ftes::uscita_non_pubblicata;
        }
        diagnostica.segnala("run lock", configurazione,
                            "cannot open: " + turno.error()->text + "; running without the lock");
    }
    ftes::Form1 form(oggi, diagnostica);
    if (turno.is_open()) form.turno = &turno;
    form.attesa_turno = std::chrono::seconds(opzioni.attesa_secondi);
    if (opzioni.manifesto) form.versione_manifesto = FTES_VERSION;
    if (opzioni.recupero) {
        form.recupera_archivio(opzioni.recupero->primo, opzioni.recupero->ultimo);
    } else {
        form.caricamento_form();
    }
    corsa.attese = form.figure_attese;
    corsa.pubblicate = form.figure_pubblicate;
    corsa.illeggibili = form.input_illeggibili;
    corsa.conservati = form.archivi_conservati;
    corsa.figure = form.figure_fatte;
    return form.stato_uscita();
}

}  // namespace

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
            return ftes::uscita_uso_errato;
        case Azione::esegui:
        case Azione::controlla:
            break;
    }

    const auto oggi_locale = ftes::platform::local_today();
    const auto oggi = opzioni.data ? opzioni.data : oggi_locale;
    if (!oggi) {
        std::cerr << "ftes-charts: the local date cannot be read; give --date YYYY-MM-DD\n";
        return ftes::uscita_uso_errato;
    }
    // The archive holds days that have been: a backfill of days still to come would only write
    // empty charts over the record those days will have.
    if (opzioni.recupero && (!oggi_locale || opzioni.recupero->ultimo > *oggi_locale)) {
        std::cerr << "ftes-charts: "
                  << (oggi_locale ? ftes::errore_recupero_futuro(*opzioni.recupero, *oggi_locale)
                                  : std::string("the local date cannot be read, so no --backfill"))
                  << "\n"
                  << ftes::testo_uso();
        return ftes::uscita_uso_errato;
    }
    if (opzioni.azione == Azione::controlla) return ftes::controlla_stazione(std::cout, *oggi);
    ftes::Diagnostica diagnostica(opzioni.verboso ? &std::cerr : nullptr, &std::cerr);
    std::string righe;  // the run's report, for --log
    if (opzioni.registro) diagnostica.registra_in(&righe);
    const std::string ora_inizio = opzioni.registro ? ftes::platform::local_timestamp() : "";
    const auto inizio = std::chrono::steady_clock::now();
    const std::string cartella = ftes::platform::current_directory();
    const std::string configurazione =
        ftes::con_separatore_finale(cartella) + std::string(ftes::nome_configurazione);
    ftes::MetricheCorsa corsa;
    corsa.stato = esegui(opzioni, *oggi, diagnostica, configurazione, corsa);

    // What the run leaves for a monitoring system; a file that cannot be written is told, and
    // changes neither the charts nor the exit status: a stale file is itself what an alert sees.
    if (opzioni.metriche) {
        using namespace std::chrono;
        corsa.stazione = opzioni.stazione ? *opzioni.stazione : nome_cartella(cartella);
        corsa.fine = duration<double>(system_clock::now().time_since_epoch()).count();
        corsa.durata = duration<double>(steady_clock::now() - inizio).count();
        if (auto scritte = ftes::scrivi_metriche(*opzioni.metriche, corsa); !scritte) {
            diagnostica.segnala("metrics", *opzioni.metriche,
                                "cannot write: " + scritte.error().text);
        }
    }
    // The report of a run nobody watches, for the operator who looks later; like the metrics,
    // a log that cannot be written is told and changes nothing else.
    if (opzioni.registro) {
        const std::string testo = ftes::testo_corsa(FTES_VERSION, ora_inizio, corsa.stato, righe,
                                                    ftes::platform::text_line_end);
        diagnostica.registra_in(nullptr);
        if (auto scritto = ftes::scrivi_registro(*opzioni.registro, testo); !scritto) {
            diagnostica.segnala("log", *opzioni.registro, "cannot write: " + scritto.error().text);
        }
    }
    return corsa.stato;
}
