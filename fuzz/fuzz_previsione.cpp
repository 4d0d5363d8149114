// SPDX-License-Identifier: MIT
// The batch's forecast reader on arbitrary bytes: line 2 becomes 24 values, whatever it holds,
// and a line the fixed format accepts reads as its fields say.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "curves/previsione.h"
#include "platform/line_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using ftes::platform::LineReader;
    LineReader file(LineReader::InMemory{},
                    std::string_view(reinterpret_cast<const char*>(data), size));
    const auto previsione = ftes::leggi_previsione(file);
    if (previsione && previsione->formato_fisso) {
        for (const auto v : previsione->valori) {
            if (v < 0 || v > 999) std::abort();
        }
    }
    return 0;
}
