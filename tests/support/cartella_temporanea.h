// SPDX-License-Identifier: MIT
// A fresh folder per test, removed afterwards, with small helpers to lay out station files.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ftes::test {

class CartellaTemporanea {
  public:
    CartellaTemporanea();
    // A fresh folder inside the one given (a tmpfs, for instance).
    explicit CartellaTemporanea(const std::filesystem::path& dentro);
    ~CartellaTemporanea();
    CartellaTemporanea(const CartellaTemporanea&) = delete;
    CartellaTemporanea& operator=(const CartellaTemporanea&) = delete;

    const std::filesystem::path& percorso() const { return percorso_; }
    // The folder as a prefix text, ending in a separator.
    std::string prefisso(std::string_view sotto = {}) const;
    // Writes a file below the folder, creating its parent folders.
    std::filesystem::path scrivi(std::string_view nome, std::string_view contenuto) const;
    void crea_cartella(std::string_view nome) const;

  private:
    std::filesystem::path percorso_;
};

// The names of what a folder holds (files, folders, links alike); none when it is not there.
std::set<std::string> nomi_in(const std::filesystem::path& cartella);

// Copies a folder and all it holds into another, made if missing.
void copia_cartella(const std::filesystem::path& da, const std::filesystem::path& a);

// Runs the current test in another directory and goes back when it ends.
class DirectoryCorrente {
  public:
    explicit DirectoryCorrente(const std::filesystem::path& nuova);
    ~DirectoryCorrente();

  private:
    std::filesystem::path precedente_;
};

// A path given as UTF-8 text, as the program's own texts are on every system.
std::filesystem::path percorso_utf8(std::string_view testo);

// A path written with '/' as the program forms it on this platform, with its separator.
std::string nativo(std::string percorso);

// The bytes of a file, or empty when it cannot be read.
std::string leggi_file(const std::filesystem::path& p);

// Lines joined with CR LF, each line ending with it.
std::string righe_crlf(const std::vector<std::string>& righe);

// A sounding file: station key on line 1, the value column (4 characters) at 16..19 of line 8.
std::string file_sondaggio(std::string_view chiave, std::string_view colonna);

}  // namespace ftes::test
