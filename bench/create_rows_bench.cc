// Creating a large table: times building N rows (default 1,000,000) of a
// customer-like table with a primary key and a text index, and writing the
// file. The file it leaves (argument 1) serves the other benchmarks.
//
//   create_rows_bench OUT.mdb [ROWS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "jet/create/database_builder.h"

namespace {
double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: create_rows_bench OUT.mdb [ROWS]\n");
    return 2;
  }
  const long rows = argc > 2 ? std::atol(argv[2]) : 1000000;
  using jet::ColumnType;
  jet::create::ColumnSpec id{.name = "ID", .type = ColumnType::kLong, .auto_number = true};
  jet::create::ColumnSpec name{.name = "Name", .type = ColumnType::kText, .max_length = 50};
  jet::create::ColumnSpec city{.name = "Address", .type = ColumnType::kText, .max_length = 100};
  jet::create::ColumnSpec amount{.name = "Amount", .type = ColumnType::kCurrency};
  jet::create::ColumnSpec when{.name = "Day", .type = ColumnType::kDateTime};
  jet::create::TableSpec spec{"Big", {id, name, city, amount, when}, {}};
  spec.indexes.push_back({.name = "PrimaryKey", .columns = {{"ID", true}}, .primary = true});
  spec.indexes.push_back({.name = "Name", .columns = {{"Name", true}}});

  auto start = std::chrono::steady_clock::now();
  auto builder = jet::create::DatabaseBuilder::New({});
  if (!builder.ok() || !(*builder)->CreateTable(spec).ok()) return 1;
  const char* cities[] = {"北京市朝阳区", "Shanghai Pudong", "BEIJING Haidian", "广州天河"};
  const long batch = 50000;
  for (long done = 0; done < rows; done += batch) {
    std::vector<jet::create::Row> chunk;
    for (long i = done; i < rows && i < done + batch; ++i) {
      chunk.push_back({jet::Value(), "客户 " + std::to_string((i * 7919) % rows),
                       std::string(cities[i % 4]) + " " + std::to_string(i), jet::Currency{i * 100},
                       jet::DateTime{43831.0 + i % 1500}});
    }
    jet::Status s = (*builder)->InsertRows("Big", chunk);
    if (!s.ok()) {
      std::fprintf(stderr, "%s\n", s.ToString().c_str());
      return 1;
    }
  }
  double inserted = Seconds(start);
  jet::Status s = (*builder)->Save(argv[1]);
  if (!s.ok()) {
    std::fprintf(stderr, "%s\n", s.ToString().c_str());
    return 1;
  }
  double total = Seconds(start);
  std::printf(
      "%ld rows: rows built in %.2f s, finished and written in %.2f s, total %.2f s (%.0f "
      "rows/s)\n",
      rows, inserted, total - inserted, total, rows / total);
  return 0;
}
