#pragma once

#include <string_view>
#include <vector>

#include "check/encoding.h"
#include "check/finding.h"
#include "check/row_lint.h"

namespace sc {

// Warnings for both files, in file order within each file, for texts as the
// compilers read them (`encodings` tells how each file was read). The
// train file's rows are checked against the route length the line file gives.
// `placements`, when given, receives the cells that each row's objects take.
std::vector<Finding> lint_sources(std::string_view line_text, std::string_view train_text,
                                  const SourceEncodings& encodings,
                                  std::vector<Placement>* placements = nullptr);

// The halves of lint_sources, for tests.
void lint_line_file(std::string_view text, LintContext& context);
void lint_train_file(std::string_view text, LintContext& context);

}  // namespace sc
