// Progress of the window's long commands. The database steps report rows
// done of rows in hand to a ProgressSink; TProgressGate shows them through
// UiServices, but only once a step has run for a while, so that the quick
// commands of everyday use never flash a window.
#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>

#include "app/ui_services.h"

class QWidget;

namespace app {

enum class ProgressPhase {
  kReading,    // the table's rows are read to find those listed
  kModifying,  // the listed rows are changed
};

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // A step starts: its clock starts.
  virtual void Begin() = 0;
  virtual void Report(ProgressPhase phase, int64_t done, int64_t total) = 0;
  // The step ended, also by a failure.
  virtual void End() = 0;
};

// The words shown for `phase` with its counts.
QString ProgressText(ProgressPhase phase, int64_t done, int64_t total);

class TProgressGate : public ProgressSink {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr std::chrono::milliseconds kDefaultThreshold{500};
  static constexpr std::chrono::milliseconds kDefaultInterval{100};

  // Shows progress over `parent` with `caption` once a step has run for
  // `threshold`, then at most once per `interval` (and always the last row).
  TProgressGate(UiServices& ui, QWidget* parent, QString caption,
                Clock clock = std::chrono::steady_clock::now,
                std::chrono::milliseconds threshold = kDefaultThreshold,
                std::chrono::milliseconds interval = kDefaultInterval);

  void Begin() override;
  void Report(ProgressPhase phase, int64_t done, int64_t total) override;
  void End() override;

  bool Shown() const { return shown_; }

 private:
  UiServices& ui_;
  QWidget* parent_;
  QString caption_;
  Clock clock_;
  std::chrono::milliseconds threshold_;
  std::chrono::milliseconds interval_;
  std::chrono::steady_clock::time_point started_{};
  std::chrono::steady_clock::time_point last_shown_{};
  bool shown_ = false;
};

// Brackets one database step: Begin on construction, End on destruction
// (also when the step throws). A null sink does nothing.
class ProgressStep {
 public:
  explicit ProgressStep(ProgressSink* sink) : sink_(sink) {
    if (sink_) sink_->Begin();
  }
  ~ProgressStep() {
    if (sink_) sink_->End();
  }
  ProgressStep(const ProgressStep&) = delete;
  ProgressStep& operator=(const ProgressStep&) = delete;

 private:
  ProgressSink* sink_;
};

}  // namespace app
