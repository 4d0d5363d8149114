// SPDX-License-Identifier: MIT
// A sounding file on arbitrary bytes, read by the batch's own readers: the station key of line 1
// and the value column of line 8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "curves/osservazioni.h"
#include "curves/stazione.h"
#include "platform/line_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using ftes::platform::LineReader;
    const std::string_view testo(reinterpret_cast<const char*>(data), size);
    // Line 1 as station recognition reads it, then line 8 as the day's observations read it.
    LineReader prima(LineReader::InMemory{}, testo);
    std::string riga;
    if (const auto letta = prima.read_line(riga); letta && *letta) {
        const std::int16_t tipo = ftes::tipo_da_chiave(riga);
        if (tipo < 0 || tipo > 6) std::abort();
    }
    LineReader file(LineReader::InMemory{}, testo);
    const auto otto = ftes::leggi_riga_otto(file, riga);
    if (!otto || !*otto) return 0;
    const ftes::Osservazione o = ftes::leggi_osservazione(riga);
    // Three characters of a column at most: the value always fits the chart's integers.
    if (o.tipo == ftes::Osservazione::Tipo::valore && !(o.valore > -1000 && o.valore < 1000)) {
        std::abort();
    }
    return 0;
}
