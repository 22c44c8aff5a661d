// The table view and Modify on a large table: builds a file with ROWS rows
// (default 1,000,000) whose Name holds "abc" in 30% of them, then times
// opening the view (all rows counted, the grid's first screen loaded),
// the filtered view, and a Modify that changes those 30%, each next to
// mdb-export of the same table when that is installed. The Modify also
// reports rows per second and the bytes written (database and journal).
//
// Afterwards the file must pass the integrity check, the view must list
// exactly the changed rows, and mdb-export must read back the table as it
// was with only the replacement applied; otherwise the exit code is 1.
// Times are wall clock, with the process's CPU time beside them, as other
// work on the machine can stretch the former.
//
//   view_modify_bench [ROWS [BATCH_ROWS]]   (BATCH_ROWS: rows per durable step,
//                                           by default Modify's own)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/bulk_replace.h"
#include "data/provider/jet_provider.h"
#include "data/share_dm.h"
#include "jet/create/database_builder.h"
#include "jet/update/integrity_check.h"
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

struct Clock {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  std::clock_t cpu = std::clock();
  double Wall() const { return Seconds(wall); }
  double Cpu() const { return static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC; }
};

// Bytes this process has handed to write calls so far (-1 when unknown).
long long BytesWritten() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value) {
    if (key == "wchar:") return value;
  }
  return -1;
}

bool HaveMdbExport() { return std::system("command -v mdb-export >/dev/null 2>&1") == 0; }

// Exports the table to `csv`; the seconds it took, or a negative value.
double MdbExport(const std::string& path, const std::string& csv) {
  auto start = std::chrono::steady_clock::now();
  int rc = std::system(("mdb-export '" + path + "' Big >'" + csv + "'").c_str());
  return rc == 0 ? Seconds(start) : -1;
}

void Report(const char* what, const Clock& clock, double mdb_export) {
  const double seconds = clock.Wall();
  std::printf("%-44s %8.3f s (cpu %.3f s)", what, seconds, clock.Cpu());
  if (mdb_export > 0) std::printf("   %.2fx the time of mdb-export", seconds / mdb_export);
  std::printf("\n");
}

// Every line of `after` must be the line of `before` with each "abc"
// replaced by "ABD" (the only occurrences are the ones the file was built
// with, all lower case). Returns the lines compared, or -1 on a difference.
long CompareExports(const std::string& before, const std::string& after) {
  std::ifstream a(before), b(after);
  std::string old_line, new_line;
  long lines = 0;
  while (std::getline(a, old_line)) {
    if (!std::getline(b, new_line)) return -1;
    for (size_t at = old_line.find("abc"); at != std::string::npos;
         at = old_line.find("abc", at + 3)) {
      old_line.replace(at, 3, "ABD");
    }
    if (old_line != new_line) {
      std::fprintf(stderr, "line %ld differs:\n  expected %s\n  got      %s\n", lines + 1,
                   old_line.c_str(), new_line.c_str());
      return -1;
    }
    ++lines;
  }
  return std::getline(b, new_line) ? -1 : lines;
}

}  // namespace

int main(int argc, char** argv) {
  const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  data::ModifyOptions modify_options;
  if (argc > 2) modify_options.batch_rows = std::atoi(argv[2]);
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("view_modify_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "big.mdb").string();
  const std::string before_csv = (dir / "before.csv").string();
  const std::string after_csv = (dir / "after.csv").string();
  auto start = std::chrono::steady_clock::now();
  if (!MakeFile(path, rows)) {
    std::fprintf(stderr, "could not build the file\n");
    return 1;
  }
  std::printf("%ld rows built in %.2f s\n", rows, Seconds(start));
  const bool have_mdb_export = HaveMdbExport();
  const double mdb_export = have_mdb_export ? MdbExport(path, before_csv) : -1;
  if (mdb_export > 0) std::printf("%-44s %8.3f s\n", "mdb-export of the table", mdb_export);

  long expected = 0;
  for (long i = 0; i < rows; ++i) expected += i % 10 < 3 ? 1 : 0;
  int code = 0;
  auto fail = [&](const std::string& what) {
    std::fflush(stdout);
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
    code = 1;
  };
  try {
    provider::RegisterJetProvider();
    data::TShareDataModule module;
    view::TTableView view;
    view.ADOQuery1.SetConnection(&module.ADOConnection1);
    view.DataGrid1.FitWindowToRows();
    module.ADOConnection1.SetConnectionString(data::BuildConnectionString(path, ""));
    module.ADOConnection1.SetConnected(true);
    auto shout = [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); };

    Clock clock;
    view.RefreshView("Big", "", "", shout);
    Report("open the view (whole table)", clock, mdb_export);
    if (view.ADOQuery1.RecordCount() != rows) fail("the view does not count every row");
    clock = Clock{};
    view.RefreshView("Big", "Name", "ABC", shout);
    Report("open the view (InStr condition, 30% of rows)", clock, mdb_export);
    if (view.ADOQuery1.RecordCount() != expected) fail("the filtered view lists the wrong rows");

    const long long written_before = BytesWritten();
    clock = Clock{};
    data::ModifyOutcome outcome = data::ModifyRows(module.ADOQueryTemp, "Select * From Big", "Name",
                                                   "abc", "ABD", shout, modify_options);
    const double modify_seconds = clock.Wall();
    Report("Modify changing 30% of rows", clock, mdb_export);
    const long long written = BytesWritten() - written_before;
    std::printf("  %lld rows listed, %lld changed: %.0f rows listed/s, %.0f rows changed/s\n",
                static_cast<long long>(outcome.listed), static_cast<long long>(outcome.changed),
                static_cast<double>(outcome.listed) / modify_seconds,
                static_cast<double>(outcome.changed) / modify_seconds);
    if (written >= 0) {
      std::printf("  %.1f MB written (database and journal), %.0f bytes per changed row\n",
                  static_cast<double>(written) / 1e6,
                  static_cast<double>(written) / static_cast<double>(outcome.changed));
    }
    if (outcome.listed != rows || outcome.changed != expected)
      fail("Modify changed the wrong rows");

    view.RefreshView("Big", "Name", "abd", shout);
    if (view.ADOQuery1.RecordCount() != expected)
      fail("the view after Modify lists the wrong rows");
    view.RefreshView("Big", "Name", "abc", shout);
    if (view.ADOQuery1.RecordCount() != 0) fail("rows still hold the search text after Modify");
    view.ADOQuery1.SetConnection(nullptr);
    module.ADOConnection1.SetConnected(false);
  } catch (const std::exception& e) {
    fail(e.what());
  }

  if (code == 0) {
    auto report = jet::CheckDatabaseFile(path, "");
    if (!report.ok()) {
      fail("check: " + report.status().message());
    } else if (!report->ok()) {
      fail("check: " + report->problems.front());
    } else {
      std::printf("check after Modify: OK (%zu rows, %zu index entries)\n", report->rows,
                  report->index_entries);
    }
  }
  if (code == 0 && mdb_export > 0) {
    if (MdbExport(path, after_csv) < 0) {
      fail("mdb-export cannot read the file after Modify");
    } else {
      const long lines = CompareExports(before_csv, after_csv);
      if (lines < 0) {
        fail("mdb-export reads back something else than the replacement");
      } else {
        std::printf("mdb-export after Modify: %ld lines, each the old one with the replacement\n",
                    lines);
      }
    }
  }
  std::filesystem::remove_all(dir);
  return code;
}
