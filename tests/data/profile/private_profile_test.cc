#include "data/profile/private_profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "tests/support/temp_dir.h"

namespace data {
namespace {

using tarnquill::testing::ReadFileText;
using tarnquill::testing::TempDir;
using tarnquill::testing::WriteFile;

std::string Get(const std::string& file, const char* section, const char* key,
                const char* def = "") {
  char buffer[256];
  GetPrivateProfileStringA(section, key, def, buffer, sizeof buffer, file.c_str());
  return buffer;
}

class PrivateProfileTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string file = dir.File("p.ini");
};

TEST_F(PrivateProfileTest, MissingNamesGiveTheDefaultNamesIgnoreCaseAndQuotesAreStripped) {
  EXPECT_EQ(Get(file, "Tarnquill", "File", "none"), "none");
  WriteFile(file, "[Other]\nFile=x\n[Tarnquill]\nKey=k\nTable\n");
  EXPECT_EQ(Get(file, "Missing", "File", "d"), "d");
  EXPECT_EQ(Get(file, "Tarnquill", "File", "d"), "d");
  EXPECT_EQ(Get(file, "Tarnquill", "Table", "d"), "d") << "a line without '=' has no value";
  EXPECT_EQ(Get(file, "Tarnquill", "Key", "d"), "k");
  EXPECT_EQ(Get(file, "Tarnquill", "File", "trailing   "), "trailing");
  // Names match ignoring case and blanks.
  WriteFile(file, "File=before any section\n[ tarnQUILL ]\n  fILE  =  C:\\a b.mdb  \n");
  EXPECT_EQ(Get(file, "Tarnquill", "File"), "C:\\a b.mdb");
  EXPECT_EQ(Get(file, "TARNQUILL", "file"), "C:\\a b.mdb");
  // One pair of matching quotes is stripped.
  WriteFile(file,
            "[s]\na=\"quoted\"\nb='single'\nc=\"mixed'\nd=\"\ne=\"\"\nf=\"\"inner\"\"\n"
            "g= \" blanks \" \n");
  EXPECT_EQ(Get(file, "s", "a"), "quoted");
  EXPECT_EQ(Get(file, "s", "b"), "single");
  EXPECT_EQ(Get(file, "s", "c"), "\"mixed'");
  EXPECT_EQ(Get(file, "s", "d"), "\"");
  EXPECT_EQ(Get(file, "s", "e"), "");
  EXPECT_EQ(Get(file, "s", "f"), "\"inner\"");
  EXPECT_EQ(Get(file, "s", "g"), " blanks ");
}

TEST_F(PrivateProfileTest, WriteCreatesFileSectionAndKeyAndTheFirstOnesWin) {
  ASSERT_NE(WritePrivateProfileStringA("Tarnquill", "File", "/x/a.mdb", file.c_str()), 0);
  ASSERT_NE(WritePrivateProfileStringA("Tarnquill", "Key", "", file.c_str()), 0);
  EXPECT_EQ(ReadFileText(file), "[Tarnquill]\nFile=/x/a.mdb\nKey=\n");
  EXPECT_EQ(Get(file, "Tarnquill", "Key", "d"), "") << "an empty value is not the default";
  // The first section and the first key win.
  WriteFile(file, "[s]\nk=1\nk=2\n[S]\nk=3\nonly=4\n");
  EXPECT_EQ(Get(file, "s", "k"), "1");
  EXPECT_EQ(Get(file, "s", "only", "d"), "d");
  ASSERT_NE(WritePrivateProfileStringA("S", "K", "9", file.c_str()), 0);
  EXPECT_EQ(ReadFileText(file), "[s]\nk=9\nk=2\n[S]\nk=3\nonly=4\n");
}

TEST_F(PrivateProfileTest, WriteKeepsEveryOtherLine) {
  const std::string before =
      "; settings\r\n"
      "[Other]\r\n"
      "File=keep me\r\n"
      "\r\n"
      "[tarnquill]\r\n"
      "FILE = old\r\n"
      "; the table comes next\r\n"
      "Table=T\r\n"
      "\r\n"
      "[Last]\r\n"
      "x=1";  // no line ending on the last line
  WriteFile(file, before);
  ASSERT_NE(WritePrivateProfileStringA("Tarnquill", "File", "new", file.c_str()), 0);
  ASSERT_NE(WritePrivateProfileStringA("Tarnquill", "Field", "F", file.c_str()), 0);
  ASSERT_NE(WritePrivateProfileStringA("Last", "y", "2", file.c_str()), 0);
  ASSERT_NE(WritePrivateProfileStringA("New", "z", "3", file.c_str()), 0);
  EXPECT_EQ(ReadFileText(file),
            "; settings\r\n"
            "[Other]\r\n"
            "File=keep me\r\n"
            "\r\n"
            "[tarnquill]\r\n"
            "FILE=new\r\n"
            "; the table comes next\r\n"
            "Table=T\r\n"
            "Field=F\r\n"
            "\r\n"
            "[Last]\r\n"
            "x=1\r\n"
            "y=2\r\n"
            "\r\n"
            "[New]\r\n"
            "z=3\r\n");
}

TEST_F(PrivateProfileTest, ByteOrderMarkPermissionsAndGbkAreKept) {
  WriteFile(file, "\xEF\xBB\xBF[Tarnquill]\nFile=a\n");
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);  // it holds a password
  EXPECT_EQ(Get(file, "Tarnquill", "File"), "a");
  ASSERT_NE(WritePrivateProfileStringA("Tarnquill", "File", "数据", file.c_str()), 0);
  EXPECT_EQ(ReadFileText(file), "\xEF\xBB\xBF[Tarnquill]\nFile=数据\n");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  // "D:\数据库\旧.mdb" and the table "中文" as the Windows program stores them.
  const std::string gbk =
      "[Tarnquill]\r\nFile=D:\\\xCA\xFD\xBE\xDD\xBF\xE2\\\xBE\xC9.mdb\r\nTable="
      "\xD6\xD0\xCE\xC4\r\n";
  WriteFile(file, gbk);
  EXPECT_EQ(Get(file, "Tarnquill", "File"), "D:\\数据库\\旧.mdb");
  EXPECT_EQ(Get(file, "Tarnquill", "Table"), "中文");
  ASSERT_NE(WritePrivateProfileStringA("Tarnquill", "Field", "字段", file.c_str()), 0);
  // The untouched lines keep their bytes; the new one is in the file's encoding.
  EXPECT_EQ(ReadFileText(file), gbk + "Field=\xD7\xD6\xB6\xCE\r\n");
  EXPECT_EQ(Get(file, "Tarnquill", "Field"), "字段");
}

TEST_F(PrivateProfileTest, UnicodeProfileFromANotepadSaveStaysUtf16) {
  // "[Tarnquill]\r\nTable=表\r\n" in UTF-16LE with its byte-order mark.
  const std::string le(
      "\xFF\xFE[\0T\0a\0r\0n\0q\0u\0i\0l\0l\0]\0\r\0\n\0"
      "T\0a\0b\0l\0e\0=\0\x68\x88\r\0\n\0",
      2 + 2 * 13 + 2 * 9);
  WriteFile(file, le);
  EXPECT_EQ(Get(file, "Tarnquill", "Table"), "表");
  ASSERT_NE(WritePrivateProfileStringA("Tarnquill", "Key", "k", file.c_str()), 0);
  EXPECT_EQ(ReadFileText(file), le + std::string("K\0e\0y\0=\0k\0\r\0\n\0", 14));

  // A UTF-16 file that does not decode is neither read nor written over.
  const std::string broken("\xFF\xFE[\0s\0]\0\n\0k\0=\0\x00\xD8\n\0", 18);
  WriteFile(file, broken);
  EXPECT_EQ(Get(file, "s", "k", "d"), "d");
  EXPECT_EQ(WritePrivateProfileStringA("s", "k", "v", file.c_str()), 0);
  EXPECT_EQ(ReadFileText(file), broken);
}

TEST_F(PrivateProfileTest, ReadStopsOnACharacterBoundaryAndWritesRefuseOrFailCleanly) {
  WriteFile(file, "[s]\nk=数据库\n");
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buffer, 8, file.c_str()), 6u);
  EXPECT_STREQ(buffer, "数据");
  EXPECT_EQ(buffer[8], 'x') << "nothing written past the given size";
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buffer, 1, file.c_str()), 0u);
  EXPECT_STREQ(buffer, "");
  WriteFile(file, "[s]\nk=1\n");
  EXPECT_EQ(WritePrivateProfileStringA("s", "k", "a\n[s]\nk=evil", file.c_str()), 0);
  EXPECT_EQ(WritePrivateProfileStringA("s", "k=x", "1", file.c_str()), 0);
  EXPECT_EQ(WritePrivateProfileStringA("s]", "k", "1", file.c_str()), 0);
  EXPECT_EQ(WritePrivateProfileStringA("s", nullptr, "1", file.c_str()), 0);
  EXPECT_EQ(WritePrivateProfileStringA("s", "k", "\xCA\xFD", file.c_str()), 0) << "not UTF-8";
  EXPECT_EQ(ReadFileText(file), "[s]\nk=1\n");
  // Failed writes report the failure and create nothing.
  const std::string blocker = dir.File("not-a-folder");
  WriteFile(blocker, "x");
  const std::string inside = blocker + "/p.ini";
  EXPECT_EQ(WritePrivateProfileStringA("s", "k", "v", inside.c_str()), 0);
  EXPECT_EQ(WritePrivateProfileStringA("s", "k", "v", dir.path().c_str()), 0)
      << "a folder in place of the file";
  EXPECT_EQ(ReadFileText(blocker), "x");
}

}  // namespace
}  // namespace data
