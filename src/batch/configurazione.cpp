// SPDX-License-Identifier: MIT
#include "batch/configurazione.h"

#include <algorithm>

#include "platform/file_system.h"
#include "platform/utf8.h"

namespace ftes {

SeiRighe leggi_sei_righe(platform::LineReader& lettore) {
    SeiRighe righe;
    for (auto& riga : righe) {
        riga = lettore.next_line();
        if (!riga) break;
    }
    return righe;
}

platform::Result<std::optional<SeiRighe>> leggi_sei_righe_utf16(const std::string& percorso) {
    constexpr std::size_t max_utf16 = std::size_t{64} * 1024;
    if (platform::InputFile file(percorso); file.is_open() && file.size_at_open() > max_utf16) {
        return std::optional<SeiRighe>();
    }
    const auto byte = platform::read_whole_file(percorso, max_utf16);
    if (!byte) return byte.error();
    const auto testo = platform::utf16_to_utf8(
        std::string_view(reinterpret_cast<const char*>(byte->data()), byte->size()));
    if (!testo) return std::optional<SeiRighe>();
    auto in_memoria = platform::LineReader::from_memory(*testo);
    return std::optional<SeiRighe>(leggi_sei_righe(in_memoria));
}

void in_utf8(SeiRighe& righe, std::string (*da_ansi)(std::string_view)) {
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
