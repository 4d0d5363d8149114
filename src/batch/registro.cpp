// SPDX-License-Identifier: MIT
#include "batch/registro.h"

#include <vector>

#include "batch/form1.h"
#include "platform/file_system.h"

namespace ftes {

namespace {

// Where each run's report begins: at offsets that start a line with inizio_corsa.
std::vector<std::size_t> inizi_corse(std::string_view testo) {
    std::vector<std::size_t> inizi;
    for (std::size_t da = 0; da < testo.size();) {
        if (testo.substr(da).starts_with(inizio_corsa)) inizi.push_back(da);
        const std::size_t a_capo = testo.find('\n', da);
        if (a_capo == std::string_view::npos) break;
        da = a_capo + 1;
    }
    return inizi;
}

}  // namespace

std::string_view significato_uscita(int stato) {
    switch (stato) {
        case uscita_riuscita:
            return "every chart published";
        case uscita_non_pubblicata:
            return "a chart or its archive copy not written";
        case uscita_uso_errato:
            return "bad usage";
        case uscita_illeggibili:
            return "every chart published, but an input file could not be read";
        case uscita_turno_negato:
            return "another run of the station kept its turn";
        default:
            return "unknown";
    }
}

std::string testo_corsa(std::string_view versione, std::string_view ora, int stato,
                        std::string_view righe, std::string_view fine_riga) {
    std::string testo = std::string(inizio_corsa) + std::string(versione) + " " + std::string(ora) +
                        ": exit status " + std::to_string(stato) + " (" +
                        std::string(significato_uscita(stato)) + ")";
    testo += fine_riga;
    for (std::size_t da = 0; da < righe.size();) {
        const std::size_t a_capo = righe.find('\n', da);
        const std::size_t fine = a_capo == std::string_view::npos ? righe.size() : a_capo;
        testo.append(righe.substr(da, fine - da));
        testo += fine_riga;
        da = fine + 1;
    }
    return testo;
}

std::string registro_aggiornato(std::string_view precedente, std::string_view corsa,
                                std::size_t massimo) {
    if (corsa.size() > massimo) {
        // A report too long on its own keeps its beginning, up to a line end.
        constexpr std::string_view tagliato = "(the rest of this run's lines left out)\n";
        std::string_view inizio = corsa.substr(0, massimo - std::min(massimo, tagliato.size()));
        const std::size_t a_capo = inizio.rfind('\n');
        inizio = inizio.substr(0, a_capo == std::string_view::npos ? 0 : a_capo + 1);
        return std::string(inizio) + std::string(tagliato.substr(0, massimo - inizio.size()));
    }
    // The oldest runs go, whole, until the newest fit with this one; lines before the first
    // run (written by hand) go first.
    std::vector<std::size_t> inizi = inizi_corse(precedente);
    if (inizi.empty() || inizi.front() != 0) inizi.insert(inizi.begin(), 0);
    const std::size_t a_capo = !precedente.empty() && precedente.back() != '\n';
    std::size_t da = precedente.size();
    for (const std::size_t inizio : inizi) {
        if (precedente.size() - inizio + a_capo + corsa.size() <= massimo) {
            da = inizio;
            break;
        }
    }
    std::string testo(precedente.substr(da));
    if (!testo.empty() && testo.back() != '\n') testo += '\n';
    testo.append(corsa);
    return testo;
}

platform::Result<> scrivi_registro(const std::string& percorso, std::string_view corsa) {
    // A log lengthened by hand past the bound is still read, and brought back within it.
    auto precedente = platform::read_whole_file(percorso, 4 * max_registro);
    if (!precedente && !precedente.error().absent) return precedente.error();
    const std::string_view testo = precedente ? platform::as_text(*precedente) : "";
    return platform::replace_file(percorso, registro_aggiornato(testo, corsa),
                                  platform::Durability::ordinary);
}

}  // namespace ftes
