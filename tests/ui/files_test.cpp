#include "ui/files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quillet {
namespace {

namespace fs = std::filesystem;

class Folder : public ::testing::Test {
protected:
    void SetUp() override {
        root =
            fs::temp_directory_path() /
            ("quillet-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    std::string path(const std::string& name) const { return JoinPath(root.string(), name); }
    fs::path root;
};

TEST_F(Folder, WriteReplacesAndReadGivesTheSameBytes) {
    Bytes bytes("a\0b\xff", 4);
    WriteFileBytes(path("x.bin"), "longer content first");
    WriteFileBytes(path("x.bin"), bytes);
    EXPECT_EQ(ReadFileBytes(path("x.bin")), bytes);
    EXPECT_EQ(ReadFileBytes(path("missing.bin")), "");
}

TEST_F(Folder, CreateFolderKeepsAnExistingFolder) {
    CreateFolder(path("主图"));
    WriteFileBytes(path("主图/001.jpg"), "x");
    CreateFolder(path("主图"));
    EXPECT_EQ(ReadFileBytes(path("主图/001.jpg")), "x");
}

TEST_F(Folder, FindFirstMatchingFileMatchesWildcardsOnWholeNames) {
    WriteFileBytes(path("002.png"), "p");
    WriteFileBytes(path("001.jpg"), "j");
    WriteFileBytes(path("0010.jpg"), "x");
    CreateFolder(path("003.dir"));
    EXPECT_EQ(FindFirstMatchingFile(path("001.*")), "001.jpg");
    EXPECT_EQ(FindFirstMatchingFile(path("002.*")), "002.png");
    EXPECT_EQ(FindFirstMatchingFile(path("003.*")), "");  // folders are not files
    EXPECT_EQ(FindFirstMatchingFile(path("*.png")), "002.png");
    EXPECT_EQ(FindFirstMatchingFile(path("nothing/001.*")), "");
}

TEST(SafeNames, NetworkNamesCannotLeaveTheirFolder) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"新款 连衣裙", "新款 连衣裙"},
        {"../../etc", ".._.._etc"},
        {"a/b\\c", "a_b_c"},
        {"..", "_.."},
        {".", "_."},
        {"", "_"},
        {std::string("nul\0name\n", 9), "nul_name_"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SafeFileName(c.in), c.out) << c.in;
    }
    std::string longName;
    for (int i = 0; i < 100; ++i) {
        longName += "图";  // three bytes each
    }
    std::string cut = SafeFileName(longName);
    EXPECT_LE(cut.size(), 255u);
    EXPECT_EQ(cut.size() % 3, 0u);  // never cut inside a character
}

TEST(SafeNames, ExtensionKeepsLeadingLettersAndDigits) {
    EXPECT_EQ(SafeExtension("jpg?x=1"), "jpg");
    EXPECT_EQ(SafeExtension("png"), "png");
    EXPECT_EQ(SafeExtension("/../x"), "");
    EXPECT_EQ(SafeExtension("webp_q90"), "webp");
}

TEST(ProgramFolderRule, IsTheExecutableFolderWhenWritable) {
    // Tests run as a writable build tree, so the executable's own folder is chosen.
    EXPECT_EQ(ProgramFolder(), fs::read_symlink("/proc/self/exe").parent_path().string());
}

}  // namespace
}  // namespace quillet
