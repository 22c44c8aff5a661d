// Updating rows through a database opened for update, on real files: values
// and limits, unique keys, batches, other writers, read-only files, rows that
// move, long values and index splits — each time followed by the integrity
// check.
#include "jet/update/writable_database.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "jet/alloc/usage_map_edit.h"
#include "jet/jet.h"
#include "jet/update/integrity_check.h"
#include "tests/jet/corpus.h"
#include "tests/support/external_readers.h"
#include "update_test_util.h"

namespace jet::testing {
namespace {

// Pages of type `type` in a Jet 4 file, and data-page slots carrying `flag`.
int CountPages(const std::vector<uint8_t>& file, uint8_t type) {
  int n = 0;
  for (size_t off = 0; off + 4096 <= file.size(); off += 4096) n += file[off] == type;
  return n;
}
int CountSlotsWith(const std::vector<uint8_t>& file, uint16_t flag) {
  int n = 0;
  for (size_t off = 4096; off + 4096 <= file.size(); off += 4096) {
    if (file[off] != kPageData) continue;
    ByteView v{file.data() + off, 4096};
    for (size_t s = 0; s < v.U16(12); ++s) n += (v.U16(14 + 2 * s) & flag) == flag;
  }
  return n;
}

class WritableDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_OK_AND_ASSIGN(auto bytes, PeopleDatabase(60));
    ASSERT_TRUE(WriteFile(path_, bytes));
  }

  // Reads every row into model_ and ids_, then opens the file for update
  // as db_, with its table People in t_.
  void OpenPeople() {
    model_ = ReadAll(&ids_);
    ASSERT_OK_AND_ASSIGN(auto db, OpenDatabaseForUpdate(path_));
    db_ = std::move(db);
    ASSERT_OK_AND_ASSIGN(auto t, db_->FindTable("people"));
    t_ = t;
  }

  // Updates row `r` with `changes`, which must be stored, and the model too.
  void Update(size_t r, const ColumnChanges& changes) {
    Status s = db_->UpdateRow(t_, ids_[r], changes);
    ASSERT_TRUE(s.ok()) << s.ToString();
    for (const auto& [c, v] : changes) model_[r][c] = v;
  }

  void ExpectCheckPasses() {
    EXPECT_GT(ExpectSoundFile(path_).index_entries, 0u);
    tarnquill::testing::ExpectOracleAccepts(path_);
  }

  std::vector<std::vector<Value>> ReadAll(std::vector<RowId>* ids = nullptr) {
    return tarnquill::testing::ReadTable(path_, "People", "", ids);
  }

  TempDir tmp_;
  const std::string dir_ = tmp_.path(), path_ = tmp_.File("people.mdb");
  std::vector<RowId> ids_;
  std::vector<std::vector<Value>> model_;
  std::unique_ptr<Database> db_;
  TableDef t_;
};

TEST_F(WritableDatabaseTest, UpdatesTextMemoAndIndexedColumnsInAndOutOfBatchesAndReadsBack) {
  ASSERT_NO_FATAL_FAILURE(OpenPeople());
  ASSERT_EQ(model_.size(), 60u);
  const ColumnChanges changes[] = {{{kName, Value(std::string("张三"))},
                                    {kCity, Value(std::string("广州"))},
                                    {kNotes, Value(std::string(5000, 'x'))}},
                                   {{kNotes, Value()}, {kCity, Value()}},
                                   {{kActive, Value(false)}, {kScore, Value(-1.5)}}};
  for (size_t r = 3; r < 6; ++r) ASSERT_NO_FATAL_FAILURE(Update(r, changes[r - 3]));
  // The open database reads its own changes.
  ASSERT_OK_AND_ASSIGN(auto row, db_->ReadRow(t_, ids_[3]));
  EXPECT_EQ(std::get<std::string>(row[kName]), "张三");
  // A batch keeps the rows stored before a failure; a rollback undoes.
  ASSERT_TRUE(db_->BeginBatch().ok());
  ASSERT_NO_FATAL_FAILURE(Update(0, {{kCity, Value(std::string("A"))}}));
  ASSERT_NO_FATAL_FAILURE(Update(1, {{kCity, Value(std::string("B"))}}));
  EXPECT_FALSE(db_->UpdateRow(t_, ids_[2], {{kName, Value(std::string("name-0"))}}).ok());
  ASSERT_TRUE(db_->CommitBatch().ok());
  ASSERT_TRUE(db_->BeginBatch().ok());
  ASSERT_TRUE(db_->UpdateRow(t_, ids_[6], {{kCity, Value(std::string("gone"))}}).ok());
  ASSERT_TRUE(db_->RollbackBatch().ok());
  ASSERT_OK_AND_ASSIGN(row, db_->ReadRow(t_, ids_[6]));
  EXPECT_EQ(row[kCity], model_[6][kCity]);
  db_.reset();
  EXPECT_FALSE(std::filesystem::exists(path_ + "-journal"));
  EXPECT_EQ(ReadAll(), model_);
  ExpectCheckPasses();
}

TEST_F(WritableDatabaseTest, RefusesBadValuesWithoutWritingAnything) {
  auto original = ReadFileBytes(path_);
  ASSERT_NO_FATAL_FAILURE(OpenPeople());
  struct Case {
    ColumnChanges changes;
    Status::Code code;
    const char* says;
  } cases[] = {
      {{{kName, Value(std::string(41, 'a'))}}, Status::Code::kInvalidArgument, "column 'Name'"},
      {{{kName, Value(std::string("name-7"))}}, Status::Code::kConstraint, "index 'ByName'"},
      {{{kId, Value()}}, Status::Code::kConstraint, "column 'ID'"},
      {{{kId, Value(int32_t{9})}}, Status::Code::kConstraint, "index 'PrimaryKey'"},
      {{{kScore, Value(std::string("12"))}}, Status::Code::kInvalidArgument, "column 'Score'"},
      {{{kName, Value(std::string("\xff\xfe"))}}, Status::Code::kInvalidArgument, "UTF-8"},
      // A good change next to a bad one is not stored either.
      {{{kCity, Value(std::string("ok"))}, {kName, Value(std::string(50, 'b'))}},
       Status::Code::kInvalidArgument,
       "longer than the column"},
  };
  for (const Case& c : cases) {
    Status s = db_->UpdateRow(t_, ids_[2], c.changes);
    EXPECT_EQ(s.code(), c.code) << s.ToString();
    EXPECT_NE(s.message().find(c.says), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("table 'People'"), std::string::npos) << s.message();
  }
  EXPECT_EQ(db_->UpdateRow(t_, RowId{ids_[2].page, 200}, {{kCity, Value()}}).code(),
            Status::Code::kNotFound);
  db_.reset();
  EXPECT_EQ(ReadFileBytes(path_), original);
}

TEST_F(WritableDatabaseTest, OtherWritersAndReadOnlyFilesAreRefusedBeforeAnyChange) {
  auto original = ReadFileBytes(path_);
  ASSERT_NO_FATAL_FAILURE(OpenPeople());
  auto second = OpenDatabaseForUpdate(path_);
  ASSERT_FALSE(second.ok());
  EXPECT_EQ(second.status().code(), Status::Code::kLocked) << second.status().ToString();
  db_.reset();
  ASSERT_EQ(chmod(path_.c_str(), 0444), 0);
  auto ro = OpenDatabaseForUpdate(path_);
  ASSERT_FALSE(ro.ok());
  EXPECT_EQ(ro.status().code(), Status::Code::kReadOnly) << ro.status().ToString();
  EXPECT_EQ(ReadFileBytes(path_), original);
  // A read-only open refuses changes too.
  ASSERT_OK_AND_ASSIGN(auto reader, Database::Open(path_, OpenOptions{}));
  auto t = reader->FindTable("People");
  EXPECT_EQ(reader->UpdateRow(*t, RowId{1, 0}, {}).code(), Status::Code::kReadOnly);

  // In Access 2007+ files, a column a calculated column is computed from is
  // refused with the calculated column's name, and so is the calculated
  // column itself. The hidden table holding a multi-value field's items is
  // not changed either: it belongs to the field, which is never written.
  // Each time the file is untouched and no lock file is left beside it.
  if (!testing::HaveCorpus()) return;
  const struct {
    const char* file;
    const char* table;
    size_t column;
    const char* says;  // "" when it is refused as not supported
  } refused[] = {
      {"calcFieldTestV2010", "Table1", 1, "'LastFirst'"},
      {"calcFieldTestV2010", "Table1", 3, "'LastFirst'"},
      {"complexDataTestV2010", "f_FCC66D28D650455480D923D1BD446BA6_multi-value-data", 2, ""},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(std::string(c.file) + " column " + std::to_string(c.column));
    const std::string accdb = dir_ + "/" + c.file + ".accdb";
    const auto image = testing::ReadCorpusFile(std::string("jackcess/V2010/") + c.file + ".accdb");
    ASSERT_TRUE(WriteFile(accdb, image));
    {
      ASSERT_OK_AND_ASSIGN(auto ace, OpenDatabaseForUpdate(accdb));
      ASSERT_OK_AND_ASSIGN(auto table, ace->FindTable(c.table));
      ASSERT_OK_AND_ASSIGN(auto scan, ace->Scan(table));
      ASSERT_TRUE(*scan->Next());
      Status s = ace->UpdateRow(table, scan->id(), {{c.column, Value(std::string("Zed"))}});
      if (*c.says) {
        EXPECT_EQ(s.code(), Status::Code::kInvalidArgument) << s.ToString();
        EXPECT_NE(s.message().find(c.says), std::string::npos) << s.ToString();
      } else {
        EXPECT_TRUE(s.IsNotSupported()) << s.ToString();
      }
    }
    EXPECT_EQ(ReadFileBytes(accdb), image);
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/" + c.file + ".laccdb"));
  }
}

TEST_F(WritableDatabaseTest, GrowingRowsMoveKeepTheirPlaceAndShrinkBack) {
  ASSERT_NO_FATAL_FAILURE(OpenPeople());
  // Grow every row (inline memos up to the limit, long names), so pages
  // overflow and rows move; then long memos go out of row; then shrink.
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_TRUE(db_->BeginBatch().ok());
    for (size_t r = 0; r < ids_.size(); ++r) {
      ColumnChanges ch;
      if (round == 0) {
        ch = {{kName, Value("long name number " + std::to_string(r) + std::string(15, 'n'))},
              {kNotes, Value(std::string(250, static_cast<char>('a' + r % 26)))}};
      } else if (round == 1) {
        ch = {{kNotes, Value(std::string(3000 + 97 * r, 'm'))}};
        if (r % 7 == 0) ch = {{kNotes, Value(std::string(20000, 'c'))}};
      } else {
        ch = {{kNotes, Value(std::string("short"))}, {kName, Value("n" + std::to_string(r))}};
      }
      ASSERT_NO_FATAL_FAILURE(Update(r, ch));
    }
    ASSERT_TRUE(db_->CommitBatch().ok());
    if (round == 0) {
      EXPECT_GT(CountSlotsWith(ReadFileBytes(path_), kSlotLookup), 10) << "no row moved";
    }
    std::vector<RowId> now;
    auto rows = AllRows(*db_, t_, &now);
    EXPECT_EQ(now, ids_);
    EXPECT_EQ(rows, model_);
    ASSERT_NO_FATAL_FAILURE(ExpectSoundImage(ReadFileBytes(path_)));
  }
  db_.reset();
  EXPECT_EQ(ReadAll(), model_);
}

TEST_F(WritableDatabaseTest, ManyKeyChangesSplitIndexPagesAndStayExact) {
  ASSERT_OK_AND_ASSIGN(auto bytes, PeopleDatabase(240));
  ASSERT_TRUE(WriteFile(path_, bytes));
  ASSERT_NO_FATAL_FAILURE(OpenPeople());
  ASSERT_TRUE(db_->BeginBatch().ok());
  // Long distinct keys overflow the single leaf of each text index.
  for (size_t r = 0; r < ids_.size(); ++r) {
    std::string name = std::string(30, static_cast<char>('a' + r % 26)) + std::to_string(1000 + r);
    std::string city = "城市" + std::string(20, 'x') + std::to_string(r % 9);
    ASSERT_NO_FATAL_FAILURE(Update(r, {{kName, Value(name)}, {kCity, Value(city)}}));
  }
  ASSERT_TRUE(db_->CommitBatch().ok());
  db_.reset();
  EXPECT_GE(CountPages(ReadFileBytes(path_), kPageIndexNode), 2) << "no index page split";
  EXPECT_EQ(ReadAll(), model_);
  ExpectCheckPasses();
}

// Marked pages of the inline or reference map at row pointer `map`.
std::vector<uint32_t> MapPagesOf(const std::string& path, uint32_t map) {
  auto bytes = ReadFileBytes(path);
  MemoryByteSource source(bytes);
  PageStore store(&source, Jet4Format(), 0);
  PageEditor editor(&store);
  auto pages = ReadMapPages(editor, map);
  EXPECT_TRUE(pages.ok()) << pages.status().ToString();
  if (!pages.ok()) return {};
  // The one-bit lookup agrees with the whole map, past the file's end too.
  for (uint32_t p = 0; p < store.page_count() + 70000; p += p < store.page_count() ? 1 : 997) {
    auto has = MapHasPage(editor, map, p);
    if (!has.ok()) {
      ADD_FAILURE() << has.status().ToString();
      return {};
    }
    EXPECT_EQ(*has, std::binary_search(pages->begin(), pages->end(), p)) << "page " << p;
  }
  return *pages;
}

TEST_F(WritableDatabaseTest, TablesOutgrowingTheirInlinePageMapGetAReferenceMap) {
  ASSERT_NO_FATAL_FAILURE(OpenPeople());
  // Long memos push the end of the file past what an inline map reaches from
  // the table's first page; then rows grow and move to new pages out there.
  ASSERT_TRUE(db_->BeginBatch().ok());
  for (size_t r = 0; r < ids_.size(); ++r) {
    ASSERT_NO_FATAL_FAILURE(
        Update(r, {{kNotes, Value(std::string(40000, static_cast<char>('A' + r % 26)))}}));
  }
  ASSERT_TRUE(db_->CommitBatch().ok());
  ASSERT_GT(ReadFileBytes(path_).size() / 4096, 600u);
  ASSERT_TRUE(db_->BeginBatch().ok());
  for (size_t r = 0; r < ids_.size(); ++r) {
    Value notes(std::string(200, static_cast<char>('a' + r % 26)));
    Value name("grown " + std::to_string(r) + std::string(30, 'g'));
    ASSERT_NO_FATAL_FAILURE(Update(r, {{kNotes, notes}, {kName, name}}));
  }
  ASSERT_TRUE(db_->CommitBatch().ok());
  db_.reset();
  auto owned = MapPagesOf(path_, t_.owned_map);
  ASSERT_FALSE(owned.empty());
  EXPECT_GT(owned.back() - owned.front(), 512u) << "the map never needed to reach that far";
  EXPECT_EQ(ReadAll(), model_);
  // The independent reader finds every row through the new map too.
  namespace tq = tarnquill::testing;
  if (tq::HaveMdbTools()) {
    EXPECT_EQ(tq::RunCommand("mdb-export -H " + tq::Quote(path_) + " People | grep -c grown"),
              std::to_string(ids_.size()) + "\n");
  }
  ExpectCheckPasses();
}

// A file caught half-way through a transaction, its journal still beside it,
// holds a mix of old and new pages. Any open that may write the file rolls
// it back first, restoring it exactly, whatever name it is opened under;
// one that may not says how to recover it.
TEST_F(WritableDatabaseTest, AnyOpenRollsBackAnInterruptedWrite) {
  const std::string crashed = dir_ + "/crashed.mdb";
  const std::string link = dir_ + "/link.mdb";
  auto crash = [&] {
    JournalOptions spill_early;
    spill_early.max_pending_pages = 1;
    ASSERT_OK_AND_ASSIGN(auto file,
                         JournaledFile::Open(PosixFileSystem(), path_, 4096, spill_early));
    ASSERT_TRUE(file->Begin().ok());
    std::vector<uint8_t> junk(4096, 0xAB);
    for (uint32_t page = 2; page <= 4; ++page) ASSERT_TRUE(file->WritePage(page, junk.data()).ok());
    // The moment of the crash: pages written ahead of the commit, journal hot.
    std::filesystem::remove(crashed);
    std::filesystem::copy_file(path_, crashed);
    std::filesystem::copy_file(path_ + "-journal", crashed + "-journal",
                               std::filesystem::copy_options::overwrite_existing);
  };  // the original is rolled back when its transaction is abandoned
  std::filesystem::create_symlink(crashed, link);

  crash();
  const std::vector<uint8_t> torn = ReadFileBytes(crashed);
  ASSERT_NE(torn, ReadFileBytes(path_)) << "nothing reached the file early";
  // Readers that may not write the file refuse it and say how to recover it.
  chmod(crashed.c_str(), 0444);
  const Status refused[] = {OpenDatabaseForReading(link, OpenOptions{}).status(),
                            CheckDatabaseFile(link, "").status()};
  for (const Status& s : refused) {
    EXPECT_NE(s.message().find("crashed.mdb-journal"), std::string::npos) << s.ToString();
    EXPECT_NE(s.message().find("tarnquill-cli recover '" + link + "'"), std::string::npos)
        << s.ToString();
  }
  EXPECT_EQ(ReadFileBytes(crashed), torn);
  chmod(crashed.c_str(), 0644);

  // Every other open rolls it back, through the link too: the journal beside
  // the real file is found and used.
  const std::pair<const char*, std::function<Status()>> opens[] = {
      {"read",
       [&] {
         auto db = OpenDatabaseForReading(link, OpenOptions{});
         if (!db.ok()) return db.status();
         return (*db)->path() == link ? Status::Ok() : Status::Corruption((*db)->path());
       }},
      {"check",
       [&] {
         auto report = CheckDatabaseFile(link, "");
         if (!report.ok()) return report.status();
         return report->ok() ? Status::Ok() : Status::Corruption(report->problems[0]);
       }},
      {"update", [&] { return OpenDatabaseForUpdate(link).status(); }},
      {"recover",
       [&] {
         auto recovered = RecoverDatabase(crashed);
         if (!recovered.ok()) return recovered.status();
         return *recovered ? Status::Ok() : Status::Corruption("nothing was rolled back");
       }},
  };
  for (const auto& [what, open] : opens) {
    SCOPED_TRACE(what);
    crash();
    Status s = open();
    ASSERT_TRUE(s.ok()) << s.ToString();
    EXPECT_EQ(ReadFileBytes(crashed), ReadFileBytes(path_));
    EXPECT_FALSE(std::filesystem::exists(crashed + "-journal"));
    EXPECT_FALSE(std::filesystem::exists(link + "-journal"));
  }
  ASSERT_OK_AND_ASSIGN(auto recovered, RecoverDatabase(crashed));
  EXPECT_FALSE(recovered) << "nothing left to roll back";
  tarnquill::testing::ExpectOracleAccepts(crashed);
}

}  // namespace
}  // namespace jet::testing
