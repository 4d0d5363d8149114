#include "support/stazione_di_prova.h"

#include <algorithm>
#include <vector>

namespace ftes::test {

Esito esegui(const std::filesystem::path& cartella, const std::string& argomenti) {
    std::vector<std::string> lista;
    std::size_t da = 0;
    while (da < argomenti.size()) {
        const std::size_t a = std::min(argomenti.find(' ', da), argomenti.size());
        if (a > da) lista.push_back(argomenti.substr(da, a - da));
        da = a + 1;
    }
    return esegui_programma(FTES_BINARY, lista, cartella);
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
            if (f.path().filename().string().starts_with(".")) continue;
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
            if (n.starts_with(".") || n.ends_with(".bmp")) s.insert(n);
        }
    }
    return s;
}

}  // namespace ftes::test
