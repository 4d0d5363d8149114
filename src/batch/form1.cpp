// SPDX-License-Identifier: MIT
// The daily batch driver, the archive backfill and their preparation steps.
#include "batch/form1.h"

#include <algorithm>
#include <exception>

#include "curves/tabella_valori.h"
#include "export/nomi_file.h"
#include "platform/file_system.h"

namespace ftes {

Form1::Form1(std::chrono::year_month_day oggi_, Osservatore& osservatore, Opzioni opzioni)
    : oggi(oggi_), opzioni_(opzioni), osservatore_(osservatore) {}

void Form1::passo(std::string_view nome, const std::function<void()>& azione) {
    try {
        azione();
    } catch (const std::exception& e) {
        nota(nome, "", e.what());
    } catch (...) {
        nota(nome, "", "failed");
    }
}

void Form1::avvisa(Avviso::Genere genere, std::string_view passo, std::string percorso,
                   std::string testo) {
    osservatore_.avviso({genere, std::string(passo), {std::move(percorso), std::move(testo)}});
}

void Form1::caricamento_form() {
    if (!leggi_configurazione()) return;
    if (!prendi_turno({percorso_base, percorso_figure}, "nothing written")) return;
    giorni_ = tabella_giorni(oggi);
    passo("canvas setup", [this] { impostazioni_dimensioni_e_scala_del_form(); });
    passo("station", [this] { riconosci_stazione(); });
    passo("tidying up", [this] { ripulisci_avanzi(true); });

    // Always six slots, whatever happened before; each step of a slot is guarded by itself.
    esito_.attese = 6;
    for (int indice_giorno = 1; indice_giorno <= 6; ++indice_giorno) {
        conta(
            disegna_giornata(giorni_[static_cast<std::size_t>(indice_giorno - 1)], indice_giorno));
    }
}

void Form1::recupera_archivio(std::chrono::year_month_day primo,
                              std::chrono::year_month_day ultimo) {
    esito_.solo_archivio = true;
    if (!leggi_configurazione()) return;
    // A backfill writes only in the base folder: the temporary BMPs and the archive.
    const std::vector<std::string> scritte = {percorso_base};
    if (!prendi_turno(scritte, "backfill stopped before " + calcola_giorno(primo, 0).data_estesa)) {
        return;
    }
    passo("canvas setup", [this] { impostazioni_dimensioni_e_scala_del_form(); });
    passo("station", [this] { riconosci_stazione(); });
    passo("tidying up", [this] { ripulisci_avanzi(false); });

    // Each day takes the place of today in slot 6, so that its chart is the one the daily run
    // draws on that day in that slot. The turn is given back after each day and taken again, so
    // that a daily or live run waits no longer than one chart for a long backfill; it is kept
    // after the last, for the reports.
    using std::chrono::sys_days;
    for (sys_days d = sys_days{primo}; d <= sys_days{ultimo}; d += std::chrono::days{1}) {
        const Giornata giorno = calcola_giorno(std::chrono::year_month_day{d}, 0);
        if (d != sys_days{primo}) {
            if (turno_) turno_->release();
            if (!prendi_turno(scritte, "backfill stopped before " + giorno.data_estesa)) return;
        }
        ++esito_.attese;
        conta(disegna_giornata(giorno, 6));
    }
}

void Form1::conta(EsitoFigura figura) {
    const bool pubblicata = figura.pubblicata(esito_.solo_archivio);
    esito_.pubblicate += pubblicata;
    esito_.illeggibili += figura.illeggibili;
    esito_.conservate += figura.esportazione.copia == Copia::conservata;
    esito_.non_sincronizzate += figura.esportazione.non_sincronizzata.has_value();
    osservatore_.figura(figura, esito_.solo_archivio);
    // A backfill of years keeps no chart: the reports need only its counts.
    if (!esito_.solo_archivio) esito_.figure.push_back(std::move(figura));
}

bool Form1::leggi_configurazione() {
    const auto cartella = platform::current_directory();
    if (!cartella) {
        esito_.arresto = Arresto::configurazione_illeggibile;
        avvisa(
            Avviso::Genere::arresto, "configuration", ".",
            "the current folder cannot be known: " + cartella.error().text + "; nothing written");
        return false;
    }
    cartella_corrente_ = con_separatore_finale(*cartella);
    const std::string percorso = percorso_configurazione(cartella_corrente_);
    const auto letta = leggi_configurazione_da(percorso);
    if (!letta || letta->utf16_troppo_lungo) {
        // Without its folders a run would write where it was started, wherever that is.
        const bool mancante = !letta && letta.error().absent;
        esito_.arresto =
            mancante ? Arresto::configurazione_mancante : Arresto::configurazione_illeggibile;
        std::string perche = letta
                                 ? std::string("UTF-16 and longer than 64 KiB, as no varnel.ini is")
                                 : letta.error().text;
        perche += "; nothing written";
        if (mancante) {
            const auto txt = platform::kind_at(percorso + ".txt");
            perche += txt && *txt == platform::Kind::regular
                          ? " (there is a varnel.ini.txt here: rename it to varnel.ini)"
                          : " (start the run in the station folder, the one that holds "
                            "varnel.ini)";
        } else if (!letta && letta.error().held) {
            perche += " (close the program that holds it)";
        }
        avvisa(Avviso::Genere::arresto, "configuration", percorso, perche);
        return false;
    }
    cartelle_ = cartelle_da(letta->righe);
    for (const RigaCartella& r : righe_cartelle) {
        if (!letta->righe[static_cast<std::size_t>(r.numero - 1)]) {
            nota("configuration", percorso,
                 "line " + std::to_string(r.numero) + " missing; that folder is empty");
        }
    }
    osservatore_.configurazione_letta();
    return true;
}

bool Form1::prendi_turno(const std::vector<std::string>& cartelle, const std::string& altrimenti) {
    if (!turno_) {
        turno_.emplace(platform::Turn::open(cartelle));
        for (const platform::Note& n : turno_->left_out()) {
            nota("run lock", n.path, "cannot open: " + n.text + "; the turn is taken without it");
        }
    }
    const auto preso = turno_->acquire(opzioni_.attesa_turno);
    if (!preso) {
        // The file system gives no lock (a share without a lock service): the run goes on, and
        // says so, once, in any case.
        if (!esito_.senza_turno) {
            esito_.senza_turno = preso.error();
            avvisa(Avviso::Genere::avvertenza, "run lock", preso.error().path,
                   "cannot lock: " + preso.error().text +
                       "; the run goes on without its turn, so another run of this station at "
                       "the same time could overlap it");
        }
        return true;
    }
    if (*preso) return true;
    esito_.arresto = Arresto::turno_negato;
    const auto secondi =
        std::chrono::duration_cast<std::chrono::seconds>(opzioni_.attesa_turno).count();
    avvisa(Avviso::Genere::arresto, "run lock",
           turno_->paths().empty() ? std::string() : turno_->paths().front(),
           "another run of this station kept its turn for " + std::to_string(secondi) + " s; " +
               altrimenti);
    return false;
}

void Form1::ripulisci_avanzi(bool anche_web) {
    struct Dove {
        std::string cartella;
        bool (*nostro)(std::string_view);
    };
    std::vector<Dove> dove = {
        {percorso_base, esportazione::e_avanzo_base},
        {esportazione::cartella_archivio(percorso_base), esportazione::e_avanzo_archivio}};
    if (anche_web) dove.push_back({percorso_figure, esportazione::e_avanzo_web});
    for (const Dove& d : dove) {
        // A folder that cannot be listed is told where the run writes into it.
        const auto spazzata = platform::sweep_temporaries(d.cartella, d.nostro);
        if (!spazzata) continue;
        if (spazzata->removed > 0) {
            nota("tidying up", d.cartella.empty() ? "." : d.cartella,
                 std::to_string(spazzata->removed) +
                     (spazzata->removed == 1 ? " temporary file" : " temporary files") +
                     " left by a stopped run removed");
        }
        for (const platform::Note& n : spazzata->left) nota("tidying up", n.path, n.text);
    }
}

namespace {

// The whole hours of a day (UT) that are over now: 24 for a day gone, 0 for one to come.
int ore_passate(std::chrono::year_month_day giorno) {
    using namespace std::chrono;
    const auto trascorse = duration_cast<hours>(system_clock::now() - sys_days{giorno}).count();
    return static_cast<int>(std::clamp<long long>(trascorse, 0, 24));
}

}  // namespace

EsitoFigura Form1::disegna_giornata(const Giornata& giorno, int indice_giorno) {
    const std::string& file_previsioni = giorno.mese_anno;
    EsitoFigura figura;
    figura.slot = esito_.solo_archivio ? 0 : indice_giorno;
    figura.giorno = giorno;
    figura.senza_stazione = esito_.senza_stazione;
    passo("chart frame", [this] { disegno_dello_stage(); });
    std::optional<ValoriPrevisione> previsione;
    passo("forecast curve", [&] {
        const Previsto p = grafico_previsione(file_previsioni);
        previsione = p.disegnata;
        figura.previsione = p.disegnata.has_value();
        figura.illeggibili += p.illeggibili;
    });
    passo("observed values", [&] {
        Osservato o = grafico_valori_autoscalati(file_previsioni, giorno.giorno_anno);
        figura.valori = o.valori;
        figura.assenze = o.assenze;
        figura.illeggibili += o.illeggibili;
        figura.sondaggi = std::move(o.sondaggi);
    });
    passo("caption", [&] {
        area.set_position(75, 210);
        area.print_text("Date: " + giorno.data_estesa);
    });
    passo("values table", [&] {
        figura.tabella = tabella_csv(figura.sondaggi, previsione, ore_passate(giorno.data));
    });
    passo("export", [&] {
        figura.esportazione = salva_figura(giorno, indice_giorno,
                                           {figura.valori, figura.assenze, figura.illeggibili,
                                            figura.previsione, figura.senza_stazione},
                                           figura.tabella);
    });
    passo("clear", [this] { area.clear(); });
    return figura;
}

}  // namespace ftes
