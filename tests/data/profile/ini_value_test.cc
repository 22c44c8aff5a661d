#include "data/profile/ini_value.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace data {
namespace {

using tarnquill::testing::ReadFileText;
using tarnquill::testing::TempDir;
using tarnquill::testing::WriteFile;

constexpr char kSection[] = "Tarnquill";

TEST(BufferTest, ZeroFillAndCopyStayInsideTheBufferAndCopyCutsOnACharacter) {
  std::array<char, 8> buf;
  buf.fill('x');
  ZeroFillBuffer(buf.data(), 3, 2);
  EXPECT_EQ(std::string(buf.data(), 8), std::string("\0\0xxxxxx", 8));
  ZeroFillBuffer(buf.data(), 3, 0);
  ZeroFillBuffer(buf.data(), 3, -5);
  EXPECT_EQ(buf[2], 'x');
  ZeroFillBuffer(buf.data(), 3, 100);
  EXPECT_EQ(std::string(buf.data(), 8), std::string("\0\0\0\0xxxx", 8));
  // Copying terminates and cuts on a character boundary.
  std::array<char, 12> wide;
  wide.fill('x');
  CopyToBuffer("abc", wide.data(), 7);
  EXPECT_STREQ(wide.data(), "abc");
  EXPECT_EQ(wide[4], 'x') << "only length + 1 bytes are cleared";

  wide.fill('x');
  CopyToBuffer("数据库", wide.data(), 7);  // 9 bytes, 7 usable: two characters fit
  EXPECT_STREQ(wide.data(), "数据");
  EXPECT_EQ(wide[8], 'x') << "nothing past the highest index";

  wide.fill('x');
  CopyToBuffer("abcdefghij", wide.data(), 7);
  EXPECT_STREQ(wide.data(), "abcdefg");
  EXPECT_EQ(wide[8], 'x');
}

class IniValueTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string file = dir.File("Tarnquill.ini");
};

TEST_F(IniValueTest, MissingProfileReadsTheDefaultAndFirstWriteCreatesIt) {
  EXPECT_EQ(ReadIniValue(kSection, "File", "", file), "");
  EXPECT_EQ(ReadIniValue(kSection, "File", "dflt", file), "dflt");
  EXPECT_FALSE(std::filesystem::exists(file)) << "reading never creates the file";
  EXPECT_TRUE(WriteIniValue(kSection, "File", "/data/客户.mdb", file));
  EXPECT_TRUE(WriteIniValue(kSection, "Key", "", file));
  EXPECT_TRUE(WriteIniValue(kSection, "Table", "  spaced  name ", file));
  EXPECT_EQ(ReadFileText(file), "[Tarnquill]\nFile=/data/客户.mdb\nKey=\nTable=  spaced  name \n");
  EXPECT_EQ(ReadIniValue(kSection, "file", "x", file), "/data/客户.mdb");
  EXPECT_EQ(ReadIniValue(kSection, "Key", "x", file), "");
  // Blanks at the ends of a value are the profile functions' to trim.
  EXPECT_EQ(ReadIniValue(kSection, "Table", "", file), "spaced  name");
}

TEST_F(IniValueTest, LongValuesAreLimitedByTheBuffers) {
  const std::string v1023(1023, 'a');
  ASSERT_TRUE(WriteIniValue(kSection, "OldValue", v1023, file));
  EXPECT_EQ(ReadFileText(file), "[Tarnquill]\nOldValue=" + v1023 + "\n") << "written whole";
  EXPECT_EQ(ReadIniValue(kSection, "OldValue", "", file), std::string(1022, 'a'));

  ASSERT_TRUE(WriteIniValue(kSection, "OldValue", std::string(5000, 'b'), file));
  EXPECT_EQ(ReadFileText(file), "[Tarnquill]\nOldValue=" + std::string(1023, 'b') + "\n");

  // 341 three-byte characters are 1023 bytes: written whole, read back as 340.
  std::string chinese;
  for (int i = 0; i < 341; ++i) chinese += "字";
  ASSERT_TRUE(WriteIniValue(kSection, "NewValue", chinese, file));
  const std::string back = ReadIniValue(kSection, "NewValue", "", file);
  EXPECT_EQ(back.size(), 1020u);
  EXPECT_EQ(back, chinese.substr(0, 1020));
  ASSERT_TRUE(WriteIniValue(kSection, "NewValue", chinese + "字", file));
  EXPECT_EQ(ReadIniValue(kSection, "NewValue", "", file), chinese.substr(0, 1020));
}

TEST_F(IniValueTest, FileNameTooLongIsRefusedNotCutAndReadOnlyPlacesFailQuietly) {
  const std::filesystem::path deep = std::filesystem::path(dir.path()) / std::string(200, 'd');
  std::filesystem::create_directories(deep);
  const std::string long_name = (deep / std::string(60, 'f')).string();
  ASSERT_GT(long_name.size(), 255u);
  EXPECT_FALSE(WriteIniValue(kSection, "File", "x", long_name));
  EXPECT_EQ(ReadIniValue(kSection, "File", "dflt", long_name), "dflt");
  EXPECT_TRUE(std::filesystem::is_empty(deep));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
      << "no stray file under a cut name";
  // A read-only file or folder fails quietly.
  WriteFile(file, "[Tarnquill]\nFile=old\n");
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  EXPECT_FALSE(WriteIniValue(kSection, "File", "new", file));
  EXPECT_EQ(ReadIniValue(kSection, "File", "", file), "old");
  // A folder that takes no new file: nothing is made.
  const std::string other = dir.File("Other.ini");
  std::filesystem::permissions(
      dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(WriteIniValue(kSection, "File", "x", other));
  EXPECT_FALSE(std::filesystem::exists(other));
  EXPECT_EQ(ReadIniValue(kSection, "File", "", other), "");
}

}  // namespace
}  // namespace data
