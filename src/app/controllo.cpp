// SPDX-License-Identifier: MIT
#include "app/controllo.h"

#include <algorithm>
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
#include "reports/registro.h"

namespace ftes {

namespace {

#ifdef _WIN32
constexpr bool windows = true;
#else
constexpr bool windows = false;
#endif

class Resoconto {
  public:
    explicit Resoconto(Flusso out) : out_(std::move(out)) {}
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
    Flusso out_;
    int problemi_ = 0;
};

// The account the check looks as, for the fixes it gives.
struct Chi {
    std::string account;
};

// A path in quotes for a Windows command: without its final backslash, which would escape the
// closing quote.
std::string tra_virgolette(std::string testo) {
    while (testo.size() > 3 && (testo.back() == '\\' || testo.back() == '/')) testo.pop_back();
    return "\"" + testo + "\"";
}

// How the account is let write into a folder, or read one, in this system's terms.
std::string rimedio_scrittura(const Chi& chi, const std::string& cartella) {
    if (windows) {
        return "let " + chi.account + " change it: icacls " + tra_virgolette(cartella) +
               " /grant " + tra_virgolette(chi.account) + ":(OI)(CI)M";
    }
    return "let " + chi.account + " write there: sudo chown " + chi.account + ": " + cartella;
}

std::string rimedio_lettura(const Chi& chi, const std::string& percorso) {
    if (windows) {
        return "let " + chi.account + " read it: icacls " + tra_virgolette(percorso) + " /grant " +
               tra_virgolette(chi.account) + ":(OI)(CI)RX";
    }
    return "let " + chi.account + " read it: sudo chmod o+rX " + percorso;
}

// The fix of a file that could not be opened: another program that holds it is closed; an
// account that may not read it is let read it.
std::string rimedio_apertura(const Chi& chi, const std::string& percorso,
                             const platform::Error& errore) {
    if (errore.held)
        return "close the program that holds it (an editor, a viewer), then check again";
    return rimedio_lettura(chi, percorso);
}

std::string rimedio_creazione(const Chi& chi, const std::string& cartella) {
    if (windows) return "create it: mkdir " + tra_virgolette(cartella);
    return "create it: sudo install -d -o " + chi.account + " -g " + chi.account + " " + cartella;
}

// A value as it stands in the file, its blanks and tabs made visible.
std::string visibile(const std::string& valore) {
    std::string v = "[";
    for (const char c : valore) {
        v += c == ' ' || c == '\t' ? std::string("\xC2\xB7") : std::string(1, c);
    }
    return v + "]";
}

bool vuoto(char c) {
    return c == ' ' || c == '\t';
}

// Whether a folder text ends with a separator this system takes.
bool separatore_finale(const std::string& cartella) {
    return !cartella.empty() &&
           (cartella.back() == platform::separator() || (windows && cartella.back() == '/'));
}

// One folder line of varnel.ini: the folder as a run uses it, and whether it is sound enough to
// look at the folder (a line with quotes, blanks or no final separator names files beside the
// folder, and one cause is told once).
struct Riga {
    std::string cartella;
    bool sana = false;
};

Riga riga_cartella(Resoconto& r, const std::optional<std::string>& riga, const RigaCartella& rc) {
    const std::string nome =
        "line " + std::to_string(rc.numero) + " (" + std::string(rc.cosa) + ")";
    if (!riga) {
        r.problema(nome + " is missing", "give varnel.ini six lines; line " +
                                             std::to_string(rc.numero) + " names the " + rc.cosa);
        return {};
    }
    const std::string& v = *riga;
    const std::string mostrata = nome + " " + visibile(v);
    if (v.empty()) {
        r.problema(mostrata + " is empty: its files would land in the current folder",
                   "write the folder there, ending with its separator");
        return {};
    }
    std::string adattata = adatta_cartella(v);
    if (vuoto(v.front()) || vuoto(v.back())) {
        r.problema(mostrata + " has blanks before or after the folder (shown as \xC2\xB7)",
                   "remove them: they become part of every file name");
        return {adattata, false};
    }
    if (v.front() == '"' || v.back() == '"') {
        r.problema(mostrata + " is in quotes",
                   "remove the quotes, even around a name with spaces: they become part of "
                   "every name");
        return {adattata, false};
    }
    if (!separatore_finale(adattata)) {
        r.problema(mostrata + " does not end with a separator: names would be joined to it, as " +
                       adattata + "plotftEs1.gif",
                   "end it with " + std::string(1, platform::separator()));
        return {adattata, false};
    }
    r.bene(nome + ": " + visibile(v));
    return {adattata, true};
}

// Whether a folder is there and the run can use it: write into it and lock there (scritta), or
// list it. Each finding in the system's words.
bool cartella_usabile(Resoconto& r, const Chi& chi, const std::string& c, const std::string& cosa,
                      bool scritta) {
    // Looked at without its final separator, so that a file at its name is told as a file.
    std::string nome = c;
    if (nome.size() > 1 && separatore_finale(nome) && !(windows && nome.ends_with(":\\"))) {
        nome.pop_back();
    }
    // A letter mapped by a user to a share: the task, in a session of its own, does not see it.
    if (const auto rete = platform::mapped_drive(c)) {
        r.problema("the " + cosa + " " + c + " is on a drive letter mapped to a network share, " +
                       "which a scheduled task does not see",
                   rete->empty() ? std::string("write the share's network name instead, "
                                               "\\\\server\\share\\...: net use " +
                                               c.substr(0, 2) + " shows it")
                                 : "write its network name instead: " + *rete);
        return false;
    }
    const auto tipo = platform::kind_of_target(nome);
    if (!tipo) {
        r.problema(
            "the " + cosa + " " + c + " cannot be reached: " + tipo.error().text,
            "check that its disk or share answers, and that " + chi.account + " may reach it");
        return false;
    }
    if (*tipo == platform::Kind::absent) {
        r.problema("the " + cosa + " " + c + " does not exist", rimedio_creazione(chi, c));
        return false;
    }
    if (*tipo != platform::Kind::folder) {
        r.problema("the " + cosa + " " + c + " is a file, not a folder",
                   "move that file away and create the folder");
        return false;
    }
    if (scritta) {
        const auto prova = platform::try_folder(c);
        if (!prova.scrive) {
            r.problema(chi.account + " cannot write into the " + cosa + " " + c + ": " +
                           prova.scrive.error().text,
                       rimedio_scrittura(chi, c));
            return false;
        }
        if (!prova.blocca) {
            r.problema("the " + cosa + " " + c +
                           " is on a file system that gives no lock: " + prova.blocca.error().text +
                           "; two runs of the station could overlap there",
                       "keep the folder on a disk that gives locks (a local disk, or NFS with its "
                       "lock service running), or schedule one run of the station at a time");
            return false;
        }
        r.bene("the " + cosa + " " + c + " exists, and " + chi.account +
               " can write and lock there");
        return true;
    }
    if (auto elenco = platform::FolderListing::open(c); !elenco) {
        r.problema(chi.account + " cannot list the " + cosa + " " + c + ": " + elenco.error().text,
                   rimedio_lettura(chi, c));
        return false;
    }
    r.bene("the " + cosa + " " + c + " exists, and " + chi.account + " can list it");
    return true;
}

// The folder part of a file's path, empty for a bare name.
std::string cartella_di(const std::string& percorso) {
    const std::size_t taglio = percorso.find_last_of(windows ? "\\/" : "/");
    return taglio == std::string::npos ? std::string() : percorso.substr(0, taglio + 1);
}

// A report's file (--metrics, --log): its folder can be written, and nothing but a file of the
// run's stands at its name.
bool file_rapporto(Resoconto& r, const Chi& chi, const std::string& percorso, const char* cosa) {
    // A bare name is in the current folder, named as such.
    std::string cartella = cartella_di(percorso);
    if (cartella.empty()) {
        const auto corrente = platform::current_directory();
        cartella = corrente ? con_separatore_finale(*corrente) : std::string(".");
    }
    if (!cartella_usabile(r, chi, cartella, std::string("folder of the ") + cosa, true)) {
        return false;
    }
    const auto tipo = platform::kind_at(percorso);
    if (tipo && *tipo == platform::Kind::folder) {
        r.problema("a folder stands at the " + std::string(cosa) + " " + percorso,
                   "move it away, or name another file");
        return false;
    }
    if (tipo && *tipo == platform::Kind::link) {
        r.nota("a link stands at the " + std::string(cosa) + " " + percorso +
               ": a run replaces it with a file, and never reads or writes what it leads to");
    }
    return true;
}

// The soundings of a day as a run tries their names.
void sondaggi_del_giorno(Resoconto& r, const StazioneTrovata& stazione, const std::string& dati,
                         const Giornata& g) {
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

// The forecast of a month: there, readable, in the fixed format.
void previsione_del_mese(Resoconto& r, const Chi& chi, const std::string& base,
                         const std::string& mese_anno) {
    const std::string previsione = nome_file_previsione(base, mese_anno);
    auto aperto = platform::InputFile::open(previsione);
    if (!aperto) {
        if (aperto.error().absent) {
            r.nota(previsione + ": not found; its charts have no forecast");
        } else {
            r.problema(previsione + ": cannot open: " + aperto.error().text,
                       rimedio_apertura(chi, previsione, aperto.error()));
        }
        return;
    }
    platform::LineReader file(std::move(*aperto));
    const auto valori = leggi_previsione(file);
    if (!valori) {
        r.problema(previsione + ": cannot read: " + valori.error().text,
                   "let " + chi.account + " read it, from a disk that answers");
    } else if (valori->formato_fisso) {
        r.bene(previsione + ": line 2 holds 24 hourly values");
    } else {
        r.problema(previsione +
                       ": line 2 is not 24 fields of five characters "
                       "(blank, whole MHz in two, point, tenths)",
                   "write each hourly value as in \"  4.5\" or \" 12.0\"");
    }
}

// The check proper, with the rights of the process that runs it.
// registro_usabile: whether the findings can be added to --log.
int controlla(Resoconto& r, const OpzioniControllo& o, const Chi& chi, bool& registro_usabile) {
    const auto cartella_corrente = platform::current_directory();
    if (!cartella_corrente) {
        r.problema("the current folder cannot be known: " + cartella_corrente.error().text,
                   "run it in the station folder, which " + chi.account + " may open");
        return controllo_con_problemi;
    }
    const std::string percorso = percorso_configurazione(*cartella_corrente);
    const auto letta = leggi_configurazione_da(percorso);
    if (!letta) {
        if (letta.error().absent) {
            const auto txt = platform::kind_at(percorso + ".txt");
            r.problema(percorso + ": not found" +
                           (txt && *txt == platform::Kind::regular
                                ? "; there is a varnel.ini.txt, whose name ends in .txt"
                                : ""),
                       txt && *txt == platform::Kind::regular
                           ? "rename varnel.ini.txt to varnel.ini (Explorer may hide the .txt)"
                           : "run in the station folder, or create varnel.ini there: six lines, "
                             "the base folder on line 2, the sounding folder on 4, the web "
                             "folder on 6");
        } else {
            r.problema(percorso + ": " + letta.error().text,
                       rimedio_apertura(chi, percorso, letta.error()));
        }
        return controllo_con_problemi;
    }
    if (letta->utf16_troppo_lungo) {
        r.problema(percorso + ": UTF-16 and longer than any varnel.ini (64 KiB)",
                   "save it as six short lines");
        return controllo_con_problemi;
    }
    r.bene(percorso + " read, in " + letta->codifica);
    std::array<Riga, 3> righe;
    for (std::size_t i = 0; i < righe_cartelle.size(); ++i) {
        const RigaCartella& rc = righe_cartelle[i];
        righe[i] = riga_cartella(r, letta->righe[static_cast<std::size_t>(rc.numero - 1)], rc);
    }
    const Riga &base = righe[0], &dati = righe[1], &web = righe[2];
    const bool base_ok = base.sana && cartella_usabile(r, chi, base.cartella, "base folder", true);
    const bool dati_ok =
        dati.sana && cartella_usabile(r, chi, dati.cartella, "sounding folder", false);
    if (web.sana) cartella_usabile(r, chi, web.cartella, "web folder", true);
    const std::string archivio = esportazione::cartella_archivio(base.cartella);
    if (base_ok) {
        const auto tipo = platform::kind_of_target(archivio);
        if (tipo && *tipo == platform::Kind::absent) {
            r.problema("the archive folder " + archivio +
                           " does not exist: no archive copy would be written",
                       rimedio_creazione(chi, archivio));
        } else {
            cartella_usabile(r, chi, archivio, "archive folder", true);
        }
    }

    // The station, as a run finds it, and the soundings of the six days.
    StazioneTrovata stazione;
    if (dati_ok) {
        stazione = trova_stazione(dati.cartella);
        if (stazione.tipo_stazione != 0) {
            r.bene("station kind " + std::to_string(stazione.tipo_stazione) + " (key \"" +
                   stazione.chiave + "\") recognised from " + stazione.file);
        } else if (stazione.esaminati == 0 && stazione.illeggibili == 0) {
            r.nota("no sounding yet in " + dati.cartella +
                   ": the station is recognised from its first sounding file");
        } else {
            for (const platform::Note& a : stazione.avvisi) r.nota(a.path + ": " + a.text);
            r.problema("no station recognised in " + dati.cartella,
                       "name in line 4 the folder of the station's sounding files, one station "
                       "per folder, readable by " +
                           chi.account);
        }
    } else if (dati.sana) {
        r.nota("the soundings are looked at once the sounding folder can be listed");
    }
    std::vector<std::string> mesi;
    for (int indice = -5; indice <= 0; ++indice) {
        const Giornata g = calcola_giorno(o.oggi, indice);
        if (stazione.tipo_stazione != 0) sondaggi_del_giorno(r, stazione, dati.cartella, g);
        if (!base_ok || std::find(mesi.begin(), mesi.end(), g.mese_anno) != mesi.end()) continue;
        mesi.push_back(g.mese_anno);
        previsione_del_mese(r, chi, base.cartella, g.mese_anno);
    }

    // What the run leaves for the operator and for a monitoring system.
    if (o.metriche) file_rapporto(r, chi, *o.metriche, "metrics file");
    registro_usabile = o.registro && file_rapporto(r, chi, *o.registro, "log");
    if (o.metriche) {
        r.nota("the metrics are labelled station=\"" +
               (o.stazione ? *o.stazione
                           : cartella_corrente->substr(
                                 cartella_corrente->find_last_of(windows ? "\\/" : "/") + 1)) +
               "\"");
    }
    r.nota("a run would publish plotftEs1.gif to plotftEs6.gif in " +
           (web.cartella.empty() ? std::string("the current folder") : web.cartella) +
           " and an archive copy of each day in " + archivio);
    r.riga(r.problemi() == 0 ? "no problem found"
                             : std::to_string(r.problemi()) + " problem(s) found");
    return r.problemi() == 0 ? controllo_senza_problemi : controllo_con_problemi;
}

// The check with the rights of this process, its findings also added to --log.
int controlla_qui(const Flusso& out, const OpzioniControllo& o, const Chi& chi,
                  const std::string& versione) {
    std::string testo;
    Resoconto r([&](std::string_view riga) {
        out(riga);
        testo += riga;
    });
    bool registro_usabile = false;
    const int stato = controlla(r, o, chi, registro_usabile);
    if (registro_usabile) {
        // The findings of a check started by a scheduler, for whoever reads them later.
        const std::string intestazione = std::string(inizio_corsa) + versione + " " +
                                         platform::local_timestamp() + ": check as " + chi.account +
                                         platform::text_line_end;
        std::string corpo;
        for (std::size_t da = 0; da < testo.size();) {
            const std::size_t a_capo = std::min(testo.find('\n', da), testo.size());
            (corpo += std::string_view(testo).substr(da, a_capo - da)) += platform::text_line_end;
            da = a_capo + 1;
        }
        if (!scrivi_registro(*o.registro, intestazione + corpo)) {
            out("PROBLEM  the findings could not be added to " + testo_stampabile(*o.registro) +
                "\n");
            return controllo_con_problemi;
        }
    }
    return stato;
}

// The command that checks as an account.
std::string come_controllare(const std::string& account) {
    return windows ? std::string("install-ftes-charts.cmd /check (see README-Windows.txt)")
                   : "sudo ftes-charts --check --as " + account;
}

// The check in a process of its own with the account's rights alone.
int come_altro_account(const Flusso& out, const OpzioniControllo& o, const std::string& account,
                       const std::string& perche, const std::string& versione) {
    out("note     checked as " + account + perche + "\n");
    const auto stato =
        platform::run_as(account, [&] { return controlla_qui(out, o, {account}, versione); });
    if (stato) return *stato;
    out("PROBLEM  cannot look as " + account + ": " + stato.error().text + "\n         fix: " +
        (platform::account_exists(account) ? std::string("run the check again")
                                           : std::string("name an account of this system")) +
        "\n");
    return controllo_con_problemi;
}

}  // namespace

int controlla_stazione(const Flusso& out, const OpzioniControllo& o, const std::string& versione) {
    const platform::Account io = platform::current_account();
    const std::string chiesto = o.account.value_or(std::string());
    if (!chiesto.empty() && chiesto != io.name) {
        // Another account's rights: only root can take them, in a process of their own.
        if (!io.privileged || windows) {
            out("PROBLEM  cannot look as " + chiesto + ": " +
                (windows ? std::string("a check as another account runs as its task")
                         : "only root can take another account's rights") +
                "\n         fix: " + come_controllare(chiesto) + "\n");
            return controllo_con_problemi;
        }
        return come_altro_account(out, o, chiesto, "", versione);
    }
    if (!o.account && io.privileged && !windows && platform::account_exists(account_servizio)) {
        // What root may do says nothing of what the service may: the check looks with the
        // rights of the account the packaged service runs as.
        return come_altro_account(out, o, account_servizio,
                                  ", the account the packaged service runs as (for another "
                                  "account: " +
                                      come_controllare("ACCOUNT") + ")",
                                  versione);
    }
    if (io.privileged) {
        out(windows ? "note     checked as " + io.name +
                          ", an administrator, who may write where the task's account may "
                          "not: check as the task with install-ftes-charts.cmd /check (see "
                          "README-Windows.txt)\n"
                    : "note     checked as " + io.name + ", who may read and write anywhere" +
                          (o.account ? std::string()
                                     : ": to check as the account that runs the batch, " +
                                           come_controllare("ACCOUNT")) +
                          "\n");
    } else {
        out("note     checked as " + io.name +
            (windows || io.name == account_servizio || !platform::account_exists(account_servizio)
                 ? std::string()
                 : std::string("; the packaged service runs as ") + account_servizio +
                       ": check as it with " + come_controllare(account_servizio)) +
            "\n");
    }
    return controlla_qui(out, o, {io.name}, versione);
}

}  // namespace ftes
