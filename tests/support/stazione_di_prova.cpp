// SPDX-License-Identifier: MIT
#include "support/stazione_di_prova.h"

#include <algorithm>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace ftes::test {

namespace {

std::vector<std::string> parole(const std::string& testo) {
    std::vector<std::string> lista;
    std::size_t da = 0;
    while (da < testo.size()) {
        const std::size_t a = std::min(testo.find(' ', da), testo.size());
        if (a > da) lista.push_back(testo.substr(da, a - da));
        da = a + 1;
    }
    return lista;
}

}  // namespace

Esito esegui(const std::filesystem::path& cartella, const std::string& argomenti) {
    return esegui_programma(FTES_BINARY, parole(argomenti), cartella);
}

std::string controllo(const std::string& argomenti) {
#ifdef _WIN32
    return "--check " + argomenti;
#else
    return (::geteuid() == 0 ? "--check --as root " : "--check ") + argomenti;
#endif
}

std::optional<std::filesystem::path> strace_utilizzabile() {
    const auto strace = trova_programma("strace");
    if (!strace) return std::nullopt;
    const auto e = esegui_programma(*strace, {"-o", "/dev/null", "true"}, "/");
    return e.stato == 0 ? strace : std::nullopt;
}

Esito esegui_con_guasto(const std::filesystem::path& strace, const std::filesystem::path& cartella,
                        const std::vector<std::string>& percorsi, const std::string& chiamata,
                        const std::string& errore, const std::string& argomenti) {
    std::vector<std::string> lista = {"-qq",
                                      "-o",
                                      "/dev/null",
                                      "-e",
                                      "trace=" + chiamata,
                                      "-e",
                                      "inject=" + chiamata + ":error=" + errore};
    // strace matches a path as the program names it, and a descriptor by its full path.
    for (const auto& p : percorsi) {
        for (const std::string& come : {p, (cartella / p).string()}) {
            lista.push_back("-P");
            lista.push_back(come);
        }
    }
    lista.push_back(FTES_BINARY);
    for (auto& a : parole(argomenti)) lista.push_back(std::move(a));
    // LeakSanitizer cannot work under ptrace.
    Esito e = esegui_programma(strace, lista, cartella, {"ASAN_OPTIONS=detect_leaks=0"});
    // strace's own notes are not the program's.
    std::string err;
    std::size_t da = 0;
    while (da < e.err.size()) {
        const std::size_t a = std::min(e.err.find('\n', da), e.err.size() - 1) + 1;
        const std::string riga = e.err.substr(da, a - da);
        if (!riga.starts_with(strace.string() + ": ")) err += riga;
        da = a;
    }
    e.err = err;
    return e;
}

StazioneDiProva::StazioneDiProva() {
    dir.scrivi("varnel.ini", "base\r\nbase\\\r\ndata\r\ndata\\\r\ncharts\r\nweb\\\r\n");
    dir.crea_cartella("base/previous_ftEs_plots");
    dir.crea_cartella("web");
    std::string riga;
    for (int k = 0; k < 24; ++k) riga += "  5.0";
    dir.scrivi("base/012025.txt", "forecast\r\n" + riga + "\r\n");
    dir.scrivi("data/CN12A_20250050715.TXT", file_sondaggio("Cind", "12.0"));
    dir.scrivi("data/CN12A_20250050730.TXT", file_sondaggio("Cind", "16.0"));
    dir.scrivi("data/CN12A_20250051215.TXT", file_sondaggio("Cind", " NO "));
}

std::map<std::string, std::string> StazioneDiProva::pubblicati() const {
    std::map<std::string, std::string> m;
    for (const auto& cartella : {web(), archivio()}) {
        for (const auto& f : std::filesystem::directory_iterator(cartella)) {
            if (f.path().extension() != ".gif") continue;
            m[std::filesystem::relative(f.path(), dir.percorso()).generic_string()] =
                leggi_file(f.path());
        }
    }
    return m;
}

std::set<std::string> StazioneDiProva::avanzi() const {
    std::set<std::string> s;
    for (const auto& cartella : {base(), web(), archivio()}) {
        for (const auto& f : std::filesystem::directory_iterator(cartella)) {
            const std::string n = f.path().filename().string();
            // The turn's file stays: it is no leftover.
            if ((n.starts_with(".") && n != ".ftes-charts.lock") || n.ends_with(".bmp")) {
                s.insert(n);
            }
        }
    }
    return s;
}

}  // namespace ftes::test
