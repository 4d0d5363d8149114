// The configuration reader on arbitrary bytes: six lines at most, each bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "batch/configurazione.h"
#include "platform/line_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto lettore = ftes::platform::LineReader::from_memory(
        std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& riga : ftes::leggi_sei_righe(lettore)) {
        if (!riga) continue;
        if (riga->size() > ftes::platform::LineReader::max_line_length) std::abort();
        (void)ftes::adatta_cartella(*riga);
    }
    return 0;
}
