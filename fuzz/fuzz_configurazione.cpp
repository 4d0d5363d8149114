// SPDX-License-Identifier: MIT
// The configuration reader on arbitrary bytes: six lines at most, each bounded, whatever the
// encoding (UTF-8, another code page, UTF-16 with its mark); what --verbose would echo of them
// is always UTF-8 without control characters. The backfill range reader takes the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/riga_comando.h"
#include "batch/configurazione.h"
#include "platform/line_reader.h"
#include "platform/utf8.h"
#include "reports/diagnostica.h"

namespace {
std::string come_sono(std::string_view t) {
    return std::string(t);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view byte(reinterpret_cast<const char*>(data), size);
    const auto utf16 = ftes::platform::utf16_to_utf8(byte);
    if (utf16 && !ftes::platform::is_utf8(*utf16)) std::abort();
    ftes::platform::LineReader lettore(ftes::platform::LineReader::InMemory{},
                                       utf16 ? *utf16 : byte);
    auto lette = ftes::leggi_sei_righe(lettore);
    if (!lette) std::abort();  // text in memory is always read
    auto& righe = *lette;
    ftes::in_utf8(righe, come_sono);
    (void)ftes::cartelle_da(righe);
    for (const auto& riga : righe) {
        if (!riga) continue;
        if (riga->size() > ftes::platform::LineReader::max_line_length) std::abort();
        (void)ftes::adatta_cartella(*riga);
        const std::string mostrato = ftes::testo_stampabile(*riga);
        if (!ftes::platform::is_utf8(mostrato)) std::abort();
        for (const char c : mostrato) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
        }
    }
    const auto intervallo = ftes::leggi_intervallo(byte.substr(0, 64));
    if (intervallo.intervallo && intervallo.intervallo->ultimo < intervallo.intervallo->primo) {
        std::abort();
    }
    return 0;
}
