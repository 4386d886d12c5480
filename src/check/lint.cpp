#include "check/lint.h"

#include "check/encoding.h"

namespace sc {

std::vector<Finding> lint_sources(std::string_view line_text, std::string_view train_text,
                                  const SourceEncodings& encodings,
                                  std::vector<Placement>* placements) {
  std::vector<Finding> findings;
  LintContext line(Source::kLineFile, findings);
  line.placements = placements;
  lint_encoding(line_text, encodings.line, line);
  lint_line_file(line_text, line);
  LintContext train(Source::kTrainFile, findings);
  train.route_length = line.route_length;
  train.placements = placements;
  lint_encoding(train_text, encodings.train, train);
  lint_train_file(train_text, train);
  return findings;
}

}  // namespace sc
