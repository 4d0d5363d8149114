// SPDX-License-Identifier: MIT
// The exit status of a run and what each means: the only place they are written down. When
// several apply, the first of bad usage, a refused turn, a chart not published and inputs
// unreadable is given.
#pragma once

#include <array>
#include <string_view>

namespace ftes {

enum StatoUscita : int {
    uscita_riuscita = 0,
    uscita_non_pubblicata = 1,
    uscita_uso_errato = 2,
    uscita_illeggibili = 3,
    uscita_turno_negato = 4,
};

// What --check ends with.
enum EsitoControllo : int {
    controllo_senza_problemi = 0,
    controllo_con_problemi = 1,  // something would make a chart go missing, land elsewhere or
                                 // be drawn wrong
};

struct Significato {
    int stato;
    std::string_view breve;        // a few words, for the log and the metrics
    std::string_view spiegazione;  // what an operator needs to know of it, for --help
};
inline constexpr std::array<Significato, 5> significati{{
    {uscita_riuscita, "every chart published",
     "every chart published (its archive copy written or kept), every input read"},
    {uscita_non_pubblicata, "a chart or its archive copy not written",
     "a chart or its archive copy not written, or varnel.ini missing or unreadable "
     "(then nothing was written)"},
    {uscita_uso_errato, "bad usage", "bad usage; nothing written"},
    {uscita_illeggibili, "every chart published, but an input file could not be read",
     "every chart published, but an input file that is there could not be read, or no "
     "station was recognised in the sounding folder: a chart may lack values"},
    {uscita_turno_negato, "another run of the station kept its turn",
     "another run of the station kept its turn past the wait; nothing (more) written"},
}};

// What an exit status means, in a few words.
constexpr std::string_view significato_uscita(int stato) {
    for (const Significato& s : significati) {
        if (s.stato == stato) return s.breve;
    }
    return "unknown";
}

// Whether a run that ended with this status published every chart it was to publish.
constexpr bool corsa_riuscita(int stato) {
    // Status 3 published every chart too; its unreadable inputs are told apart.
    return stato == uscita_riuscita || stato == uscita_illeggibili;
}

// The worse of two statuses, in the order bad usage, refused turn, not published, unreadable.
constexpr int peggiore(int a, int b) {
    constexpr int ordine[] = {uscita_uso_errato, uscita_turno_negato, uscita_non_pubblicata,
                              uscita_illeggibili};
    for (const int s : ordine) {
        if (a == s || b == s) return s;
    }
    return a != uscita_riuscita ? a : b;
}

}  // namespace ftes
