// SPDX-License-Identifier: MIT
#include "platform/file_system.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <thread>

#include "support/cartella_temporanea.h"
#include "support/piantati.h"
#include "support/processo.h"

namespace ftes::platform {
namespace {

namespace fs = std::filesystem;

const unsigned char* byte(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}

std::vector<std::string> elenca(const std::string& cartella) {
    std::vector<std::string> nomi;
    FolderListing elenco(cartella);
    while (const auto n = elenco.next_regular_file()) nomi.push_back(*n);
    EXPECT_FALSE(elenco.error());
    return nomi;
}

TEST(FolderListing, SkipsHiddenFilesFoldersAndAnythingNotARegularFile) {
    test::CartellaTemporanea dir;
    EXPECT_EQ(elenca(dir.prefisso()), std::vector<std::string>{});
    dir.scrivi(".hidden", "x");
    dir.crea_cartella("sub");
    test::pianta_non_regolari(dir.percorso());  // devices, pipes, dangling links where possible
    EXPECT_EQ(elenca(dir.prefisso()), std::vector<std::string>{});
    dir.scrivi("one.TXT", "x");
    dir.scrivi("two.TXT", "x");
    auto nomi = elenca(dir.prefisso());
    std::sort(nomi.begin(), nomi.end());
    EXPECT_EQ(nomi, (std::vector<std::string>{"one.TXT", "two.TXT"}));
}

TEST(FolderListing, AFolderThatIsNotThereIsNotAnEmptyOne) {
    test::CartellaTemporanea dir;
    dir.scrivi("file", "x");
    for (const std::string& cartella : {dir.prefisso("missing"), dir.prefisso() + "file/"}) {
        FolderListing elenco(test::nativo(cartella));
        EXPECT_FALSE(elenco.is_open()) << cartella;
        ASSERT_TRUE(elenco.error()) << cartella;
        EXPECT_NE(elenco.error()->text, "") << cartella;
        EXPECT_EQ(elenco.error()->path, test::nativo(cartella));
        EXPECT_EQ(elenco.next_regular_file(), std::nullopt) << cartella;
    }
}

TEST(RegularFileExists, OnlyARegularFileItselfNotALinkOrFolder) {
    test::CartellaTemporanea dir;
    const fs::path file = dir.scrivi("2025005.gif", "GIF");
    dir.crea_cartella("folder");
    EXPECT_TRUE(regular_file_exists(file.string()));
    EXPECT_FALSE(regular_file_exists((dir.percorso() / "none.gif").string()));
    EXPECT_FALSE(regular_file_exists((dir.percorso() / "folder").string()));
    EXPECT_TRUE(folder_exists((dir.percorso() / "folder").string()));
    EXPECT_FALSE(folder_exists(file.string()));
#ifndef _WIN32
    fs::create_symlink(file, dir.percorso() / "link.gif");
    EXPECT_FALSE(regular_file_exists((dir.percorso() / "link.gif").string()));
#endif
}

TEST(RemoveLeftTemporaries, RemovesOnlyTheNamesAskedForThatNoLiveRunIsWriting) {
    test::CartellaTemporanea dir;
    dir.scrivi(".2017143.gif.tmp", "left by a killed backfill");
    dir.scrivi("2017143.gif", "an archive copy");
    dir.scrivi(".other.tmp", "not ours");
    ReplacementFile vivo((dir.percorso() / "2017144.gif").string(), Durability::ordinary);
    ASSERT_TRUE(vivo.is_open());
    const auto nostro = [](std::string_view n) {
        return n.size() == 16 && n.starts_with(".2017") && n.ends_with(".gif.tmp");
    };
    EXPECT_EQ(remove_left_temporaries(dir.prefisso(), nostro), 1);
    EXPECT_FALSE(fs::exists(dir.percorso() / ".2017143.gif.tmp"));
    EXPECT_TRUE(fs::exists(dir.percorso() / ".2017144.gif.tmp"));  // a live run's
    EXPECT_TRUE(fs::exists(dir.percorso() / ".other.tmp"));
    EXPECT_TRUE(fs::exists(dir.percorso() / "2017143.gif"));
}

TEST(InputFile, OpensRegularFilesOnlyAndSaysWhyNot) {
    test::CartellaTemporanea dir;
    dir.scrivi("file.txt", "abc");
    dir.crea_cartella("folder.txt");
    EXPECT_TRUE(InputFile((dir.percorso() / "file.txt").string()).is_open());
    const auto errore = [&](const char* nome) {
        return *InputFile((dir.percorso() / nome).string()).error();
    };
    EXPECT_TRUE(errore("none.txt").absent);
    EXPECT_EQ(errore("none.txt").text, "not found");
    EXPECT_FALSE(errore("folder.txt").absent);
    EXPECT_EQ(errore("folder.txt").text, "not a regular file (a folder, device or pipe)");
    EXPECT_TRUE(InputFile((dir.percorso() / "no" / "x.txt").string()).error()->absent);
    for (const fs::path& p : test::pianta_non_regolari(dir.percorso())) {
        const InputFile f(p.string());
        EXPECT_FALSE(f.is_open()) << p;
        ASSERT_TRUE(f.error()) << p;
        EXPECT_NE(f.error()->text, "") << p;
    }
}

TEST(WriteNewFile, ReplacesWhateverStandsAtTheNameWithoutWritingThroughIt) {
    test::CartellaTemporanea dir, altrove;
    const fs::path esterno = altrove.scrivi("precious.txt", "keep me");
    const fs::path bmp = dir.percorso() / "grafico1.bmp";
    const auto piantati = test::non_regolari_in(dir.percorso(), "grafico1.bmp", esterno);
    for (const auto& [cosa, pianta] : piantati) {
        pianta();
        EXPECT_TRUE(write_new_file(bmp.string(), std::span(byte("new"), 3))) << cosa;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(bmp))) << cosa;
        EXPECT_EQ(test::leggi_file(bmp), "new") << cosa;
        EXPECT_EQ(test::leggi_file(esterno), "keep me") << cosa;
        fs::remove(bmp);
    }
    dir.crea_cartella("grafico1.bmp/sub");  // a folder is never removed
    EXPECT_FALSE(write_new_file(bmp.string(), std::span(byte("new"), 3)));
    EXPECT_TRUE(fs::is_directory(bmp / "sub"));
    const auto nessuna = write_new_file((dir.percorso() / "missing" / "g.bmp").string(), {});
    ASSERT_FALSE(nessuna);
    EXPECT_EQ(nessuna.error().path, (dir.percorso() / "missing" / "g.bmp").string());
#ifdef _WIN32
    const int cartella_mancante = ERROR_PATH_NOT_FOUND;
#else
    const int cartella_mancante = ENOENT;
#endif
    EXPECT_EQ(nessuna.error().text, test::testo_errore_sistema(cartella_mancante));
}

TEST(ReplacementFile, TargetChangesOnlyOnCommitAndNoTemporaryIsLeft) {
    test::CartellaTemporanea dir;
    const fs::path target = dir.scrivi("chart.gif", "old");
    for (const auto& [d, testo] :
         {std::pair{Durability::ordinary, "new"}, {Durability::flushed, "two"}}) {
        const std::string prima = test::leggi_file(target);
        ReplacementFile f(target.string(), d);
        ASSERT_TRUE(f.is_open());
        EXPECT_EQ(f.temporary_path(), (dir.percorso() / ".chart.gif.tmp").string());
        ASSERT_TRUE(f.write(byte(testo), 3));
        EXPECT_EQ(test::leggi_file(target), prima);
        ASSERT_TRUE(f.commit());
        EXPECT_EQ(test::leggi_file(target), testo);
    }
#ifndef _WIN32
    // Readable by the web server as any file the umask allows, not private to the batch.
    const mode_t mask = ::umask(022);
    {
        ReplacementFile f(target.string(), Durability::ordinary);
        ASSERT_TRUE(f.commit());
    }
    ::umask(mask);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
#endif
    const std::string prima = test::leggi_file(target);
    {
        ReplacementFile f(target.string(), Durability::ordinary);
        ASSERT_TRUE(f.write(byte("abandoned"), 9));
    }  // not committed
    EXPECT_EQ(test::leggi_file(target), prima);
    EXPECT_EQ(test::nomi_in(dir.percorso()).size(), 1u);

    ReplacementFile nowhere((dir.percorso() / "missing" / "x.gif").string(), Durability::flushed);
    EXPECT_FALSE(nowhere.is_open());
    const auto scritto = nowhere.write(byte("x"), 1);
    ASSERT_FALSE(scritto);
    EXPECT_EQ(scritto.error().path, (dir.percorso() / "missing" / "x.gif").string());
    EXPECT_FALSE(nowhere.commit());
}

TEST(ReplacementFile, ALinkAtTheTargetIsReplacedNotFollowed) {
    test::CartellaTemporanea dir, altrove;
    const fs::path esterno = altrove.scrivi("precious.gif", "keep me");
    const fs::path target = dir.percorso() / "plotftEs1.gif";
    for (const auto& [cosa, pianta] :
         test::non_regolari_in(dir.percorso(), "plotftEs1.gif", esterno)) {
        pianta();
        ReplacementFile f(target.string(), Durability::ordinary);
        ASSERT_TRUE(f.write(byte("GIF"), 3) && f.commit()) << cosa;
        EXPECT_EQ(test::leggi_file(target), "GIF") << cosa;
        EXPECT_EQ(test::leggi_file(esterno), "keep me") << cosa;
        fs::remove(target);
    }
}

TEST(ReplacementFile, ATemporaryLeftByAKilledRunIsRemadeOneInUseIsLeftAlone) {
    test::CartellaTemporanea dir, altrove;
    const fs::path target = dir.percorso() / "2025005.gif";
    const std::string temp = temporary_name(target.string());
    // Left behind: half a GIF nobody is writing, then (where links are) a link planted at the
    // temporary name.
    dir.scrivi(".2025005.gif.tmp", "half a GI");
    const fs::path esterno = altrove.scrivi("precious", "keep me");
    for (const auto& [cosa, pianta] :
         test::non_regolari_in(dir.percorso(), ".2025005.gif.tmp", esterno)) {
        ReplacementFile f(target.string(), Durability::flushed);
        ASSERT_TRUE(f.is_open()) << cosa;
        ASSERT_TRUE(f.write(byte("whole"), 5) && f.commit());
        EXPECT_EQ(test::leggi_file(target), "whole");
        EXPECT_FALSE(fs::exists(fs::symlink_status(temp))) << cosa;
        pianta();
    }
    EXPECT_EQ(test::leggi_file(esterno), "keep me");
    fs::remove(temp);

    // In use: a second writer of the same chart fails and leaves the first one's file alone.
    ReplacementFile primo(target.string(), Durability::ordinary);
    ASSERT_TRUE(primo.write(byte("first"), 5));
    ReplacementFile secondo(target.string(), Durability::ordinary);
    EXPECT_FALSE(secondo.is_open());
    const auto rifiutato = secondo.write(byte("second"), 6);
    ASSERT_FALSE(rifiutato);
    EXPECT_NE(rifiutato.error().text.find("another run"), std::string::npos);
    ASSERT_TRUE(primo.commit());
    EXPECT_EQ(test::leggi_file(target), "first");
}

TEST(StationLock, OneHolderAtATimeAndReadersAreNotKeptOut) {
    test::CartellaTemporanea dir;
    const std::string ini = dir.scrivi("varnel.ini", "x").string();
    {
        StationLock primo(ini), secondo(ini);
        ASSERT_TRUE(primo.acquire(std::chrono::milliseconds(0)));
        EXPECT_FALSE(secondo.acquire(std::chrono::milliseconds(50)));
        EXPECT_EQ(*read_whole_file(ini, 10), std::vector<unsigned char>{'x'});
        primo.release();
        EXPECT_TRUE(secondo.acquire(std::chrono::milliseconds(0)));
    }
    EXPECT_TRUE(StationLock(ini).acquire(std::chrono::milliseconds(0)));
    const StationLock assente((dir.percorso() / "none").string());
    EXPECT_FALSE(assente.is_open());
    EXPECT_TRUE(assente.error()->absent);
}

TEST(StationLock, ARunThatWaitsGetsInBetweenTheDaysOfABackfill) {
    test::CartellaTemporanea dir;
    const std::string ini = dir.scrivi("varnel.ini", "x").string();
    StationLock recupero(ini);
    ASSERT_TRUE(recupero.acquire(std::chrono::milliseconds(0)));
    std::atomic<bool> entrato{false};
    std::thread giornaliera([&] {
        StationLock turno(ini);
        entrato = turno.acquire(std::chrono::seconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    // The backfill gives its turn back after each day and asks again at once, as it does.
    const auto fine = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int giorni = 0;
    while (!entrato && std::chrono::steady_clock::now() < fine) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));  // one day's chart
        recupero.release();
        ASSERT_TRUE(recupero.acquire(std::chrono::seconds(10)));
        ++giorni;
    }
    giornaliera.join();
    EXPECT_TRUE(entrato.load());
    EXPECT_LT(giorni, 5);
}

#ifdef _WIN32

TEST(WindowsPaths, PastMaxPathAndNamesInAnyLetter) {
    test::CartellaTemporanea dir;
    // Folders nested past MAX_PATH, made through the long form the program uses too.
    std::wstring lunga = L"\\\\?\\" + dir.percorso().wstring();
    std::string cartella = dir.prefisso();
    for (int i = 0; i < 6; ++i) {
        const std::string nome = "folder-of-fifty-characters-to-pass-max-path-" + std::to_string(i);
        lunga += L"\\" + test::percorso_utf8(nome).wstring();
        ASSERT_TRUE(CreateDirectoryW(lunga.c_str(), nullptr));
        cartella += nome + "\\";
    }
    ASSERT_GT(cartella.size(), 300u);
    const std::string nome = cartella + "Stazione \xC3\xA8 \xE2\x82\xAC.gif";  // è and €
    EXPECT_TRUE(write_new_file(cartella + "grafico1.bmp", std::span(byte("BM"), 2)));
    ReplacementFile f(nome, Durability::flushed);
    ASSERT_TRUE(f.write(byte("GIF"), 3) && f.commit());
    EXPECT_EQ(*read_whole_file(nome, 10), (std::vector<unsigned char>{'G', 'I', 'F'}));
    auto nomi = elenca(cartella);
    std::sort(nomi.begin(), nomi.end());
    EXPECT_EQ(nomi,
              (std::vector<std::string>{"Stazione \xC3\xA8 \xE2\x82\xAC.gif", "grafico1.bmp"}));
    EXPECT_TRUE(remove_file(cartella + "grafico1.bmp"));
    EXPECT_TRUE(remove_file(nome));
    EXPECT_EQ(elenca(cartella), std::vector<std::string>{});
}

TEST(WindowsPaths, AFileLockedByAnotherProgramIsRefusedNotWaitedFor) {
    test::CartellaTemporanea dir;
    const fs::path p = dir.scrivi("CN12A_20250050715.TXT", "Cind");
    const HANDLE bloccato = CreateFileW(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(bloccato, INVALID_HANDLE_VALUE);
    const InputFile f(p.string());
    EXPECT_FALSE(f.is_open());
    // The system's own words: a sharing violation.
    EXPECT_FALSE(f.error()->absent);
    EXPECT_EQ(f.error()->text, test::testo_errore_sistema(ERROR_SHARING_VIOLATION));
    CloseHandle(bloccato);
    EXPECT_TRUE(InputFile(p.string()).is_open());
}

TEST(WindowsText, TheAnsiCodePageBecomesUtf8) {
    if (GetACP() != 1252) GTEST_SKIP() << "the example is in Windows-1252";
    EXPECT_EQ(ansi_to_utf8("caf\xE8 \x80 plain"), "caf\xC3\xA8 \xE2\x82\xAC plain");
}

#endif

}  // namespace
}  // namespace ftes::platform
