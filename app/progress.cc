#include "app/progress.h"

namespace app {

QString ProgressText(ProgressPhase phase, int64_t done, int64_t total) {
  const QString counts = QStringLiteral("%1 / %2").arg(done).arg(total);
  switch (phase) {
    case ProgressPhase::kReading:
      return QString::fromUtf8("正在读取表中的行：%1 行").arg(counts);
    case ProgressPhase::kModifying:
      return QString::fromUtf8("正在修改列出的行：%1 行").arg(counts);
  }
  return counts;
}

TProgressGate::TProgressGate(UiServices& ui, QWidget* parent, QString caption, Clock clock,
                             std::chrono::milliseconds threshold,
                             std::chrono::milliseconds interval)
    : ui_(ui),
      parent_(parent),
      caption_(std::move(caption)),
      clock_(std::move(clock)),
      threshold_(threshold),
      interval_(interval) {}

void TProgressGate::Begin() {
  started_ = clock_();
  shown_ = false;
}

void TProgressGate::Report(ProgressPhase phase, int64_t done, int64_t total) {
  const auto now = clock_();
  if (!shown_) {
    if (now - started_ < threshold_) return;
  } else if (now - last_shown_ < interval_ && done < total) {
    return;  // repainting for every batch would slow the work down
  }
  shown_ = true;
  last_shown_ = now;
  ui_.ShowProgress({caption_, ProgressText(phase, done, total), done, total}, parent_);
}

void TProgressGate::End() {
  if (!shown_) return;
  shown_ = false;
  ui_.HideProgress();
}

}  // namespace app
