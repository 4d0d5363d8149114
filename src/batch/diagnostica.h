// Reports of absorbed failures. The batch never stops for a failure; with --verbose each one
// it skipped is told on stderr, one line each, and without it the run is silent.
#pragma once

#include <ostream>
#include <string_view>

namespace ftes {

class Diagnostica {
  public:
    Diagnostica() = default;
    explicit Diagnostica(std::ostream* uscita) : uscita_(uscita) {}

    // One line: "ftes-charts: <passo>: <percorso>: <motivo>" (the path left out when empty).
    void segnala(std::string_view passo, std::string_view percorso, std::string_view motivo) const;

  private:
    std::ostream* uscita_ = nullptr;
};

}  // namespace ftes
