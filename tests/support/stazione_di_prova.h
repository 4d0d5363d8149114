// SPDX-License-Identifier: MIT
// A small kind-2 station run by the built batch, as the end-to-end tests use it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/cartella_temporanea.h"
#include "support/processo.h"

namespace ftes::test {

// The batch run in the folder with the arguments of the text, separated by blanks.
Esito esegui(const std::filesystem::path& cartella, const std::string& argomenti);

// "--check" with the arguments, looking with the rights of the account that runs the tests
// (root, where the tests run as root, rather than the packaged service's account).
std::string controllo(const std::string& argomenti);

// strace, where it is installed and may trace here.
std::optional<std::filesystem::path> strace_utilizzabile();

// The batch run in the folder under strace, with the system call chiamata failing with the
// error errore on the paths given (strace's -P), as a failing disk or share makes it fail.
Esito esegui_con_guasto(const std::filesystem::path& strace, const std::filesystem::path& cartella,
                        const std::vector<std::string>& percorsi, const std::string& chiamata,
                        const std::string& errore, const std::string& argomenti);

// A station on 5 January 2025: varnel.ini naming base\, data\ and web\, the forecast of
// January (none for December, the month of slot 1), values at 07:15 (12.0 MHz) and 07:30
// (16.0 MHz) and "NO" at 12:15 of that day.
class StazioneDiProva : public ::testing::Test {
  protected:
    StazioneDiProva();
    std::filesystem::path base() const { return dir.percorso() / "base"; }
    std::filesystem::path archivio() const { return base() / "previous_ftEs_plots"; }
    std::filesystem::path web() const { return dir.percorso() / "web"; }
    // Every published chart (not the temporaries, not the archive's index) by its path within
    // the station folder, with its bytes.
    std::map<std::string, std::string> pubblicati() const;
    // What a finished run does not leave in the base, archive and web folders: temporaries and
    // BMPs (the turn's file stays).
    std::set<std::string> avanzi() const;
    CartellaTemporanea dir;
};

}  // namespace ftes::test
