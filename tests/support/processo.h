// SPDX-License-Identifier: MIT
// Running a program as an operator's scheduler does: in a folder of its own, with its output
// collected, and stopped if it runs far longer than a run ever takes.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ftes::test {

struct Esito {
    int stato = -1;           // exit status; -1 when it ended by a signal or was stopped
    bool interrotto = false;  // stopped after the time allowed
    std::string out, err;
};

// Runs the program with the arguments in the folder; ambiente adds variables (NAME=value) to
// the environment it inherits.
Esito esegui_programma(const std::filesystem::path& programma,
                       const std::vector<std::string>& argomenti,
                       const std::filesystem::path& cartella,
                       const std::vector<std::string>& ambiente = {},
                       std::chrono::seconds limite = std::chrono::seconds(60));

// The system's own words for an error code (errno on POSIX, a Windows system error code), as
// the program reports it: without a final period or line end.
std::string testo_errore_sistema(int codice);

// The program of that name on the PATH, if there is one.
std::optional<std::filesystem::path> trova_programma(const std::string& nome);

}  // namespace ftes::test
