// SPDX-License-Identifier: MIT
// What a run tells in lines of text. The batch does not stop for a failure of one input or one
// chart; with --verbose each one it skipped is told on stderr, one line each, with a summary line
// after each chart, and without it the run is silent but for what stops it. A run that ends with
// a non-zero status says why in one line in any case.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "batch/esito.h"

namespace ftes {

// A text from a file or a path as it can be shown on a terminal: UTF-8 letters kept, control
// characters and bytes that are not UTF-8 shown as '?', at most about massimo bytes.
std::string testo_stampabile(std::string_view testo, std::size_t massimo = 1000);

// The summary line of one chart: "05/01/2025 plotftEs6.gif: 3 values, 2 no-layer, forecast
// drawn, published".
std::string riepilogo(const EsitoFigura& figura, bool solo_archivio);

// Where lines of text go: standard error for the operator, a text for the tests. Each call is
// given whole lines, each ended by '\n'.
using Flusso = std::function<void(std::string_view testo)>;

class Diagnostica : public Osservatore {
  public:
    // verboso: where --verbose writes (empty: nowhere); errori: where what stops a run, and the
    // cause of a non-zero status, is told.
    Diagnostica(Flusso verboso, Flusso errori);

    void avviso(const Avviso& avviso) override;
    void figura(const EsitoFigura& figura, bool solo_archivio) override;
    // A line of the program's own, about its reports: "ftes-charts: <passo>: <percorso>:
    // <motivo>" (the path left out when empty).
    void segnala(std::string_view passo, std::string_view percorso, std::string_view motivo,
                 Avviso::Genere genere = Avviso::Genere::nota);
    // Every line from now on is also kept, for --log, with or without --verbose.
    void registra() { registrando_ = true; }
    const std::string& righe() const { return righe_; }

    // The one line that tells why a run ended with this status, when no line said it yet.
    void concludi(int stato, const EsitoCorsa& esito);

  private:
    void emetti(const Flusso& uscita, const std::string& riga);

    Flusso verboso_;
    Flusso errori_;
    bool registrando_ = false;
    std::string righe_;
    bool arrestata_ = false;            // a line told what stopped the run
    std::string prima_illeggibile_;     // the first input that could not be read, as told
    std::string prima_non_pubblicata_;  // the summary of the first chart not (wholly) written
};

}  // namespace ftes
