// The table view and Modify on a large table: builds a file with ROWS rows
// (default 1,000,000) whose Name holds "abc" in 30% of them, then times
// opening the view (all rows counted, the grid's first screen loaded),
// the filtered view, and a Modify that changes those 30%, each next to
// mdb-export of the same table when that is installed.
//
//   view_modify_bench [ROWS]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "data/bulk_replace.h"
#include "data/share_dm.h"
#include "jet/create/database_builder.h"
#include "view/table_view.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool MakeFile(const std::string& path, long rows) {
  using jet::ColumnType;
  jet::create::ColumnSpec id{.name = "ID", .type = ColumnType::kLong, .auto_number = true};
  jet::create::ColumnSpec name{.name = "Name", .type = ColumnType::kText, .max_length = 50};
  jet::create::ColumnSpec note{.name = "Note", .type = ColumnType::kText, .max_length = 100};
  jet::create::TableSpec spec{"Big", {id, name, note}, {}};
  spec.indexes.push_back({.name = "PrimaryKey", .columns = {{"ID", true}}, .primary = true});
  auto builder = jet::create::DatabaseBuilder::New({});
  if (!builder.ok() || !(*builder)->CreateTable(spec).ok()) return false;
  const long batch = 50000;
  for (long done = 0; done < rows; done += batch) {
    std::vector<jet::create::Row> chunk;
    for (long i = done; i < rows && i < done + batch; ++i) {
      chunk.push_back({jet::Value(),
                       std::string(i % 10 < 3 ? "客户 abc " : "客户 xyz ") + std::to_string(i),
                       "北京市朝阳区 " + std::to_string(i * 7919 % rows)});
    }
    if (!(*builder)->InsertRows("Big", chunk).ok()) return false;
  }
  return (*builder)->Save(path).ok();
}

// Seconds mdb-export takes for the table, or a negative value without it.
double MdbExportSeconds(const std::string& path) {
  if (std::system("command -v mdb-export >/dev/null 2>&1") != 0) return -1;
  auto start = std::chrono::steady_clock::now();
  int rc = std::system(("mdb-export '" + path + "' Big >/dev/null").c_str());
  return rc == 0 ? Seconds(start) : -1;
}

void Report(const char* what, double seconds, double mdb_export) {
  std::printf("%-44s %8.3f s", what, seconds);
  if (mdb_export > 0) std::printf("   %.2fx the time of mdb-export", seconds / mdb_export);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("view_modify_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "big.mdb").string();
  auto start = std::chrono::steady_clock::now();
  if (!MakeFile(path, rows)) {
    std::fprintf(stderr, "could not build the file\n");
    return 1;
  }
  std::printf("%ld rows built in %.2f s\n", rows, Seconds(start));
  const double mdb_export = MdbExportSeconds(path);
  if (mdb_export > 0) std::printf("%-44s %8.3f s\n", "mdb-export of the table", mdb_export);

  int code = 0;
  try {
    data::TShareDataModule module;
    view::TTableView view;
    view.ADOQuery1.SetConnection(&module.ADOConnection1);
    view.DataGrid1.FitWindowToRows();
    module.ADOConnection1.SetConnectionString(data::BuildConnectionString(path, ""));
    module.ADOConnection1.SetConnected(true);
    auto shout = [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); };

    start = std::chrono::steady_clock::now();
    view.RefreshView("Big", "", "", shout);
    Report("open the view (whole table)", Seconds(start), mdb_export);
    start = std::chrono::steady_clock::now();
    view.RefreshView("Big", "Name", "ABC", shout);
    Report("open the view (InStr condition, 30% of rows)", Seconds(start), mdb_export);

    start = std::chrono::steady_clock::now();
    data::ModifyOutcome outcome =
        data::ModifyRows(module.ADOQueryTemp, "Select * From Big", "Name", "abc", "ABD", shout);
    Report("Modify changing 30% of rows", Seconds(start), mdb_export);
    std::printf("  %lld rows listed, %lld changed\n", static_cast<long long>(outcome.listed),
                static_cast<long long>(outcome.changed));
    view.ADOQuery1.SetConnection(nullptr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "failed: %s\n", e.what());
    code = 1;
  }
  std::filesystem::remove_all(dir);
  return code;
}
