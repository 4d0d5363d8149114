// SPDX-License-Identifier: MIT
#include "platform/file_system.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <set>
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
    auto elenco = FolderListing::open(cartella);
    EXPECT_TRUE(elenco) << cartella;
    if (!elenco) return nomi;
    for (;;) {
        auto n = elenco->next_regular_file();
        EXPECT_TRUE(n);
        if (!n || !*n) return nomi;
        nomi.push_back(**n);
    }
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
        const auto elenco = FolderListing::open(test::nativo(cartella));
        ASSERT_FALSE(elenco) << cartella;
        EXPECT_NE(elenco.error().text, "") << cartella;
        EXPECT_EQ(elenco.error().path, test::nativo(cartella));
    }
}

TEST(Kind, WhatStandsAtAPathItselfOrWhereItLeads) {
    test::CartellaTemporanea dir;
    const fs::path file = dir.scrivi("2025005.gif", "GIF");
    dir.crea_cartella("folder");
    EXPECT_EQ(*kind_at(file.string()), Kind::regular);
    EXPECT_EQ(*kind_at((dir.percorso() / "none.gif").string()), Kind::absent);
    EXPECT_EQ(*kind_at((dir.percorso() / "none" / "x.gif").string()), Kind::absent);
    EXPECT_EQ(*kind_at((dir.percorso() / "folder").string()), Kind::folder);
    EXPECT_EQ(*kind_of_target((dir.percorso() / "folder").string()), Kind::folder);
#ifndef _WIN32
    fs::create_symlink(file, dir.percorso() / "link.gif");
    fs::create_directory_symlink(dir.percorso() / "folder", dir.percorso() / "link");
    EXPECT_EQ(*kind_at((dir.percorso() / "link.gif").string()), Kind::link);
    EXPECT_EQ(*kind_of_target((dir.percorso() / "link").string()), Kind::folder);
    ::mkfifo((dir.percorso() / "pipe").c_str(), 0600);
    EXPECT_EQ(*kind_at((dir.percorso() / "pipe").string()), Kind::other);
    // A folder the system will not look into: its words, never "not there".
    if (::geteuid() != 0) {
        fs::permissions(dir.percorso() / "folder", fs::perms::none);
        const auto chiusa = kind_at((dir.percorso() / "folder" / "x").string());
        fs::permissions(dir.percorso() / "folder", fs::perms::owner_all);
        ASSERT_FALSE(chiusa);
        EXPECT_EQ(chiusa.error().text, test::testo_errore_sistema(EACCES));
    }
#endif
}

TEST(InputFile, OpensRegularFilesOnlyAndSaysWhyNot) {
    test::CartellaTemporanea dir;
    dir.scrivi("file.txt", "abc");
    dir.crea_cartella("folder.txt");
    EXPECT_TRUE(InputFile::open((dir.percorso() / "file.txt").string()));
    const auto errore = [&](const char* nome) {
        return InputFile::open((dir.percorso() / nome).string()).error();
    };
    EXPECT_TRUE(errore("none.txt").absent);
    EXPECT_EQ(errore("none.txt").text, "not found");
    EXPECT_FALSE(errore("folder.txt").absent);
    EXPECT_EQ(errore("folder.txt").text, "not a regular file (a folder, device or pipe)");
    EXPECT_TRUE(errore("no/x.txt").absent);
    for (const fs::path& p : test::pianta_non_regolari(dir.percorso())) {
        const auto f = InputFile::open(p.string());
        ASSERT_FALSE(f) << p;
        EXPECT_NE(f.error().text, "") << p;
    }
}

TEST(InputFile, ALinkIsFollowedOnlyWhereLinksAreTaken) {
#ifdef _WIN32
    GTEST_SKIP() << "links need privileges on Windows";
#else
    test::CartellaTemporanea dir, altrove;
    const fs::path segreto = altrove.scrivi("shadow", "secret");
    fs::create_symlink(segreto, dir.percorso() / "ftes-charts.log");
    const std::string log = (dir.percorso() / "ftes-charts.log").string();
    EXPECT_TRUE(InputFile::open(log, Links::follow));
    const auto rifiutato = InputFile::open(log, Links::refuse);
    ASSERT_FALSE(rifiutato);
    EXPECT_EQ(rifiutato.error().text, link_refused_text);
    EXPECT_FALSE(read_whole_file(log, 100, Links::refuse));
    EXPECT_FALSE(read_file_end(log, 100, Links::refuse));
#endif
}

TEST(ReadFileEnd, AllOfASmallFileTheLastBytesOfALargeOne) {
    test::CartellaTemporanea dir;
    const std::string p = dir.scrivi("log", "0123456789").string();
    const auto tutto = read_file_end(p, 10, Links::refuse);
    ASSERT_TRUE(tutto);
    EXPECT_EQ(as_text(tutto->bytes), "0123456789");
    EXPECT_FALSE(tutto->cut);
    const auto fine = read_file_end(p, 4, Links::refuse);
    ASSERT_TRUE(fine);
    EXPECT_EQ(as_text(fine->bytes), "6789");
    EXPECT_TRUE(fine->cut);
    EXPECT_TRUE(read_file_end((dir.percorso() / "none").string(), 4, Links::refuse).error().absent);
}

TEST(CreateNewFile, WritesOnlyWhereNothingStands) {
    test::CartellaTemporanea dir, altrove;
    const fs::path esterno = altrove.scrivi("precious.txt", "keep me");
    const fs::path bmp = dir.percorso() / "grafico1.bmp";
    EXPECT_TRUE(create_new_file(bmp.string(), std::span(byte("new"), 3)));
    EXPECT_EQ(test::leggi_file(bmp), "new");
    fs::remove(bmp);
    for (const auto& [cosa, pianta] :
         test::non_regolari_in(dir.percorso(), "grafico1.bmp", esterno)) {
        pianta();
        EXPECT_FALSE(create_new_file(bmp.string(), std::span(byte("new"), 3))) << cosa;
        EXPECT_EQ(test::leggi_file(esterno), "keep me") << cosa;
        fs::remove(bmp);
    }
    const auto nessuna = create_new_file((dir.percorso() / "missing" / "g.bmp").string(), {});
    ASSERT_FALSE(nessuna);
    EXPECT_EQ(nessuna.error().path, (dir.percorso() / "missing" / "g.bmp").string());
#ifdef _WIN32
    const int cartella_mancante = ERROR_PATH_NOT_FOUND;
#else
    const int cartella_mancante = ENOENT;
#endif
    EXPECT_EQ(nessuna.error().text, test::testo_errore_sistema(cartella_mancante));
}

TEST(TemporaryNames, EachRunItsOwnAndTheTargetKnownAgain) {
    const std::string mark = run_mark();
    EXPECT_TRUE(is_run_mark(mark));
    EXPECT_EQ(run_mark(), mark);  // one mark a run
    EXPECT_EQ(temporary_name(test::nativo("web/plotftEs1.gif")),
              test::nativo("web/.plotftEs1.gif." + mark + ".tmp"));
    EXPECT_EQ(target_of_temporary(".plotftEs1.gif." + mark + ".tmp"), "plotftEs1.gif");
    EXPECT_EQ(target_of_temporary(".2025005.gif.tmp"), "2025005.gif");  // runs before marks
    EXPECT_EQ(target_of_temporary(".ftes-charts.lock"), std::nullopt);
    EXPECT_EQ(target_of_temporary("plotftEs1.gif"), std::nullopt);
    EXPECT_EQ(target_of_temporary("..tmp"), std::nullopt);
    EXPECT_FALSE(is_run_mark("0123456789ABCDEF"));
    EXPECT_FALSE(is_run_mark("0123456789abcde"));
}

bool un_nostro(std::string_view n) {
    const auto t = target_of_temporary(n);
    return t && t->starts_with("2017");
}

TEST(SweepTemporaries, RemovesWhatKilledRunsLeftAndNothingALiveRunIsWriting) {
    test::CartellaTemporanea dir;
    dir.scrivi(".2017143.gif.tmp", "left by a killed run of an earlier version");
    dir.scrivi(".2017145.gif.0123456789abcdef.tmp", "left by a killed run");
    dir.scrivi("2017143.gif", "an archive copy");
    dir.scrivi(".other.tmp", "not ours");
    auto vivo =
        ReplacementFile::create((dir.percorso() / "2017144.gif").string(), Durability::ordinary);
    ASSERT_TRUE(vivo);
    const auto spazzata = sweep_temporaries(dir.prefisso(), un_nostro);
    ASSERT_TRUE(spazzata);
    EXPECT_EQ(spazzata->removed, 2);
    EXPECT_TRUE(spazzata->left.empty());
    EXPECT_EQ(
        test::nomi_in(dir.percorso()),
        (std::set<std::string>{"2017143.gif", ".other.tmp",
                               fs::path(temporary_name((dir.percorso() / "2017144.gif").string()))
                                   .filename()
                                   .string()}));

    // A folder at a temporary name goes when it is empty, and is named with its fix otherwise.
    dir.crea_cartella(".2017146.gif.tmp");
    dir.crea_cartella(".2017147.gif.tmp/inside");
    const auto cartelle = sweep_temporaries(dir.prefisso(), un_nostro);
    ASSERT_TRUE(cartelle);
    EXPECT_EQ(cartelle->removed, 1);
    ASSERT_EQ(cartelle->left.size(), 1u);
    EXPECT_NE(cartelle->left[0].text.find("not empty"), std::string::npos);
    EXPECT_NE(cartelle->left[0].text.find("fix: remove it"), std::string::npos);
    EXPECT_FALSE(sweep_temporaries(dir.prefisso("missing"), un_nostro));
}

TEST(ReplacementFile, TargetChangesOnlyOnCommitAndNoTemporaryIsLeft) {
    test::CartellaTemporanea dir;
    const fs::path target = dir.scrivi("chart.gif", "old");
    for (const auto& [d, testo] :
         {std::pair{Durability::ordinary, "new"}, {Durability::flushed, "two"}}) {
        const std::string prima = test::leggi_file(target);
        auto f = ReplacementFile::create(target.string(), d);
        ASSERT_TRUE(f);
        EXPECT_TRUE(fs::exists(temporary_name(target.string())));
        ASSERT_TRUE(f->write(byte(testo), 3));
        EXPECT_EQ(test::leggi_file(target), prima);
        const auto posto = f->commit();
        ASSERT_TRUE(posto);
        EXPECT_FALSE(posto->not_flushed);
        EXPECT_EQ(test::leggi_file(target), testo);
    }
#ifndef _WIN32
    // Readable by the web server as any file the umask allows, not private to the batch.
    const mode_t mask = ::umask(022);
    {
        auto f = ReplacementFile::create(target.string(), Durability::ordinary);
        ASSERT_TRUE(f && f->commit());
    }
    ::umask(mask);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
#endif
    const std::string prima = test::leggi_file(target);
    {
        auto f = ReplacementFile::create(target.string(), Durability::ordinary);
        ASSERT_TRUE(f && f->write(byte("abandoned"), 9));
    }  // not committed
    EXPECT_EQ(test::leggi_file(target), prima);
    EXPECT_EQ(test::nomi_in(dir.percorso()).size(), 1u);

    const auto nowhere = ReplacementFile::create((dir.percorso() / "missing" / "x.gif").string(),
                                                 Durability::flushed);
    ASSERT_FALSE(nowhere);
    EXPECT_EQ(nowhere.error().path, (dir.percorso() / "missing" / "x.gif").string());
}

TEST(ReplacementFile, ALinkAtTheTargetIsReplacedNotFollowed) {
    test::CartellaTemporanea dir, altrove;
    const fs::path esterno = altrove.scrivi("precious.gif", "keep me");
    const fs::path target = dir.percorso() / "plotftEs1.gif";
    for (const auto& [cosa, pianta] :
         test::non_regolari_in(dir.percorso(), "plotftEs1.gif", esterno)) {
        pianta();
        ASSERT_TRUE(replace_file(target.string(), "GIF", Durability::ordinary)) << cosa;
        EXPECT_EQ(test::leggi_file(target), "GIF") << cosa;
        EXPECT_EQ(test::leggi_file(esterno), "keep me") << cosa;
        fs::remove(target);
    }
}

TEST(Turn, OneHolderAtATimeForAFolderNamedAnyWay) {
    test::CartellaTemporanea dir;
    dir.crea_cartella("base");
    dir.crea_cartella("web");
    const std::string base = dir.prefisso("base"), web = dir.prefisso("web");
    {
        Turn primo = Turn::open({base, web});
        // The same folder named again, and through another path: one turn.
        Turn secondo = Turn::open({test::nativo(dir.prefisso() + "web/../web/"), base, base});
        EXPECT_EQ(secondo.paths().size(), 2u);
        ASSERT_TRUE(*primo.acquire(std::chrono::milliseconds(0)));
        EXPECT_FALSE(*secondo.acquire(std::chrono::milliseconds(50)));
        // Only the web folder in common is enough to wait.
        Turn solo_web = Turn::open({web});
        EXPECT_FALSE(*solo_web.acquire(std::chrono::milliseconds(0)));
        primo.release();
        EXPECT_TRUE(*secondo.acquire(std::chrono::milliseconds(0)));
    }
    EXPECT_TRUE(*Turn::open({base}).acquire(std::chrono::milliseconds(0)));
    // A folder whose turn file cannot be made is left out, and named.
    Turn senza = Turn::open({dir.prefisso("missing"), base});
    ASSERT_EQ(senza.left_out().size(), 1u);
    EXPECT_EQ(senza.paths().size(), 1u);
    EXPECT_TRUE(*senza.acquire(std::chrono::milliseconds(0)));
}

TEST(Turn, ARunThatWaitsGetsInBetweenTheDaysOfABackfill) {
    test::CartellaTemporanea dir;
    const std::string base = dir.prefisso();
    Turn recupero = Turn::open({base});
    ASSERT_TRUE(*recupero.acquire(std::chrono::milliseconds(0)));
    std::atomic<bool> entrato{false};
    std::thread giornaliera([&] {
        Turn turno = Turn::open({base});
        const auto preso = turno.acquire(std::chrono::seconds(10));
        entrato = preso && *preso;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    // The backfill gives its turn back after each day and asks again at once, as it does.
    const auto fine = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int giorni = 0;
    while (!entrato && std::chrono::steady_clock::now() < fine) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));  // one day's chart
        recupero.release();
        ASSERT_TRUE(*recupero.acquire(std::chrono::seconds(10)));
        ++giorni;
    }
    giornaliera.join();
    EXPECT_TRUE(entrato.load());
    EXPECT_LT(giorni, 5);
}

TEST(TryFolder, WritesAndLocksWhereARunCouldAndLeavesNothing) {
    test::CartellaTemporanea dir;
    const Prova prova = try_folder(dir.prefisso());
    EXPECT_TRUE(prova.scrive);
    EXPECT_TRUE(prova.blocca);
    EXPECT_TRUE(test::nomi_in(dir.percorso()).empty());
    const Prova assente = try_folder(dir.prefisso("missing"));
    EXPECT_FALSE(assente.scrive);
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
    EXPECT_TRUE(create_new_file(cartella + "grafico1.bmp", std::span(byte("BM"), 2)));
    ASSERT_TRUE(replace_file(nome, "GIF", Durability::flushed));
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
    const auto f = InputFile::open(p.string());
    ASSERT_FALSE(f);
    // The system's own words: a sharing violation.
    EXPECT_FALSE(f.error().absent);
    EXPECT_EQ(f.error().text, test::testo_errore_sistema(ERROR_SHARING_VIOLATION));
    CloseHandle(bloccato);
    EXPECT_TRUE(InputFile::open(p.string()));
}

TEST(WindowsText, TheAnsiCodePageBecomesUtf8) {
    if (GetACP() != 1252) GTEST_SKIP() << "the example is in Windows-1252";
    EXPECT_EQ(ansi_to_utf8("caf\xE8 \x80 plain"), "caf\xC3\xA8 \xE2\x82\xAC plain");
}

#endif

}  // namespace
}  // namespace ftes::platform
