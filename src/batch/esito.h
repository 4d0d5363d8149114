// SPDX-License-Identifier: MIT
// What a run did: each chart's outcome as a value, the run's as the sum of them, and what the run
// tells as it goes (its notes and each chart as it is done) to whoever reports it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/tabelle.h"
#include "curves/osservazioni.h"
#include "platform/error.h"

namespace ftes {

// How a chart's archive copy went.
enum class Copia {
    non_scritta,  // not written: the reason is in EsitoFigura::perche
    scritta,      // written where there was none, or replaced by a chart at least as full
    sostituita,   // replaced at the operator's word (--replace), however full the copy was
    conservata,   // kept as it was: the new chart is less full (EsitoFigura::conservata says how)
};

// How one chart was published.
struct Esportazione {
    bool corrente = false;  // plotftEsN.gif put in place by this run (a daily run's only)
    Copia copia = Copia::non_scritta;
    std::string perche;      // why the chart or its archive copy was not written
    std::string conservata;  // why the archive copy was kept, in a few words
    // The archive copy is in place but its folder could not be flushed: why.
    std::optional<platform::Note> non_sincronizzata;
};

// One chart of a run, as it was made.
struct EsitoFigura {
    int slot = 0;       // 1 to 6 in a daily run; 0 for a day of a backfill
    Giornata giorno{};  // the chart's day
    // What it shows.
    int valori = 0;                   // observed values drawn as dots
    int assenze = 0;                  // "NO" ticks
    std::vector<Sondaggio> sondaggi;  // the soundings read: values, "NO"s and "N/A"s
    bool previsione = false;          // the forecast curve is on the chart
    std::string tabella;              // the day's values as CSV (see tabella_valori.h)
    int illeggibili = 0;              // inputs of the chart there but unreadable
    bool senza_stazione = false;      // no station recognised in a data folder that holds files
    Esportazione esportazione;        // how it was published

    // Whether the chart is published: its current chart (in a daily run) and its archive copy
    // written or kept.
    bool pubblicata(bool solo_archivio) const {
        return (solo_archivio || esportazione.corrente) && esportazione.copia != Copia::non_scritta;
    }
};

// Why a run stopped before it drew anything.
enum class Arresto {
    nessuno,
    configurazione_mancante,     // no varnel.ini in the current folder
    configurazione_illeggibile,  // varnel.ini there but unreadable
    turno_negato,                // another run kept the turn past the wait (in a backfill, the
                                 // days before were drawn)
};

// The whole run.
struct EsitoCorsa {
    bool solo_archivio = false;  // a backfill
    Arresto arresto = Arresto::nessuno;
    // The file system gives no lock: the run went on without its turn, and why.
    std::optional<platform::Error> senza_turno;
    int attese = 0;                   // charts the run was to publish
    int pubblicate = 0;               // charts published
    int illeggibili = 0;              // unreadable inputs over all its charts
    int conservate = 0;               // archive copies kept rather than thinned
    int non_sincronizzate = 0;        // archive copies in place but not flushed
    bool senza_stazione = false;      // no station recognised in a data folder that holds files
    std::vector<EsitoFigura> figure;  // the charts of a daily run; a backfill keeps none
};

// The exit status a run ends with (see stato_uscita.h).
int stato_uscita(const EsitoCorsa& esito);

// What a run tells as it goes.
struct Avviso {
    enum class Genere {
        nota,         // a step skipped or worth telling, the run goes on
        illeggibile,  // an input there but unreadable
        avvertenza,   // told in any case, though the run goes on (a file system without locks)
        arresto,      // what stops the run
    };
    Genere genere = Genere::nota;
    std::string passo;  // the step it concerns: "forecast curve", "export: archive GIF", ...
    platform::Note nota;
};

// Whoever reports a run: the run hands it each notice and each chart as they come.
class Osservatore {
  public:
    virtual ~Osservatore() = default;
    virtual void avviso(const Avviso& avviso) = 0;
    virtual void figura(const EsitoFigura& figura, bool solo_archivio) = 0;
    // The run read its configuration and now knows its folders: from here on it may write.
    virtual void configurazione_letta() {}
};

}  // namespace ftes
