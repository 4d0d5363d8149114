// SPDX-License-Identifier: MIT
// The daily batch driver and its preparation steps.
#include "batch/form1.h"

#include <exception>

#include "batch/configurazione.h"
#include "batch/manifesto.h"
#include "batch/tabelle.h"
#include "export/nomi_file.h"
#include "platform/file_system.h"
#include "platform/line_reader.h"
#include "platform/utf8.h"

namespace ftes {

Form1::Form1(std::chrono::year_month_day oggi_, Diagnostica diagnostica_,
             std::unique_ptr<esportazione::Wpdlx> componente)
    : oggi(oggi_),
      componente_(componente ? std::move(componente) : std::make_unique<esportazione::Wpdlx>()),
      wpdlx1(*componente_),
      diagnostica(diagnostica_) {}

void Form1::passo(std::string_view nome, const std::function<void()>& azione) {
    try {
        azione();
    } catch (const std::exception& e) {
        diagnostica.segnala(nome, "", e.what());
    } catch (...) {
        diagnostica.segnala(nome, "", "failed");
    }
}

int Form1::stato_uscita() const {
    if (turno_negato) return uscita_turno_negato;
    if (configurazione_illeggibile || figure_pubblicate != figure_attese) {
        return uscita_non_pubblicata;
    }
    return input_illeggibili > 0 ? uscita_illeggibili : uscita_riuscita;
}

void Form1::caricamento_form() {
    passo("minute table", [this] { riempi_minuti(); });
    passo("configuration", [this] { leggi_configurazione(); });
    if (configurazione_illeggibile || !prendi_turno("nothing written")) return;
    passo("day table", [this] { riempi_tabella_giorni(); });
    passo("canvas setup", [this] { impostazioni_dimensioni_e_scala_del_form(); });

    // Always six slots, whatever happened before; each step of a slot is guarded by itself.
    figure_attese = 6;
    for (indice_giorno = 1; indice_giorno <= 6; ++indice_giorno) disegna_giornata();
    if (versione_manifesto) passo("manifest", [this] { scrivi_manifesto(); });
}

void Form1::scrivi_manifesto() {
    const std::string percorso = percorso_figure + std::string(nome_manifesto);
    const std::string testo =
        testo_manifesto(platform::local_timestamp(), *versione_manifesto, oggi, figure_fatte);
    const auto scritto = platform::replace_file(percorso, testo, platform::Durability::ordinary);
    if (!scritto)
        diagnostica.segnala("manifest", percorso, "cannot write: " + scritto.error().text);
}

void Form1::recupera_archivio(std::chrono::year_month_day primo,
                              std::chrono::year_month_day ultimo) {
    solo_archivio = true;
    passo("minute table", [this] { riempi_minuti(); });
    passo("configuration", [this] { leggi_configurazione(); });
    if (configurazione_illeggibile) return;
    passo("canvas setup", [this] { impostazioni_dimensioni_e_scala_del_form(); });

    // Each day takes the place of today in slot 6, so that its chart is the one the daily run
    // draws on that day in that slot. The station's turn is taken for one day at a time, so
    // that a daily or live run waits no longer than one chart for a long backfill.
    using std::chrono::sys_days;
    for (sys_days d = sys_days{primo}; d <= sys_days{ultimo}; d += std::chrono::days{1}) {
        const GiornoCalcolato calcolato = calcola_giorno(std::chrono::year_month_day{d}, 0);
        if (!prendi_turno("backfill stopped before " + calcolato.data_estesa)) return;
        ++figure_attese;
        indice_giorno = 6;
        passo("day table", [&] { metti_giorno(6, calcolato); });
        disegna_giornata();
        if (turno != nullptr) turno->release();
    }
}

void Form1::disegna_giornata() {
    const std::string& file_previsioni = mese_anno[static_cast<std::size_t>(indice_giorno)];
    valori_disegnati = assenze_disegnate = illeggibili = 0;
    sondaggi_disegnati.clear();
    previsione_disegnata = corrente_pubblicata = archivio_conservato = false;
    esportazione_fallita = "not exported";
    passo("chart frame", [this] { disegno_dello_stage(); });
    passo("forecast curve", [&] { grafico_previsione(file_previsioni); });
    passo("observed values", [&] { grafico_valori_autoscalati(file_previsioni); });
    passo("caption", [this] { area.set_position(75, 210); });
    passo("caption", [this] {
        area.print_text("Date: " + data_estesa[static_cast<std::size_t>(indice_giorno)]);
    });
    passo("export", [&] { salva_figura(file_previsioni); });
    passo("summary", [this] { diagnostica.riassumi(riepilogo()); });
    passo("clear", [this] { area.clear(); });
    input_illeggibili += illeggibili;
    archivi_conservati += archivio_conservato;
    if (!solo_archivio) {
        using namespace std::chrono;
        figure_fatte.push_back({indice_giorno, sys_days{oggi} - days{6 - indice_giorno},
                                valori_disegnati, assenze_disegnate, illeggibili,
                                previsione_disegnata, esportazione_fallita.empty(),
                                std::move(sondaggi_disegnati)});
    }
}

std::string Form1::riepilogo() const {
    const auto slot = static_cast<std::size_t>(indice_giorno);
    // The published file, named within its folder.
    const std::string file =
        solo_archivio ? esportazione::nome_gif_archivio("", mese_anno[slot], giorno_anno[slot])
                      : esportazione::nome_gif_corrente("", indice_giorno);
    const std::string non_letti =
        illeggibili > 0 ? ", " + std::to_string(illeggibili) + " unreadable" : "";
    const std::string esito =
        !esportazione_fallita.empty()
            ? (corrente_pubblicata ? "published, archive copy not written (" : "not published (") +
                  esportazione_fallita + ")"
        : archivio_conservato ? "published, archive copy kept"
                              : "published";
    return data_estesa[slot] + " " + file + ": " + std::to_string(valori_disegnati) + " values, " +
           std::to_string(assenze_disegnate) + " no-layer" + non_letti + ", forecast " +
           (previsione_disegnata ? "drawn" : "missing") + ", " + esito;
}

void Form1::riempi_minuti() {
    for (int k = 1; k <= 60; ++k) minuti[static_cast<std::size_t>(k)] = testo_minuto(k);
}

void Form1::leggi_configurazione() {
    cartella_corrente = con_separatore_finale(platform::current_directory());
    const std::string percorso = cartella_corrente + std::string(nome_configurazione);
    const auto letta = leggi_configurazione_da(percorso);
    if (!letta) {
        if (!letta.error().absent) return ferma_configurazione(percorso, letta.error().text);
        diagnostica.segnala("configuration", percorso,
                            letta.error().text + "; all folders are empty");
        return;
    }
    if (letta->utf16_troppo_lungo) {
        diagnostica.segnala("configuration", percorso,
                            "UTF-16 and longer than 64 KiB; all folders are empty");
        return;
    }
    const SeiRighe& righe = letta->righe;
    // Lines 1, 3 and 5 are labels; 2, 4 and 6 the folders.
    std::string* cartelle[6] = {nullptr,        &percorso_base, nullptr,
                                &percorso_dati, nullptr,        &percorso_figure};
    for (std::size_t i = 1; i < righe.size(); i += 2) {
        if (righe[i]) {
            *cartelle[i] = adatta_cartella(*righe[i]);
        } else {
            diagnostica.segnala("configuration", percorso,
                                "line " + std::to_string(i + 1) + " missing; that folder is empty");
        }
    }
}

bool Form1::prendi_turno(const std::string& altrimenti) {
    if (turno == nullptr || turno->acquire(attesa_turno)) return true;
    turno_negato = true;
    const auto secondi = std::chrono::duration_cast<std::chrono::seconds>(attesa_turno).count();
    diagnostica.arresta("run lock", cartella_corrente + std::string(nome_configurazione),
                        "another run of this station kept its turn for " + std::to_string(secondi) +
                            " s; " + altrimenti);
    return false;
}

void Form1::ferma_configurazione(const std::string& percorso, const std::string& motivo) {
    configurazione_illeggibile = true;
    diagnostica.arresta("configuration", percorso, motivo + "; nothing written");
}

void Form1::riempi_tabella_giorni() {
    // Slot 1 is five days before today, slot 6 today.
    for (std::size_t slot = 1; slot <= 6; ++slot) {
        metti_giorno(slot, calcola_giorno(oggi, static_cast<int>(slot) - 6));
    }
}

void Form1::metti_giorno(std::size_t slot, const GiornoCalcolato& g) {
    giorno_anno.at(slot) = g.giorno_anno;
    mese_anno.at(slot) = g.mese_anno;
    data_estesa.at(slot) = g.data_estesa;
}

}  // namespace ftes
