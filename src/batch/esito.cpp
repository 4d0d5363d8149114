// SPDX-License-Identifier: MIT
#include "batch/esito.h"

#include "batch/stato_uscita.h"

namespace ftes {

int stato_uscita(const EsitoCorsa& esito) {
    switch (esito.arresto) {
        case Arresto::turno_negato:
            return uscita_turno_negato;
        case Arresto::configurazione_mancante:
        case Arresto::configurazione_illeggibile:
            return uscita_non_pubblicata;
        case Arresto::nessuno:
            break;
    }
    if (esito.pubblicate != esito.attese || esito.non_sincronizzate > 0) {
        return uscita_non_pubblicata;
    }
    if (esito.illeggibili > 0 || esito.senza_stazione) return uscita_illeggibili;
    return uscita_riuscita;
}

}  // namespace ftes
