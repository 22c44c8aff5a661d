// make_compare_table OUT.mdb [ROWS [SEED]]: writes a new database whose table
// Customers has ROWS rows (default 1,000,000) of a customer list as users keep
// them: an auto-number key, a name of up to 50 characters, an address of up
// to 255 mixing Chinese and English, a long integer, a double, and a memo
// filled in one row of ten. The same ROWS and SEED give the same file.
//
// Three rows in ten carry "Building" (in mixed letter case) in Addr, the text
// bench/compare.sh replaces; nothing else in the table contains it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "jet/create/database_builder.h"

namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
  template <size_t N>
  const char* Pick(const char* const (&list)[N]) {
    return list[Below(N)];
  }

 private:
  uint64_t state_;
};

constexpr const char* kFamily[] = {"王",     "李",       "张",     "刘",     "陈",
                                   "杨",     "Smith",    "Müller", "García", "O'Neil",
                                   "Nguyen", "Kowalski", "Dupont", "Rossi"};
constexpr const char* kGiven[] = {"伟",  "芳",    "娜",  "秀英", "敏",    "Anna", "José",
                                  "Zoë", "Émile", "Mia", "Noah", "Chloé", "Ivan"};
constexpr const char* kCity[] = {"北京市", "上海市", "广州市", "深圳市", "成都市", "杭州市"};
constexpr const char* kDistrict[] = {"朝阳区", "海淀区", "浦东新区", "天河区", "南山区", "西湖区"};
constexpr const char* kStreet[] = {"建国路",   "中山路", "人民大道",
                                   "解放西路", "长安街", "南京东路"};
constexpr const char* kEnglish[] = {"Chaoyang District, Beijing", "Pudong New Area, Shanghai",
                                    "Tianhe District, Guangzhou", "Nanshan District, Shenzhen",
                                    "Xihu District, Hangzhou",    "Jinjiang District, Chengdu"};
constexpr const char* kBuilding[] = {"Building", "BUILDING", "building"};
constexpr const char* kNote[] = {
    "老客户，请优先处理 priority customer", "送货前电话联系 call before delivery",
    "发票抬头与收货人不同; invoice to head office", "Prefers e-mail. 周末不在家"};

jet::create::Row MakeRow(Random& r, long i) {
  std::string name = std::string(r.Pick(kFamily)) + (r.Below(2) ? " " : "") + r.Pick(kGiven) + " " +
                     std::to_string(100000 + i);
  std::string addr = std::string(r.Pick(kCity)) + r.Pick(kDistrict) + r.Pick(kStreet) +
                     std::to_string(1 + r.Below(999)) + "号 ";
  if (r.Below(10) < 3)
    addr += std::string(r.Pick(kBuilding)) + " " + std::to_string(1 + r.Below(40)) + ", ";
  addr += "Room " + std::to_string(100 + r.Below(3000)) + ", No. " +
          std::to_string(1 + r.Below(999)) + " " + r.Pick(kEnglish);
  jet::Value note;
  if (r.Below(10) == 0) {
    std::string text;
    const uint32_t parts = 1 + r.Below(6);
    for (uint32_t k = 0; k < parts; ++k) text += std::string(r.Pick(kNote)) + " ";
    note = text + "#" + std::to_string(i);
  }
  return {jet::Value(),
          std::move(name),
          std::move(addr),
          static_cast<int32_t>(r.Below(100000)),
          static_cast<double>(r.Below(10000000)) / 100.0 + 0.125,
          std::move(note)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_compare_table OUT.mdb [ROWS [SEED]]\n");
    return 2;
  }
  const long rows = argc > 2 ? std::atol(argv[2]) : 1000000;
  Random random(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 17);
  using jet::ColumnType;
  using jet::create::ColumnSpec;
  jet::create::TableSpec spec{
      "Customers",
      {ColumnSpec{.name = "ID", .type = ColumnType::kLong, .auto_number = true},
       ColumnSpec{.name = "Name", .type = ColumnType::kText, .max_length = 50},
       ColumnSpec{.name = "Addr", .type = ColumnType::kText, .max_length = 255},
       ColumnSpec{.name = "Qty", .type = ColumnType::kLong},
       ColumnSpec{.name = "Price", .type = ColumnType::kDouble},
       ColumnSpec{.name = "Note", .type = ColumnType::kMemo}},
      {}};
  spec.indexes.push_back({.name = "PrimaryKey", .columns = {{"ID", true}}, .primary = true});
  auto builder = jet::create::DatabaseBuilder::New({});
  jet::Status s = builder.ok() ? (*builder)->CreateTable(spec) : builder.status();
  constexpr long kBatch = 50000;
  for (long done = 0; s.ok() && done < rows; done += kBatch) {
    std::vector<jet::create::Row> chunk;
    for (long i = done; i < rows && i < done + kBatch; ++i) chunk.push_back(MakeRow(random, i));
    s = (*builder)->InsertRows("Customers", chunk);
  }
  if (s.ok()) s = (*builder)->Save(argv[1]);
  if (!s.ok()) {
    std::fprintf(stderr, "make_compare_table: %s\n", s.ToString().c_str());
    return 1;
  }
  return 0;
}
