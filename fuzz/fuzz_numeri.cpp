// SPDX-License-Identifier: MIT
// Number reading on arbitrary text, and its conversion to a 16-bit integer.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "curves/lettura_numeri.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const double v =
        ftes::leggi_numero(std::string_view(reinterpret_cast<const char*>(data), size));
    if (std::isnan(v)) std::abort();
    if (const auto i = ftes::intero16(v); i && std::fabs(*i - v) > 0.5) std::abort();
    return 0;
}
