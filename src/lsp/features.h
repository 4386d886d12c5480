#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lsp/analysis.h"
#include "lsp/outline.h"
#include "lsp/text_positions.h"
#include "lsp/value_notes.h"

namespace sc::lsp {

// The answers to the editor's requests about one document, as protocol JSON.

nlohmann::json range_json(const Range& range);

// The range from `from` up to `to` (1-based lines and columns); the place
// `from` alone when `to` has no line, and the file's first position when
// `from` has none.
Range range_of(const Spot& from, const Spot& to);

nlohmann::json hover(const LineIndex& lines, const Outline& outline, Position at);
nlohmann::json completion(const LineIndex& lines, const Outline& outline, TextFile file,
                          Position at);
// The snippet that completion offers for a whole row of `kind`; its
// placeholders hold values that compile.
std::string row_snippet(const RowKindInfo& kind);
nlohmann::json document_symbols(const LineIndex& lines, const Outline& outline);

// A problem as published for one document, its notes resolved to documents.
struct PublishedNote {
  std::string uri;
  Range range;
  std::string message;
};
struct Published {
  Range range;
  Problem problem;
  std::vector<PublishedNote> notes;
};

nlohmann::json diagnostic_json(const Published& published);

// The rows the notes of the problems at `at` point to.
nlohmann::json definition(const std::string& uri, const std::vector<Published>& problems,
                          Position at);

// A quick fix for each problem in `range` that has fix-its, making them all.
nlohmann::json code_actions(const std::string& uri, const LineIndex& lines,
                            const std::vector<Published>& problems, const Range& range);

}  // namespace sc::lsp
