// SPDX-License-Identifier: MIT
// What one sounding file says: line 8, characters 16 to 19, holds "N/A", "NO" or ftEs in MHz.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/canvas.h"
#include "platform/file_system.h"
#include "platform/line_reader.h"

namespace ftes {

struct Osservazione {
    enum class Tipo { non_disponibile, nessuno_strato, valore } tipo;
    double valore = 0;  // tenths of MHz, for Tipo::valore
};

// Reads characters 16 to 19 of a sounding file's line 8. "N/A" and "NO" (blanks around them
// removed, letter case counting) are keywords; anything else is a value: characters 1 and 2 of
// the column without blanks, joined to character 4, read as a number ("12.3" gives 123,
// " 4.5" gives 45). A column without a number, an empty one included, is the value 0.
Osservazione leggi_osservazione(std::string_view riga_otto);

// Position of a minute within its hour in tenths of an hour, 0 to 10; a minute exactly halfway
// goes to the lower tenth.
int scarto_minuto(int minuto);

// A value point at x_punto is linked to the previous one when they lie 2 or 3 tenths of an hour
// apart, as two soundings a quarter of an hour apart always do, and the previous value is not 0.
bool collegamento_dovuto(int x_punto, int x_prec, int valore_prec);

// Line 8 of the sounding file held by the reader, into riga: true when it is there, false when
// the file is shorter, an Error when reading it failed (a read that failed may have cut line 8
// short: its value is not known).
platform::Result<bool> leggi_riga_otto(platform::LineReader& file, std::string& riga);

// One sounding of a day: a value, a "NO" or an "N/A", at x in tenths of an hour.
struct Sondaggio {
    std::int16_t x;
    Osservazione osservazione;
    std::int16_t minuto_giorno = 0;  // the sounding's time, minutes after 00:00 UT
};

// A sounding file passed over, and why: too short, or there but unreadable.
struct FileSaltato {
    platform::Note nota;
    bool illeggibile = false;  // it could not be opened or read
};

// What the sounding files of one day hold, in the order the files were tried.
struct OsservazioniGiorno {
    std::vector<Sondaggio> sondaggi;
    std::vector<FileSaltato> saltati;  // each file skipped, and why, in that order
    int illeggibili = 0;               // files there that could not be opened or read
};

// Tries every sounding name of a day of a station of the given kind, in the order of
// ordine_sondaggi(), and reads what each file that is there holds. At most one file is open at
// a time.
OsservazioniGiorno leggi_osservazioni(std::int16_t tipo_stazione, std::string_view percorso_dati,
                                      std::string_view file_previsioni,
                                      std::string_view giorno_anno);

// What a day's chart draws of its soundings, in the order it draws it: a light-red dot for each
// value, after it the link back to the value before it when due, and an orange tick at the foot
// of the chart for each "NO". An "N/A" draws nothing.
struct Segno {
    enum class Tipo { punto, collegamento, assenza } tipo;
    // A point: its centre (x1, y1). A link: from the new point (x1, y1) back to (x2, y2). A
    // tick: from (x1, y1) up to (x2, y2).
    float x1, y1, x2, y2;
    bool operator==(const Segno&) const = default;
};
std::vector<Segno> segni_osservazioni(const std::vector<Sondaggio>& sondaggi);

// Draws a day's soundings as segni_osservazioni() lays them out.
struct Disegnati {
    int valori = 0;
    int assenze = 0;
};
Disegnati disegna_osservazioni(canvas::Canvas& area, const std::vector<Sondaggio>& sondaggi);

}  // namespace ftes
