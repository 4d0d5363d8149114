// SPDX-License-Identifier: MIT
// ftes-demo-station: lays out a realistic demo station for ftes-charts in a folder: varnel.ini,
// the forecast files of every month touched and the sounding files of a kind-2 station for the
// six days (or as many as asked) ending on a date. The same seed always gives the same files.
//
//   ftes-demo-station DIR [--date YYYY-MM-DD] [--until YYYY-MM-DDTHH:MM] [--seed N]
//                         [--interval 15|7.5|5] [--days N]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/riga_comando.h"
#include "batch/tabelle.h"
#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

struct Opzioni {
    fs::path cartella;
    year_month_day fine{};
    unsigned seme = 2025;
    int decimi_di_minuto = 150;         // interval between soundings in tenths of a minute
    int giorni = 6;                     // days of soundings, ending on fine
    std::optional<sys_seconds> fino_a;  // no sounding after this moment (UT)
};

// A uniform number in [0, 1) from the generator's raw output, the same on every platform.
double uniforme(std::mt19937& g) {
    return static_cast<double>(g()) / 4294967296.0;
}

bool scrivi(const fs::path& p, const std::string& testo) {
    std::ofstream out(p, std::ios::binary);
    out << testo;
    return static_cast<bool>(out);
}

// The monthly median ftEs: low at night, highest in the early afternoon (UT), in MHz.
double previsione(int ora, unsigned mese) {
    const double estate =
        1.0 + 0.5 * std::cos((static_cast<double>(mese) - 6.5) * std::numbers::pi / 6);
    const double giorno = std::max(0.0, std::sin((ora - 5) * std::numbers::pi / 14));
    return 2.0 + estate * 3.0 * giorno;
}

std::string riga_previsione(unsigned mese) {
    std::string riga;
    char campo[8];
    for (int ora = 0; ora < 24; ++ora) {
        std::snprintf(campo, sizeof campo, " %4.1f", previsione(ora, mese));
        riga += campo;
    }
    return riga;
}

// Characters 16 to 19 of line 8: " 4.5", "12.0", " NO ", "N/A ".
std::string colonna(std::mt19937& g, int ora, double& livello) {
    if (uniforme(g) < 0.03) return "N/A ";
    const bool notte = ora < 6 || ora >= 20;
    if (notte && uniforme(g) < 0.85) return " NO ";
    // A slow random walk between 2 and 7 MHz with rare bursts up to 12 MHz.
    livello = std::clamp(livello + (uniforme(g) - 0.5) * 0.8, 2.0, 7.0);
    double v = livello;
    if (uniforme(g) < 0.04) v = 8.0 + uniforme(g) * 4.0;
    char testo[8];
    std::snprintf(testo, sizeof testo, "%4.1f", v);
    return testo;
}

std::string sondaggio(const std::string& data, int ora, int minuto, const std::string& valore) {
    char orario[16];
    std::snprintf(orario, sizeof orario, "%02d:%02d:00", ora, minuto);
    const std::vector<std::string> righe = {
        "Cind demo ionosonde station CN12A",
        "Date " + data + "  Time " + orario + " UT",
        "foF2          5.85 MHz",
        "hmF2          265  km",
        "foF1          N/A",
        "foE           2.95 MHz",
        "h'Es          105  km",
        "ftEs [MHz]    " + std::string(" ") + valore + "  sporadic E top frequency",
        "fbEs          N/A",
        "end of record",
    };
    std::string testo;
    for (const auto& r : righe) testo += r + "\r\n";
    return testo;
}

int genera(const Opzioni& o) {
    const fs::path base = o.cartella / "base", dati = o.cartella / "data", web = o.cartella / "web";
    std::error_code ec;
    for (const auto& p : {base / "previous_ftEs_plots", dati, web}) fs::create_directories(p, ec);
    if (!scrivi(o.cartella / "varnel.ini",
                "base folder: forecasts, archive of charts\r\nbase\\\r\n"
                "sounding files of the station\r\ndata\\\r\ncharts published on the "
                "web\r\nweb\\\r\n")) {
        std::cerr << "ftes-demo-station: cannot write in " << o.cartella << "\n";
        return 1;
    }
    std::mt19937 g(o.seme);
    std::set<std::string> mesi;
    int file = 0;
    for (int offset = 1 - o.giorni; offset <= 0; ++offset) {
        const ftes::Giornata giorno = ftes::calcola_giorno(o.fine, offset);
        const std::string mese = giorno.mese_anno.substr(0, 2), anno = giorno.mese_anno.substr(2);
        if (mesi.insert(giorno.mese_anno).second) {
            scrivi(base / (giorno.mese_anno + ".txt"),
                   "ftEs monthly median forecast " + mese + "/" + anno + " (MHz)\r\n" +
                       riga_previsione(static_cast<unsigned>(giorno.data.month())) + "\r\n");
        }
        double livello = 3.0 + uniforme(g) * 2.0;
        for (int decimi = 0; decimi < 24 * 600; decimi += o.decimi_di_minuto) {
            const int ora = decimi / 600, minuto = decimi % 600 / 10;
            const std::string valore = colonna(g, ora, livello);
            if (uniforme(g) < 0.03) continue;  // a sounding that never arrived
            if (o.fino_a && sys_days{giorno.data} + minutes{decimi / 10} > *o.fino_a) continue;
            char nome[64];
            std::snprintf(nome, sizeof nome, "CN12A_%s%s%02d%02d.TXT", anno.c_str(),
                          giorno.giorno_anno.c_str(), ora, minuto);
            scrivi(dati / nome, sondaggio(giorno.data_estesa, ora, minuto, valore));
            ++file;
        }
    }
    std::cout << "demo station in " << fs::absolute(o.cartella).string() << ": " << file
              << " sounding files, " << mesi.size() << " forecast file(s)\n";
    return 0;
}

constexpr const char* uso =
    "usage: ftes-demo-station DIR [--date YYYY-MM-DD] [--until YYYY-MM-DDTHH:MM] [--seed N]\n"
    "                         [--interval 15|7.5|5] [--days N]\n"
    "Lays out a demo station in DIR: varnel.ini, the forecasts and the soundings of the six\n"
    "days (or --days N) ending on --date (default today), none after --until (UT) if given.\n"
    "Then: cd DIR && ftes-charts --verbose\n";

int errore(const std::string& testo) {
    std::cerr << "ftes-demo-station: " << testo << "\ntry 'ftes-demo-station --help'\n";
    return 2;
}

// A whole number of at most nine digits, or nothing.
std::optional<unsigned> numero(const std::string& testo) {
    if (testo.empty() || testo.size() > 9) return std::nullopt;
    unsigned valore = 0;
    for (const char c : testo) {
        if (c < '0' || c > '9') return std::nullopt;
        valore = valore * 10 + static_cast<unsigned>(c - '0');
    }
    return valore;
}

// YYYY-MM-DDTHH:MM, a moment in UT.
std::optional<sys_seconds> momento(const std::string& testo) {
    if (testo.size() != 16 || testo[10] != 'T' || testo[13] != ':') return std::nullopt;
    const auto giorno = ftes::leggi_data_iso(testo.substr(0, 10));
    const auto ora = numero(testo.substr(11, 2)), minuto = numero(testo.substr(14, 2));
    if (!giorno || !ora || !minuto || *ora > 23 || *minuto > 59) return std::nullopt;
    return sys_days{*giorno} + hours{*ora} + minutes{*minuto};
}

}  // namespace

int main(int argc, char** argv) {
    Opzioni o;
    std::optional<year_month_day> fine;
    if (const auto oggi = ftes::platform::local_today()) fine = *oggi;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << uso;
            return 0;
        }
        if (a.starts_with("-") && i + 1 >= argc) return errore(a + " needs a value");
        if (a == "--date") {
            fine = ftes::leggi_data_iso(argv[++i]);
            if (!fine) return errore("invalid date (want YYYY-MM-DD)");
        } else if (a == "--until") {
            o.fino_a = momento(argv[++i]);
            if (!o.fino_a) return errore("invalid --until (want YYYY-MM-DDTHH:MM, UT)");
        } else if (a == "--seed") {
            const auto seme = numero(argv[++i]);
            if (!seme) return errore("--seed is a whole number");
            o.seme = *seme;
        } else if (a == "--days") {
            const auto giorni = numero(argv[++i]);
            if (!giorni || *giorni < 1 || *giorni > 3660) return errore("--days is 1 to 3660");
            o.giorni = static_cast<int>(*giorni);
        } else if (a == "--interval") {
            const std::string v = argv[++i];
            o.decimi_di_minuto = v == "5" ? 50 : v == "7.5" ? 75 : v == "15" ? 150 : 0;
            if (o.decimi_di_minuto == 0) return errore("--interval is 15, 7.5 or 5");
        } else if (o.cartella.empty() && !a.starts_with("-")) {
            o.cartella = a;
        } else {
            return errore("unknown argument '" + a + "'");
        }
    }
    if (o.cartella.empty()) return errore("no folder given");
    if (!fine) return errore("the local date cannot be read: give --date");
    o.fine = *fine;
    return genera(o);
}
