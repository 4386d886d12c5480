#include "app/check_command.h"

#include <algorithm>
#include <ostream>
#include <thread>
#include <utility>

#include "app/build_command.h"
#include "app/findings_output.h"
#include "app/interrupt.h"
#include "batch/parallel.h"
#include "diagnostics/render.h"
#include "textio/codepage.h"
#include "textio/file_names.h"
#include "textio/utf8_path.h"

namespace sc {
namespace {

std::string stopped_line(size_t limit) {
  return "check stopped after " + std::to_string(limit) +
         " errors; --error-limit 0 shows them all.";
}

nlohmann::json report_json(const std::vector<Finding>& findings, bool stopped,
                           const SourceNames& sources) {
  return {{"errors", count_of(findings, Severity::kError)},
          {"warnings", count_of(findings, Severity::kWarning)},
          {"stopped_at_error_limit", stopped},
          {"diagnostics", findings_json(findings, sources)}};
}

void render_report(const std::vector<Finding>& findings, bool stopped, const SourceTexts& texts,
                   const SourceNames& sources, const CheckCommandOptions& options,
                   std::ostream& err) {
  render_findings(err, findings, {sources.line_file, *texts.line_text},
                  {sources.train_file, *texts.train_text}, options.colour);
  if (stopped) err << stopped_line(options.error_limit) << '\n';
  const std::string count =
      closing_count(count_of(findings, Severity::kError), count_of(findings, Severity::kWarning));
  if (!count.empty()) err << count << '\n';
}

// One pair's check, as `check LINE_FILE TRAIN_FILE` makes it.
struct PairCheck {
  SourceNames sources;
  SourceTexts texts;
  CheckOptions check;
  std::string failure;  // a usage or input failure that stopped it
  std::vector<Finding> findings;
  bool stopped = false;
};

void read_pair(const CheckCommandOptions& options, Disk& disk, PairCheck& pair) {
  pair.sources = {utf8_of(options.sources.line_file), utf8_of(options.sources.train_file)};
  try {
    apply_warning_flags(options.warning_flags, true, pair.check);
    pair.texts = read_sources(options.sources, disk, pair.check.encodings);
    pair.check.error_limit = options.error_limit;
  } catch (const UsageError& e) {
    pair.failure = e.what();
  } catch (const IoError& e) {
    pair.failure = e.what();
  }
}

// A pair checked alone stops at Ctrl-C through `stop`.
void check_pair(const CheckCommandOptions& options, PairCheck& pair, StopFlag stop = {}) {
  if (!pair.failure.empty()) return;
  pair.findings = check_sources(
      *pair.texts.line_text, *pair.texts.train_text, pair.check,
      compile_named_after(
          options.sources.line_file, options.sources.train_file, options.sources.line_name,
          options.sources.train_number,
          options.sources.no_profile ? ProfileChoice::kWithout : ProfileChoice::kBuild, stop));
  pair.stopped = stop_after_errors(pair.findings, options.error_limit);
}

int status_of(const PairCheck& pair) {
  if (!pair.failure.empty()) return exit_status::kInputOutput;
  return count_of(pair.findings, Severity::kError) == 0 ? exit_status::kClean
                                                        : exit_status::kErrorRecorded;
}

std::string outcome_of(const PairCheck& pair) {
  if (!pair.failure.empty()) return "failed: " + pair.failure;
  const std::string count = closing_count(count_of(pair.findings, Severity::kError),
                                          count_of(pair.findings, Severity::kWarning));
  return count.empty() ? "clean"
                       : count.substr(0, count.size() - std::string(" generated.").size());
}

// `check DIR`: every pair of the folder, checked on every core, reported in
// the order of the files' names.
int check_folder(const CheckCommandOptions& options, Disk& disk, std::ostream& out,
                 std::ostream& err) {
  const std::filesystem::path dir = options.sources.line_file;
  const PairedFiles paired = pair_by_name(regular_files_in(dir));
  std::vector<CheckCommandOptions> pair_options;
  for (const LineAndTrains& line : paired.lines) {
    for (const std::filesystem::path& train : line.train_files) {
      CheckCommandOptions one = options;
      one.sources.line_file = line.line_file;
      one.sources.train_file = train;
      pair_options.push_back(std::move(one));
    }
  }
  std::vector<PairCheck> pairs(pair_options.size());
  for (size_t i = 0; i < pairs.size(); ++i) read_pair(pair_options[i], disk, pairs[i]);
  for_each_in_parallel(pairs.size(), std::thread::hardware_concurrency(), [&](size_t i) {
    stop_if_interrupted();
    check_pair(pair_options[i], pairs[i]);
  });
  int status = paired.trains_without_line.empty() ? exit_status::kClean : exit_status::kInputOutput;
  for (const PairCheck& pair : pairs) status = std::max(status, status_of(pair));
  if (options.json) {
    nlohmann::json reports = nlohmann::json::array();
    for (const PairCheck& pair : pairs) {
      nlohmann::json report = {{"line_file", pair.sources.line_file},
                               {"train_file", pair.sources.train_file},
                               {"status", status_of(pair)}};
      if (!pair.failure.empty()) {
        report["failure"] = pair.failure;
      } else {
        report.update(report_json(pair.findings, pair.stopped, pair.sources));
      }
      reports.push_back(std::move(report));
    }
    nlohmann::json lines = nlohmann::json::array(), trains = nlohmann::json::array();
    for (const LineAndTrains& line : paired.lines) {
      if (line.train_files.empty()) lines.push_back(utf8_of(line.line_file));
    }
    for (const std::filesystem::path& train : paired.trains_without_line) {
      trains.push_back(utf8_of(train));
    }
    const nlohmann::json report = {{"pairs", reports},
                                   {"lines_without_train", lines},
                                   {"trains_without_line", trains},
                                   {"status", status}};
    out << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    return status;
  }
  const size_t count = pairs.size() + paired.trains_without_line.size();
  size_t step = 0;
  for (const LineAndTrains& line : paired.lines) {
    if (line.train_files.empty()) {
      out << utf8_of(line.line_file.filename()) << ": " << kNoTrainFile << '\n';
    }
  }
  for (const PairCheck& pair : pairs) {
    out << '[' << ++step << '/' << count << "] "
        << utf8_of(path_from_utf8(pair.sources.train_file).filename()) << ": " << outcome_of(pair)
        << '\n';
    out.flush();
    if (pair.failure.empty())
      render_report(pair.findings, pair.stopped, pair.texts, pair.sources, options, err);
    err.flush();
  }
  for (const std::filesystem::path& train : paired.trains_without_line) {
    out << '[' << ++step << '/' << count << "] " << utf8_of(train.filename())
        << ": failed: " << kNoLineFile << '\n';
  }
  return status;
}

}  // namespace

int run_check(const CheckCommandOptions& options, Disk& disk, std::ostream& out,
              std::ostream& err) {
  return run_command_body("check", err, [&] {
    if (options.sources.train_file.empty()) {
      if (!std::filesystem::is_directory(options.sources.line_file)) {
        throw UsageError("give a line file and a train file, or one folder");
      }
      return check_folder(options, disk, out, err);
    }
    CheckOptions check;
    apply_warning_flags(options.warning_flags, true, check);
    PairCheck pair;
    read_pair(options, disk, pair);
    if (!pair.failure.empty()) throw UsageError(pair.failure);
    check_pair(options, pair, interrupt_flag());
    if (options.json) {
      out << report_json(pair.findings, pair.stopped, pair.sources)
                 .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
          << '\n';
    } else {
      render_report(pair.findings, pair.stopped, pair.texts, pair.sources, options, err);
    }
    return status_of(pair);
  });
}

}  // namespace sc
