// SPDX-License-Identifier: MIT
// Reading the chart canvas's own BMP: uncompressed, 8-bit palette indices after a 40-byte info
// header. It is the only kind of BMP a run writes and reads back.
#pragma once

#include <vector>

#include "export/tavolozza.h"
#include "platform/error.h"

namespace ftes::esportazione {

// The picture of a plain 8-bit paletted BMP file of at most max_lato pixels a side, made in the
// file's own memory, its palette reduced to the colours the pixels use, in the file's order,
// each colour once. Any other file, including one whose pixels point past its palette or whose
// data would run past its end, is an Error that says what it is not (its path left empty, for
// the caller to name).
platform::Result<ImmagineIndicizzata> leggi_bmp_8(std::vector<unsigned char> file, int max_lato);

}  // namespace ftes::esportazione
