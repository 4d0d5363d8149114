// SPDX-License-Identifier: MIT
// The GIF giflib writes for a picture when it compresses the pixels itself (EGifPutLine): the
// reference the component's own compression must match byte for byte.
#pragma once

#include <vector>

#include "export/tavolozza.h"

namespace ftes::test {

// Empty if giflib refuses the picture.
std::vector<unsigned char> gif_di_giflib(const esportazione::ImmagineIndicizzata& img);

}  // namespace ftes::test
