// The built tarnquill-cli as a process beside a write: killed at moments of
// a replace, the next plain command finds every row old or new; a query run
// in a loop while a Modify stores its steps sees each step whole or not at
// all, never a torn page.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "cli/commands.h"
#include "data/bulk_replace.h"
#include "data/provider/jet_provider.h"
#include "data/share_dm.h"
#include "tests/cli/cli_call.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace cli {
namespace {

namespace fs = std::filesystem;
namespace tq = tarnquill::testing;
using testing::Outcome;

// Starts the built tarnquill-cli; its standard output goes to `*out_fd`
// when given (a pipe to read), else nowhere.
pid_t Start(const std::vector<std::string>& args, int* out_fd = nullptr) {
  int pipe_fds[2] = {-1, -1};
  if (out_fd != nullptr && pipe(pipe_fds) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    if (out_fd != nullptr) {
      dup2(pipe_fds[1], STDOUT_FILENO);
      dup2(pipe_fds[1], STDERR_FILENO);
      close(pipe_fds[0]);
      close(pipe_fds[1]);
    } else {
      const int null_fd = open("/dev/null", O_WRONLY);
      dup2(null_fd, STDOUT_FILENO);
      dup2(null_fd, STDERR_FILENO);
    }
    testing::ExecCli(args);
  }
  if (out_fd != nullptr) {
    close(pipe_fds[1]);
    *out_fd = pipe_fds[0];
  }
  return pid;
}

// Runs the built tarnquill-cli to its end: exit code, and everything it
// printed (both streams) in `out`.
Outcome RunCli(const std::vector<std::string>& args) {
  int fd = -1;
  const pid_t pid = Start(args, &fd);
  if (pid < 0) return {-1, "", "cannot start tarnquill-cli"};
  std::string out;
  char buffer[65536];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) out.append(buffer, n);
  close(fd);
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, ""};
}

// Exported rows by their first column (a whole number), lines without
// their end; the header is left out.
std::map<int, std::string> RowsById(const std::string& csv, std::string* fault) {
  std::map<int, std::string> rows;
  size_t at = csv.find('\n');
  while (at != std::string::npos && at + 1 < csv.size()) {
    const size_t end = csv.find('\n', at + 1);
    const std::string line = csv.substr(at + 1, end - at - 1);
    if (!rows.emplace(std::atoi(line.c_str()), line).second) *fault = "twice: " + line;
    at = end;
  }
  return rows;
}

// How many rows of `csv` are as in `after` (the rest must be as in
// `before`); -1 with `*fault` set when a row is neither, missing or twice.
int NewRows(const std::string& csv, const std::map<int, std::string>& before,
            const std::map<int, std::string>& after, std::string* fault) {
  const auto rows = RowsById(csv, fault);
  if (!fault->empty()) return -1;
  if (rows.size() != before.size()) {
    *fault = std::to_string(rows.size()) + " rows instead of " + std::to_string(before.size());
    return -1;
  }
  int changed = 0;
  for (const auto& [id, line] : rows) {
    if (after.count(id) && line == after.at(id)) {
      ++changed;
    } else if (!before.count(id) || line != before.at(id)) {
      *fault = "neither old nor new: " + line;
      return -1;
    }
  }
  return changed;
}

TEST(ProcessesTest, AReplaceKilledAnywhereLeavesEveryRowOldOrNew) {
  tq::TempDir tmp;
  std::vector<jet::create::Row> rows;
  for (int i = 1; i <= 3000; ++i) {
    rows.push_back({int32_t{i}, "Old Town " + std::to_string(i % 97) + " " + std::string(60, 'x')});
  }
  ASSERT_OK_AND_ASSIGN(
      const std::string original,
      tq::MakeFixtureDatabase(
          tmp.path(),
          {{tq::Table("Places",
                      {tq::Column("Id", jet::ColumnType::kLong), tq::TextColumn("City", 100)},
                      {tq::PrimaryKey("Id"), tq::Index("ByCity", {"City"})}),
            rows}}));
  const std::vector<std::string> replace = {"--table", "Places",   "--field",   "City",
                                            "--find",  "old town", "--replace", "New Town"};
  auto replace_in = [&](const std::string& file) {
    std::vector<std::string> args = {"replace", file};
    args.insert(args.end(), replace.begin(), replace.end());
    return args;
  };
  std::string fault;
  const auto before = RowsById(testing::Call({"export", original, "Places"}).out, &fault);
  const std::string full = tmp.File("full.mdb");
  fs::copy_file(original, full);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(RunCli(replace_in(full)).code, kExitOk);
  const auto run_time = std::chrono::steady_clock::now() - started;
  const auto after = RowsById(testing::Call({"export", full, "Places"}).out, &fault);
  ASSERT_EQ(before.size(), 3000u);
  ASSERT_TRUE(fault.empty()) << fault;

  // Kills at fractions of an uninterrupted run, and the moment the journal
  // first holds something: mid-step, the file half written. The first
  // command after the kill, export or check, must roll that back itself.
  const std::string file = tmp.File("kill.mdb");
  auto journal_is_hot = [&] {
    struct stat st;
    return stat((file + "-journal").c_str(), &st) == 0 && st.st_size > 0;
  };
  const struct {
    int tenths;  // -1: once the journal fills
    const char* first;
  } kills[] = {{-1, "export"}, {-1, "check"}, {3, "export"}, {7, "check"}};
  for (const auto& k : kills) {
    SCOPED_TRACE((k.tenths < 0 ? std::string("killed once the journal fills")
                               : "killed at " + std::to_string(k.tenths) + "/10") +
                 ", then " + k.first);
    // The journal's moment is brief: try again until the kill lands in it.
    for (int attempt = 0; attempt < 5; ++attempt) {
      fs::remove(file);
      fs::remove(file + "-journal");
      fs::copy_file(original, file);
      const pid_t pid = Start(replace_in(file));
      ASSERT_GT(pid, 0);
      if (k.tenths < 0) {
        for (int spins = 0; spins < 50'000'000 && !journal_is_hot(); ++spins) {
        }
      } else {
        std::this_thread::sleep_for(run_time * k.tenths / 10);
      }
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      if (k.tenths >= 0 || journal_is_hot()) break;
    }
    if (k.tenths < 0) {
      ASSERT_TRUE(journal_is_hot()) << "no kill landed mid-step";
    }
    if (std::string(k.first) == "check") {
      Outcome check = RunCli({"check", file});
      EXPECT_EQ(check.code, kExitOk) << check.out;
      EXPECT_FALSE(journal_is_hot()) << "check judged the file without rolling it back";
    }
    Outcome exported = RunCli({"export", file, "Places"});
    ASSERT_EQ(exported.code, kExitOk) << exported.out;
    EXPECT_FALSE(journal_is_hot());
    fault.clear();
    const int changed = NewRows(exported.out, before, after, &fault);
    EXPECT_TRUE(changed == 0 || changed == 3000) << changed << " rows new: one step is all rows";
    EXPECT_TRUE(fault.empty()) << fault;
    Outcome check = RunCli({"check", file});
    EXPECT_EQ(check.code, kExitOk) << check.out;
    tq::ExpectOracleAccepts(file);
  }
}

// Stops each step of a Modify until the query loop has read the file
// since the step before was stored, so that every state between steps is
// seen, and reads also run while steps are written.
class WaitForAReader : public data::StoreObserver {
 public:
  WaitForAReader(const std::atomic<int>* started, const std::atomic<int>* finished)
      : started_(started), finished_(finished) {}
  void BeforeStore(const data::RowChange&) override {}
  void StoreFailed() override {}
  void BeforeCommit() override {
    const int wanted = started_->load() + 1;  // a read that starts from now on
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (finished_->load() < wanted && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

 private:
  const std::atomic<int>* started_;
  const std::atomic<int>* finished_;
};

TEST(ProcessesTest, AQueryLoopNeverSeesHalfOfAModifyStep) {
  constexpr int kRows = 200, kBatch = 25;
  tq::TempDir tmp;
  std::vector<jet::create::Row> rows;
  for (int i = 1; i <= kRows; ++i) {
    // Long values over several pages: each step rewrites many of them.
    rows.push_back({int32_t{i}, "old " + std::to_string(i) + std::string(1500 + i * 7, 'o')});
  }
  ASSERT_OK_AND_ASSIGN(
      const std::string file,
      tq::MakeFixtureDatabase(tmp.path(), {{tq::Table("Log",
                                                      {tq::Column("Id", jet::ColumnType::kLong),
                                                       tq::Column("Entry", jet::ColumnType::kMemo)},
                                                      {tq::PrimaryKey("Id")}),
                                            rows}}));
  std::string fault;
  const std::string statement = "Select * From Log";
  const auto old_rows = RowsById(RunCli({"query", file, statement}).out, &fault);
  ASSERT_EQ(old_rows.size(), size_t{kRows});

  std::atomic<int> started{0}, finished{0};
  std::atomic<bool> writing{true};
  std::vector<Outcome> reads;
  std::thread reader([&] {
    while (writing.load()) {
      ++started;
      reads.push_back(RunCli({"query", file, statement}));
      ++finished;
    }
  });
  provider::RegisterJetProvider();
  data::TShareDataModule dm;
  dm.ADOConnection1.SetConnectionString(data::BuildConnectionString(file, ""));
  dm.ADOConnection1.SetConnected(true);
  WaitForAReader wait(&started, &finished);
  data::ModifyOptions options;
  options.batch_rows = kBatch;
  options.observer = &wait;
  data::ModifyOutcome outcome;
  try {
    outcome = data::ModifyRows(dm.ADOQueryTemp, data::ViewStatement("Log", "", ""), "Entry", "old",
                               "newer", nullptr, options);
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
  writing = false;
  reader.join();
  dm.ADOConnection1.SetConnected(false);
  EXPECT_EQ(outcome.changed, kRows);
  const auto new_rows = RowsById(RunCli({"query", file, statement}).out, &fault);

  std::set<int> states;
  for (const Outcome& read : reads) {
    ASSERT_EQ(read.code, kExitOk) << read.out;
    fault.clear();
    const int changed = NewRows(read.out, old_rows, new_rows, &fault);
    ASSERT_TRUE(fault.empty()) << fault;
    EXPECT_EQ(changed % kBatch, 0) << "a step seen half stored";
    states.insert(changed);
  }
  // Every state between steps was read.
  for (int done = 0; done < kRows; done += kBatch) EXPECT_EQ(states.count(done), 1u) << done;
  tq::ExpectOracleAccepts(file);
}

}  // namespace
}  // namespace cli
