// SPDX-License-Identifier: MIT
#include "app/controllo.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "batch/configurazione.h"
#include "batch/stato_uscita.h"
#include "batch/tabelle.h"
#include "curves/previsione.h"
#include "curves/stazione.h"
#include "export/nomi_file.h"
#include "platform/file_system.h"
#include "platform/line_reader.h"
#include "platform/utf8.h"
#include "reports/diagnostica.h"

namespace ftes {

namespace {

class Resoconto {
  public:
    explicit Resoconto(const Flusso& out) : out_(out) {}
    void bene(const std::string& testo) { out_("ok       " + testo_stampabile(testo) + '\n'); }
    void nota(const std::string& testo) { out_("note     " + testo_stampabile(testo) + '\n'); }
    void problema(const std::string& testo, const std::string& rimedio) {
        ++problemi_;
        out_("PROBLEM  " + testo_stampabile(testo) +
             "\n         fix: " + testo_stampabile(rimedio) + '\n');
    }
    void riga(const std::string& testo) { out_(testo + '\n'); }
    int problemi() const { return problemi_; }

  private:
    const Flusso& out_;
    int problemi_ = 0;
};

// A value as it stands in the file, with its blanks made visible.
std::string visibile(const std::string& valore) {
    std::string v = "[";
    for (const char c : valore) v += c == ' ' ? std::string("\xC2\xB7") : std::string(1, c);
    return v + "]";
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
    const auto tipo = platform::kind_of_target(c);
    if (tipo && *tipo != platform::Kind::folder) {
        r.problema("the " + std::string(cosa) + " " + c + " does not exist", "create it");
        return;
    }
    if (scritta) {
        const auto prova = platform::try_folder(c);
        if (!prova.scrive) {
            r.problema("the run cannot write into the " + std::string(cosa) + " " + c + ": " +
                           prova.scrive.error().text,
                       "give the account that runs the batch the right to write there");
            return;
        }
        if (!prova.blocca) {
            r.problema("the " + std::string(cosa) + " " + c +
                           " is on a file system that gives no lock: " + prova.blocca.error().text +
                           "; two runs of the station could overlap there",
                       "keep the folder on a disk that gives locks (a local disk, or NFS with its "
                       "lock service running), or schedule one run of the station at a time");
            return;
        }
    } else if (auto elenco = platform::FolderListing::open(c); !elenco) {
        r.problema(
            "the run cannot list the " + std::string(cosa) + " " + c + ": " + elenco.error().text,
            "give the account that runs the batch the right to read it");
        return;
    }
    r.bene("the " + std::string(cosa) + " " + c + " exists" +
           (scritta ? " and can be written and locked" : " and can be listed"));
}

}  // namespace

int controlla_stazione(const Flusso& out, std::chrono::year_month_day oggi) {
    Resoconto r(out);
    const auto cartella_corrente = platform::current_directory();
    if (!cartella_corrente) {
        r.problema("the current folder cannot be known: " + cartella_corrente.error().text,
                   "run it in the station folder");
        return controllo_con_problemi;
    }
    const std::string percorso = percorso_configurazione(*cartella_corrente);
    const auto letta = leggi_configurazione_da(percorso);
    if (!letta) {
        r.problema(percorso + ": " + (letta.error().absent ? "not found" : letta.error().text),
                   letta.error().absent
                       ? "run in the station folder, or create varnel.ini there: six lines, the "
                         "base folder on line 2, the sounding folder on 4, the web folder on 6"
                       : "let the account that runs the batch read it, from a disk that answers");
        return controllo_con_problemi;
    }
    if (letta->utf16_troppo_lungo) {
        r.problema(percorso + ": UTF-16 and longer than any varnel.ini (64 KiB)",
                   "save it as six short lines");
        return controllo_con_problemi;
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
    const auto cartella = [](const std::string& c) {
        const auto tipo = platform::kind_of_target(c);
        return tipo && *tipo == platform::Kind::folder;
    };
    if (!base.empty() && cartella(base)) {
        if (!cartella(archivio)) {
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
    for (const platform::Note& a : stazione.avvisi) r.nota(a.path + ": " + a.text);
    if (stazione.tipo_stazione == 0) {
        r.problema("no station recognised in " + (dati.empty() ? std::string(".") : dati),
                   "name in line 4 the folder of the station's sounding files, one station per "
                   "folder");
    } else {
        r.bene("station kind " + std::to_string(stazione.tipo_stazione) + " (key \"" +
               stazione.chiave + "\") recognised from " + stazione.file);
    }

    // The six days, their soundings and their forecasts.
    std::vector<std::string> mesi;
    for (int indice = -5; indice <= 0; ++indice) {
        const Giornata g = calcola_giorno(oggi, indice);
        if (stazione.tipo_stazione != 0) {
            NomiSondaggio nomi(stazione.tipo_stazione, dati, g.mese_anno, g.giorno_anno);
            int trovati = 0;
            std::string primo;
            for (const OraMinuto quando : ordine_sondaggi()) {
                const std::string& nome = nomi.nome(quando);
                if (primo.empty()) primo = nome;
                const auto tipo = platform::kind_at(nome);
                trovati += tipo && *tipo == platform::Kind::regular;
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
        auto aperto = platform::InputFile::open(previsione);
        if (!aperto) {
            r.nota(previsione + ": " + aperto.error().text + "; its charts have no forecast");
            continue;
        }
        platform::LineReader file(std::move(*aperto));
        const auto valori = leggi_previsione(file);
        if (!valori) {
            r.problema(previsione + ": cannot read: " + valori.error().text,
                       "let the account that runs the batch read it, from a disk that answers");
        } else if (valori->formato_fisso) {
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
    r.riga(r.problemi() == 0 ? "no problem found"
                             : std::to_string(r.problemi()) + " problem(s) found");
    return r.problemi() == 0 ? controllo_senza_problemi : controllo_con_problemi;
}

}  // namespace ftes
