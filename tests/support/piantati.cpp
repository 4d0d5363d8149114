// SPDX-License-Identifier: MIT
#include "support/piantati.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <fstream>

namespace ftes::test {

namespace fs = std::filesystem;

std::vector<fs::path> pianta_non_regolari(const fs::path& cartella) {
    std::vector<fs::path> piantati;
#ifdef _WIN32
    // Device names mean the device in any folder.
    piantati = {cartella / "NUL", cartella / "CON"};
#else
    const fs::path fifo = cartella / "pipe.TXT", zero = cartella / "zero.TXT",
                   orfano = cartella / "dangling.TXT";
    ::mkfifo(fifo.c_str(), 0600);
    fs::create_symlink("/dev/zero", zero);
    fs::create_symlink(cartella / "nothing-here", orfano);
    piantati = {fifo, zero, orfano};
#endif
    return piantati;
}

std::vector<std::pair<std::string, std::function<void()>>> non_regolari_in(
    const fs::path& cartella, const std::string& nome, const fs::path& esterno) {
    const fs::path p = cartella / nome;
    std::vector<std::pair<std::string, std::function<void()>>> modi = {
        {"an old file", [p] { std::ofstream(p, std::ios::binary) << "old"; }},
    };
#ifndef _WIN32
    modi.push_back({"a link to a file outside", [p, esterno] { fs::create_symlink(esterno, p); }});
    modi.push_back({"a link that leads nowhere",
                    [p, cartella] { fs::create_symlink(cartella / "nothing-here", p); }});
    modi.push_back({"a pipe", [p] { ::mkfifo(p.c_str(), 0600); }});
#else
    (void)esterno;
#endif
    return modi;
}

}  // namespace ftes::test
