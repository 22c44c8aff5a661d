// Opening real files: missing files, passwords (Jet 4 as stored, Jet 3 and
// encoded pages made from copies), newer formats, the catalog and table lookup.
#include "jet/database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "jet/calculated_types.h"
#include "jet/catalog.h"
#include "jet/header.h"
#include "jet/rc4.h"
#include "jet/row_layout.h"
#include "jet/table_def.h"
#include "jet/table_scan.h"
#include "jet/usage_map.h"
#include "tests/jet/corpus.h"

namespace jet {
namespace {

using testing::ExportAll;
using testing::OpenImage;
using testing::ReadCorpusFile;

#define REQUIRE_CORPUS() \
  if (!testing::HaveCorpus()) GTEST_SKIP() << "no corpus at " << testing::CorpusDir()

constexpr uint8_t kHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};

// Applies `edit` to the plain (unmasked) header of an image.
template <typename Edit>
void EditHeader(std::vector<uint8_t>* image, Edit edit) {
  size_t n = (*image)[0x14] == 0 ? 126 : 128;
  Rc4Apply(kHeaderKey, 4, image->data() + 0x18, n);
  edit(image->data());
  Rc4Apply(kHeaderKey, 4, image->data() + 0x18, n);
}

TEST(Rc4Test, KnownVector) {
  uint8_t data[] = {'P', 'l', 'a', 'i', 'n', 't', 'e', 'x', 't'};
  const uint8_t key[] = {'K', 'e', 'y'};
  Rc4Apply(key, 3, data, sizeof data);
  const uint8_t expected[] = {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3};
  EXPECT_EQ(std::memcmp(data, expected, sizeof data), 0);
}

TEST(DatabaseTest, MissingForeignShortAndVersionedFiles) {
  auto db = Database::Open("/no/such/dir/db.mdb", OpenOptions{});
  ASSERT_FALSE(db.ok());
  EXPECT_TRUE(db.status().IsNotFound());
  EXPECT_EQ(db.status().message(), "Could not find file '/no/such/dir/db.mdb'.");
  // Foreign and short files are corruption naming the file.
  auto small = OpenImage(std::vector<uint8_t>(100, 0), "tiny.mdb");
  EXPECT_TRUE(small.status().IsCorruption());
  EXPECT_NE(small.status().message().find("tiny.mdb"), std::string::npos);
  std::vector<uint8_t> text(8192, 'x');
  auto foreign = OpenImage(text, "notes.txt");
  EXPECT_TRUE(foreign.status().IsCorruption());
  EXPECT_NE(foreign.status().message().find("notes.txt"), std::string::npos);
  // The version byte of an Access 2007+ file chooses its format.
  REQUIRE_CORPUS();
  auto base = ReadCorpusFile("mdb-reader/data_V2016_empty.accdb");
  // Version byte: the release it names (0: refused as unknown).
  const std::pair<uint8_t, int> cases[] = {{2, 12}, {3, 14}, {4, 15}, {5, 16}, {6, 17},
                                           {1, 0},  {7, 0},  {0xFF, 0}};
  for (auto [byte, release] : cases) {
    SCOPED_TRACE(int{byte});
    auto image = base;
    image[0x14] = byte;
    std::vector<uint8_t> raw(image.begin(), image.begin() + kHeaderReadSize);
    auto header = ParseHeader(raw, "x.accdb");
    if (release == 0) {
      ASSERT_FALSE(header.ok());
      EXPECT_TRUE(header.status().IsNotSupported()) << header.status().ToString();
      continue;
    }
    ASSERT_TRUE(header.ok()) << header.status().ToString();
    EXPECT_EQ(header->format->ace_version, release);
    ASSERT_OK_AND_ASSIGN(auto db, OpenImage(image, "x.accdb"));
    EXPECT_TRUE(db->ListTables().ok());
  }
}

// Jet 4 header passwords, RC4 CryptoAPI (the 4.2 file) and agile AES need
// theirs exactly; files without one open with any.
TEST(DatabaseTest, PasswordIsRequiredExactlyAndJet3StoresItInTheCodePage) {
  REQUIRE_CORPUS();
  const std::pair<const char*, bool> files[] = {
      {"mdb-reader/password_V2000_with-password.mdb", true},
      {"mdb-reader/password_V2003_with-password.mdb", true},
      {"mdb-reader/password_V2010_with-password.accdb", true},
      {"mdb-reader/encryption_office-agile-4.2.accdb", true},
      {"mdb-reader/encryption_office-agile-4.4.accdb", true},
      {"mdb-reader/password_V1997_no-password.mdb", false},
      {"mdb-reader/password_V2000_no-password.mdb", false},
      {"mdb-reader/password_V2010_no-password.accdb", false}};
  for (const auto& [file, locked] : files) {
    SCOPED_TRACE(file);
    auto image = ReadCorpusFile(file);
    for (const char* wrong : {"", "Password", "password ", "pass"}) {
      auto db = OpenImage(image, file, wrong);
      if (!locked) {
        EXPECT_TRUE(db.ok()) << wrong << ": " << db.status().ToString();
        continue;
      }
      ASSERT_FALSE(db.ok()) << wrong;
      EXPECT_TRUE(db.status().IsBadPassword());
      EXPECT_EQ(db.status().message(), "Not a valid password.");
    }
    ASSERT_OK_AND_ASSIGN(auto db, OpenImage(image, file, "password"));
    ASSERT_OK_AND_ASSIGN(auto rows, ExportAll(*db));
    EXPECT_GT(rows.size(), locked ? 1u : 0u);
  }
  // A Jet 3 password is stored in the code page.
  auto image = ReadCorpusFile("mdb-reader/password_V1997_no-password.mdb");
  EditHeader(&image, [](uint8_t* h) { std::memcpy(h + 0x42, "s\xE9same", 6); });  // "sésame"
  EXPECT_TRUE(OpenImage(image, "j3", "").status().IsBadPassword());
  EXPECT_TRUE(OpenImage(image, "j3", "sesame").status().IsBadPassword());
  ASSERT_OK_AND_ASSIGN(auto db, OpenImage(image, "j3", "s\xC3\xA9same"));
  EXPECT_TRUE(ExportAll(*db).ok());
}

// Encodes every page but the first with the database key, as Access does for
// encrypted databases, and expects the same rows as the plain copy.
TEST(DatabaseTest, EncodedPagesReadLikePlainOnesAndTablesAreFoundIgnoringCase) {
  REQUIRE_CORPUS();
  for (const char* file : {"jackcess/V1997/testV1997.mdb", "jackcess/V2003/testV2003.mdb"}) {
    SCOPED_TRACE(file);
    auto plain = ReadCorpusFile(file);
    auto encoded = plain;
    const uint32_t key = 0x5A17C0DE;
    EditHeader(&encoded, [&](uint8_t* h) {
      for (int i = 0; i < 4; ++i) h[0x3E + i] = static_cast<uint8_t>(key >> (8 * i));
    });
    const size_t page_size = plain[0x14] == 0 ? 2048 : 4096;
    for (uint32_t p = 1; p < encoded.size() / page_size; ++p) {
      uint8_t k[4];
      PageKey(key, p, k);
      Rc4Apply(k, 4, encoded.data() + p * page_size, page_size);
    }
    ASSERT_OK_AND_ASSIGN(auto a, OpenImage(plain, "plain"));
    ASSERT_OK_AND_ASSIGN(auto b, OpenImage(encoded, "encoded"));
    ASSERT_OK_AND_ASSIGN(auto rows_a, ExportAll(*a));
    ASSERT_OK_AND_ASSIGN(auto rows_b, ExportAll(*b));
    EXPECT_EQ(rows_a, rows_b);
    EXPECT_GT(rows_a.size(), 4u);
  }
  // Tables are found ignoring case; missing ones are named.
  ASSERT_OK_AND_ASSIGN(auto db, OpenImage(ReadCorpusFile("jackcess/V2000/testV2000.mdb"), "t"));
  ASSERT_OK_AND_ASSIGN(auto tables, db->ListTables());
  std::vector<std::string> names;
  for (const auto& t : tables) names.push_back(t.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Table1", "Table2", "Table3", "Table4"}));
  ASSERT_OK_AND_ASSIGN(auto t, db->FindTable("tABLE1"));
  EXPECT_EQ(t.name, "Table1");
  ASSERT_EQ(t.columns.size(), 9u);
  EXPECT_EQ(t.columns[0].name, "A");
  EXPECT_EQ(t.columns[0].type, ColumnType::kText);
  EXPECT_EQ(t.columns[0].max_chars, 50);
  EXPECT_EQ(t.columns[8].type, ColumnType::kBoolean);
  ASSERT_EQ(t.indexes.size(), 2u);
  EXPECT_TRUE(t.indexes[1].primary);
  EXPECT_TRUE(t.indexes[1].unique);
  auto missing = db->FindTable("NoSuchTable");
  ASSERT_FALSE(missing.ok());
  EXPECT_TRUE(missing.status().IsNotFound());
  EXPECT_NE(missing.status().message().find("'NoSuchTable'"), std::string::npos);
  // System tables are not listed.
  for (const auto& name : names) EXPECT_NE(name.rfind("MSys", 0), 0u);
}

// Turns one catalog entry into a link to another file (its Type column becomes
// 6) and expects it listed as linked and refused for reading.
TEST(DatabaseTest, LinkedTablesAreListedAsSuch) {
  REQUIRE_CORPUS();
  auto image = ReadCorpusFile("jackcess/V2000/testV2000.mdb");
  {
    MemoryByteSource src(image, "t");
    PageStore store(&src, Jet4Format(), 0);
    TextDecoder text(true, 1252);
    ASSERT_OK_AND_ASSIGN(auto def, ReadTableDef(store, text, kCatalogPage));
    size_t type_col = 0, name_col = 0;
    for (size_t i = 0; i < def.columns.size(); ++i) {
      if (def.columns[i].name == "Type") type_col = i;
      if (def.columns[i].name == "Name") name_col = i;
    }
    ASSERT_OK_AND_ASSIGN(auto scan, TableScan::Open(&store, &text, def));
    bool patched = false;
    while (!patched && scan->Next().value()) {
      if (std::get<std::string>(scan->Get(name_col).value()) != "Table2") continue;
      RowId id = scan->id();
      ASSERT_OK_AND_ASSIGN(auto row, ResolveRow(store, def, id));
      std::vector<ColumnSlice> slices;
      ASSERT_TRUE(CrackRow(Jet4Format(), def, row.bytes(), "", &slices).ok());
      size_t at = size_t{id.page} * 4096 + row.start + slices[type_col].offset;
      image[at] = 6;
      patched = true;
    }
    ASSERT_TRUE(patched);
  }
  ASSERT_OK_AND_ASSIGN(auto db, OpenImage(image, "t"));
  ASSERT_OK_AND_ASSIGN(auto tables, db->ListTables());
  ASSERT_EQ(tables.size(), 4u);
  EXPECT_EQ(tables[1].name, "Table2");
  EXPECT_TRUE(tables[1].linked);
  EXPECT_FALSE(tables[0].linked);
  EXPECT_TRUE(db->FindTable("Table2").status().IsNotSupported());
}

// Rows 3 and 5 of these tables moved to other pages; Access lists them at
// their original slots and the moved copies are not listed again.
TEST(DatabaseTest, MovedRowsKeepTheirPlaceAndJet3TextIsDecodedFromTheCodePage) {
  REQUIRE_CORPUS();
  for (const char* file :
       {"jackcess/V1997/overflowTestV1997.mdb", "jackcess/V2000/overflowTestV2000.mdb"}) {
    SCOPED_TRACE(file);
    ASSERT_OK_AND_ASSIGN(auto db, OpenImage(ReadCorpusFile(file), file));
    ASSERT_OK_AND_ASSIGN(auto rows, testing::ExportRows(*db, "Table1"));
    ASSERT_EQ(rows.size(), 7u);
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_NE(rows[i].find("\"row" + std::to_string(i + 1) + "col"), std::string::npos)
          << rows[i];
    }
  }
  // A Jet 3 database in code page 936: the header says so and one text value
  // holds GBK bytes ("中文" in place of "abcd").
  auto image = ReadCorpusFile("jackcess/V1997/testV1997.mdb");
  EditHeader(&image, [](uint8_t* h) {
    h[0x3C] = 936 & 0xFF;
    h[0x3D] = 936 >> 8;
  });
  const std::string from = "abcdefg";
  const uint8_t gbk[] = {0xD6, 0xD0, 0xCE, 0xC4};
  auto at = std::search(image.begin(), image.end(), from.begin(), from.end());
  ASSERT_NE(at, image.end());
  std::copy(gbk, gbk + 4, at);
  ASSERT_OK_AND_ASSIGN(auto db, OpenImage(image, "gbk.mdb"));
  ASSERT_OK_AND_ASSIGN(auto rows, testing::ExportRows(*db, "Table1"));
  EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                          [](const std::string& row) { return row.rfind("\"中文efg\",", 0) == 0; }),
            1);
}

// A scan reads each page of the table once, even through a cache of four pages.
TEST(DatabaseTest, ScanReadsEachPageOnce) {
  REQUIRE_CORPUS();
  MemoryByteSource src(ReadCorpusFile("jackcess/V2003/compIndexTestV2003.mdb"), "c");
  PageStore store(&src, Jet4Format(), 0, 4);
  TextDecoder text(true, 1252);
  ASSERT_OK_AND_ASSIGN(auto catalog, ReadCatalog(store, text));
  uint32_t page = 0;
  for (const auto& e : catalog) {
    if (e.name == "Table1") page = e.definition_page;
  }
  ASSERT_OK_AND_ASSIGN(auto def, ReadTableDef(store, text, page));
  ASSERT_OK_AND_ASSIGN(auto owned, ReadUsageMap(store, def.owned_map));
  // Pages with free space are among the owned ones.
  ASSERT_OK_AND_ASSIGN(auto free_pages, ReadUsageMap(store, def.free_map));
  for (uint32_t p : free_pages) {
    EXPECT_TRUE(std::find(owned.begin(), owned.end(), p) != owned.end()) << p;
  }
  PageStore fresh(&src, Jet4Format(), 0, 4);
  ASSERT_OK_AND_ASSIGN(auto scan, TableScan::Open(&fresh, &text, def));
  size_t rows = 0;
  while (scan->Next().value()) {
    for (size_t i = 0; i < def.columns.size(); ++i) ASSERT_TRUE(scan->Get(i).ok());
    ++rows;
  }
  EXPECT_EQ(rows, 512u);
  // The map's own page, then every owned page once.
  EXPECT_EQ(fresh.reads(), owned.size() + 1);
}

// Table2 of the test files has 89 columns: its definition spans two pages.
TEST(DatabaseTest, DefinitionsSpanningPagesAndLoopingChains) {
  REQUIRE_CORPUS();
  for (const char* file : {"jackcess/V1997/testV1997.mdb", "jackcess/V2000/testV2000.mdb"}) {
    SCOPED_TRACE(file);
    auto image = ReadCorpusFile(file);
    ASSERT_OK_AND_ASSIGN(auto db, OpenImage(image, file));
    ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("Table2"));
    EXPECT_EQ(def.definition_pages, 2u);
    ASSERT_EQ(def.columns.size(), 89u);
    EXPECT_EQ(def.columns[88].name, "column89");
    ASSERT_FALSE(def.indexes.empty());
    EXPECT_EQ(def.indexes.back().name, "PrimaryKey");
    EXPECT_TRUE(testing::ExportRows(*db, "Table2").ok());

    // Point the second page back at the first: a loop, reported, not followed.
    const size_t page_size = image[0x14] == 0 ? 2048 : 4096;
    const size_t first = def.definition_page * page_size;
    uint32_t second = image[first + 4] | image[first + 5] << 8 | image[first + 6] << 16;
    for (int i = 0; i < 4; ++i) {
      image[second * page_size + 4 + i] = static_cast<uint8_t>(def.definition_page >> (8 * i));
    }
    ASSERT_OK_AND_ASSIGN(auto looped, OpenImage(image, "loop.mdb"));
    auto bad = looped->FindTable("Table2");
    ASSERT_FALSE(bad.ok());
    EXPECT_TRUE(bad.status().IsCorruption());
    EXPECT_NE(bad.status().message().find("loops"), std::string::npos) << bad.status().message();
    EXPECT_NE(bad.status().message().find("loop.mdb"), std::string::npos);
  }
}

TEST(DatabaseTest, ReadRowMatchesTheScan) {
  REQUIRE_CORPUS();
  ASSERT_OK_AND_ASSIGN(auto db, OpenImage(ReadCorpusFile("jackcess/V2003/delTestV2003.mdb"), "d"));
  auto tables = db->ListTables();
  ASSERT_TRUE(tables.ok() && !tables->empty());
  ASSERT_OK_AND_ASSIGN(auto def, db->FindTable((*tables)[0].name));
  ASSERT_OK_AND_ASSIGN(auto cursor, db->Scan(def));
  size_t n = 0;
  while (cursor->Next().value()) {
    ASSERT_OK_AND_ASSIGN(auto row, db->ReadRow(def, cursor->id()));
    for (size_t i = 0; i < def.columns.size(); ++i) {
      EXPECT_EQ(row[i], cursor->Get(i).value());
    }
    ++n;
  }
  EXPECT_GT(n, 0u);
  EXPECT_EQ(db->UpdateRow(def, RowId{}, {}).code(), Status::Code::kReadOnly);
}

// What an expression may read decides which columns can be changed: a miss
// would leave a stored calculated value stale, so doubt counts as a read.
TEST(CalculatedColumns, ExpressionsReadNamesOutsideStringsAndComeFromTheColumnProperties) {
  const struct {
    const char* expression;
    const char* column;
    bool reads;
  } cases[] = {
      {"[LastName] & \", \" & [FirstName]", "firstname", true},
      {"[LastName] & \", \" & [FirstName]", "First", false},
      {"Len(LastName)+1", "LastName", true},
      {"Len(LastName)+1", "Len", true},  // a function's name counts: harmless doubt
      {"[Salary]/12", "Sal", false},
      {"\"City: \" & [Town]", "City", false},  // inside a string literal
      {"\"say \"\"City\"\"\" & [Town]", "City", false},
      {"[Full Name] & \"x\"", "Full Name", true},
      {"[Town] & \"unterminated", "Other", true},  // cannot be taken apart
      {"[Town & 1", "Other", true},
      {"Größe*2", "größe", true},
      {"名前：住所", "住所", true},  // one bare word to us
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExpressionMayRead(c.expression, c.column), c.reads)
        << c.expression << " / " << c.column;
  }
  // The calculated columns of a real file carry their expressions.
  if (!testing::HaveCorpus()) GTEST_SKIP() << "no corpus";
  ASSERT_OK_AND_ASSIGN(
      auto db,
      testing::OpenImage(testing::ReadCorpusFile("jackcess/V2010/calcFieldTestV2010.accdb"),
                         "calc.accdb"));
  ASSERT_OK_AND_ASSIGN(auto table, db->FindTable("Table1"));
  int calculated = 0;
  for (const ColumnDef& c : table.columns) {
    if (!c.calculated) continue;
    ++calculated;
    ASSERT_TRUE(c.expression.has_value()) << c.name;
    if (c.name == "LastFirst") {
      EXPECT_EQ(*c.expression, "[LastName] & \", \" & [FirstName]");
    }
  }
  EXPECT_GE(calculated, 10);
  EXPECT_TRUE(CheckCalculatedInputs(table, {4}, "t").ok());   // City
  EXPECT_FALSE(CheckCalculatedInputs(table, {1}, "t").ok());  // FirstName
}

}  // namespace
}  // namespace jet
