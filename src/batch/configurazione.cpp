#include "batch/configurazione.h"

#include <algorithm>

#include "platform/file_system.h"

namespace ftes {

std::array<std::optional<std::string>, 6> leggi_sei_righe(platform::LineReader& lettore) {
    std::array<std::optional<std::string>, 6> righe;
    for (auto& riga : righe) {
        riga = lettore.next_line();
        if (!riga) break;
    }
    return righe;
}

std::string adatta_cartella(std::string valore) {
    const char sep = platform::separator();
    if (sep != '\\') std::replace(valore.begin(), valore.end(), '\\', sep);
    return valore;
}

std::string con_separatore_finale(std::string cartella) {
    const char sep = platform::separator();
    if (!cartella.empty() && cartella.back() != sep) cartella.push_back(sep);
    return cartella;
}

}  // namespace ftes
