// SPDX-License-Identifier: MIT
#include "batch/diagnostica.h"

#include <string>

#include "platform/utf8.h"

namespace ftes {

std::string testo_stampabile(std::string_view testo, std::size_t massimo) {
    std::string s;
    while (!testo.empty() && s.size() < massimo) {
        // Control characters, C0 and C1 alike, and bytes that are no UTF-8 become '?': a
        // damaged file never sends escape sequences to the operator's terminal.
        const auto c = platform::decode_utf8(testo);
        const bool controllo =
            !c || c->code < 0x20 || c->code == 0x7F || (c->code >= 0x80 && c->code <= 0x9F);
        const std::size_t lunghezza = c ? c->length : 1;
        if (controllo) {
            s.push_back('?');
        } else {
            s.append(testo.substr(0, lunghezza));
        }
        testo.remove_prefix(lunghezza);
    }
    return s;
}

void Diagnostica::segnala(std::string_view passo, std::string_view percorso,
                          std::string_view motivo) const {
    scrivi(uscita_, passo, percorso, motivo);
}

void Diagnostica::arresta(std::string_view passo, std::string_view percorso,
                          std::string_view motivo) const {
    scrivi(arresti_ != nullptr ? arresti_ : uscita_, passo, percorso, motivo);
}

void Diagnostica::scrivi(std::ostream* uscita, std::string_view passo, std::string_view percorso,
                         std::string_view motivo) const {
    if (uscita == nullptr && registro_ == nullptr) return;
    std::string riga = "ftes-charts: " + testo_stampabile(passo);
    if (!percorso.empty()) riga += ": " + testo_stampabile(percorso);
    if (!motivo.empty()) riga += ": " + testo_stampabile(motivo);
    riga += '\n';
    emetti(uscita, riga);
}

void Diagnostica::riassumi(std::string_view riga) const {
    if (uscita_ == nullptr && registro_ == nullptr) return;
    emetti(uscita_, testo_stampabile(riga) + '\n');
}

void Diagnostica::emetti(std::ostream* uscita, const std::string& riga) const {
    if (uscita != nullptr) *uscita << riga << std::flush;
    if (registro_ != nullptr) registro_->append(riga);
}

}  // namespace ftes
