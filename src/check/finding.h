#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/warning_catalogue.h"
#include "model/error_log.h"

namespace sc {

enum class Severity { kError, kWarning };

// More about a finding; at another row when it has a location there.
struct Note {
  std::string text;
  Source source = Source::kRoute;
  SourceLocation location;
};

// One problem `check` reports: an error of the compile or a warning of the
// lint, at a field of one of the two files or of the route as a whole.
struct Finding {
  Severity severity = Severity::kWarning;
  Source source = Source::kRoute;
  SourceLocation location;
  std::string message;       // Windows-1252, like the texts it quotes
  std::string name;          // the catalogue name shown as [name]
  int32_t error_number = 0;  // errors only
  std::vector<Note> notes;
};

Finding warning_at(Warning code, Source source, SourceLocation location, std::string message);
Finding error_from(const Diagnostic& diagnostic);

// File order: line file, train file, then the route; within a file by line
// and column, a finding without a location first. Stable for equal places.
void sort_in_file_order(std::vector<Finding>& findings);

}  // namespace sc
