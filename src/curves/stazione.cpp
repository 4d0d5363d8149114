// SPDX-License-Identifier: MIT
#include "curves/stazione.h"

#include "platform/line_reader.h"

namespace ftes {

namespace {

struct Stazione {
    std::string_view chiave;
    std::int16_t tipo;
    std::string_view prefisso;
    std::string_view finale;
};

// Seven keys for six kinds, compared in this order.
constexpr std::array<Stazione, 7> stazioni{{
    {"Arvo", 1, "", ".TXT"},
    {"Belk", 1, "", ".TXT"},
    {"Cind", 2, "CN12A_", ".TXT"},
    {"Dorm", 3, "DR34B_", ".TXT"},
    {"Eslo", 4, "ES056_", "00.TXT"},
    {"Fa_N", 5, "FN078_", "00.TXT"},
    {"Gurt", 6, "GT90C_", "00.TXT"},
}};

std::string_view caratteri(std::string_view testo, std::size_t da, std::size_t quanti) {
    return da > testo.size() ? std::string_view{} : testo.substr(da - 1, quanti);
}

// The first line of a file of the data folder, or why it cannot be had.
platform::Result<std::string> prima_riga(const std::string& percorso) {
    auto aperto = platform::InputFile::open(percorso);
    if (!aperto) return platform::Error{percorso, "cannot open: " + aperto.error().text};
    platform::LineReader file(std::move(*aperto), max_byte_riconoscimento);
    std::string riga;
    const auto letta = file.read_line(riga);
    if (!letta) return platform::Error{percorso, "cannot read: " + letta.error().text};
    return riga;  // empty when the file is
}

constexpr std::array<OraMinuto, 1440> ordine_calcolato() {
    std::array<OraMinuto, 1440> ordine{};
    std::size_t i = 0;
    for (int ora = 0; ora < 24; ++ora) {
        for (int minuto = 1; minuto <= 60; ++minuto) ordine[i++] = {ora, minuto % 60};
    }
    return ordine;
}

}  // namespace

std::int16_t tipo_da_chiave(std::string_view prima_riga) {
    const std::string_view chiave = prima_riga.substr(0, 4);
    for (const Stazione& s : stazioni) {
        if (chiave == s.chiave) return s.tipo;
    }
    return 0;
}

StazioneTrovata trova_stazione(const std::string& percorso_dati) {
    StazioneTrovata trovata;
    const std::string cartella = percorso_dati.empty() ? "." : percorso_dati;
    auto elenco = platform::FolderListing::open(percorso_dati);
    if (!elenco) {
        trovata.illeggibili = 1;
        trovata.avvisi.push_back(
            {cartella, "cannot list: " + elenco.error().text + "; no observed values drawn"});
        return trovata;
    }
    int non_letti = 0;
    std::optional<platform::Error> elenco_interrotto;
    while (trovata.esaminati < max_file_riconoscimento) {
        const auto nome = elenco->next_regular_file();
        if (!nome) {
            elenco_interrotto = nome.error();
            break;
        }
        if (!*nome) break;
        ++trovata.esaminati;
        const std::string percorso = percorso_dati + **nome;
        const auto riga = prima_riga(percorso);
        if (!riga) {
            non_letti += !riga.error().absent;
            trovata.avvisi.push_back({percorso, riga.error().text + "; skipped"});
            continue;
        }
        trovata.tipo_stazione = tipo_da_chiave(*riga);
        if (trovata.tipo_stazione != 0) {
            trovata.chiave = riga->substr(0, 4);
            trovata.file = percorso;
            trovata.etichette_ore = etichette_per_tipo(trovata.tipo_stazione);
            return trovata;
        }
        trovata.avvisi.push_back(
            {percorso, "first line \"" + riga->substr(0, 40) + "\" holds no station key; skipped"});
    }
    if (elenco_interrotto) {
        ++non_letti;
        trovata.avvisi.push_back({cartella, "cannot list: " + elenco_interrotto->text});
    }
    trovata.illeggibili = non_letti;
    const std::string motivo =
        trovata.esaminati == 0 ? std::string("no file in the data folder")
        : trovata.esaminati < max_file_riconoscimento
            ? "no file of the data folder holds a station key in its first line"
            : "none of its first " + std::to_string(trovata.esaminati) +
                  " files holds a station key in its first line";
    trovata.avvisi.push_back({cartella, motivo + "; no observed values drawn"});
    return trovata;
}

std::array<std::string, 24> etichette_per_tipo(std::int16_t tipo_stazione) {
    std::array<std::string, 24> etichette;
    for (int ora = 0; ora < 24; ++ora) {
        auto& e = etichette[static_cast<std::size_t>(ora)];
        if (tipo_stazione == 1) {
            e = std::string(1, static_cast<char>('A' + ora));
        } else {
            e = std::string(1, static_cast<char>('0' + ora / 10)) +
                static_cast<char>('0' + ora % 10);
        }
    }
    return etichette;
}

const std::array<OraMinuto, 1440>& ordine_sondaggi() {
    static constexpr std::array<OraMinuto, 1440> ordine = ordine_calcolato();
    return ordine;
}

NomiSondaggio::NomiSondaggio(std::int16_t tipo_stazione, std::string_view percorso_dati,
                             std::string_view file_previsioni, std::string_view giorno_anno) {
    for (const Stazione& s : stazioni) {
        if (s.tipo != tipo_stazione) continue;
        etichette_ = etichette_per_tipo(tipo_stazione);
        testo_.reserve(percorso_dati.size() + 32);
        testo_ += percorso_dati;
        if (tipo_stazione == 1) {
            testo_ += caratteri(file_previsioni, 5, 2);  // yy
        } else {
            testo_ += s.prefisso;
            testo_ += caratteri(file_previsioni, 3, 4);  // yyyy
        }
        testo_ += giorno_anno;
        inizio_ora_ = testo_.size();
        // Room for the hour label and the minute, put in place by each name.
        testo_ += etichette_[0];
        testo_ += "00";
        testo_ += s.finale;
        valido_ = true;
        return;
    }
}

const std::string& NomiSondaggio::nome(OraMinuto quando) {
    if (!valido_) return testo_;
    // From one name to the next only these characters change, in place: a kind's hour labels
    // all have the same length.
    const std::string& etichetta = etichette_.at(static_cast<std::size_t>(quando.ora));
    char* hh = testo_.data() + inizio_ora_;
    etichetta.copy(hh, etichetta.size());
    hh[etichetta.size()] = static_cast<char>('0' + quando.minuto / 10);
    hh[etichetta.size() + 1] = static_cast<char>('0' + quando.minuto % 10);
    return testo_;
}

}  // namespace ftes
