// UiServices: the seam through which the window shows message boxes and the
// progress of long commands and runs the open-file dialog, so that tests can
// record them and answer the dialog without blocking. QtUiServices is the real one.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

namespace app {

enum class MessageIcon { kNone, kError };

// A modal box with one OK button, centred on the screen.
struct MessageBoxRequest {
  QString caption;
  QString text;
  MessageIcon icon = MessageIcon::kNone;
};

// An open-file dialog. `filter` is "description|patterns" (one entry);
// `default_ext` is added to a typed name without extension.
struct FileDialogRequest {
  QString file_name;
  QString initial_dir;
  QString default_ext;
  QString filter;
};

// The progress of a long command: `text` says what is being done, `done`
// of `total` rows.
struct ProgressRequest {
  QString caption;
  QString text;
  int64_t done = 0;
  int64_t total = 0;
};

class UiServices {
 public:
  virtual ~UiServices() = default;
  // Shows the box and returns when the user has dismissed it.
  virtual void ShowMessageBox(const MessageBoxRequest& request) = 0;
  // Runs the dialog modally over `parent`; returns the chosen full path, or
  // nullopt when the user cancelled.
  virtual std::optional<QString> RunOpenDialog(const FileDialogRequest& request,
                                               QWidget* parent) = 0;
  // Shows the progress indication over `parent`, or updates the one shown,
  // and lets the windows repaint. User input stays queued: the command
  // still blocks the window until it ends. A message box hides it.
  virtual void ShowProgress(const ProgressRequest& /*request*/, QWidget* /*parent*/) {}
  // Takes the progress indication away; nothing when none is shown.
  virtual void HideProgress() {}
};

}  // namespace app
