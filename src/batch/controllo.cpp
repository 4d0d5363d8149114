// SPDX-License-Identifier: MIT
#include "batch/controllo.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "batch/configurazione.h"
#include "batch/diagnostica.h"
#include "batch/tabelle.h"
#include "curves/previsione.h"
#include "curves/stazione.h"
#include "export/nomi_file.h"
#include "platform/file_system.h"
#include "platform/line_reader.h"
#include "platform/utf8.h"

namespace ftes {

namespace {

class Resoconto {
  public:
    explicit Resoconto(std::ostream& out) : out_(out) {}
    void bene(const std::string& testo) { out_ << "ok       " << testo_stampabile(testo) << '\n'; }
    void nota(const std::string& testo) { out_ << "note     " << testo_stampabile(testo) << '\n'; }
    void problema(const std::string& testo, const std::string& rimedio) {
        ++problemi_;
        out_ << "PROBLEM  " << testo_stampabile(testo)
             << "\n         fix: " << testo_stampabile(rimedio) << '\n';
    }
    int problemi() const { return problemi_; }

  private:
    std::ostream& out_;
    int problemi_ = 0;
};

// A value as it stands in the file, with its blanks made visible.
std::string visibile(const std::string& valore) {
    std::string v = "[";
    for (const char c : valore) v += c == ' ' ? std::string("\xC2\xB7") : std::string(1, c);
    return v + "]";
}

// Line 2 of a forecast holds 24 fields of five characters: a blank, whole MHz in two characters
// (the first may be a blank), the decimal point and the tenths.
bool campi_previsione(const std::string& riga) {
    if (riga.size() < 120) return false;
    const auto cifra = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t k = 0; k < 24; ++k) {
        const char* f = riga.data() + 5 * k;
        if (f[0] != ' ' || !(f[1] == ' ' || cifra(f[1])) || !cifra(f[2]) || f[3] != '.' ||
            !cifra(f[4])) {
            return false;
        }
    }
    return true;
}

// Checks one folder value of varnel.ini; the folder as a run uses it.
std::string cartella(Resoconto& r, const std::optional<std::string>& riga, int numero,
                     const char* cosa) {
    const std::string nome = "line " + std::to_string(numero) + " (" + cosa + ")";
    if (!riga) {
        r.problema(nome + " is missing", "give varnel.ini six lines; line " +
                                             std::to_string(numero) + " names the " + cosa);
        return {};
    }
    r.bene(nome + ": " + visibile(*riga));
    const std::string& v = *riga;
    if (v.empty()) {
        r.problema(nome + " is empty: its files would land in the current folder",
                   "write the folder there, ending with its separator");
        return {};
    }
    if (v.front() == ' ' || v.back() == ' ') {
        r.problema(nome + " has blanks before or after the folder (shown as \xC2\xB7)",
                   "remove them: they become part of every file name");
    }
    if (v.front() == '"' || v.back() == '"') {
        r.problema(nome + " is in quotes", "remove the quotes: they become part of every name");
    }
    std::string adattata = adatta_cartella(v);
    if (adattata.back() != platform::separator()) {
        r.problema(nome + " does not end with a separator: names would be joined to it, as " +
                       adattata + "plotftEs1.gif",
                   "end it with " + std::string(1, platform::separator() == '\\' ? '\\' : '/'));
    }
    return adattata;
}

// Whether a folder is there and the run can use it: write into it (scritta) or list it.
void cartella_esiste(Resoconto& r, const std::string& c, const char* cosa, bool scritta) {
    if (c.empty()) return;
    if (!platform::folder_exists(c)) {
        r.problema("the " + std::string(cosa) + " " + c + " does not exist", "create it");
        return;
    }
    if (scritta && !platform::folder_writable(c)) {
        r.problema("the run cannot write into the " + std::string(cosa) + " " + c,
                   "give the account that runs the batch the right to write there");
        return;
    }
    if (!scritta) {
        platform::FolderListing elenco(c);
        if (!elenco.is_open()) {
            r.problema("the run cannot list the " + std::string(cosa) + " " + c + ": " +
                           elenco.error()->text,
                       "give the account that runs the batch the right to read it");
            return;
        }
    }
    r.bene("the " + std::string(cosa) + " " + c + " exists" +
           (scritta ? " and can be written" : " and can be listed"));
}

}  // namespace

int controlla_stazione(std::ostream& out, std::chrono::year_month_day oggi) {
    Resoconto r(out);
    const std::string percorso =
        con_separatore_finale(platform::current_directory()) + std::string(nome_configurazione);
    const auto letta = leggi_configurazione_da(percorso);
    if (!letta) {
        r.problema(percorso + ": " + (letta.error().absent ? "not found" : letta.error().text),
                   letta.error().absent
                       ? "run in the station folder, or create varnel.ini there: six lines, the "
                         "base folder on line 2, the sounding folder on 4, the web folder on 6"
                       : "let the account that runs the batch read it, from a disk that answers");
        return 1;
    }
    if (letta->utf16_troppo_lungo) {
        r.problema(percorso + ": UTF-16 and longer than any varnel.ini (64 KiB)",
                   "save it as six short lines");
        return 1;
    }
    const SeiRighe& righe = letta->righe;
    const std::string& codifica = letta->codifica;
    r.bene(percorso + " read, in " + codifica);
    const std::string base = cartella(r, righe[1], 2, "base folder");
    const std::string dati = cartella(r, righe[3], 4, "sounding folder");
    const std::string web = cartella(r, righe[5], 6, "web folder");
    cartella_esiste(r, base, "base folder", true);
    cartella_esiste(r, dati, "sounding folder", false);
    cartella_esiste(r, web, "web folder", true);
    const std::string archivio = esportazione::cartella_archivio(base);
    if (!base.empty() && platform::folder_exists(base)) {
        if (!platform::folder_exists(archivio)) {
            r.problema("the archive folder " + archivio +
                           " does not exist: no archive copy "
                           "would be written",
                       "create it");
        } else {
            cartella_esiste(r, archivio, "archive folder", true);
        }
    }

    // The station, as a run finds it.
    const StazioneTrovata stazione = trova_stazione(dati);
    for (const platform::Error& a : stazione.avvisi) r.nota(a.path + ": " + a.text);
    if (stazione.tipo == 0) {
        r.problema("no station recognised in " + (dati.empty() ? std::string(".") : dati),
                   "name in line 4 the folder of the station's sounding files, one station per "
                   "folder");
    } else {
        r.bene("station kind " + std::to_string(stazione.tipo) + " (key \"" + stazione.chiave +
               "\") recognised from " + stazione.file);
    }

    // The six days, their soundings and their forecasts.
    std::array<std::string, 25> etichette{};
    if (stazione.tipo != 0) {
        const auto per_tipo = etichette_per_tipo(stazione.tipo);
        std::copy(per_tipo.begin(), per_tipo.end(), etichette.begin());
    }
    std::vector<std::string> mesi;
    for (int indice = -5; indice <= 0; ++indice) {
        const GiornoCalcolato g = calcola_giorno(oggi, indice);
        if (stazione.tipo != 0) {
            NomiSondaggio nomi(stazione.tipo, dati, g.mese_anno, g.giorno_anno);
            int trovati = 0;
            std::string primo;
            for (int ora = 0; ora < 24; ++ora) {
                for (int m = 1; m <= 60; ++m) {
                    const std::string& nome =
                        nomi.nome(etichette[static_cast<std::size_t>(ora)], testo_minuto(m));
                    if (primo.empty()) primo = nome;
                    trovati += platform::regular_file_exists(nome);
                }
            }
            const std::string detto = g.data_estesa + ": " + std::to_string(trovati) +
                                      " soundings (the first name tried is " + primo + ")";
            if (trovati > 0) {
                r.bene(detto);
            } else {
                r.nota(detto);
            }
        }
        if (std::find(mesi.begin(), mesi.end(), g.mese_anno) != mesi.end()) continue;
        mesi.push_back(g.mese_anno);
        const std::string previsione = nome_file_previsione(base, g.mese_anno);
        platform::LineReader file(previsione);
        if (!file.is_open()) {
            r.nota(previsione + ": " + file.error().text + "; its charts have no forecast");
            continue;
        }
        std::string riga;
        file.skip_line();
        file.read_line(riga);
        if (campi_previsione(riga)) {
            r.bene(previsione + ": line 2 holds 24 hourly values");
        } else {
            r.problema(previsione +
                           ": line 2 is not 24 fields of five characters "
                           "(blank, whole MHz in two, point, tenths)",
                       "write each hourly value as in \"  4.5\" or \" 12.0\"");
        }
    }
    r.nota("a run would publish plotftEs1.gif to plotftEs6.gif in " +
           (web.empty() ? std::string("the current folder") : web) +
           " and an archive copy of each day in " + archivio);
    out << (r.problemi() == 0 ? "no problem found\n"
                              : std::to_string(r.problemi()) + " problem(s) found\n");
    return r.problemi() == 0 ? 0 : 1;
}

}  // namespace ftes
