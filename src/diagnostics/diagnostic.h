#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/error_log.h"

namespace sc {

enum class Severity { kError, kWarning };

// More about a finding; at another row when it has a location there.
struct Note {
  std::string text;
  Source source = Source::kRoute;
  SourceLocation location;
};

// One problem a command reports: an error of the compile or a warning, at a
// field of one of the two files or of the route as a whole. Every command
// prints it through render.h and writes it as JSON in one form.
struct Finding {
  Severity severity = Severity::kWarning;
  Source source = Source::kRoute;
  SourceLocation location;
  std::string message;              // Windows-1252, like the texts it quotes
  std::string name;                 // the catalogue name; shown as [name] for warnings
  int32_t error_number = 0;         // errors only
  std::optional<int32_t> position;  // metres along the route, when the error sets one
  std::vector<Note> notes;
};

Finding error_from(const Diagnostic& diagnostic);

// File order: line file, train file, then the route; within a file by line
// and column, a finding without a location first. Stable for equal places.
void sort_in_file_order(std::vector<Finding>& findings);

}  // namespace sc
