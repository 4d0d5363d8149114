#include "batch/riga_comando.h"

#include <cctype>
#include <charconv>

namespace ftes {

namespace {

std::optional<unsigned> cifre(std::string_view testo) {
    unsigned valore = 0;
    for (const char c : testo) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    }
    const auto [fine, ec] = std::from_chars(testo.data(), testo.data() + testo.size(), valore);
    if (ec != std::errc{} || fine != testo.data() + testo.size()) return std::nullopt;
    return valore;
}

OpzioniComando errore(std::string testo) {
    OpzioniComando o;
    o.azione = OpzioniComando::Azione::errore;
    o.errore = std::move(testo);
    return o;
}

}  // namespace

std::optional<std::chrono::year_month_day> leggi_data_iso(std::string_view testo) {
    if (testo.size() != 10 || testo[4] != '-' || testo[7] != '-') return std::nullopt;
    const auto a = cifre(testo.substr(0, 4));
    const auto m = cifre(testo.substr(5, 2));
    const auto g = cifre(testo.substr(8, 2));
    if (!a || !m || !g || *a < 1900) return std::nullopt;
    const std::chrono::year_month_day data{std::chrono::year{static_cast<int>(*a)},
                                           std::chrono::month{*m}, std::chrono::day{*g}};
    if (!data.ok()) return std::nullopt;
    return data;
}

OpzioniComando leggi_riga_comando(std::span<const std::string_view> argomenti) {
    OpzioniComando o;
    for (std::size_t i = 0; i < argomenti.size(); ++i) {
        const std::string_view arg = argomenti[i];
        if (arg == "--help" || arg == "-h") {
            o.azione = OpzioniComando::Azione::aiuto;
            return o;
        }
        if (arg == "--version") {
            o.azione = OpzioniComando::Azione::versione;
            return o;
        }
        if (arg == "--verbose" || arg == "-v") {
            o.verboso = true;
            continue;
        }
        std::string_view valore;
        if (arg == "--date") {
            if (i + 1 >= argomenti.size()) return errore("--date needs a date (YYYY-MM-DD)");
            valore = argomenti[++i];
        } else if (arg.starts_with("--date=")) {
            valore = arg.substr(7);
        } else {
            return errore("unknown option '" + std::string(arg) + "'");
        }
        o.data = leggi_data_iso(valore);
        if (!o.data) return errore("invalid date '" + std::string(valore) + "' (want YYYY-MM-DD)");
    }
    return o;
}

std::string_view testo_uso() {
    return "usage: ftes-charts [--date YYYY-MM-DD] [--verbose]\n"
           "       ftes-charts --help | --version\n"
           "Draws the ftEs charts of the six days ending today (or the given date) from the\n"
           "folders named in ./varnel.ini and publishes them as GIF files.\n"
           "  --date YYYY-MM-DD  chart the six days ending on this date\n"
           "  --verbose          report every skipped step on stderr\n"
           "Exit status: 0 all six charts published, 1 an export failed, 2 bad usage.\n";
}

}  // namespace ftes
