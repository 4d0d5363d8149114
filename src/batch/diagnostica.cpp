#include "batch/diagnostica.h"

#include <string>

namespace ftes {

namespace {
// Control bytes of a damaged file never reach the operator's terminal.
std::string stampabile(std::string_view testo) {
    std::string s;
    for (const char c : testo.substr(0, 1000)) {
        const auto u = static_cast<unsigned char>(c);
        s.push_back(u < 0x20 || u == 0x7f ? '?' : c);
    }
    return s;
}
}  // namespace

void Diagnostica::segnala(std::string_view passo, std::string_view percorso,
                          std::string_view motivo) const {
    if (uscita_ == nullptr) return;
    std::string riga = "ftes-charts: " + stampabile(passo);
    if (!percorso.empty()) riga += ": " + stampabile(percorso);
    if (!motivo.empty()) riga += ": " + stampabile(motivo);
    riga += '\n';
    *uscita_ << riga << std::flush;
}

}  // namespace ftes
