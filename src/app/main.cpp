// SPDX-License-Identifier: MIT
// ftes-charts: the daily batch that draws and publishes the six ftEs charts.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/controllo.h"
#include "app/riga_comando.h"
#include "batch/form1.h"
#include "batch/stato_uscita.h"
#include "platform/file_system.h"
#include "reports/diagnostica.h"
#include "reports/manifesto.h"
#include "reports/metriche.h"
#include "reports/registro.h"

#ifndef FTES_VERSION
#define FTES_VERSION "0"
#endif

namespace {

namespace platform = ftes::platform;
using ftes::Avviso;

// The name of the folder a path ends in: the station's, by default, for its metrics and page.
std::string nome_cartella(std::string percorso) {
    while (!percorso.empty() && (percorso.back() == '/' || percorso.back() == '\\')) {
        percorso.pop_back();
    }
    const std::size_t taglio = percorso.find_last_of("/\\");
    return taglio == std::string::npos ? percorso : percorso.substr(taglio + 1);
}

// The page beside the charts: a daily run with --manifest tells it what the charts now show; one
// without removes what an earlier run told, which the new charts have made untrue.
int aggiorna_pagina(const ftes::OpzioniComando& opzioni, const ftes::Form1& form,
                    const std::string& stazione, std::chrono::year_month_day oggi,
                    ftes::Diagnostica& diagnostica) {
    const std::string& web = form.cartelle().percorso_figure;
    const std::string percorso = web + std::string(ftes::nome_manifesto);
    if (opzioni.manifesto) {
        const auto scritto =
            ftes::scrivi_manifesto(web, FTES_VERSION, stazione, oggi, form.esito());
        if (scritto) {
            if (*scritto) diagnostica.segnala("manifest", (*scritto)->path, (*scritto)->text);
            return ftes::uscita_riuscita;
        }
        diagnostica.segnala("manifest", percorso, scritto.error().text, Avviso::Genere::arresto);
        return ftes::uscita_non_pubblicata;
    }
    const auto tolto = ftes::togli_manifesto(web);
    if (tolto) return ftes::uscita_riuscita;
    diagnostica.segnala("manifest", percorso,
                        "the charts changed and an old manifest tells of others, but it cannot "
                        "be removed: " +
                            tolto.error().text,
                        Avviso::Genere::arresto);
    return ftes::uscita_non_pubblicata;
}

// Adds to the log; a log that cannot be written is told (on stderr, where nothing else keeps it)
// and changes nothing else.
void scrivi_nel_registro(const std::string& percorso, const std::string& testo,
                         ftes::Diagnostica& diagnostica) {
    const auto scritto = ftes::scrivi_registro(percorso, testo);
    if (!scritto) {
        diagnostica.segnala("log", percorso,
                            "cannot write: " + scritto.error().text +
                                (scritto.error().held ? "; close the program that holds it" : ""),
                            Avviso::Genere::avvertenza);
    } else if (*scritto) {
        diagnostica.segnala("log", (*scritto)->path, (*scritto)->text);
    }
}

// The run's reports go to the diagnostics; the moment it knows its folders, to quando_letta.
class Inizio : public ftes::Osservatore {
  public:
    Inizio(ftes::Diagnostica& diagnostica, std::function<void()> quando_letta)
        : diagnostica_(diagnostica), quando_letta_(std::move(quando_letta)) {}
    void avviso(const Avviso& a) override { diagnostica_.avviso(a); }
    void figura(const ftes::EsitoFigura& f, bool solo_archivio) override {
        diagnostica_.figura(f, solo_archivio);
    }
    void configurazione_letta() override { quando_letta_(); }

  private:
    ftes::Diagnostica& diagnostica_;
    std::function<void()> quando_letta_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> argomenti(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ftes::OpzioniComando opzioni = ftes::leggi_riga_comando(argomenti);
    using Azione = ftes::OpzioniComando::Azione;
    switch (opzioni.azione) {
        case Azione::aiuto:
            platform::write_stdout(ftes::testo_uso());
            return 0;
        case Azione::versione:
            platform::write_stdout("ftes-charts " FTES_VERSION "\n");
            return 0;
        case Azione::errore:
            // One line, and the way to the help, so that the reason stays in sight.
            platform::write_stderr("ftes-charts: " + opzioni.errore + "\n" +
                                   ftes::come_avere_aiuto() + "\n");
            return ftes::uscita_uso_errato;
        case Azione::esegui:
        case Azione::controlla:
            break;
    }

    const auto oggi_locale = ftes::platform::local_today();
    if (!opzioni.data && !oggi_locale) {
        platform::write_stderr("ftes-charts: the local date cannot be read (" +
                               oggi_locale.error().text + "); give --date YYYY-MM-DD\n");
        return ftes::uscita_uso_errato;
    }
    const auto oggi = opzioni.data ? *opzioni.data : *oggi_locale;
    // The archive holds days that have been: a backfill of days still to come would only write
    // empty charts over the record those days will have.
    if (opzioni.recupero && (!oggi_locale || opzioni.recupero->ultimo > *oggi_locale)) {
        platform::write_stderr(
            "ftes-charts: " +
            (oggi_locale ? ftes::errore_recupero_futuro(*opzioni.recupero, *oggi_locale)
                         : std::string("the local date cannot be read, so no --backfill")) +
            "\n" + ftes::come_avere_aiuto() + "\n");
        return ftes::uscita_uso_errato;
    }
    if (opzioni.azione == Azione::controlla) {
        return ftes::controlla_stazione(
            platform::write_stdout,
            {oggi, opzioni.metriche, opzioni.registro, opzioni.stazione, opzioni.account},
            FTES_VERSION);
    }

    ftes::Diagnostica diagnostica(
        opzioni.verboso ? ftes::Flusso(platform::write_stderr) : ftes::Flusso(),
        platform::write_stderr);
    const std::string ora_inizio = ftes::platform::local_timestamp();
    if (opzioni.registro) diagnostica.registra();
    // The start of the run goes into the log as soon as the run knows its folders (without
    // them it writes nothing at all): a run stopped before its end leaves this line alone.
    Inizio osservatore(diagnostica, [&] {
        if (!opzioni.registro) return;
        scrivi_nel_registro(*opzioni.registro,
                            ftes::riga_inizio(FTES_VERSION, ora_inizio, platform::text_line_end),
                            diagnostica);
    });
    const auto inizio = std::chrono::steady_clock::now();
    // The run, which holds its turn on the station's folders until the end of this scope: its
    // reports are written while no other run of the station can write.
    ftes::Form1 form(oggi, osservatore,
                     {std::chrono::seconds(opzioni.attesa_secondi), opzioni.sostituisci});
    if (opzioni.recupero) {
        form.recupera_archivio(opzioni.recupero->primo, opzioni.recupero->ultimo);
    } else {
        form.caricamento_form();
    }
    const ftes::EsitoCorsa& esito = form.esito();
    int stato = ftes::stato_uscita(esito);
    // Without its configuration a run knows no folder of its own: it writes nothing at all.
    if (esito.arresto == ftes::Arresto::configurazione_mancante ||
        esito.arresto == ftes::Arresto::configurazione_illeggibile) {
        return stato;
    }
    const std::string stazione =
        opzioni.stazione ? *opzioni.stazione : nome_cartella(form.cartella_corrente());
    if (!opzioni.recupero && esito.arresto == ftes::Arresto::nessuno) {
        stato = ftes::peggiore(stato, aggiorna_pagina(opzioni, form, stazione, oggi, diagnostica));
    }

    // What the run leaves for a monitoring system; a file that cannot be written is told, and
    // changes neither the charts nor the exit status: a stale file is itself what an alert sees.
    if (opzioni.metriche) {
        using namespace std::chrono;
        ftes::MetricheCorsa corsa;
        corsa.stazione = stazione;
        corsa.fine = duration<double>(system_clock::now().time_since_epoch()).count();
        corsa.durata = duration<double>(steady_clock::now() - inizio).count();
        corsa.stato = stato;
        const auto scritte = ftes::scrivi_metriche(*opzioni.metriche, corsa, esito);
        if (!scritte) {
            diagnostica.segnala("metrics", *opzioni.metriche,
                                "cannot write: " + scritte.error().text);
        } else {
            for (const auto& n : *scritte) diagnostica.segnala("metrics", n.path, n.text);
        }
    }
    diagnostica.concludi(stato, esito);
    // The report of a run nobody watches, for the operator who looks later; like the metrics,
    // a log that cannot be written is told and changes nothing else.
    if (opzioni.registro) {
        const std::string testo = ftes::testo_corsa(
            FTES_VERSION, ora_inizio, stato, diagnostica.righe(), ftes::platform::text_line_end);
        scrivi_nel_registro(*opzioni.registro, testo, diagnostica);
    }
    return stato;
}
