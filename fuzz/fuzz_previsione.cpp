// SPDX-License-Identifier: MIT
// The batch's forecast reader on arbitrary bytes: line 2 becomes 24 values, whatever it holds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "curves/previsione.h"
#include "platform/line_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto file = ftes::platform::LineReader::from_memory(
        std::string_view(reinterpret_cast<const char*>(data), size));
    (void)ftes::leggi_previsione(file);
    return 0;
}
