// The image component fed arbitrary bytes as the BMP it converts to GIF. The image decoder is
// compiled into this target from the same stb header the system library is built from, so that
// the fuzzer sees its coverage too; its definitions take the place of the library's.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "export/wpdlx.h"

namespace {
std::string cartella() {
    static const std::string dir = [] {
        char modello[] = "/tmp/ftes-fuzz-XXXXXX";
        return std::string(mkdtemp(modello)) + "/";
    }();
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bmp = cartella() + "in.bmp", gif = cartella() + "out.gif";
    if (FILE* f = std::fopen(bmp.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ftes::esportazione::Wpdlx componente;
    if (componente.carica_bmp(bmp)) {
        componente.salva_gif(gif, size % 2 == 1);
        componente.chiudi_immagine();
    }
    return 0;
}
