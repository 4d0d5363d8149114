// SPDX-License-Identifier: MIT
#include "batch/configurazione.h"

#include <algorithm>

#include "platform/file_system.h"
#include "platform/utf8.h"

namespace ftes {

namespace {

// The six lines of a varnel.ini saved as UTF-16 ("Unicode" in Notepad), read again whole and
// decoded; nothing when the file is not UTF-16 or longer than any varnel.ini (64 KiB).
platform::Result<std::optional<SeiRighe>> leggi_sei_righe_utf16(const std::string& percorso) {
    constexpr std::size_t max_utf16 = std::size_t{64} * 1024;
    const auto byte = platform::read_whole_file(percorso, max_utf16);
    if (!byte) {
        // Too long to be decoded is no reason to stop the run: its lines are simply not read.
        if (auto f = platform::InputFile::open(percorso); f && f->size_at_open() > max_utf16) {
            return std::optional<SeiRighe>();
        }
        return byte.error();
    }
    const auto testo = platform::utf16_to_utf8(platform::as_text(*byte));
    if (!testo) return std::optional<SeiRighe>();
    platform::LineReader in_memoria(platform::LineReader::InMemory{}, *testo);
    auto righe = leggi_sei_righe(in_memoria);
    if (!righe) return righe.error();
    return std::optional<SeiRighe>(*righe);
}

}  // namespace

std::string con_separatore_finale(std::string cartella) {
    const char sep = platform::separator();
    if (!cartella.empty() && cartella.back() != sep) cartella.push_back(sep);
    return cartella;
}

std::string percorso_configurazione(const std::string& cartella_corrente) {
    return con_separatore_finale(cartella_corrente) + std::string(nome_configurazione);
}

platform::Result<SeiRighe> leggi_sei_righe(platform::LineReader& lettore) {
    SeiRighe righe;
    for (auto& riga : righe) {
        auto letta = lettore.next_line();
        if (!letta) return letta.error();
        if (!*letta) break;
        riga = std::move(*letta);
    }
    return righe;
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
    auto aperto = platform::InputFile::open(percorso);
    if (!aperto) return errore("cannot open: ", aperto.error());
    platform::LineReader lettore(std::move(*aperto));
    const auto righe = leggi_sei_righe(lettore);
    if (!righe) return errore("cannot read: ", righe.error());
    ConfigurazioneLetta letta{*righe, "UTF-8"};
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

Cartelle cartelle_da(const SeiRighe& righe) {
    Cartelle cartelle;
    for (const RigaCartella& r : righe_cartelle) {
        if (const auto& riga = righe[static_cast<std::size_t>(r.numero - 1)]) {
            cartelle.*r.campo = adatta_cartella(*riga);
        }
    }
    return cartelle;
}

}  // namespace ftes
