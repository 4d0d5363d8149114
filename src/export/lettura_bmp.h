// SPDX-License-Identifier: MIT
// Reading the chart canvas's own BMP: uncompressed, 8-bit palette indices after a 40-byte info
// header. It is the only kind of BMP a run writes and reads back.
#pragma once

#include <cstddef>
#include <optional>

#include "export/tavolozza.h"

namespace ftes::esportazione {

// The picture of a plain 8-bit paletted BMP of at most max_lato pixels a side, its palette reduced
// to the colours the pixels use, in the file's order, each colour once.
// Nothing for any other file, including one whose pixels point past its palette or whose data
// would run past its end.
std::optional<ImmagineIndicizzata> leggi_bmp_8(const unsigned char* dati, std::size_t dimensione,
                                               int max_lato);

}  // namespace ftes::esportazione
