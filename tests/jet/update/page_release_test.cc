// Pages that updates leave empty go back to the file: long-value pages whose
// pieces were all freed, and the page a moved row's data left. Afterwards the
// usage maps agree (check) and no page still in use was given back.
#include <gtest/gtest.h>

#include <algorithm>

#include "jet/alloc/data_page.h"
#include "jet/alloc/page_editor.h"
#include "jet/alloc/usage_map_edit.h"
#include "jet/create/database_builder.h"
#include "update_test_util.h"

namespace jet::testing {
namespace {

std::vector<uint8_t> Build(const create::TableSpec& spec, const std::vector<create::Row>& rows) {
  create::NewDatabaseOptions options;
  options.creation_date = 45000;
  auto b = create::DatabaseBuilder::New(options);
  EXPECT_TRUE(b.ok());
  EXPECT_TRUE((*b)->CreateTable(spec).ok());
  Status s = (*b)->InsertRows(spec.name, rows);
  EXPECT_TRUE(s.ok()) << s.ToString();
  auto bytes = (*b)->Finish();
  EXPECT_TRUE(bytes.ok());
  return bytes.ok() ? *bytes : std::vector<uint8_t>{};
}

// Pages marked in the map at `map`, as the image stands now.
std::vector<uint32_t> MapPages(WritableImage& img, uint32_t map) {
  PageEditor editor(img.store.get());
  auto pages = ReadMapPages(editor, map);
  EXPECT_TRUE(pages.ok()) << pages.status().ToString();
  return pages.ok() ? *pages : std::vector<uint32_t>{};
}

bool Has(const std::vector<uint32_t>& pages, uint32_t p) {
  return std::binary_search(pages.begin(), pages.end(), p);
}

// Long-value pages holding at least one live piece.
std::vector<uint32_t> LiveLongValuePages(const std::vector<uint8_t>& file) {
  std::vector<uint32_t> out;
  for (uint32_t p = 1; size_t{p + 1} * 4096 <= file.size(); ++p) {
    ByteView v{file.data() + size_t{p} * 4096, 4096};
    if (v.U8(0) != kPageData || DataPageOwner(v) != kLongValueMarker) continue;
    std::vector<PageSlot> slots;
    if (!ReadDataPageSlots(Jet4Format(), v, p, &slots).ok()) continue;
    if (std::any_of(slots.begin(), slots.end(),
                    [](const PageSlot& s) { return !(s.flags & kSlotDeleted); })) {
      out.push_back(p);
    }
  }
  return out;
}

TEST(PageRelease, LongValuePagesEmptiedByAnUpdateAreGivenBack) {
  create::TableSpec spec{
      "Docs",
      {{.name = "ID", .type = ColumnType::kLong}, {.name = "Body", .type = ColumnType::kMemo}},
      {}};
  // Chains of several whole pages each, written by the creating code (so
  // the column's own long-value maps list them) and one short memo.
  std::vector<create::Row> rows = {{int32_t{1}, std::string(9000, 'a') + "北京"},
                                   {int32_t{2}, std::string(12000, 'b') + "上海"},
                                   {int32_t{3}, std::string("short")}};
  auto img = WritableImage::Load(Build(spec, rows), "docs.mdb");
  ASSERT_TRUE(img);
  auto db = img->Reopen();
  ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("Docs"));
  ASSERT_FALSE(def.long_value_maps.empty());
  std::vector<RowId> ids;
  AllRows(*db, def, &ids);
  ASSERT_EQ(ids.size(), 3u);
  const std::vector<uint32_t> before = LiveLongValuePages(*img->bytes);
  ASSERT_GE(before.size(), 4u);
  for (uint32_t p : before) EXPECT_TRUE(Has(MapPages(*img, def.long_value_maps[0]), p)) << p;

  // The first memo becomes short (inline), the second NULL: every page of
  // their chains empties.
  ASSERT_TRUE(img->session->UpdateRow(def, ids[0], {{1, std::string("now short")}}).ok());
  ASSERT_TRUE(img->session->UpdateRow(def, ids[1], {{1, Value()}}).ok());
  EXPECT_TRUE(LiveLongValuePages(*img->bytes).empty());
  const std::vector<uint32_t> free_pages = MapPages(*img, kGlobalUsageMap);
  for (uint32_t p : before) {
    EXPECT_TRUE(Has(free_pages, p)) << "page " << p << " was not given back";
    for (uint32_t map : def.long_value_maps) EXPECT_FALSE(Has(MapPages(*img, map), p)) << p;
  }
  ExpectSoundImage(*img->bytes, "", img->name);

  // A new long value goes to a new page, never to a page given back.
  ASSERT_TRUE(img->session->UpdateRow(def, ids[2], {{1, std::string(5000, 'c')}}).ok());
  const std::vector<uint32_t> live = LiveLongValuePages(*img->bytes);
  ASSERT_FALSE(live.empty());
  for (uint32_t p : live) EXPECT_FALSE(Has(before, p)) << p;
  EXPECT_FALSE(Has(MapPages(*img, kGlobalUsageMap), live.front()));
  auto again = img->Reopen();
  auto rows_now = AllRows(*again, def);
  ASSERT_EQ(rows_now.size(), 3u);
  EXPECT_EQ(rows_now[0][1], Value(std::string("now short")));
  EXPECT_EQ(rows_now[1][1], Value());
  EXPECT_EQ(rows_now[2][1], Value(std::string(5000, 'c')));
  ExpectSoundImage(*img->bytes, "", img->name);
}

TEST(PageRelease, APageLeftByMovedDataIsGivenBackAndOthersAreKept) {
  create::TableSpec spec{"Wide",
                         {{.name = "ID", .type = ColumnType::kLong},
                          {.name = "A", .type = ColumnType::kText, .max_length = 255},
                          {.name = "B", .type = ColumnType::kText, .max_length = 255}},
                         {{.name = "PrimaryKey", .columns = {{"ID"}}, .primary = true}}};
  // Rows of about 415 bytes: nine to a page with some 330 bytes to spare,
  // too few for a row that grows by 510.
  std::string narrow;
  for (int k = 0; k < 200; ++k) narrow += "文";
  std::vector<create::Row> rows;
  for (int i = 0; i < 18; ++i) rows.push_back({int32_t{i}, narrow, Value()});
  auto img = WritableImage::Load(Build(spec, rows), "wide.mdb");
  ASSERT_TRUE(img);
  const uint32_t pages_before = img->store->page_count();
  auto db = img->Reopen();
  ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("Wide"));
  std::vector<RowId> ids;
  AllRows(*db, def, &ids);
  ASSERT_EQ(ids.size(), 18u);

  std::string wide;
  for (int k = 0; k < 255; ++k) wide += "京";
  // Two rows of different pages grow and move; both land on one new page.
  ASSERT_TRUE(img->session->UpdateRow(def, ids[0], {{2, wide}}).ok());
  ASSERT_TRUE(img->session->UpdateRow(def, ids[17], {{2, wide}}).ok());
  ASSERT_NE(ids[0].page, ids[17].page);
  auto home = [&](RowId id) {
    ByteView v{img->bytes->data() + size_t{id.page} * 4096, 4096};
    std::vector<PageSlot> slots;
    EXPECT_TRUE(ReadDataPageSlots(Jet4Format(), v, id.page, &slots).ok());
    return slots.at(id.slot);
  };
  auto moved_to = [&](RowId id) -> uint32_t {
    PageSlot slot = home(id);
    if (!(slot.flags & kSlotLookup) || slot.bytes.size() < 4) return 0;
    return ByteView{slot.bytes.data(), 4}.U32(0) >> 8;
  };
  const uint32_t target = moved_to(ids[0]);
  ASSERT_GE(target, pages_before) << "the row was expected to move to a new page";
  ASSERT_EQ(moved_to(ids[17]), target);
  ASSERT_TRUE(Has(MapPages(*img, def.owned_map), target));

  // One moved row goes home: the page still holds the other one's data.
  ASSERT_TRUE(img->session->UpdateRow(def, ids[0], {{2, Value()}}).ok());
  EXPECT_EQ(moved_to(ids[0]), 0u);
  EXPECT_TRUE(Has(MapPages(*img, def.owned_map), target));
  EXPECT_FALSE(Has(MapPages(*img, kGlobalUsageMap), target));
  ExpectSoundImage(*img->bytes, "", img->name);
  ASSERT_TRUE(img->session->UpdateRow(def, ids[17], {{2, Value()}}).ok());
  EXPECT_EQ(moved_to(ids[17]), 0u);
  // Now nothing lives there: out of the table's maps, marked free.
  EXPECT_FALSE(Has(MapPages(*img, def.owned_map), target));
  EXPECT_FALSE(Has(MapPages(*img, def.free_map), target));
  EXPECT_TRUE(Has(MapPages(*img, kGlobalUsageMap), target));
  ExpectSoundImage(*img->bytes, "", img->name);
  auto again = img->Reopen();
  auto now = AllRows(*again, def);
  ASSERT_EQ(now.size(), 18u);
  for (int i = 0; i < 18; ++i) {
    EXPECT_EQ(now[i][1], Value(narrow)) << i;
    EXPECT_EQ(now[i][2], Value()) << i;
  }
}

}  // namespace
}  // namespace jet::testing
