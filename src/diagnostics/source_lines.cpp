#include "diagnostics/source_lines.h"

namespace sc {

SourceLines::SourceLines(std::string_view text) : text_(text) {
  starts_.push_back(0);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    starts_.push_back(i + 1);
  }
}

size_t SourceLines::start(int number) const {
  if (number < 1 || static_cast<size_t>(number) > starts_.size()) return text_.size();
  return starts_[static_cast<size_t>(number) - 1];
}

std::string_view SourceLines::line(int number) const {
  const size_t begin = start(number);
  const size_t end = text_.find_first_of("\r\n", begin);
  return text_.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
}

}  // namespace sc
