// SPDX-License-Identifier: MIT
// A sounding file on arbitrary bytes: the station key of line 1 and the value column of line 8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "curves/osservazioni.h"
#include "curves/stazione.h"
#include "platform/line_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto file = ftes::platform::LineReader::from_memory(
        std::string_view(reinterpret_cast<const char*>(data), size));
    std::optional<std::string> riga = file.next_line();
    if (!riga) return 0;
    const std::int16_t tipo = ftes::tipo_da_chiave(*riga);
    if (tipo < 0 || tipo > 6) std::abort();
    for (int n = 1; n < 8 && riga; ++n) riga = file.next_line();
    if (!riga) return 0;
    const ftes::Osservazione o = ftes::leggi_osservazione(*riga);
    // Three characters of a column at most: the value always fits the chart's integers.
    if (o.tipo == ftes::Osservazione::Tipo::valore && !(o.valore > -1000 && o.valore < 1000)) {
        std::abort();
    }
    return 0;
}
