// SPDX-License-Identifier: MIT
#include "batch/archivio.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>

#include "batch/tabelle.h"
#include "platform/file_system.h"

namespace ftes {

namespace {

// An index holds a month of entries of a hundred bytes: one of this size was not written here.
constexpr std::size_t max_indice = std::size_t{256} * 1024;

// The text after "key": in a line, up to the next comma or closing brace.
std::optional<std::string_view> campo(std::string_view riga, std::string_view chiave) {
    std::string cerca(1, '"');
    (cerca += chiave) += "\": ";
    const std::size_t da = riga.find(cerca);
    if (da == std::string_view::npos) return std::nullopt;
    std::string_view resto = riga.substr(da + cerca.size());
    if (resto.starts_with('"')) {
        const std::size_t fine = resto.find('"', 1);
        if (fine == std::string_view::npos) return std::nullopt;
        return resto.substr(1, fine - 1);
    }
    return resto.substr(0, resto.find_first_of(",}"));
}

std::optional<int> intero(std::optional<std::string_view> testo) {
    if (!testo) return std::nullopt;
    int v = 0;
    const auto [fine, ec] = std::from_chars(testo->data(), testo->data() + testo->size(), v);
    if (ec != std::errc{} || fine != testo->data() + testo->size() || v < 0) return std::nullopt;
    return v;
}

std::optional<std::chrono::year_month_day> data_iso(std::optional<std::string_view> testo) {
    if (!testo || testo->size() != 10 || (*testo)[4] != '-' || (*testo)[7] != '-') {
        return std::nullopt;
    }
    const auto a = intero(testo->substr(0, 4)), m = intero(testo->substr(5, 2)),
               g = intero(testo->substr(8, 2));
    if (!a || !m || !g) return std::nullopt;
    const std::chrono::year_month_day d{std::chrono::year{*a},
                                        std::chrono::month{static_cast<unsigned>(*m)},
                                        std::chrono::day{static_cast<unsigned>(*g)}};
    if (!d.ok()) return std::nullopt;
    return d;
}

std::optional<VoceArchivio> voce_da_riga(std::string_view riga) {
    const auto giorno = data_iso(campo(riga, "day"));
    const auto file = campo(riga, "file"), disegnata = campo(riga, "drawn"),
               previsione = campo(riga, "forecast");
    const auto valori = intero(campo(riga, "values")), assenze = intero(campo(riga, "no_layer")),
               illeggibili = intero(campo(riga, "unreadable"));
    if (!giorno || !file || !disegnata || !previsione || !valori || !assenze || !illeggibili ||
        (*previsione != "true" && *previsione != "false")) {
        return std::nullopt;
    }
    const auto tabella = campo(riga, "csv");
    return VoceArchivio{
        *giorno,  std::string(*file), std::string(*disegnata), *valori,
        *assenze, *illeggibili,       *previsione == "true",   std::string(tabella.value_or(""))};
}

std::string riga_voce(const VoceArchivio& v) {
    const auto si = [](bool b) { return b ? "true" : "false"; };
    return "    {\"day\": \"" + testo_iso(v.giorno) + "\", \"file\": \"" + v.file +
           "\", \"drawn\": \"" + v.disegnata + "\", \"values\": " + std::to_string(v.valori) +
           ", \"no_layer\": " + std::to_string(v.assenze) +
           ", \"unreadable\": " + std::to_string(v.illeggibili) +
           ", \"forecast\": " + si(v.previsione) +
           (v.tabella.empty() ? std::string() : ", \"csv\": \"" + v.tabella + "\"") + "}";
}

std::string plurale(int n, const char* una, const char* tante) {
    return std::to_string(n) + " " + (n == 1 ? una : tante);
}

}  // namespace

std::string nome_indice(std::chrono::year_month_day giorno) {
    return testo_iso(giorno).substr(0, 7) + ".json";
}

std::vector<VoceArchivio> leggi_indice(std::string_view testo) {
    std::vector<VoceArchivio> voci;
    for (std::size_t da = 0; da < testo.size();) {
        const std::size_t fine = std::min(testo.find('\n', da), testo.size());
        if (auto v = voce_da_riga(testo.substr(da, fine - da))) voci.push_back(std::move(*v));
        da = fine + 1;
    }
    return voci;
}

std::string testo_indice(std::chrono::year_month mese, const std::vector<VoceArchivio>& voci) {
    char nome[16];
    std::snprintf(nome, sizeof nome, "%04d-%02u", static_cast<int>(mese.year()),
                  static_cast<unsigned>(mese.month()));
    std::vector<const VoceArchivio*> ordinate;
    ordinate.reserve(voci.size());
    for (const VoceArchivio& v : voci) ordinate.push_back(&v);
    std::sort(ordinate.begin(), ordinate.end(), [](const VoceArchivio* a, const VoceArchivio* b) {
        return std::chrono::sys_days{a->giorno} < std::chrono::sys_days{b->giorno};
    });
    std::string testo = "{\"month\": \"" + std::string(nome) + "\", \"days\": [\n";
    for (std::size_t i = 0; i < ordinate.size(); ++i) {
        testo += riga_voce(*ordinate[i]) + (i + 1 < ordinate.size() ? ",\n" : "\n");
    }
    return testo + "]}\n";
}

std::optional<std::string> perche_conservare(bool copia_presente, const VoceArchivio* voce,
                                             const Disegno& nuovo) {
    if (!copia_presente) return std::nullopt;
    if (nuovo.illeggibili > 0) {
        return plurale(nuovo.illeggibili, "input file", "input files") +
               " of this day could not be read";
    }
    if (nuovo.senza_stazione) return std::string("no station recognised");
    if (nuovo.valori == 0 && nuovo.assenze == 0) {
        if (voce != nullptr && voce->valori > 0) {
            return std::to_string(voce->valori) + " values in the copy, 0 now";
        }
        if (voce != nullptr && voce->assenze > 0) {
            return std::to_string(voce->assenze) + " no-layer in the copy, 0 now";
        }
        return std::string("this chart shows no observation");
    }
    if (voce == nullptr) return std::nullopt;
    if (nuovo.valori < voce->valori) {
        return std::to_string(voce->valori) + " values in the copy, " +
               std::to_string(nuovo.valori) + " now";
    }
    if (nuovo.assenze < voce->assenze) {
        return std::to_string(voce->assenze) + " no-layer in the copy, " +
               std::to_string(nuovo.assenze) + " now";
    }
    if (voce->previsione && !nuovo.previsione) {
        return std::string("the copy shows the forecast, this chart does not");
    }
    return std::nullopt;
}

std::vector<VoceArchivio>& IndiceArchivio::mese(std::chrono::year_month ym) {
    if (const auto trovato = mesi_.find(ym); trovato != mesi_.end()) return trovato->second;
    // A backfill goes through the months in order: the ones before the last two are done with.
    while (mesi_.size() >= 2) mesi_.erase(mesi_.begin());
    std::vector<VoceArchivio>& voci = mesi_[ym];
    const std::string percorso =
        cartella_ + nome_indice(std::chrono::year_month_day{ym / std::chrono::day{1}});
    const auto letto = platform::read_whole_file(percorso, max_indice, platform::Links::refuse);
    if (letto) {
        voci = leggi_indice(platform::as_text(*letto));
    } else if (!letto.error().absent) {
        avvisi_.push_back({percorso, "cannot read: " + letto.error().text +
                                         "; its days count as unknown and it is written anew"});
    }
    return voci;
}

const VoceArchivio* IndiceArchivio::voce(std::chrono::year_month_day giorno) {
    const auto& voci = mese(giorno.year() / giorno.month());
    const auto trovata = std::find_if(voci.begin(), voci.end(),
                                      [&](const VoceArchivio& v) { return v.giorno == giorno; });
    return trovata == voci.end() ? nullptr : &*trovata;
}

platform::Result<> IndiceArchivio::registra(const VoceArchivio& voce) {
    const std::chrono::year_month ym = voce.giorno.year() / voce.giorno.month();
    auto& voci = mese(ym);
    const auto trovata = std::find_if(
        voci.begin(), voci.end(), [&](const VoceArchivio& v) { return v.giorno == voce.giorno; });
    if (trovata != voci.end()) {
        *trovata = voce;
    } else {
        voci.push_back(voce);
    }
    const std::string percorso = cartella_ + nome_indice(voce.giorno);
    const auto scritto =
        platform::replace_file(percorso, testo_indice(ym, voci), platform::Durability::flushed);
    if (!scritto) return scritto.error();
    // The index must be on the disk before the copy it tells of: a folder that could not be
    // flushed leaves that unsure, and the copy is not replaced.
    if (scritto->not_flushed) return platform::Error{percorso, scritto->not_flushed->text};
    return {};
}

std::vector<platform::Note> IndiceArchivio::prendi_avvisi() {
    return std::exchange(avvisi_, {});
}

}  // namespace ftes
