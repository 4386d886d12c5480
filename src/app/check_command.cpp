#include "app/check_command.h"

#include <ostream>
#include <utility>

#include "app/findings_output.h"
#include "diagnostics/render.h"
#include "textio/codepage.h"
#include "textio/utf8_path.h"

namespace sc {
namespace {

std::string stopped_line(size_t limit) {
  return "check stopped after " + std::to_string(limit) +
         " errors; --error-limit 0 shows them all.";
}

void print_report(const std::vector<Finding>& findings, bool stopped, const SourceTexts& texts,
                  const CheckCommandOptions& options, std::ostream& out, std::ostream& err) {
  const SourceNames sources{utf8_of(options.sources.line_file),
                            utf8_of(options.sources.train_file)};
  const size_t errors = count_of(findings, Severity::kError);
  const size_t warnings = count_of(findings, Severity::kWarning);
  if (options.json) {
    const nlohmann::json report = {{"errors", errors},
                                   {"warnings", warnings},
                                   {"stopped_at_error_limit", stopped},
                                   {"diagnostics", findings_json(findings, sources)}};
    out << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    return;
  }
  render_findings(err, findings, {sources.line_file, *texts.line_text},
                  {sources.train_file, *texts.train_text}, options.colour);
  if (stopped) err << stopped_line(options.error_limit) << '\n';
  const std::string count = closing_count(errors, warnings);
  if (!count.empty()) err << count << '\n';
}

}  // namespace

int run_check(const CheckCommandOptions& options, Disk& disk, std::ostream& out,
              std::ostream& err) {
  return run_command_body("check", err, [&] {
    CheckOptions check;
    apply_warning_flags(options.warning_flags, true, check);
    const SourceTexts texts = read_sources(options.sources, disk, check.encodings);
    check.error_limit = options.error_limit;
    std::vector<Finding> findings =
        check_sources(*texts.line_text, *texts.train_text, check,
                      compile_named_after(options.sources.line_file, options.sources.train_file,
                                          options.sources.line_name, options.sources.train_number,
                                          options.sources.no_profile ? 0 : 1));
    const bool stopped = stop_after_errors(findings, options.error_limit);
    print_report(findings, stopped, texts, options, out, err);
    return count_of(findings, Severity::kError) == 0 ? exit_status::kClean
                                                     : exit_status::kErrorRecorded;
  });
}

}  // namespace sc
