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
    const auto testo = platform::utf16_to_utf8(platform::as_text(*byte));
    if (!testo) return std::optional<SeiRighe>();
    auto in_memoria = platform::LineReader::from_memory(*testo);
    return std::optional<SeiRighe>(leggi_sei_righe(in_memoria));
}

bool in_utf8(SeiRighe& righe, std::string (*da_ansi)(std::string_view)) {
    const bool utf8 = std::all_of(righe.begin(), righe.end(),
                                  [](const auto& r) { return !r || platform::is_utf8(*r); });
    if (utf8) return false;
    for (auto& r : righe) {
        if (r) r = da_ansi(*r);
    }
    return true;
}

platform::Result<ConfigurazioneLetta> leggi_configurazione_da(const std::string& percorso) {
    const auto errore = [&](const char* passo, platform::Error e) {
        e.path = percorso;
        e.text = passo + e.text;
        return e;
    };
    platform::LineReader lettore(percorso);
    if (!lettore.is_open()) return errore("cannot open: ", lettore.error());
    ConfigurazioneLetta letta{leggi_sei_righe(lettore), "UTF-8"};
    if (lettore.failed()) return errore("cannot read: ", lettore.error());
    if (letta.righe[0] && platform::utf16_to_utf8(letta.righe[0]->substr(0, 2))) {
        const auto utf16 = leggi_sei_righe_utf16(percorso);
        if (!utf16) return errore("cannot read: ", utf16.error());
        letta.codifica = "UTF-16";
        letta.utf16_troppo_lungo = !*utf16;
        letta.righe = *utf16 ? **utf16 : SeiRighe{};
        return letta;
    }
    if (in_utf8(letta.righe)) letta.codifica = "the system's ANSI code page";
    return letta;
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
