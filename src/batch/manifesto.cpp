// SPDX-License-Identifier: MIT
#include "batch/manifesto.h"

#include <cstdio>

#include "batch/tabelle.h"
#include "export/nomi_file.h"

namespace ftes {

namespace {

// A JSON string of text the program made itself: only quotes, backslashes and control
// characters need escaping.
std::string stringa(std::string_view testo) {
    std::string s = "\"";
    for (const char c : testo) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            (s += '\\') += c;
        } else if (u < 0x20) {
            char codice[8];
            std::snprintf(codice, sizeof codice, "\\u%04x", u);
            s += codice;
        } else {
            s += c;
        }
    }
    return s + '"';
}

// A time of day in hours, to the second's precision a sounding has.
std::string ore(int minuto_giorno) {
    char testo[32];
    std::snprintf(testo, sizeof testo, "%.4f", minuto_giorno / 60.0);
    std::string s = testo;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

std::string mhz(double decimi) {
    char testo[32];
    std::snprintf(testo, sizeof testo, "%.1f", decimi / 10);
    return testo;
}

std::string figura(const FiguraFatta& f) {
    std::string osservati, assenze;
    for (const Sondaggio& s : f.sondaggi) {
        if (s.osservazione.tipo == Osservazione::Tipo::nessuno_strato) {
            (assenze += assenze.empty() ? "" : ", ") += ore(s.minuto_giorno);
        } else {
            ((((osservati += osservati.empty() ? "[" : ", [") += ore(s.minuto_giorno)) += ", ") +=
             mhz(s.osservazione.valore)) += "]";
        }
    }
    const auto si = [](bool b) { return b ? "true" : "false"; };
    return "    {\"slot\": " + std::to_string(f.slot) +
           ", \"file\": " + stringa(esportazione::nome_gif_corrente("", f.slot)) +
           ", \"day\": " + stringa(testo_iso(std::chrono::year_month_day{f.giorno})) +
           ", \"published\": " + si(f.pubblicata) +
           ",\n     \"values\": " + std::to_string(f.valori) +
           ", \"no_layer\": " + std::to_string(f.assenze) +
           ", \"unreadable\": " + std::to_string(f.illeggibili) +
           ", \"forecast\": " + si(f.previsione) + ",\n     \"observed\": [" + osservati +
           "],\n     \"no_layer_times\": [" + assenze + "]}";
}

}  // namespace

std::string testo_manifesto(std::string_view generato, std::string_view versione,
                            std::chrono::year_month_day oggi,
                            const std::vector<FiguraFatta>& figure) {
    std::string testo = "{\n  \"generated\": " + stringa(generato) +
                        ",\n  \"version\": " + stringa(versione) +
                        ",\n  \"today\": " + stringa(testo_iso(oggi)) + ",\n  \"charts\": [\n";
    for (std::size_t i = 0; i < figure.size(); ++i) {
        testo += figura(figure[i]) + (i + 1 < figure.size() ? ",\n" : "\n");
    }
    return testo + "  ]\n}\n";
}

}  // namespace ftes
