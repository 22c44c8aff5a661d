// tarnquill-cli export FILE TABLE: the table as CSV on stdout, rows in storage order.
//
// Large tables are read by several threads side by side, each with its own
// open of the file and its own share of the table's runs of pages; this
// thread writes their text run by run, so the order is the storage order
// and memory stays within a few runs per reader whatever the table's size.
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "cli/commands.h"
#include "cli/open_database.h"
#include "jet/value_text.h"

namespace cli {
namespace {

// Text a reader hands over when this much has gathered, even mid-run.
constexpr size_t kPieceBytes = 1 << 18;
// Pieces a reader may have waiting before it pauses.
constexpr size_t kPiecesAhead = 4;
constexpr uint32_t kMaxReaders = 4;

// Appends the cursor's current row as one CSV line; `quoted` says which
// columns are quoted. On failure `out` is left as it was.
jet::Status AppendRow(jet::TableCursor& cursor, const std::vector<uint8_t>& quoted,
                      std::string* out) {
  const size_t row_start = out->size();
  for (size_t i = 0; i < quoted.size(); ++i) {
    if (i > 0) out->push_back(',');
    // Values are decoded straight into the text; text is quoted there.
    if (quoted[i] != 0) out->push_back('"');
    const size_t start = out->size();
    auto present = cursor.AppendText(i, out);
    if (!present.ok()) {
      out->resize(row_start);  // complete rows only
      return present.status();
    }
    if (quoted[i] == 0) continue;
    if (!*present) {
      out->pop_back();  // NULL: an empty field, without quotes
      continue;
    }
    jet::DoubleCsvQuotes(out, start);
    out->push_back('"');
  }
  out->push_back('\n');
  return jet::Status::Ok();
}

// Complete lines of one run of pages. A run too long for one piece comes in
// several, all but the last marked `more`.
struct Piece {
  uint64_t run = 0;
  bool more = false;
  bool last = false;  // the reader's final piece: after its text, `status`
  std::string text;
  jet::Status status;
};

// One reader: a thread that scans its share of the table into pieces.
class ShareReader {
 public:
  ShareReader(std::unique_ptr<jet::Database> db, std::unique_ptr<jet::TableCursor> cursor,
              const std::vector<uint8_t>* quoted)
      : db_(std::move(db)), cursor_(std::move(cursor)), quoted_(quoted) {
    thread_ = std::thread([this] { Run(); });
  }
  ~ShareReader() {
    {
      std::lock_guard<std::mutex> lock(mu_);
      stop_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  ShareReader(const ShareReader&) = delete;
  ShareReader& operator=(const ShareReader&) = delete;

  // The next piece, waiting for it; it stays until Pop().
  Piece& Front() {
    std::unique_lock<std::mutex> lock(mu_);
    cv_.wait(lock, [this] { return !pieces_.empty(); });
    return pieces_.front();
  }
  void Pop() {
    {
      std::lock_guard<std::mutex> lock(mu_);
      pieces_.pop_front();
    }
    cv_.notify_all();
  }

 private:
  void Run() {
    Piece piece;
    bool started = false;
    for (;;) {
      auto more = cursor_->Next();
      if (!more.ok() || !*more) {
        piece.last = true;
        if (!more.ok()) piece.status = more.status();
        Hand(std::move(piece));
        return;
      }
      const uint64_t run = cursor_->run();
      if (started && run != piece.run) {
        if (!Hand(std::move(piece))) return;
        piece = Piece{};
      }
      started = true;
      piece.run = run;
      jet::Status s = AppendRow(*cursor_, *quoted_, &piece.text);
      if (!s.ok()) {
        piece.last = true;
        piece.status = std::move(s);
        Hand(std::move(piece));
        return;
      }
      if (piece.text.size() >= kPieceBytes) {
        piece.more = true;
        if (!Hand(std::move(piece))) return;
        piece = Piece{};
        piece.run = run;
      }
    }
  }

  // Queues `piece`, waiting while enough are queued; false once stopped.
  bool Hand(Piece piece) {
    {
      std::unique_lock<std::mutex> lock(mu_);
      cv_.wait(lock, [this] { return stop_ || pieces_.size() < kPiecesAhead; });
      if (stop_) return false;
      pieces_.push_back(std::move(piece));
    }
    cv_.notify_all();
    return true;
  }

  std::unique_ptr<jet::Database> db_;  // read only by the thread, via cursor_
  std::unique_ptr<jet::TableCursor> cursor_;
  const std::vector<uint8_t>* quoted_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<Piece> pieces_;
  bool stop_ = false;
  std::thread thread_;  // last: started once everything above exists
};

}  // namespace

int RunExport(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args;
  if (!ParseCommandArgs("export", argv, 2, &args, err)) return kExitUsage;
  auto opened = OpenTableOrReport(args, err);
  if (!opened) return kExitFailure;
  const jet::TableDef& table = opened->table;
  const std::string& file = args.positional[0];
  std::string line;
  std::vector<uint8_t> quoted;
  for (size_t i = 0; i < table.columns.size(); ++i) {
    if (i > 0) line.push_back(',');
    line += jet::CsvName(table.columns[i].name);
    quoted.push_back(jet::CsvQuoted(table.columns[i].type) ? 1 : 0);
  }

  // One reader per core; the first uses the open that found the table.
  const uint32_t count = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxReaders);
  std::vector<std::unique_ptr<ShareReader>> readers;
  for (uint32_t i = 0; i < count; ++i) {
    std::unique_ptr<jet::Database> db = i == 0 ? std::move(opened->db) : OpenOrReport(args, err);
    if (!db) return kExitFailure;
    auto cursor = db->ScanPart(table, i, count);
    if (!cursor.ok()) {
      err << InFile(file, cursor.status().message()) << "\n";
      return kExitFailure;
    }
    readers.push_back(
        std::make_unique<ShareReader>(std::move(db), std::move(cursor).value(), &quoted));
  }

  out << line << "\n";
  // Run by run, each from the reader whose share it is; a run without rows
  // has no piece, and a reader that has finished has no more runs.
  std::vector<uint8_t> finished(count, 0);
  size_t unfinished = count;
  for (uint64_t run = 0; unfinished > 0;) {
    const size_t r = run % count;
    if (finished[r] != 0) {
      ++run;
      continue;
    }
    Piece& piece = readers[r]->Front();
    if (piece.run > run) {
      ++run;
      continue;
    }
    out << piece.text;
    if (!piece.status.ok()) {
      out.flush();
      err << InFile(file, piece.status.message()) << "\n";
      return kExitFailure;
    }
    const bool run_done = !piece.more;
    if (piece.last) {
      finished[r] = 1;
      --unfinished;
    }
    readers[r]->Pop();
    if (run_done) ++run;
  }
  out.flush();
  if (!out) {
    err << "could not write the exported rows\n";
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace cli
