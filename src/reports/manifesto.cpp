// SPDX-License-Identifier: MIT
#include "reports/manifesto.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "batch/tabelle.h"
#include "export/nomi_file.h"
#include "platform/file_system.h"

namespace ftes {

namespace {

// A JSON string of text the program made itself, or read from the operator's command line: only
// quotes, backslashes and control characters need escaping (the text is UTF-8).
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

// What the page says of a chart in place.
const char* stato(const EsitoFigura& f) {
    if (!f.esportazione.corrente) return "not published";
    if (f.illeggibili > 0) return "unreadable";
    if (f.senza_stazione) return "no station";
    return "published";
}

std::string figura(const EsitoFigura& f, const std::optional<std::chrono::year_month_day>& prima) {
    std::string osservati, assenze, mancanti;
    const auto accoda = [](std::string& lista, const std::string& voce) {
        (lista += lista.empty() ? "" : ", ") += voce;
    };
    for (const Sondaggio& s : f.sondaggi) {
        switch (s.osservazione.tipo) {
            case Osservazione::Tipo::valore:
                accoda(osservati, std::string(1, '[') + ore(s.minuto_giorno) + ", " +
                                      mhz(s.osservazione.valore) + "]");
                break;
            case Osservazione::Tipo::nessuno_strato:
                accoda(assenze, ore(s.minuto_giorno));
                break;
            case Osservazione::Tipo::non_disponibile:
                accoda(mancanti, ore(s.minuto_giorno));
                break;
        }
    }
    const auto si = [](bool b) { return b ? "true" : "false"; };
    const auto mostra = f.esportazione.corrente ? std::optional(f.giorno.data) : prima;
    return "    {\"slot\": " + std::to_string(f.slot) +
           ", \"day\": " + stringa(testo_iso(f.giorno.data)) +
           ", \"shows\": " + (mostra ? stringa(testo_iso(*mostra)) : std::string("null")) +
           ", \"file\": " + stringa(esportazione::nome_gif_corrente("", f.slot)) +
           ",\n     \"state\": " + stringa(stato(f)) +
           ", \"published\": " + si(f.pubblicata(false)) +
           ", \"values\": " + std::to_string(f.valori) +
           ", \"no_layer\": " + std::to_string(f.assenze) +
           ", \"unreadable\": " + std::to_string(f.illeggibili) +
           ", \"station\": " + si(!f.senza_stazione) + ", \"forecast\": " + si(f.previsione) +
           ",\n     \"observed\": [" + osservati + "],\n     \"no_layer_times\": [" + assenze +
           "],\n     \"not_available_times\": [" + mancanti +
           "],\n     \"csv\": " + stringa(f.tabella) + "}";
}

std::optional<std::chrono::year_month_day> data_iso(std::string_view t) {
    if (t.size() != 10 || t[4] != '-' || t[7] != '-') return std::nullopt;
    int a = 0;
    unsigned m = 0, g = 0;
    if (std::from_chars(t.data(), t.data() + 4, a).ec != std::errc{} ||
        std::from_chars(t.data() + 5, t.data() + 7, m).ec != std::errc{} ||
        std::from_chars(t.data() + 8, t.data() + 10, g).ec != std::errc{}) {
        return std::nullopt;
    }
    const std::chrono::year_month_day d{std::chrono::year{a}, std::chrono::month{m},
                                        std::chrono::day{g}};
    if (!d.ok()) return std::nullopt;
    return d;
}

}  // namespace

GiorniMostrati giorni_mostrati(std::string_view testo) {
    GiorniMostrati giorni;
    constexpr std::string_view slot = "{\"slot\": ", mostra = "\"shows\": \"";
    for (std::size_t da = 0; da < testo.size();) {
        const std::size_t fine = std::min(testo.find('\n', da), testo.size());
        const std::string_view riga = testo.substr(da, fine - da);
        da = fine + 1;
        const std::size_t s = riga.find(slot), m = riga.find(mostra);
        if (s == std::string_view::npos || m == std::string_view::npos ||
            s + slot.size() >= riga.size()) {
            continue;
        }
        const char n = riga[s + slot.size()];
        if (n < '1' || n > '6') continue;
        giorni[static_cast<std::size_t>(n - '1')] = data_iso(riga.substr(m + mostra.size(), 10));
    }
    return giorni;
}

std::string testo_manifesto(std::string_view generato, std::string_view versione,
                            std::string_view stazione, std::chrono::year_month_day oggi,
                            const EsitoCorsa& esito, const GiorniMostrati& prima) {
    // The charts' entries first, then the text made once at the size they add up to: a manifest
    // of six full days is some 64 KB, and is not copied over again as it grows.
    std::vector<std::string> voci;
    voci.reserve(esito.figure.size());
    for (const EsitoFigura& f : esito.figure) {
        const std::size_t slot = static_cast<std::size_t>(f.slot - 1);
        voci.push_back(figura(f, slot < prima.size() ? prima[slot] : std::nullopt));
    }
    const std::string testa =
        "{\n  \"generated\": " + stringa(generato) + ",\n  \"version\": " + stringa(versione) +
        ",\n  \"station\": " + stringa(stazione) + ",\n  \"today\": " + stringa(testo_iso(oggi)) +
        ",\n  \"charts\": [\n";
    constexpr std::string_view coda = "  ]\n}\n";
    std::size_t dimensione = testa.size() + coda.size();
    for (const std::string& v : voci) dimensione += v.size() + 2;
    std::string testo;
    testo.reserve(dimensione);
    testo += testa;
    for (std::size_t i = 0; i < voci.size(); ++i) {
        testo += voci[i];
        testo += i + 1 < voci.size() ? ",\n" : "\n";
    }
    testo += coda;
    return testo;
}

platform::Result<std::optional<platform::Note>> scrivi_manifesto(const std::string& percorso_figure,
                                                                 std::string_view versione,
                                                                 std::string_view stazione,
                                                                 std::chrono::year_month_day oggi,
                                                                 const EsitoCorsa& esito) {
    const std::string percorso = percorso_figure + std::string(nome_manifesto);
    // The days the charts a run left unpublished still show: those the old manifest told of. A
    // manifest that cannot be read (or is a link) tells of none.
    GiorniMostrati prima;
    if (const auto letto =
            platform::read_whole_file(percorso, std::size_t{1} << 20, platform::Links::refuse)) {
        prima = giorni_mostrati(platform::as_text(*letto));
    }
    const std::string testo =
        testo_manifesto(platform::local_timestamp(), versione, stazione, oggi, esito, prima);
    const auto scritto = platform::replace_file(percorso, testo, platform::Durability::ordinary);
    if (scritto) return std::optional<platform::Note>();
    const auto tolto = togli_manifesto(percorso_figure);
    if (tolto) {
        return std::optional<platform::Note>(
            platform::Note{percorso, "cannot write: " + scritto.error().text +
                                         "; the old one is removed, so that the page shows no "
                                         "days but the charts' own"});
    }
    return platform::Error{percorso, "cannot write: " + scritto.error().text +
                                         "; nor remove the old one: " + tolto.error().text};
}

platform::Result<> togli_manifesto(const std::string& percorso_figure) {
    const std::string percorso = percorso_figure + std::string(nome_manifesto);
    const auto c = platform::kind_at(percorso);
    if (!c) return c.error();
    if (*c == platform::Kind::absent) return {};
    return platform::remove_file(percorso);
}

}  // namespace ftes
