// tarnquill-cli create-sample FILE: a demonstration database with a customer
// table (Chinese column names, Chinese and English text in mixed letter case,
// NULLs) and an order table, made to show off filtering and replacing.
#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <string>

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/open_database.h"
#include "jet/create/database_builder.h"

namespace cli {

namespace {

using jet::ColumnType;
using jet::Value;
using jet::create::ColumnSpec;
using jet::create::IndexSpec;
using jet::create::Row;
using jet::create::TableSpec;

constexpr int kCustomers = 300;
constexpr int kOrders = 3000;
constexpr double kFirstDay = 43831;  // 2020-01-01

// A fixed-seed generator so every sample file holds the same rows.
class Dice {
 public:
  uint32_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state_ >> 33);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
  template <size_t N>
  const char* Pick(const std::array<const char*, N>& items) {
    return items[static_cast<size_t>(Below(static_cast<int>(N)))];
  }

 private:
  uint64_t state_ = 20240601;
};

ColumnSpec Col(const char* name, ColumnType type, uint16_t max_length = 255) {
  ColumnSpec c;
  c.name = name;
  c.type = type;
  c.max_length = max_length;
  return c;
}

IndexSpec Idx(const char* name, const char* column, bool primary) {
  IndexSpec x;
  x.name = name;
  x.columns.push_back({column, true});
  x.primary = primary;
  return x;
}

TableSpec CustomerTable() {
  ColumnSpec id = Col("编号", ColumnType::kLong);
  id.auto_number = true;
  return TableSpec{"客户",
                   {id, Col("姓名", ColumnType::kText, 50), Col("地址", ColumnType::kText, 100),
                    Col("电话", ColumnType::kText, 30), Col("备注", ColumnType::kMemo),
                    Col("金额", ColumnType::kCurrency), Col("日期", ColumnType::kDateTime),
                    Col("已付款", ColumnType::kBoolean)},
                   {Idx("PrimaryKey", "编号", true), Idx("姓名", "姓名", false)}};
}

TableSpec OrderTable() {
  ColumnSpec id = Col("OrderID", ColumnType::kLong);
  id.auto_number = true;
  return TableSpec{"Orders",
                   {id, Col("CustomerID", ColumnType::kLong), Col("Product", ColumnType::kText, 50),
                    Col("Quantity", ColumnType::kInteger), Col("Price", ColumnType::kCurrency),
                    Col("OrderDate", ColumnType::kDateTime), Col("Shipped", ColumnType::kBoolean),
                    Col("Notes", ColumnType::kText, 100)},
                   {Idx("PrimaryKey", "OrderID", true), Idx("CustomerID", "CustomerID", false)}};
}

constexpr std::array<const char*, 12> kSurnames = {"张", "王", "李", "赵", "刘", "陈",
                                                   "杨", "黄", "周", "吴", "徐", "孙"};
constexpr std::array<const char*, 12> kGivenNames = {"伟", "芳", "娜", "敏", "静", "强",
                                                     "磊", "洋", "艳", "勇", "军", "杰"};
constexpr std::array<const char*, 10> kEnglishNames = {
    "John Smith", "mary JONES",    "Peter Brown", "LINDA WANG",    "david li",
    "Susan Chen", "Michael ZHANG", "karen liu",   "James O'Brien", "Anna-Maria Ho"};
// Every spelling of the capital appears, so a case-insensitive search finds them all.
constexpr std::array<const char*, 14> kAddresses = {
    "北京市朝阳区建国路88号",     "北京市海淀区中关村大街1号",  "上海市浦东新区世纪大道100号",
    "广州市天河区体育西路191号",  "深圳市南山区科技园南区",     "杭州市西湖区文三路478号",
    "88 Jianguo Road, Beijing",   "1 Zhongguancun St, BEIJING", "100 Century Ave, Shanghai",
    "12 dongcheng lane, beijing", "5 Nanjing Rd, SHANGHAI",     "北京 Beijing 东城区王府井",
    "Room 3, Tianhe, Guangzhou",  "成都市锦江区春熙路"};
constexpr std::array<const char*, 6> kMemos = {"老客户，北京分公司负责",
                                               "VIP customer since 2019",
                                               "Prefers delivery to the BEIJING office",
                                               "请在工作日联系",
                                               "北京 and Shanghai branches both order here",
                                               "Call before 10am; 上午联系"};
constexpr std::array<const char*, 10> kProducts = {
    "打印纸 A4", "Printer Ink", "订书机",       "USB Cable", "笔记本",
    "Desk Lamp", "文件夹",      "Monitor 27\"", "签字笔",    "Keyboard"};

std::string Phone(Dice& d) {
  std::string s = d.Below(3) == 0 ? "010-" : "138";
  for (int i = 0; i < 8; ++i) s += static_cast<char>('0' + d.Below(10));
  return s;
}

std::vector<Row> CustomerRows() {
  Dice d;
  std::vector<Row> rows;
  for (int i = 0; i < kCustomers; ++i) {
    Row r(8);
    if (d.Below(4) == 0) {
      r[1] = std::string(d.Pick(kEnglishNames));
    } else {
      r[1] = std::string(d.Pick(kSurnames)) + d.Pick(kGivenNames) +
             (d.Below(2) ? d.Pick(kGivenNames) : "");
    }
    if (d.Below(20) != 0) r[2] = std::string(d.Pick(kAddresses));
    if (d.Below(10) != 0) r[3] = Phone(d);
    int memo = d.Below(8);
    if (memo < static_cast<int>(kMemos.size()))
      r[4] = std::string(kMemos[static_cast<size_t>(memo)]);
    if (i % 50 == 7) {
      std::string long_memo;
      for (int k = 0; k < 120; ++k) long_memo += "北京 Beijing 往来记录；";
      r[4] = long_memo;
    }
    if (d.Below(12) != 0) r[5] = jet::Currency{static_cast<int64_t>(d.Below(10000000)) * 100};
    if (d.Below(15) != 0)
      r[6] = jet::DateTime{kFirstDay + d.Below(1500) + d.Below(86400) / 86400.0};
    r[7] = d.Below(3) != 0;
    rows.push_back(std::move(r));
  }
  return rows;
}

std::vector<Row> OrderRows() {
  Dice d;
  std::vector<Row> rows;
  for (int i = 0; i < kOrders; ++i) {
    Row r(8);
    r[1] = int32_t{1 + d.Below(kCustomers)};
    r[2] = std::string(d.Pick(kProducts));
    r[3] = static_cast<int16_t>(1 + d.Below(50));
    r[4] = jet::Currency{static_cast<int64_t>(50 + d.Below(50000)) * 100};
    r[5] = jet::DateTime{kFirstDay + d.Below(1500)};
    r[6] = d.Below(4) != 0;
    if (d.Below(5) == 0)
      r[7] = std::string(d.Below(2) ? "送货到北京仓库" : "Ship to beijing warehouse");
    rows.push_back(std::move(r));
  }
  return rows;
}

}  // namespace

int RunCreateSample(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args;
  std::string error;
  if (!ParseArgs(argv, &args, &error) || args.positional.size() != 1) {
    err << (error.empty() ? "" : error + "\n") << UsageLine("create-sample") << "\n";
    return kExitUsage;
  }
  const std::string& path = args.positional[0];
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    err << "'" << path << "' already exists; choose a new file name\n";
    return kExitFailure;
  }
  jet::create::NewDatabaseOptions options;
  options.password = args.password;
  auto builder = jet::create::DatabaseBuilder::New(options);
  jet::Status s = builder.status();
  if (s.ok()) s = (*builder)->CreateTable(CustomerTable());
  if (s.ok()) s = (*builder)->InsertRows("客户", CustomerRows());
  if (s.ok()) s = (*builder)->CreateTable(OrderTable());
  if (s.ok()) s = (*builder)->InsertRows("Orders", OrderRows());
  if (s.ok()) s = (*builder)->Save(path);
  if (!s.ok()) {
    err << InFile(path, s.message()) << "\n";
    return kExitFailure;
  }
  out << "Created " << path << ": 客户 " << kCustomers << " rows, Orders " << kOrders << " rows\n";
  return kExitOk;
}

}  // namespace cli
