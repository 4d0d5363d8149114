#include "platform/file_system.h"

#include <gtest/gtest.h>

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
        ASSERT_EQ(::write(f.descriptor(), "new", 3), 3);
        EXPECT_EQ(test::leggi_file(target), "old");
        ASSERT_TRUE(f.commit());
    }
    EXPECT_EQ(test::leggi_file(target), "new");
    {
        ReplacementFile f(target.string());
        ASSERT_EQ(::write(f.descriptor(), "abandoned", 9), 9);
    }  // not committed
    EXPECT_EQ(test::leggi_file(target), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.percorso()), fs::directory_iterator()), 1);

    ReplacementFile nowhere((dir.percorso() / "missing" / "x.gif").string());
    EXPECT_FALSE(nowhere.is_open());
    EXPECT_FALSE(nowhere.commit());
}

}  // namespace
}  // namespace ftes::platform
