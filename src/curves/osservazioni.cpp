// SPDX-License-Identifier: MIT
#include "curves/osservazioni.h"

#include <string>

#include "curves/lettura_numeri.h"

namespace ftes {

Osservazione leggi_osservazione(std::string_view riga_otto) {
    const std::string_view colonna =
        riga_otto.size() < 16 ? std::string_view{} : riga_otto.substr(15, 4);
    const std::string_view parola = senza_spazi(colonna);
    if (parola == "N/A") return {Osservazione::Tipo::non_disponibile};
    if (parola == "NO") return {Osservazione::Tipo::nessuno_strato};
    std::string testo(senza_spazi(colonna.substr(0, 2)));
    if (colonna.size() >= 4) testo += colonna[3];
    return {Osservazione::Tipo::valore, leggi_numero(testo)};
}

int scarto_minuto(int minuto) {
    return (minuto + 2) / 6;
}

bool collegamento_dovuto(int x_punto, int x_prec, int valore_prec) {
    return (x_punto == x_prec + 2 || x_punto == x_prec + 3) && valore_prec != 0;
}

}  // namespace ftes
