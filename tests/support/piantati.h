// SPDX-License-Identifier: MIT
// Things that are not regular files, planted where the batch expects one: what a shared folder
// may hold by mistake or by malice.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ftes::test {

// Plants in the folder what this system allows of pipes, devices and links that lead nowhere
// or to a device, and returns their paths.
std::vector<std::filesystem::path> pianta_non_regolari(const std::filesystem::path& cartella);

// Ways to plant something at cartella/nome: an old file, and where the system has them a link
// to the file esterno outside the folder, a link that leads nowhere and a pipe. Each comes
// with its description and plants afresh when called.
std::vector<std::pair<std::string, std::function<void()>>> non_regolari_in(
    const std::filesystem::path& cartella, const std::string& nome,
    const std::filesystem::path& esterno);

}  // namespace ftes::test
