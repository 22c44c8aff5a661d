// tarnquill-cli import FILE TABLE CSVFILE [--create]: appends the rows of a
// CSV file in the form `export` writes. With --create a missing database file
// is created, and a missing table (in a new or an existing Access 2000 or
// later file) is created from the CSV header with text columns (memo where a
// value is longer than 255 characters). The whole import, table included, is
// one atomic change: it is stored completely or not at all.
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/open_database.h"
#include "jet/create/csv_values.h"
#include "jet/create/database_builder.h"
#include "jet/create/row_appender.h"
#include "jet/text_codec.h"
#include "text/case_fold.h"

namespace cli {

namespace {

using jet::Status;
using jet::create::CsvRecord;
using jet::create::Row;

constexpr size_t kBatchRows = 2000;
constexpr size_t kMaxTextChars = 255;

size_t Utf16Units(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) {
    if ((c & 0xC0) != 0x80) n += c >= 0xF0 ? 2 : 1;
  }
  return n;
}

// The table's column for each CSV column; InvalidArgument for a name the
// table does not have, or one given twice.
jet::Result<std::vector<size_t>> MapColumns(const jet::TableDef& table, const CsvRecord& header) {
  std::vector<size_t> map;
  std::vector<bool> used(table.columns.size(), false);
  for (const auto& field : header) {
    size_t found = table.columns.size();
    for (size_t k = 0; k < table.columns.size(); ++k) {
      if (text::FoldCase(table.columns[k].name) == text::FoldCase(field.text)) found = k;
    }
    if (found == table.columns.size()) {
      return Status::InvalidArgument("table '" + table.name + "' has no column '" + field.text +
                                     "'");
    }
    if (used[found]) return Status::InvalidArgument("column '" + field.text + "' is given twice");
    used[found] = true;
    map.push_back(found);
  }
  return map;
}

// Rows for `table` from the CSV records after the header.
jet::Result<std::vector<Row>> MakeRows(const jet::TableDef& table,
                                       const std::vector<CsvRecord>& csv,
                                       const std::vector<size_t>& map) {
  std::vector<Row> rows;
  rows.reserve(csv.size() - 1);
  for (size_t r = 1; r < csv.size(); ++r) {
    const CsvRecord& rec = csv[r];
    if (rec.size() == 1 && rec[0].text.empty() && !rec[0].quoted && map.size() != 1) continue;
    if (rec.size() != map.size()) {
      return Status::InvalidArgument("CSV record " + std::to_string(r) + " has " +
                                     std::to_string(rec.size()) + " fields, the header " +
                                     std::to_string(map.size()));
    }
    Row row(table.columns.size());
    for (size_t i = 0; i < rec.size(); ++i) {
      auto v = jet::create::ParseFieldValue(table.columns[map[i]], rec[i]);
      if (!v.ok()) return v.status().WithContext("CSV record " + std::to_string(r));
      row[map[i]] = std::move(v).value();
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

jet::create::TableSpec TextTableFor(const std::string& name, const std::vector<CsvRecord>& csv) {
  jet::create::TableSpec spec;
  spec.name = name;
  for (size_t i = 0; i < csv[0].size(); ++i) {
    size_t longest = 1;
    for (size_t r = 1; r < csv.size(); ++r) {
      if (i < csv[r].size()) longest = std::max(longest, Utf16Units(csv[r][i].text));
    }
    jet::create::ColumnSpec c;
    c.name = csv[0][i].text;
    c.type = longest > kMaxTextChars ? jet::ColumnType::kMemo : jet::ColumnType::kText;
    c.max_length = static_cast<uint16_t>(kMaxTextChars);
    spec.columns.push_back(std::move(c));
  }
  return spec;
}

Status ImportIntoNewFile(const std::string& path, const std::string& password,
                         const std::string& table, const std::vector<CsvRecord>& csv,
                         size_t* imported) {
  jet::create::NewDatabaseOptions options;
  options.password = password;
  JET_ASSIGN_OR_RETURN(auto builder, jet::create::DatabaseBuilder::New(options));
  JET_RETURN_IF_ERROR(builder->CreateTable(TextTableFor(table, csv)));
  JET_ASSIGN_OR_RETURN(jet::TableDef def, builder->Describe(table));
  JET_ASSIGN_OR_RETURN(auto map, MapColumns(def, csv[0]));
  JET_ASSIGN_OR_RETURN(auto rows, MakeRows(def, csv, map));
  JET_RETURN_IF_ERROR(builder->InsertRows(table, rows));
  *imported = rows.size();
  return builder->Save(path);
}

Status ImportIntoExistingFile(const std::string& path, const std::string& password,
                              const std::string& table, bool create,
                              const std::vector<CsvRecord>& csv, size_t* imported) {
  jet::WriteOptions options;
  options.password = password;
  JET_ASSIGN_OR_RETURN(auto appender, jet::create::FileAppender::Open(path, options));
  auto def = appender->FindTable(table);
  if (!def.ok() && def.status().IsNotFound() && create) {
    // Created inside the same transaction as the rows: a failure below
    // leaves no empty table behind.
    def = appender->CreateTable(TextTableFor(table, csv));
  }
  if (!def.ok()) return def.status();
  JET_ASSIGN_OR_RETURN(auto map, MapColumns(*def, csv[0]));
  JET_ASSIGN_OR_RETURN(auto rows, MakeRows(*def, csv, map));
  for (size_t at = 0; at < rows.size(); at += kBatchRows) {
    std::vector<Row> batch(
        rows.begin() + static_cast<ptrdiff_t>(at),
        rows.begin() + static_cast<ptrdiff_t>(std::min(rows.size(), at + kBatchRows)));
    Status s = appender->Append(&*def, batch);
    if (!s.ok()) {
      // Row numbers in the message count from the batch; say where it began.
      return s.WithContext("rows from CSV record " + std::to_string(at + 1));
    }
  }
  JET_RETURN_IF_ERROR(appender->Commit());
  *imported = rows.size();
  return Status::Ok();
}

}  // namespace

int RunImport(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  std::vector<std::string> rest;
  bool create = false;
  for (const std::string& a : argv) {
    if (a == "--create") {
      create = true;
    } else {
      rest.push_back(a);
    }
  }
  Args args;
  std::string error;
  if (!ParseArgs(rest, &args, &error) || args.positional.size() != 3) {
    err << (error.empty() ? "" : error + "\n") << UsageLine("import") << "\n";
    return kExitUsage;
  }
  const std::string& path = args.positional[0];
  const std::string& table = args.positional[1];
  const std::string& csv_path = args.positional[2];
  std::ifstream in(csv_path, std::ios::binary);
  if (!in) {
    err << "Could not find file '" << csv_path << "'.\n";
    return kExitFailure;
  }
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto csv = jet::create::ParseCsv(data);
  if (!csv.ok()) {
    err << csv_path << ": " << csv.status().message() << "\n";
    return kExitFailure;
  }
  if (csv->empty() || csv->front().empty()) {
    err << csv_path << ": no header line\n";
    return kExitFailure;
  }
  struct stat st;
  bool exists = ::stat(path.c_str(), &st) == 0;
  size_t imported = 0;
  Status s;
  if (!exists && !create) {
    s = Status::NotFound("Could not find file '" + path + "'.");
  } else if (!exists) {
    s = ImportIntoNewFile(path, args.password, table, *csv, &imported);
  } else {
    s = ImportIntoExistingFile(path, args.password, table, create, *csv, &imported);
  }
  if (!s.ok()) {
    err << InFile(path, s.message()) << "\nNothing was imported.\n";
    return kExitFailure;
  }
  out << "Imported " << imported << " rows into " << table << "\n";
  return kExitOk;
}

}  // namespace cli
