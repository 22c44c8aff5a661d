#include "app/app_title.h"

namespace app {

QString ApplicationTitle(const QString& executable_path) {
  QString name = executable_path.mid(executable_path.lastIndexOf(u'/') + 1);
  const qsizetype dot = name.indexOf(u'.');
  if (dot >= 0) name.truncate(dot);
  if (name.isEmpty()) return name;
  // The first character may take two UTF-16 units; it keeps its case.
  const qsizetype first = (name.size() > 1 && name.at(0).isHighSurrogate()) ? 2 : 1;
  return name.left(first) + name.mid(first).toLower();
}

}  // namespace app
