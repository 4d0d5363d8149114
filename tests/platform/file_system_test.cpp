#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/cartella_temporanea.h"

namespace ftes::platform {
namespace {

namespace fs = std::filesystem;

TEST(FirstRegularFile, SkipsHiddenFilesAndFoldersAndNeedsAFolder) {
    test::CartellaTemporanea dir;
    EXPECT_EQ(first_regular_file(dir.prefisso()), std::nullopt);
    dir.scrivi(".hidden", "x");
    dir.crea_cartella("sub");
    EXPECT_EQ(first_regular_file(dir.prefisso()), std::nullopt);
    dir.scrivi("only.TXT", "x");
    EXPECT_EQ(first_regular_file(dir.prefisso()), "only.TXT");
    EXPECT_EQ(first_regular_file(dir.prefisso("missing")), std::nullopt);
}

TEST(ReplacementFile, TargetChangesOnlyOnCommitAndNoTemporaryIsLeft) {
    test::CartellaTemporanea dir;
    const fs::path target = dir.scrivi("chart.gif", "old");
    {
        ReplacementFile f(target.string());
        ASSERT_TRUE(f.is_open());
        ASSERT_TRUE(f.write(reinterpret_cast<const unsigned char*>("new"), 3));
        EXPECT_EQ(test::leggi_file(target), "old");
        ASSERT_TRUE(f.commit());
    }
    EXPECT_EQ(test::leggi_file(target), "new");
    // Readable by the web server as any file the umask allows, not private to the batch.
    const mode_t mask = ::umask(022);
    {
        ReplacementFile f(target.string());
        ASSERT_TRUE(f.commit());
    }
    ::umask(mask);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    {
        ReplacementFile f(target.string());
        ASSERT_TRUE(f.write(reinterpret_cast<const unsigned char*>("abandoned"), 9));
    }  // not committed
    EXPECT_EQ(test::leggi_file(target), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.percorso()), fs::directory_iterator()), 1);

    ReplacementFile nowhere((dir.percorso() / "missing" / "x.gif").string());
    EXPECT_FALSE(nowhere.is_open());
    EXPECT_FALSE(nowhere.commit());
}

TEST(FileLock, OneHolderAtATime) {
    test::CartellaTemporanea dir;
    const std::string ini = dir.scrivi("varnel.ini", "x").string();
    {
        FileLock primo(ini, std::chrono::milliseconds(0));
        ASSERT_TRUE(primo.locked());
        FileLock secondo(ini, std::chrono::milliseconds(50));
        EXPECT_FALSE(secondo.locked());
    }
    EXPECT_TRUE(FileLock(ini, std::chrono::milliseconds(0)).locked());
    EXPECT_FALSE(
        FileLock((dir.percorso() / "none").string(), std::chrono::milliseconds(0)).locked());
}

}  // namespace
}  // namespace ftes::platform
