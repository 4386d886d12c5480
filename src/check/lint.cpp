#include "check/lint.h"

#include "check/encoding.h"

namespace sc {

std::vector<Finding> lint_sources(std::string_view line_text, std::string_view train_text,
                                  InputEncoding encoding, std::vector<Placement>* placements) {
  std::vector<Finding> findings;
  LintContext line(Source::kLineFile, findings);
  line.placements = placements;
  if (encoding == InputEncoding::kWindows1252) lint_encoding(line_text, line);
  lint_line_file(line_text, line);
  LintContext train(Source::kTrainFile, findings);
  train.route_length = line.route_length;
  train.placements = placements;
  if (encoding == InputEncoding::kWindows1252) lint_encoding(train_text, train);
  lint_train_file(train_text, train);
  return findings;
}

}  // namespace sc
