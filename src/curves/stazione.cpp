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
    platform::FolderListing elenco(percorso_dati);
    if (!elenco.is_open()) {
        trovata.illeggibili = 1;
        trovata.avvisi.push_back(
            {cartella, "cannot list: " + elenco.error()->text + "; no observed values drawn"});
        return trovata;
    }
    int esaminati = 0, non_letti = 0;
    std::string prima_riga;
    while (esaminati < max_file_riconoscimento) {
        const auto nome = elenco.next_regular_file();
        if (!nome) break;
        ++esaminati;
        const std::string percorso = percorso_dati + *nome;
        platform::LineReader file(percorso, max_byte_riconoscimento);
        const bool letta = file.read_line(prima_riga);
        if (!file.is_open() || file.failed()) {
            non_letti += !file.error().absent;
            trovata.avvisi.push_back(
                {percorso, std::string(file.is_open() ? "cannot read: " : "cannot open: ") +
                               file.error().text + "; skipped"});
            continue;
        }
        if (!letta) prima_riga.clear();
        trovata.tipo = tipo_da_chiave(prima_riga);
        if (trovata.tipo != 0) {
            trovata.chiave = prima_riga.substr(0, 4);
            trovata.file = percorso;
            return trovata;
        }
        trovata.avvisi.push_back({percorso, "first line \"" + prima_riga.substr(0, 40) +
                                                "\" holds no station key; skipped"});
    }
    if (elenco.error()) {
        ++non_letti;
        trovata.avvisi.push_back({cartella, "cannot list: " + elenco.error()->text});
    }
    trovata.illeggibili = non_letti;
    const std::string motivo =
        esaminati == 0 ? std::string("no file in the data folder")
        : esaminati < max_file_riconoscimento
            ? "no file of the data folder holds a station key in its first line"
            : "none of its first " + std::to_string(esaminati) +
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

NomiSondaggio::NomiSondaggio(std::int16_t tipo_stazione, std::string_view percorso_dati,
                             std::string_view file_previsioni, std::string_view giorno_anno) {
    for (const Stazione& s : stazioni) {
        if (s.tipo != tipo_stazione) continue;
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
        finale_ = s.finale;
        valido_ = true;
        return;
    }
}

const std::string& NomiSondaggio::nome(std::string_view etichetta_ora, std::string_view minuto) {
    if (!valido_) return testo_;
    // From one name to the next only these characters change: in place when they keep their
    // length, as they do within a station's day.
    if (etichetta_ora.size() == lunghezza_ora_ && minuto.size() == lunghezza_minuto_) {
        etichetta_ora.copy(testo_.data() + inizio_ora_, etichetta_ora.size());
        minuto.copy(testo_.data() + inizio_ora_ + etichetta_ora.size(), minuto.size());
        return testo_;
    }
    testo_.resize(inizio_ora_);
    testo_ += etichetta_ora;
    testo_ += minuto;
    testo_ += finale_;
    lunghezza_ora_ = etichetta_ora.size();
    lunghezza_minuto_ = minuto.size();
    return testo_;
}

std::string nome_sondaggio(std::int16_t tipo_stazione, const PartiNomeSondaggio& p) {
    return NomiSondaggio(tipo_stazione, p.percorso_dati, p.file_previsioni, p.giorno_anno)
        .nome(p.etichetta_ora, p.minuto);
}

}  // namespace ftes
