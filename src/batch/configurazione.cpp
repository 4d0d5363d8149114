#include "batch/configurazione.h"

#include <algorithm>

#include "platform/file_system.h"
#include "platform/utf8.h"

namespace ftes {

std::array<std::optional<std::string>, 6> leggi_sei_righe(platform::LineReader& lettore) {
    std::array<std::optional<std::string>, 6> righe;
    for (auto& riga : righe) {
        riga = lettore.next_line();
        if (!riga) break;
    }
    return righe;
}

void in_utf8(std::array<std::optional<std::string>, 6>& righe,
             std::string (*da_ansi)(std::string_view)) {
    const bool utf8 = std::all_of(righe.begin(), righe.end(),
                                  [](const auto& r) { return !r || platform::is_utf8(*r); });
    if (utf8) return;
    for (auto& r : righe) {
        if (r) r = da_ansi(*r);
    }
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
