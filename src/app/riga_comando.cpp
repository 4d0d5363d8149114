// SPDX-License-Identifier: MIT
#include "app/riga_comando.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "batch/stato_uscita.h"
#include "batch/tabelle.h"
#include "platform/file_system.h"

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

// The words after a first column (an option, an exit status), wrapped within 79 columns, the
// words of later lines under the first's.
std::string a_capo(const std::string& prima, std::string_view parole) {
    const std::string rientro(prima.size(), ' ');
    std::string testo, riga = prima;
    for (std::size_t da = 0; da < parole.size();) {
        const std::size_t fine = std::min(parole.find(' ', da), parole.size());
        const std::string_view parola = parole.substr(da, fine - da);
        const bool vuota = riga.size() == prima.size();
        if (!vuota && riga.size() + 1 + parola.size() > 79) {
            (testo += riga) += '\n';
            riga = rientro;
        } else if (!vuota) {
            riga += ' ';
        }
        riga += parola;
        da = fine + 1;
    }
    return (testo += riga) += '\n';
}

// The options as --help shows them: the option and its value, and what it does.
struct VoceAiuto {
    const char* opzione;
    const char* cosa;
};
constexpr VoceAiuto voci_aiuto[] = {
    {"--date YYYY-MM-DD",
     "chart the six days ending on this date, as if it were today; this replaces the six live "
     "charts"},
    {"--backfill DAY[..DAY]",
     "redraw only the archive copy of every day of the range, oldest first, at most 3660 days, "
     "none after today; live charts untouched; a copy is replaced only by a chart at least as "
     "full, unless --replace is given"},
    {"--replace",
     "with --backfill: replace the archive copies whatever they hold (the summary lines say "
     "\"replaced\")"},
    {"--wait SECONDS",
     "wait this long for another run of the station to finish (default 60, at most 3600), then "
     "give up with status 4"},
    {"--metrics FILE",
     "after the run, write its metrics to FILE for Prometheus' textfile collector "
     "(node_exporter, windows_exporter)"},
    {"--station NAME",
     "the station's name, in the metrics and on the web page (default: the name of the current "
     "folder)"},
    {"--manifest",
     "a daily run also writes plotftEs.json beside the charts, for the web page: their days, "
     "values and state (a daily run without it removes an old one)"},
    {"--log FILE",
     "add the run's report (its time, exit status and every line --verbose shows) to FILE, "
     "which keeps the latest runs within its bound"},
    {"--verbose", "report every skipped step and sum up each chart on stderr"},
    {"--check",
     "look at the station's set-up as a run would, say what is wrong and how to fix it, and "
     "write nothing (status 1 when a chart would go missing, land elsewhere or be drawn wrong); "
     "run by root, it looks with the rights of the packaged service's account, ionosonde; it "
     "checks the files of --metrics and --log, and adds its findings to --log"},
    {"--as ACCOUNT", "with --check, run by root: look with this account's rights instead"},
    {"--help", "show this text"},
    {"--version", "show the version"},
};

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

IntervalloLetto leggi_intervallo(std::string_view testo) {
    const std::size_t punti = testo.find("..");
    const std::string_view da = testo.substr(0, punti);
    const std::string_view a = punti == std::string_view::npos ? da : testo.substr(punti + 2);
    const auto primo = leggi_data_iso(da), ultimo = leggi_data_iso(a);
    if (!primo || !ultimo) {
        return {std::nullopt, "invalid day '" + std::string(primo ? a : da) +
                                  "' in --backfill (want YYYY-MM-DD or YYYY-MM-DD..YYYY-MM-DD)"};
    }
    using std::chrono::sys_days;
    const auto giorni = (sys_days{*ultimo} - sys_days{*primo}).count() + 1;
    if (giorni < 1) {
        return {std::nullopt, "--backfill range ends (" + std::string(a) + ") before it starts (" +
                                  std::string(da) + ")"};
    }
    if (giorni > max_giorni_recupero) {
        return {std::nullopt, "--backfill range of " + std::to_string(giorni) +
                                  " days is longer than " + std::to_string(max_giorni_recupero)};
    }
    return {Intervallo{*primo, *ultimo}, {}};
}

OpzioniComando leggi_riga_comando(std::span<const std::string_view> argomenti) {
    OpzioniComando o;
    std::vector<std::string_view> viste;  // the options with a value seen so far
    for (std::size_t i = 0; i < argomenti.size(); ++i) {
        const std::string_view arg = argomenti[i];
        // "/?" is how a Windows command is asked for its help.
        if (arg == "--help" || arg == "-h" || (platform::separator() == '\\' && arg == "/?")) {
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
        if (arg == "--check") {
            o.azione = OpzioniComando::Azione::controlla;
            continue;
        }
        if (arg == "--manifest") {
            o.manifesto = true;
            continue;
        }
        if (arg == "--replace") {
            o.sostituisci = true;
            continue;
        }
        // An option with a value: "--name value" or "--name=value".
        std::string_view nome = arg, valore;
        bool ha_valore = false;
        if (const std::size_t uguale = arg.find('='); arg.starts_with("--") && uguale != arg.npos) {
            nome = arg.substr(0, uguale);
            valore = arg.substr(uguale + 1);
            ha_valore = true;
        }
        if (nome != "--date" && nome != "--backfill" && nome != "--wait" && nome != "--metrics" &&
            nome != "--station" && nome != "--log" && nome != "--as") {
            return errore("unknown option '" + std::string(arg) + "'");
        }
        // Given twice, one of the two values would be dropped without a word.
        if (std::find(viste.begin(), viste.end(), nome) != viste.end()) {
            return errore(std::string(nome) + " given twice");
        }
        viste.push_back(nome);
        if (!ha_valore && i + 1 < argomenti.size()) {
            valore = argomenti[++i];
            ha_valore = true;
        }
        if (nome == "--metrics" || nome == "--station" || nome == "--log" || nome == "--as") {
            if (!ha_valore || valore.empty()) {
                return errore(std::string(nome) + (nome == "--station" ? " needs a name"
                                                   : nome == "--as"    ? " needs an account"
                                                                       : " needs a file name"));
            }
            if (nome == "--as") {
                o.account = std::string(valore);
            } else if (nome == "--metrics") {
                o.metriche = std::string(valore);
            } else if (nome == "--log") {
                o.registro = std::string(valore);
            } else {
                o.stazione = std::string(valore);
            }
        } else if (nome == "--wait") {
            const auto secondi = ha_valore ? cifre(valore) : std::nullopt;
            if (!secondi || *secondi > static_cast<unsigned>(max_attesa_secondi)) {
                return errore("--wait needs a number of seconds from 0 to " +
                              std::to_string(max_attesa_secondi));
            }
            o.attesa_secondi = static_cast<int>(*secondi);
        } else if (nome == "--date") {
            if (!ha_valore) return errore("--date needs a date (YYYY-MM-DD)");
            o.data = leggi_data_iso(valore);
            if (!o.data) {
                return errore("invalid date '" + std::string(valore) + "' (want YYYY-MM-DD)");
            }
        } else {
            if (!ha_valore) {
                return errore("--backfill needs a day or a range (YYYY-MM-DD..YYYY-MM-DD)");
            }
            IntervalloLetto r = leggi_intervallo(valore);
            if (!r.intervallo) return errore(std::move(r.errore));
            o.recupero = r.intervallo;
        }
    }
    if (o.data && o.recupero) {
        return errore("--date and --backfill cannot be used together");
    }
    if (o.azione == OpzioniComando::Azione::controlla && o.recupero) {
        return errore("--check and --backfill cannot be used together");
    }
    if (o.account && o.azione != OpzioniComando::Azione::controlla) {
        return errore("--as goes with --check: only the check looks as another account");
    }
    if (o.sostituisci && !o.recupero) {
        return errore(
            "--replace goes with --backfill: only a backfill replaces archive copies "
            "however full they are");
    }
    return o;
}

std::string errore_recupero_futuro(const Intervallo& recupero, std::chrono::year_month_day oggi) {
    return "--backfill reaches " + testo_iso(recupero.ultimo) + ", after today (" +
           testo_iso(oggi) + "): the archive holds only days that have been";
}

std::string come_avere_aiuto() {
    return platform::separator() == '\\' ? "try 'ftes-charts --help' or 'ftes-charts /?'"
                                         : "try 'ftes-charts --help'";
}

std::string testo_uso() {
    std::string testo =
        "usage: ftes-charts [--date YYYY-MM-DD] [OPTIONS]\n"
        "       ftes-charts --backfill YYYY-MM-DD[..YYYY-MM-DD] [--replace] [OPTIONS]\n"
        "       ftes-charts --check [--as ACCOUNT] [--date YYYY-MM-DD] [OPTIONS]\n"
        "       ftes-charts --help | --version\n"
        "Draws the ftEs charts of the six days ending today from the folders named in\n"
        "./varnel.ini and publishes them as GIF files, with an archive copy of each day.\n";
    for (const VoceAiuto& v : voci_aiuto) {
        std::string prima = std::string("  ") + v.opzione;
        prima.resize(std::max<std::size_t>(prima.size() + 2, 25), ' ');
        testo += a_capo(prima, v.cosa);
    }
    testo +=
        "Days are written YYYY-MM-DD, years 1900 to 9999. Each option may be given once.\n"
        "Exit status:\n";
    for (const Significato& m : significati) {
        testo += a_capo("  " + std::to_string(m.stato) + "  ", m.spiegazione);
    }
    return testo;
}

}  // namespace ftes
