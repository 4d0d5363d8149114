#include "platform/file_system.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <filesystem>

#include "support/cartella_temporanea.h"
#include "support/piantati.h"

namespace ftes::platform {
namespace {

namespace fs = std::filesystem;

const unsigned char* byte(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}

std::size_t voci(const fs::path& cartella) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(cartella), fs::directory_iterator()));
}

TEST(FirstRegularFile, SkipsHiddenFilesFoldersAndAnythingNotARegularFile) {
    test::CartellaTemporanea dir;
    EXPECT_EQ(first_regular_file(dir.prefisso()), std::nullopt);
    dir.scrivi(".hidden", "x");
    dir.crea_cartella("sub");
    test::pianta_non_regolari(dir.percorso());  // devices, pipes, dangling links where possible
    EXPECT_EQ(first_regular_file(dir.prefisso()), std::nullopt);
    dir.scrivi("only.TXT", "x");
    EXPECT_EQ(first_regular_file(dir.prefisso()), "only.TXT");
    EXPECT_EQ(first_regular_file(dir.prefisso("missing")), std::nullopt);
}

TEST(InputFile, OpensRegularFilesOnlyAndSaysWhyNot) {
    test::CartellaTemporanea dir;
    dir.scrivi("file.txt", "abc");
    dir.crea_cartella("folder.txt");
    EXPECT_TRUE(InputFile((dir.percorso() / "file.txt").string()).is_open());
    EXPECT_EQ(InputFile((dir.percorso() / "none.txt").string()).failure(), OpenFailure::missing);
    EXPECT_EQ(InputFile((dir.percorso() / "no" / "x.txt").string()).failure(),
              OpenFailure::missing);
    EXPECT_EQ(InputFile((dir.percorso() / "folder.txt").string()).failure(),
              OpenFailure::not_regular);
    for (const fs::path& p : test::pianta_non_regolari(dir.percorso())) {
        const InputFile f(p.string());
        EXPECT_FALSE(f.is_open()) << p;
        EXPECT_NE(f.failure(), OpenFailure::none) << p;
    }
}

TEST(WriteNewFile, ReplacesWhateverStandsAtTheNameWithoutWritingThroughIt) {
    test::CartellaTemporanea dir, altrove;
    const fs::path esterno = altrove.scrivi("precious.txt", "keep me");
    const fs::path bmp = dir.percorso() / "grafico1.bmp";
    const auto piantati = test::non_regolari_in(dir.percorso(), "grafico1.bmp", esterno);
    for (const auto& [cosa, pianta] : piantati) {
        pianta();
        EXPECT_EQ(write_new_file(bmp.string(), std::span(byte("new"), 3)), "") << cosa;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(bmp))) << cosa;
        EXPECT_EQ(test::leggi_file(bmp), "new") << cosa;
        EXPECT_EQ(test::leggi_file(esterno), "keep me") << cosa;
        fs::remove(bmp);
    }
    dir.crea_cartella("grafico1.bmp/sub");  // a folder is never removed
    EXPECT_NE(write_new_file(bmp.string(), std::span(byte("new"), 3)), "");
    EXPECT_TRUE(fs::is_directory(bmp / "sub"));
    EXPECT_NE(write_new_file((dir.percorso() / "missing" / "g.bmp").string(), {}), "");
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
        ASSERT_TRUE(f.commit()) << f.error();
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
    EXPECT_EQ(voci(dir.percorso()), 1u);

    ReplacementFile nowhere((dir.percorso() / "missing" / "x.gif").string(), Durability::flushed);
    EXPECT_FALSE(nowhere.is_open());
    EXPECT_FALSE(nowhere.error().empty());
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
        ASSERT_TRUE(f.write(byte("GIF"), 3) && f.commit()) << cosa << ": " << f.error();
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
        ASSERT_TRUE(f.is_open()) << cosa << ": " << f.error();
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
    EXPECT_NE(secondo.error().find("another run"), std::string::npos) << secondo.error();
    ASSERT_TRUE(primo.commit());
    EXPECT_EQ(test::leggi_file(target), "first");
}

TEST(FileLock, OneHolderAtATimeAndReadersAreNotKeptOut) {
    test::CartellaTemporanea dir;
    const std::string ini = dir.scrivi("varnel.ini", "x").string();
    {
        FileLock primo(ini, std::chrono::milliseconds(0));
        ASSERT_TRUE(primo.locked());
        FileLock secondo(ini, std::chrono::milliseconds(50));
        EXPECT_FALSE(secondo.locked());
        EXPECT_EQ(read_whole_file(ini, 10), std::vector<unsigned char>{'x'});
    }
    EXPECT_TRUE(FileLock(ini, std::chrono::milliseconds(0)).locked());
    EXPECT_FALSE(
        FileLock((dir.percorso() / "none").string(), std::chrono::milliseconds(0)).locked());
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
    EXPECT_EQ(write_new_file(cartella + "grafico1.bmp", std::span(byte("BM"), 2)), "");
    ReplacementFile f(nome, Durability::flushed);
    ASSERT_TRUE(f.write(byte("GIF"), 3) && f.commit()) << f.error();
    EXPECT_EQ(read_whole_file(nome, 10), (std::vector<unsigned char>{'G', 'I', 'F'}));
    const auto primo = first_regular_file(cartella);
    ASSERT_TRUE(primo);
    EXPECT_TRUE(*primo == "grafico1.bmp" || *primo == "Stazione \xC3\xA8 \xE2\x82\xAC.gif")
        << *primo;
    EXPECT_TRUE(remove_file(cartella + "grafico1.bmp"));
    EXPECT_TRUE(remove_file(nome));
    EXPECT_EQ(first_regular_file(cartella), std::nullopt);
}

TEST(WindowsPaths, AFileLockedByAnotherProgramIsRefusedNotWaitedFor) {
    test::CartellaTemporanea dir;
    const fs::path p = dir.scrivi("CN12A_20250050715.TXT", "Cind");
    const HANDLE bloccato = CreateFileW(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(bloccato, INVALID_HANDLE_VALUE);
    const InputFile f(p.string());
    EXPECT_FALSE(f.is_open());
    EXPECT_EQ(f.failure(), OpenFailure::refused);
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
