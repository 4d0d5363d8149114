// SPDX-License-Identifier: MIT
// The chart window: it holds a run's configuration, its drawing area (the canvas), the image
// component and the run's turn on the folders it writes, and its operations are the batch's
// routines. Each routine takes what it needs and returns what it did; a chart's outcome is one
// value the run sums up and hands to whoever reports it.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/archivio.h"
#include "batch/configurazione.h"
#include "batch/esito.h"
#include "batch/tabelle.h"
#include "canvas/canvas.h"
#include "curves/previsione.h"
#include "curves/stazione.h"
#include "export/wpdlx.h"
#include "platform/file_system.h"

namespace ftes {

class Form1 {
  public:
    struct Opzioni {
        // How long a run waits for another run of the station to give the turn back.
        std::chrono::milliseconds attesa_turno{std::chrono::minutes(1)};
        // A backfill replaces the archive copies it is asked to, however full they are.
        bool sostituisci = false;
    };

    // oggi: the last of the six charted days (the machine's local date in a normal run); the run
    // tells osservatore each notice and each chart as they come.
    Form1(std::chrono::year_month_day oggi, Osservatore& osservatore, Opzioni opzioni);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // The daily batch: preparation, then the six day slots in order. Runs once.
    void caricamento_form();
    // The archive backfill: the same preparation, then the chart of every day from primo to
    // ultimo, oldest first, each drawn exactly as the daily run draws that day in slot 6 and
    // published only as its archive copy; the current charts are not touched. Runs once.
    void recupera_archivio(std::chrono::year_month_day primo, std::chrono::year_month_day ultimo);

    const EsitoCorsa& esito() const { return esito_; }
    // The folder the run was started in, which holds varnel.ini, and the folders it names.
    const std::string& cartella_corrente() const { return cartella_corrente_; }
    const Cartelle& cartelle() const { return cartelle_; }

  private:
    // The preparation.
    bool leggi_configurazione();
    bool prendi_turno(const std::vector<std::string>& cartelle, const std::string& altrimenti);
    void riconosci_stazione();
    void ripulisci_avanzi(bool anche_web);

    // The steps of one chart, in the order the driver runs them.
    void impostazioni_dimensioni_e_scala_del_form();
    void disegno_dello_stage();
    struct Previsto {
        std::optional<ValoriPrevisione> disegnata;  // the values drawn
        int illeggibili = 0;
    };
    Previsto grafico_previsione(const std::string& file_previsioni);
    struct Osservato {
        int valori = 0, assenze = 0, illeggibili = 0;
        std::vector<Sondaggio> sondaggi;
    };
    Osservato grafico_valori_autoscalati(const std::string& file_previsioni,
                                         const std::string& giorno_anno);
    // tabella: the day's values as CSV, kept beside the archive copy.
    Esportazione salva_figura(const Giornata& giorno, int indice_giorno, const Disegno& disegno,
                              const std::string& tabella);
    // All the steps of one chart of the day giorno in slot indice_giorno: frame, forecast,
    // observed values, caption, export, clearing.
    EsitoFigura disegna_giornata(const Giornata& giorno, int indice_giorno);
    // What the run sums up of a chart, and hands on.
    void conta(EsitoFigura figura);

    // Runs one step of the batch by itself: whatever it throws is absorbed (and told) so that the
    // next step still runs.
    void passo(std::string_view nome, const std::function<void()>& azione);
    void avvisa(Avviso::Genere genere, std::string_view passo, std::string percorso,
                std::string testo);
    void nota(std::string_view passo, std::string percorso, std::string testo) {
        avvisa(Avviso::Genere::nota, passo, std::move(percorso), std::move(testo));
    }

    const std::chrono::year_month_day oggi;
    const Opzioni opzioni_;
    Osservatore& osservatore_;

    // The configuration.
    std::string cartella_corrente_;
    Cartelle cartelle_;
    const std::string& percorso_base = cartelle_.percorso_base;
    const std::string& percorso_dati = cartelle_.percorso_dati;
    const std::string& percorso_figure = cartelle_.percorso_figure;

    TabellaGiorni giorni_{};
    StazioneTrovata stazione_;
    canvas::Canvas area;         // the drawing area of the window
    esportazione::Wpdlx wpdlx1;  // the image component that writes the GIF files
    std::optional<platform::Turn> turno_;
    std::optional<IndiceArchivio> indice_;
    EsitoCorsa esito_;
};

}  // namespace ftes
