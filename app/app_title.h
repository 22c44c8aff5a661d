// The application title that captions every message box, derived from the
// executable's file name.
#pragma once

#include <QString>

namespace app {

// Returns the file name of `executable_path` without its directory, cut at its
// first full stop, with every character after the first in lower case:
// "/opt/tq/TarnQuill.bin" gives "Tarnquill", "/usr/bin/tarnquill" "tarnquill".
QString ApplicationTitle(const QString& executable_path);

}  // namespace app
