#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sc {

// Line and column (1-based) of a field in a text file; 0 when not known.
struct SourceLocation {
  int line = 0;
  int column = 0;
  bool known() const { return line > 0; }
  bool operator==(const SourceLocation&) const = default;
  auto operator<=>(const SourceLocation&) const = default;
};

// The characters of a text from `begin` up to `end`, which is the place just
// after the last of them; an `end` that is not known leaves the place `begin`
// alone, as a caret shows it.
struct SourceRange {
  SourceLocation begin;
  SourceLocation end;
  bool operator==(const SourceRange&) const = default;
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

// A field the reader could not read as the value it was asked for: the file
// ended before it, or a number field held no number or one outside its
// width. The compilers know which value of which row it was and say so.
class FieldFault : public Fault {
 public:
  enum class Problem { kFileEnds, kNotANumber, kOutOfRange };
  FieldFault(const std::string& what, SourceLocation where, Problem problem,
             std::string_view field = {}, int64_t min = 0, int64_t max = 0)
      : Fault(what, where), problem_(problem), field_(field), min_(min), max_(max) {}
  Problem problem() const { return problem_; }
  const std::string& field() const { return field_; }  // as written
  int64_t min() const { return min_; }                 // the range a number is read into
  int64_t max() const { return max_; }

 private:
  Problem problem_;
  std::string field_;
  int64_t min_;
  int64_t max_;
};

}  // namespace sc
