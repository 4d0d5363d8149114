// SPDX-License-Identifier: MIT
// Reports of absorbed failures. The batch does not stop for a failure of one input or one chart;
// with --verbose each one it skipped is told on stderr, one line each, and without it the run is
// silent. What stops a whole run before it writes anything is told in any case.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace ftes {

// A text from a file or a path as it can be shown on a terminal: UTF-8 letters kept, control
// characters and bytes that are not UTF-8 shown as '?', at most about massimo bytes.
std::string testo_stampabile(std::string_view testo, std::size_t massimo = 1000);

class Diagnostica {
  public:
    Diagnostica() = default;
    // uscita: where --verbose writes (nullptr: nowhere); arresti: where a stopped run is told.
    explicit Diagnostica(std::ostream* uscita, std::ostream* arresti = nullptr)
        : uscita_(uscita), arresti_(arresti) {}

    // One line: "ftes-charts: <passo>: <percorso>: <motivo>" (the path left out when empty).
    void segnala(std::string_view passo, std::string_view percorso, std::string_view motivo) const;
    // The same line for what stops the whole run, written with or without --verbose.
    void arresta(std::string_view passo, std::string_view percorso, std::string_view motivo) const;
    // The summary line of one chart, as it stands.
    void riassumi(std::string_view riga) const;
    // Every line from now on is also added to registro (for --log), with or without --verbose.
    void registra_in(std::string* registro) { registro_ = registro; }

  private:
    void scrivi(std::ostream* uscita, std::string_view passo, std::string_view percorso,
                std::string_view motivo) const;
    void emetti(std::ostream* uscita, const std::string& riga) const;

    std::ostream* uscita_ = nullptr;
    std::ostream* arresti_ = nullptr;
    std::string* registro_ = nullptr;
};

}  // namespace ftes
