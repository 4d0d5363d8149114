// SPDX-License-Identifier: MIT
// The image component fed arbitrary bytes as the BMP it reads back and converts to GIF.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "export/wpdlx.h"

namespace {
// A folder of the fuzzer's own for the two files of each input, gone when the fuzzer ends.
std::string cartella() {
    static const std::string dir = [] {
        char modello[] = "/tmp/ftes-fuzz-XXXXXX";
        std::string d = std::string(mkdtemp(modello)) + "/";
        std::atexit([] {
            for (const char* f : {"in.bmp", "out.gif"}) std::remove((cartella() + f).c_str());
            ::rmdir(cartella().c_str());
        });
        return d;
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
        componente.salva_gif(gif);
        componente.chiudi_immagine();
    }
    return 0;
}
