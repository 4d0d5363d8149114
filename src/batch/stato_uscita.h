// SPDX-License-Identifier: MIT
// The exit status of a run and what each means: the only place they are written down. When
// several apply, the first of bad usage, a refused turn, a chart not published and inputs
// unreadable is given.
#pragma once

#include <string_view>

namespace ftes {

enum StatoUscita : int {
    // every chart published (its archive copy written or kept) and every input that exists read
    uscita_riuscita = 0,
    // a chart or its archive copy not written (or not flushed), varnel.ini missing or unreadable,
    // or a page left showing what the charts are not
    uscita_non_pubblicata = 1,
    // bad command line; nothing written
    uscita_uso_errato = 2,
    // every chart published, but an input that exists could not be read, or no station was
    // recognised in a data folder that holds files
    uscita_illeggibili = 3,
    // another run of the station kept its turn; nothing (more) written
    uscita_turno_negato = 4,
};

// What an exit status means, in a few words.
constexpr std::string_view significato_uscita(int stato) {
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
