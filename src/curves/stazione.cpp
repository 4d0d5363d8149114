#include "curves/stazione.h"

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

std::string nome_sondaggio(std::int16_t tipo_stazione, const PartiNomeSondaggio& p) {
    for (const Stazione& s : stazioni) {
        if (s.tipo != tipo_stazione) continue;
        std::string nome(p.percorso_dati);
        if (tipo_stazione == 1) {
            nome += caratteri(p.file_previsioni, 5, 2);  // yy
        } else {
            nome += s.prefisso;
            nome += caratteri(p.file_previsioni, 3, 4);  // yyyy
        }
        nome += p.giorno_anno;
        nome += p.etichetta_ora;
        nome += p.minuto;
        nome += s.finale;
        return nome;
    }
    return {};
}

}  // namespace ftes
