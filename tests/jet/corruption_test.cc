// Damaged copies of real files: flipped bytes, a defaced table definition and
// truncation. Every attempt must end in a clean read or a clean failure that
// names the file; the sanitizer build catches any stray read on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "jet/row_locator.h"
#include "tests/jet/corpus.h"

namespace jet {
namespace {

using testing::ReadCorpusFile;

struct Outcomes {
  int read = 0;
  int corrupt = 0;
  int other = 0;
};

// Opens and reads everything; fails the test on an unexpected kind of failure.
void ReadAll(const std::vector<uint8_t>& image, const std::string& name, const std::string& what,
             Outcomes* count = nullptr) {
  Outcomes ignored;
  if (count == nullptr) count = &ignored;
  auto db = testing::OpenImage(image, name);
  Status s;
  if (db.ok()) {
    auto rows = testing::ExportAll(**db);
    if (!rows.ok()) s = rows.status();
  } else {
    s = db.status();
  }
  if (s.ok()) {
    ++count->read;
    return;
  }
  // The header may turn into a password-protected or newer file; anything
  // else must be reported as damage, naming the file.
  if (s.IsBadPassword() || s.IsNotSupported()) {
    ++count->other;
    return;
  }
  ++count->corrupt;
  EXPECT_TRUE(s.IsCorruption() || s.IsNotFound()) << what << ": " << s.ToString();
  if (s.IsCorruption()) {
    EXPECT_NE(s.message().find(name), std::string::npos) << what << ": " << s.message();
  }
}

const char* const kFiles[] = {"jackcess/V1997/overflowTestV1997.mdb",
                              "jackcess/V1997/delColTestV1997.mdb",
                              "jackcess/V2000/delTestV2000.mdb", "jackcess/adox_jet4.mdb",
                              // complex, calculated and extended-date columns
                              "jackcess/V2010/complexDataTestV2010.accdb",
                              "jackcess/V2010/calcFieldTestV2010.accdb",
                              "jackcess/V2019/extDateTestV2019.accdb"};

TEST(CorruptionTest, RandomByteFlipsAndTruncatedFilesFailCleanly) {
  if (!testing::HaveCorpus()) GTEST_SKIP() << "no corpus";
  uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 33;
  };
  Outcomes count;
  for (const char* file : kFiles) {
    const auto original = ReadCorpusFile(file);
    ASSERT_FALSE(original.empty());
    const size_t page_size = original[0x14] == 0 ? 2048 : 4096;
    for (int round = 0; round < 150; ++round) {
      auto image = original;
      // Mostly in the first pages, where the catalog and definitions live.
      size_t limit = round % 2 == 0 ? std::min(image.size(), page_size * 8) : image.size();
      std::string what = file;
      for (int k = 0; k < 1 + round % 4; ++k) {
        size_t at = next() % limit;
        image[at] ^= static_cast<uint8_t>(1 + next() % 255);
        what += " @" + std::to_string(at);
      }
      ReadAll(image, "flipped.mdb", what, &count);
    }
  }
  // Flips land both in dead bytes and in structures.
  EXPECT_GT(count.read, 0);
  EXPECT_GT(count.corrupt, 0);
  // Truncated files fail cleanly too.
  for (const char* file : kFiles) {
    const auto original = ReadCorpusFile(file);
    for (size_t cut = 0; cut < original.size(); cut += 1531) {
      std::vector<uint8_t> image(original.begin(), original.begin() + static_cast<long>(cut));
      ReadAll(image, "cut.mdb", std::string(file) + " cut at " + std::to_string(cut));
    }
  }
  // Cut inside the catalog: the failure names the file and says what is missing.
  auto image = ReadCorpusFile("jackcess/V2000/delTestV2000.mdb");
  image.resize(4096 * 2 + 100);
  auto db = testing::OpenImage(image, "short.mdb");
  ASSERT_FALSE(db.ok());
  EXPECT_TRUE(db.status().IsCorruption());
  EXPECT_NE(db.status().message().find("short.mdb"), std::string::npos);
}

TEST(CorruptionTest, EveryByteOfTheCatalogDefinitionDefaced) {
  if (!testing::HaveCorpus()) GTEST_SKIP() << "no corpus";
  const auto original = ReadCorpusFile("jackcess/V1997/delColTestV1997.mdb");
  const size_t page = 2048 * 2;
  Outcomes count;
  for (size_t off = 0; off < 700; ++off) {  // header, columns and names
    for (uint8_t v : {uint8_t{0x00}, uint8_t{0xFF}}) {
      auto image = original;
      image[page + off] = v;
      ReadAll(image, "defaced.mdb", "catalog byte " + std::to_string(off), &count);
    }
  }
  EXPECT_GT(count.read, 0);
  EXPECT_GT(count.corrupt, 100);
}

// A damaged Office encryption description on page 0 is refused, naming the
// file, whatever the password; it never opens as if it were right.
TEST(CorruptionTest, DamagedEncryptionDescriptionsAreRefused) {
  if (!testing::HaveCorpus()) GTEST_SKIP() << "no corpus";
  constexpr size_t kInfo = 0x299;  // u16 length, then the description
  auto replace = [](std::vector<uint8_t>* image, const std::string& from, const std::string& to) {
    auto at = std::search(image->begin(), image->begin() + 4096, from.begin(), from.end());
    ASSERT_NE(at, image->begin() + 4096) << from;
    std::copy(to.begin(), to.end(), at);
  };
  struct Case {
    const char* file;
    const char* what;
    std::function<void(std::vector<uint8_t>*)> damage;
  };
  const std::string agile = "mdb-reader/encryption_office-agile-4.4.accdb";
  const std::string rc4 = "mdb-reader/encryption_office-agile-4.2.accdb";
  const Case cases[] = {
      {agile.c_str(), "length past the page", [](auto* i) { (*i)[kInfo + 1] = 0xFF; }},
      {agile.c_str(), "length too short", [](auto* i) { (*i)[kInfo] = 4, (*i)[kInfo + 1] = 0; }},
      {agile.c_str(), "unknown version", [](auto* i) { (*i)[kInfo + 2] = 9; }},
      {agile.c_str(), "reserved field", [](auto* i) { (*i)[kInfo + 6] = 0x41; }},
      {agile.c_str(), "spin count beyond any Access writes",
       [&](auto* i) { replace(i, "spinCount=\"100000\"", "spinCount=\"999999999\""); }},
      {agile.c_str(), "salt that is not base64",
       [&](auto* i) { replace(i, "saltValue=\"", "saltValue=\"!!!!"); }},
      {agile.c_str(), "unknown hash", [&](auto* i) { replace(i, "SHA512", "SHA999"); }},
      {agile.c_str(), "missing key element", [&](auto* i) { replace(i, "<keyData", "<keyDatX"); }},
      {rc4.c_str(), "header size past the description",
       [](auto* i) { (*i)[kInfo + 2 + 8 + 2] = 0x7F; }},
      {rc4.c_str(), "salt size not 16", [](auto* i) { (*i)[kInfo + 2 + 12 + 126] = 17; }},
      {rc4.c_str(), "AES flag", [](auto* i) { (*i)[kInfo + 2 + 4] |= 0x20; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto image = ReadCorpusFile(c.file);
    c.damage(&image);
    for (const char* password : {"password", ""}) {
      auto db = testing::OpenImage(image, "damaged.accdb", password);
      ASSERT_FALSE(db.ok());
      EXPECT_TRUE(db.status().IsCorruption() || db.status().IsNotSupported())
          << db.status().ToString();
      EXPECT_NE(db.status().message().find("damaged.accdb"), std::string::npos)
          << db.status().message();
    }
  }
}

// A damaged row is reported with the file, table, page and row it sits in.
TEST(CorruptionTest, DamagedRowNamesItsPlace) {
  if (!testing::HaveCorpus()) GTEST_SKIP() << "no corpus";
  auto image = ReadCorpusFile("jackcess/V2000/testV2000.mdb");
  RowId id;
  size_t at = 0;
  {
    ASSERT_OK_AND_ASSIGN(auto db, testing::OpenImage(image, "t"));
    ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("Table1"));
    auto cursor = db->Scan(def);
    ASSERT_TRUE(cursor.ok() && (*cursor)->Next().value());
    id = (*cursor)->id();
    MemoryByteSource src(image, "t");
    PageStore store(&src, Jet4Format(), 0);
    ASSERT_OK_AND_ASSIGN(auto row, LocateRow(store, id.page, id.slot));
    at = size_t{id.page} * 4096 + row.start;
  }
  image[at] = 0xFF;  // the row's column count: a null mask larger than the row
  image[at + 1] = 0xFF;
  ASSERT_OK_AND_ASSIGN(auto db, testing::OpenImage(image, "damaged.mdb"));
  auto rows = testing::ExportRows(*db, "Table1");
  ASSERT_FALSE(rows.ok());
  EXPECT_TRUE(rows.status().IsCorruption());
  EXPECT_EQ(
      rows.status().message().rfind("damaged.mdb: table 'Table1': page " + std::to_string(id.page) +
                                        ": row " + std::to_string(id.slot) + ": ",
                                    0),
      0u)
      << rows.status().message();
}

}  // namespace
}  // namespace jet
