// TStrings: a list of text lines that tells its owner when it changes.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace data {

class TStrings {
 public:
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& operator[](int index) const { return lines_.at(index); }
  void Clear();
  void Add(const std::string& line);
  // Every line followed by a carriage return and a line feed.
  std::string Text() const;
  // Replaces the lines by those of `text` (split at CR LF, LF or CR).
  void SetText(const std::string& text);
  // Called after every change.
  std::function<void()> OnChange;

 private:
  void Changed();
  std::vector<std::string> lines_;
};

}  // namespace data
