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
// The name lives in a plain array: a static string would be destroyed before the clean-up runs.
char nome_cartella[] = "/tmp/ftes-fuzz-XXXXXX";

std::string cartella() {
    static const bool fatta = [] {
        if (mkdtemp(nome_cartella) == nullptr) std::abort();
        std::atexit([] {
            for (const char* f : {"/in.bmp", "/out.gif"})
                std::remove((std::string(nome_cartella) + f).c_str());
            ::rmdir(nome_cartella);
        });
        return true;
    }();
    (void)fatta;
    return std::string(nome_cartella) + "/";
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
