// SPDX-License-Identifier: MIT
#include "support/cartella_temporanea.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace ftes::test {

namespace fs = std::filesystem;

CartellaTemporanea::CartellaTemporanea() : CartellaTemporanea(fs::temp_directory_path()) {}

CartellaTemporanea::CartellaTemporanea(const fs::path& dentro) {
    std::random_device rd;
    for (int tentativo = 0; tentativo < 100; ++tentativo) {
        const fs::path p = dentro / ("ftes-test-" + std::to_string(rd()));
        if (fs::create_directory(p)) {
            percorso_ = p;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

CartellaTemporanea::~CartellaTemporanea() {
    std::error_code ec;
    fs::permissions(percorso_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(percorso_, ec);
}

std::string CartellaTemporanea::prefisso(std::string_view sotto) const {
    fs::path p = percorso_;
    if (!sotto.empty()) p /= percorso_utf8(sotto);
    const std::u8string testo = (p / "").u8string();  // UTF-8, ending in the separator
    return std::string(testo.begin(), testo.end());
}

fs::path CartellaTemporanea::scrivi(std::string_view nome, std::string_view contenuto) const {
    const fs::path p = percorso_ / percorso_utf8(nome);
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << contenuto;
    return p;
}

void CartellaTemporanea::crea_cartella(std::string_view nome) const {
    fs::create_directories(percorso_ / percorso_utf8(nome));
}

std::set<std::string> nomi_in(const fs::path& cartella) {
    std::set<std::string> nomi;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(cartella, ec)) {
        nomi.insert(e.path().filename().string());
    }
    return nomi;
}

void copia_cartella(const fs::path& da, const fs::path& a) {
    fs::create_directories(a);
    for (const auto& voce : fs::recursive_directory_iterator(da)) {
        const fs::path dove = a / fs::relative(voce.path(), da);
        if (voce.is_directory()) {
            fs::create_directories(dove);
        } else {
            fs::copy_file(voce.path(), dove, fs::copy_options::overwrite_existing);
        }
    }
}

DirectoryCorrente::DirectoryCorrente(const fs::path& nuova) : precedente_(fs::current_path()) {
    fs::current_path(nuova);
}

DirectoryCorrente::~DirectoryCorrente() {
    std::error_code ec;
    fs::current_path(precedente_, ec);
}

fs::path percorso_utf8(std::string_view testo) {
    return fs::path(std::u8string(testo.begin(), testo.end()));
}

std::string nativo(std::string percorso) {
#ifdef _WIN32
    std::replace(percorso.begin(), percorso.end(), '/', '\\');
#endif
    return percorso;
}

std::string leggi_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string righe_crlf(const std::vector<std::string>& righe) {
    std::string s;
    for (const auto& r : righe) s += r + "\r\n";
    return s;
}

std::string file_sondaggio(std::string_view chiave, std::string_view colonna) {
    return righe_crlf({std::string(chiave) + " station header", "l2", "l3", "l4", "l5", "l6", "l7",
                       "ftEs           " + std::string(colonna) + " MHz", "l9"});
}

}  // namespace ftes::test
