#include "cli/change_report.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "jet/create/csv_values.h"
#include "jet/value_text.h"

namespace cli {
namespace {

constexpr const char* kFieldColumn = "field";
constexpr const char* kOldColumn = "old value";
constexpr const char* kNewColumn = "new value";

std::string Cell(const std::string& text) { return jet::CsvField(jet::Value(text)); }

}  // namespace

std::unique_ptr<ReportWriter> ReportWriter::Create(const std::string& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = errno == EEXIST ? "the report '" + path + "' exists already; name a new file"
                             : "cannot create the report '" + path + "': " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<ReportWriter>(new ReportWriter(path, fd));
}

ReportWriter::~ReportWriter() { ::close(fd_); }

void ReportWriter::Fail(const std::string& what) const {
  throw std::runtime_error("cannot " + what + " the report '" + path_ + "': " +
                           std::strerror(errno));
}

void ReportWriter::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("write");
    done += static_cast<size_t>(n);
  }
  size_ += static_cast<int64_t>(bytes.size());
}

void ReportWriter::Start(const std::string& table, const std::vector<std::string>& key_names) {
  table_ = table;
  std::string header = "table";
  for (const std::string& k : key_names) header += "," + jet::CsvName(k);
  if (key_names.empty()) header += std::string(",") + kPositionColumn;
  header += std::string(",") + kFieldColumn + "," + kOldColumn + "," + kNewColumn + "\r\n";
  Write(header);
  started_ = true;
}

void ReportWriter::BeforeStore(const data::RowChange& row) {
  before_row_ = size_;
  std::string key = Cell(table_);
  for (const std::string& k : row.key) key += "," + Cell(k);
  if (row.key.empty()) key += "," + Cell(std::to_string(row.position));
  std::string records;
  for (const data::FieldChange& f : row.fields) {
    records += key + "," + Cell(f.field) + "," + Cell(f.old_text) + "," + Cell(f.change.text) +
               "\r\n";
  }
  try {
    Write(records);
  } catch (...) {
    // A record cut short would spoil the report for undo: the row goes
    // unstored and unrecorded.
    if (::ftruncate(fd_, before_row_) == 0) size_ = before_row_;
    ::lseek(fd_, before_row_, SEEK_SET);
    throw;
  }
  ++rows_;
}

void ReportWriter::StoreFailed() {
  if (::ftruncate(fd_, before_row_) != 0 || ::lseek(fd_, before_row_, SEEK_SET) < 0) {
    Fail("take a refused row out of");
  }
  size_ = before_row_;
  --rows_;
}

void ReportWriter::BeforeCommit() {
  if (::fsync(fd_) != 0) Fail("flush");
}

bool ReadReport(const std::string& path, Report* report, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read the report '" + path + "': " + std::strerror(errno);
    return false;
  }
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto csv = jet::create::ParseCsv(data);
  if (!csv.ok()) {
    *error = path + ": " + csv.status().message();
    return false;
  }
  const std::vector<jet::create::CsvRecord>& records = *csv;
  auto is = [](const jet::create::CsvField& f, const char* name) { return f.text == name; };
  if (records.empty() || records[0].size() < 5 || !is(records[0][0], "table") ||
      !is(records[0][records[0].size() - 3], kFieldColumn) ||
      !is(records[0][records[0].size() - 2], kOldColumn) ||
      !is(records[0][records[0].size() - 1], kNewColumn)) {
    *error = path + ": not a change report of tarnquill-cli replace (its first line must read "
                    "table,<key columns>,field,old value,new value)";
    return false;
  }
  const size_t width = records[0].size();
  for (size_t i = 1; i + 3 < width; ++i) report->key_names.push_back(records[0][i].text);
  for (size_t r = 1; r < records.size(); ++r) {
    const jet::create::CsvRecord& rec = records[r];
    if (rec.size() == 1 && rec[0].text.empty() && !rec[0].quoted) continue;  // a blank line
    if (rec.size() != width) {
      *error = path + ": record " + std::to_string(r) + " has " + std::to_string(rec.size()) +
               " fields, the header " + std::to_string(width);
      return false;
    }
    ReportEntry e;
    e.record = r;
    e.table = rec[0].text;
    for (size_t i = 1; i + 3 < width; ++i) e.key.push_back(rec[i].text);
    e.field = rec[width - 3].text;
    e.old_text = rec[width - 2].text;
    e.new_text = rec[width - 1].text;
    report->entries.push_back(std::move(e));
  }
  return true;
}

}  // namespace cli
