// SPDX-License-Identifier: MIT
#include "reports/diagnostica.h"

#include <string>

#include "batch/stato_uscita.h"
#include "export/nomi_file.h"
#include "platform/utf8.h"

namespace ftes {

namespace {

std::string riga_avviso(std::string_view passo, std::string_view percorso,
                        std::string_view motivo) {
    std::string riga = "ftes-charts: " + testo_stampabile(passo);
    if (!percorso.empty()) riga += ": " + testo_stampabile(percorso);
    if (!motivo.empty()) riga += ": " + testo_stampabile(motivo);
    return riga;
}

// How a chart was published, the end of its summary line.
std::string esito_pubblicazione(const Esportazione& e, bool solo_archivio) {
    if (solo_archivio) {
        switch (e.copia) {
            case Copia::non_scritta:
                return "not published (" + e.perche + ")";
            case Copia::conservata:
                return "archive copy kept (" + e.conservata + ")";
            case Copia::sostituita:
                return "replaced";
            case Copia::scritta:
                break;
        }
    } else if (!e.corrente) {
        return "not published (" + e.perche + ")";
    } else if (e.copia == Copia::non_scritta) {
        return "published, archive copy not written (" + e.perche + ")";
    } else if (e.copia == Copia::conservata) {
        return "published, archive copy kept (" + e.conservata + ")";
    }
    if (e.non_sincronizzata) {
        return std::string(solo_archivio ? "" : "published, ") +
               "archive copy in place but not flushed (" + e.non_sincronizzata->text + ")";
    }
    return "published";
}

}  // namespace

std::string testo_stampabile(std::string_view testo, std::size_t massimo) {
    std::string s;
    while (!testo.empty() && s.size() < massimo) {
        // Control characters, C0 and C1 alike, and bytes that are no UTF-8 become '?': a
        // damaged file never sends escape sequences to the operator's terminal.
        const auto c = platform::decode_utf8(testo);
        const bool controllo =
            !c || c->code < 0x20 || c->code == 0x7F || (c->code >= 0x80 && c->code <= 0x9F);
        const std::size_t lunghezza = c ? c->length : 1;
        if (controllo) {
            s.push_back('?');
        } else {
            s.append(testo.substr(0, lunghezza));
        }
        testo.remove_prefix(lunghezza);
    }
    return s;
}

std::string riepilogo(const EsitoFigura& f, bool solo_archivio) {
    // The published file, named within its folder.
    const std::string file = solo_archivio ? esportazione::nome_gif_archivio("", f.giorno.mese_anno,
                                                                             f.giorno.giorno_anno)
                                           : esportazione::nome_gif_corrente("", f.slot);
    std::string riga = f.giorno.data_estesa + " " + file + ": " + std::to_string(f.valori) +
                       " values, " + std::to_string(f.assenze) + " no-layer";
    if (f.illeggibili > 0) riga += ", " + std::to_string(f.illeggibili) + " unreadable";
    if (f.senza_stazione) riga += ", no station recognised";
    // Not one sounding file of the day read: a station that had not begun, or a gap.
    if (!f.senza_stazione && f.illeggibili == 0 && f.valori == 0 && f.assenze == 0 &&
        f.sondaggi.empty()) {
        riga += ", no sounding";
    }
    riga += std::string(", forecast ") + (f.previsione ? "drawn" : "missing") + ", ";
    return riga + esito_pubblicazione(f.esportazione, solo_archivio);
}

Diagnostica::Diagnostica(Flusso verboso, Flusso errori)
    : verboso_(std::move(verboso)), errori_(std::move(errori)) {}

void Diagnostica::avviso(const Avviso& a) {
    const std::string riga = riga_avviso(a.passo, a.nota.path, a.nota.text);
    if (a.genere == Avviso::Genere::illeggibile && prima_illeggibile_.empty()) {
        prima_illeggibile_ = riga.substr(std::string_view("ftes-charts: ").size());
    }
    if (a.genere == Avviso::Genere::arresto || a.genere == Avviso::Genere::avvertenza) {
        arrestata_ = arrestata_ || a.genere == Avviso::Genere::arresto;
        emetti(errori_ ? errori_ : verboso_, riga);
    } else {
        emetti(verboso_, riga);
    }
}

void Diagnostica::figura(const EsitoFigura& f, bool solo_archivio) {
    const std::string riga = testo_stampabile(riepilogo(f, solo_archivio));
    const bool intera = f.pubblicata(solo_archivio) && !f.esportazione.non_sincronizzata;
    if (!intera && prima_non_pubblicata_.empty()) prima_non_pubblicata_ = riga;
    emetti(verboso_, riga);
}

void Diagnostica::segnala(std::string_view passo, std::string_view percorso,
                          std::string_view motivo, Avviso::Genere genere) {
    avviso({genere, std::string(passo), {std::string(percorso), std::string(motivo)}});
}

void Diagnostica::concludi(int stato, const EsitoCorsa& esito) {
    if (stato == uscita_riuscita || arrestata_) return;
    std::string causa;
    if (stato == uscita_non_pubblicata) {
        const int mancanti = esito.attese - esito.pubblicate;
        causa = mancanti > 0 ? std::to_string(mancanti) + " of " + std::to_string(esito.attese) +
                                   (esito.attese == 1 ? " chart" : " charts") +
                                   " not published or not archived"
                             : std::to_string(esito.non_sincronizzate) +
                                   " archive copies in place but not flushed";
        if (!prima_non_pubblicata_.empty()) causa += "; the first: " + prima_non_pubblicata_;
    } else if (stato == uscita_illeggibili) {
        causa = esito.illeggibili > 0
                    ? "every chart published, but " + std::to_string(esito.illeggibili) +
                          (esito.illeggibili == 1 ? " input file" : " input files") +
                          " there could not be read"
                    : "every chart published, but no station recognised";
        if (!prima_illeggibile_.empty()) causa += "; " + prima_illeggibile_;
    } else {
        causa = "exit status " + std::to_string(stato) + " (" +
                std::string(significato_uscita(stato)) + ")";
    }
    emetti(errori_ ? errori_ : verboso_, "ftes-charts: " + causa);
}

void Diagnostica::emetti(const Flusso& uscita, const std::string& riga) {
    if (uscita) uscita(riga + '\n');
    if (registrando_) (righe_ += riga) += '\n';
}

}  // namespace ftes
