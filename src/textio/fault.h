#pragma once

#include <stdexcept>
#include <string>

namespace sc {

// Line and column (1-based) of a field in a text file; 0 when not known.
struct SourceLocation {
  int line = 0;
  int column = 0;
  bool known() const { return line > 0; }
  bool operator==(const SourceLocation&) const = default;
};

// A run-time fault while compiling: a read past the end of a file, a value
// that does not fit its field, an index outside an array. The compile call
// turns it into error 25.
class Fault : public std::runtime_error {
 public:
  explicit Fault(const std::string& what, SourceLocation where = {})
      : std::runtime_error(what), where_(where) {}
  SourceLocation where() const { return where_; }

 private:
  SourceLocation where_;
};

}  // namespace sc
