// SPDX-License-Identifier: MIT
// The chart window: it holds the whole state of a run, its drawing area is the canvas, and its
// operations are the batch's routines, each a short composition of what the subsystems offer
// (canvas, curves, export).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/diagnostica.h"
#include "batch/metriche.h"
#include "batch/tabelle.h"
#include "canvas/canvas.h"
#include "export/wpdlx.h"
#include "platform/file_system.h"

namespace ftes {

// The exit status of a run, the worst that happened first: bad usage, then a run that had not
// its turn on the station, then a chart not published, then inputs present but unreadable.
enum StatoUscita : int {
    // every chart published, every input that exists read
    uscita_riuscita = 0,
    // a chart (or its archive copy) not written, or varnel.ini there but unreadable
    uscita_non_pubblicata = 1,
    // bad command line; nothing written
    uscita_uso_errato = 2,
    // every chart published, but an input that exists could not be read
    uscita_illeggibili = 3,
    // another run of the station kept its turn; nothing (more) written
    uscita_turno_negato = 4,
};

class Form1 {
  public:
    // oggi: the last of the six charted days (the machine's local date in a normal run).
    // componente: the image component to publish with; the standard one when none is given.
    explicit Form1(std::chrono::year_month_day oggi, Diagnostica diagnostica = Diagnostica{},
                   std::unique_ptr<esportazione::Wpdlx> componente = nullptr);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // The daily batch: preparation, then the six day slots in order. Runs once.
    void caricamento_form();
    // The archive backfill: the same preparation, then the chart of every day from primo to
    // ultimo, oldest first, each drawn exactly as the daily run draws that day and published
    // only as its archive copy; the current charts are not touched. Runs once.
    void recupera_archivio(std::chrono::year_month_day primo, std::chrono::year_month_day ultimo);

    // Exit status of the run (see StatoUscita).
    int stato_uscita() const;

    // The preparation.
    void riempi_minuti();
    void leggi_configurazione();
    void riempi_tabella_giorni();

    // The steps of one chart, in the order the driver runs them.
    void impostazioni_dimensioni_e_scala_del_form();
    void disegno_dello_stage();
    void grafico_previsione(const std::string& file_previsioni);
    void grafico_valori_autoscalati(const std::string& file_previsioni);
    void salva_figura(const std::string& file_previsioni);
    // The station's kind (0: none), its hour labels put in etichette_ore.
    std::int16_t riconosci_stazione();

    // --- state ---
    const std::chrono::year_month_day oggi;
    std::int16_t indice_giorno = 0;  // current day slot, 1 to 6 while a chart is made
    bool solo_archivio = false;      // a backfill: each chart is published as its archive copy

    // configuration
    std::string cartella_corrente;
    std::string percorso_base;
    std::string percorso_dati;
    std::string percorso_figure;

    // minute table, slots 1 to 60 (slot 0 unused)
    std::array<std::string, 61> minuti;

    // day table, slots 1 to 6 (slot 0 unused)
    std::array<std::string, 7> giorno_anno;
    std::array<std::string, 7> mese_anno;
    std::array<std::string, 7> data_estesa;

    // hour labels of the recognised station, slots 0 to 23 (24 never used)
    std::array<std::string, 25> etichette_ore;

    // the forecast point drawn last
    std::int16_t x_precedente = 0, y_precedente = 0;

    canvas::Canvas area;  // the drawing area of the window
  private:
    std::unique_ptr<esportazione::Wpdlx> componente_;

  public:
    esportazione::Wpdlx& wpdlx1;  // the image component that writes the GIF files
    int figure_attese = 0;        // charts the run draws: 6, or the days of a backfill
    int figure_pubblicate = 0;    // charts whose GIFs (current and archive) were all written
    Diagnostica diagnostica;

    // What the chart being made shows and how its export went, for the summary line that
    // --verbose gives after each chart.
    int valori_disegnati = 0;                   // observed values drawn as dots
    std::vector<Sondaggio> sondaggi_disegnati;  // the values and "NO"s drawn
    int assenze_disegnate = 0;                  // "NO" ticks
    bool previsione_disegnata = false;          // the forecast curve is on the chart
    std::string esportazione_fallita;  // why the chart was not published; empty when it was
    int illeggibili = 0;               // inputs of the chart there but unreadable
    bool corrente_pubblicata = false;  // plotftEsN.gif written, whatever became of the archive
    bool archivio_conservato = false;  // the archive copy kept rather than blanked

    // What the whole run met.
    int input_illeggibili = 0;                // unreadable inputs over all its charts
    int archivi_conservati = 0;               // archive copies kept rather than blanked
    std::vector<FiguraFatta> figure_fatte;    // each chart of a daily run, for the metrics
    bool configurazione_illeggibile = false;  // varnel.ini there but unreadable: nothing drawn
    bool turno_negato = false;                // another run kept the station's turn

    // The station's turn: the daily run takes it once, before it draws; a backfill day by day,
    // so that a daily or live run waits no longer than one chart for it. None in tests that
    // run alone.
    platform::StationLock* turno = nullptr;
    // With --manifest, the program's version: the daily run then leaves plotftEs.json beside
    // the charts.
    std::optional<std::string> versione_manifesto;
    std::chrono::milliseconds attesa_turno{std::chrono::minutes(1)};

  private:
    // Runs one step of the batch by itself: whatever it throws is absorbed (and told with
    // --verbose) so that the next step still runs.
    void passo(std::string_view nome, const std::function<void()>& azione);
    // The steps of one chart, for the current slot: frame, forecast, observed values, caption,
    // export, the summary line, clearing.
    void disegna_giornata();
    // The summary line of the chart just exported.
    std::string riepilogo() const;
    // Puts a computed day in a slot of the day table.
    void metti_giorno(std::size_t slot, const GiornoCalcolato& g);
    // Waits for the station's turn; when another run keeps it, tells so, with what that means
    // for this run (altrimenti), and notes it for the exit status.
    bool prendi_turno(const std::string& altrimenti);
    // varnel.ini is there but cannot be read: the run stops before it writes anything.
    void ferma_configurazione(const std::string& percorso, const std::string& motivo);
    // Whether the archive copy of the chart being made stays as it is rather than be replaced by
    // a chart that shows nothing, or less than the day's files hold; tells why when it does.
    bool conserva_archivio(const std::string& archivio);
    // Writes plotftEs.json beside the charts, whole at once.
    void scrivi_manifesto();
    // Removes the temporaries that killed runs left in the archive folder, once a run.
    void ripulisci_archivio();
    bool archivio_ripulito_ = false;
};

}  // namespace ftes
