#include "app/build_command.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <set>
#include <span>
#include <system_error>
#include <thread>
#include <utility>

#include "app/compile_command.h"
#include "app/findings_output.h"
#include "app/interrupt.h"
#include "app/run.h"
#include "batch/build_log.h"
#include "batch/parallel.h"
#include "batch/shared_line.h"
#include "diagnostics/render.h"
#include "model/serialize.h"
#include "output/binary_files.h"
#include "textio/codepage.h"
#include "textio/file_names.h"
#include "textio/utf8_path.h"

namespace sc {
namespace {

enum class Outcome { kUpToDate, kCompiled, kFailed };

struct Pair {
  std::filesystem::path train_file;
  std::string train_number;  // Windows-1252
  ScenarioFileNames names;
  std::string set;
  std::string inputs;                      // the digest of what its files are built from
  std::optional<std::string> train_bytes;  // once read
  Outcome outcome = Outcome::kUpToDate;
  int status = exit_status::kClean;
  std::string failure;  // a failure to read or name it, when that stopped it
  // What its compile left.
  std::string train_text;
  std::optional<RunOutcome> run;
  CompileReport report;
  std::vector<std::filesystem::path> written;
};

struct Line {
  std::filesystem::path line_file;
  std::string line_name;                  // Windows-1252
  std::string failure;                    // a failure of the line file, which every pair shares
  std::optional<std::string> line_bytes;  // once read
  std::vector<Pair> pairs;
  std::string line_text;
  FileEncoding encoding;
  std::optional<SharedLine> shared;
  bool profile_written = false;
};

struct Plan {
  std::vector<Line> lines;
  std::vector<std::filesystem::path> trains_without_line;
};

// A file's size and time of change, as the build's record keeps them.
struct FileStamp {
  uintmax_t size = 0;
  std::filesystem::file_time_type changed;
  std::string text() const {
    return std::to_string(size) + ":" + std::to_string(changed.time_since_epoch().count());
  }
};

std::optional<FileStamp> stamp_of(const std::filesystem::path& file) {
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  if (error) return std::nullopt;
  const auto changed = std::filesystem::last_write_time(file, error);
  if (error) return std::nullopt;
  return FileStamp{size, changed};
}

// "-" for a file that is not there.
std::string stamp_text_of(const std::filesystem::path& file) {
  const std::optional<FileStamp> stamp = stamp_of(file);
  return stamp ? stamp->text() : "-";
}

std::string read_bytes(Disk& disk, const std::filesystem::path& file) {
  std::optional<std::string> bytes = disk.read_file(file);
  if (!bytes) throw UsageError("cannot read " + utf8_of(file) + ": No such file or directory");
  return std::move(*bytes);
}

// What the input files hold, as digests: a file whose stamp is the one the
// log recorded with its digest is not read. A file's stamp is recorded only
// when the file had not changed for kSettled before the build began: a
// change within the same tick of the file system's clock keeps the stamp,
// and so could not be told from the bytes recorded.
class InputDigests {
 public:
  static constexpr std::chrono::seconds kSettled{2};

  InputDigests(const BuildLog& log, Disk& disk)
      : log_(log), disk_(disk), began_(std::filesystem::file_time_type::clock::now()) {}

  // The digest of `file`'s bytes; `bytes` receives them when they were read.
  std::string digest(const std::filesystem::path& file, std::optional<std::string>& bytes) {
    std::error_code error;
    const std::string key = utf8_of(std::filesystem::absolute(file, error).lexically_normal());
    const std::optional<FileStamp> stamp = stamp_of(file);
    const FileRecord* known = log_.find_file(key);
    if (stamp && known && known->stamp == stamp->text()) {
      seen_[key] = *known;
      return known->digest;
    }
    bytes = read_bytes(disk_, file);
    std::string digest = digest_of({*bytes});
    if (stamp && stamp->changed + kSettled < began_) seen_[key] = {stamp->text(), digest};
    return digest;
  }

  // The records of the files looked at, for the log.
  const std::map<std::string, FileRecord>& seen() const { return seen_; }

 private:
  const BuildLog& log_;
  Disk& disk_;
  std::filesystem::file_time_type began_;
  std::map<std::string, FileRecord> seen_;
};

std::vector<std::filesystem::path> outputs_of(const Pair& pair, const BuildOptions& options) {
  std::vector<std::filesystem::path> outputs;
  if (!options.no_profile) outputs.push_back(pair.names.line_profile);
  outputs.push_back(pair.names.table);
  outputs.push_back(pair.names.cells);
  return outputs;
}

std::vector<std::string> stamps_of(const Pair& pair, const BuildOptions& options) {
  std::vector<std::string> stamps;
  for (const std::filesystem::path& output : outputs_of(pair, options)) {
    stamps.push_back(stamp_text_of(output));
  }
  return stamps;
}

bool up_to_date(const Pair& pair, const BuildLog& log, const BuildOptions& options) {
  const BuildRecord* record = log.find(pair.set);
  if (options.force || !record || record->inputs != pair.inputs) return false;
  const std::vector<std::string> stamps = stamps_of(pair, options);
  return std::find(stamps.begin(), stamps.end(), "-") == stamps.end() && record->outputs == stamps;
}

// What changes the outputs besides the texts: the program and the options.
std::string options_key(const BuildOptions& options) {
  return options.version + (options.no_profile ? " no-profile " : " profile ") +
         options.input_encoding.value_or("by-content");
}

void fail(Pair& pair, int status, std::string failure) {
  pair.outcome = Outcome::kFailed;
  pair.status = status;
  pair.failure = std::move(failure);
}

Pair plan_pair(const Line& line, const std::filesystem::path& train_file,
               const std::filesystem::path& out_dir, const std::string& line_digest,
               const BuildOptions& options, InputDigests& digests) {
  Pair pair;
  pair.train_file = train_file;
  try {
    pair.train_number = typed_name_to_1252(
        train_number_of(train_file, cp1252_to_utf8(line.line_name)), "the train number");
    pair.names = scenario_file_names(out_dir, line.line_name, pair.train_number);
    pair.set = set_name(line.line_name, pair.train_number);
    const std::string train_digest = digests.digest(train_file, pair.train_bytes);
    pair.inputs = digest_of({options_key(options), line_digest, train_digest, pair.set});
  } catch (const UsageError& e) {
    pair.failure = e.what();
  } catch (const IoError& e) {
    pair.failure = e.what();
  }
  return pair;
}

Plan plan_build(const BuildOptions& options, const std::filesystem::path& out_dir,
                const BuildLog& log, InputDigests& digests) {
  const std::vector<std::filesystem::path> files = regular_files_in(options.dir);
  const PairedFiles paired = pair_by_name(files);
  if (paired.lines.empty() && paired.trains_without_line.empty()) {
    throw UsageError("the folder " + utf8_of(options.dir) +
                     " holds no line file (L_linea.txt) and no train file (L_T-.txt)");
  }
  Plan plan{{}, paired.trains_without_line};
  // Reserved: a line and a pair are copied, not moved, as a vector grows,
  // and they hold the texts read.
  plan.lines.reserve(paired.lines.size());
  for (const LineAndTrains& named : paired.lines) {
    Line& line = plan.lines.emplace_back();
    line.line_file = named.line_file;
    line.pairs.reserve(named.train_files.size());
    std::string line_digest;
    try {
      line.line_name = typed_name_to_1252(line_name_of(named.line_file), "the line name");
      line_digest = digests.digest(named.line_file, line.line_bytes);
    } catch (const UsageError& e) {
      line.failure = e.what();
    } catch (const IoError& e) {
      line.failure = e.what();
    }
    for (const std::filesystem::path& train : named.train_files) {
      Pair pair;
      if (line.failure.empty()) {
        pair = plan_pair(line, train, out_dir, line_digest, options, digests);
      } else {
        pair.train_file = train;
        pair.failure = line.failure;
      }
      if (!pair.failure.empty()) {
        fail(pair, exit_status::kInputOutput, pair.failure);
      } else if (!up_to_date(pair, log, options)) {
        pair.outcome = Outcome::kCompiled;
      }
      line.pairs.push_back(std::move(pair));
    }
  }
  return plan;
}

bool needs_compile(const Line& line) {
  return std::any_of(line.pairs.begin(), line.pairs.end(),
                     [](const Pair& p) { return p.outcome == Outcome::kCompiled; });
}

void fail_every_pair(Line& line, const std::string& failure) {
  for (Pair& pair : line.pairs) {
    if (pair.outcome == Outcome::kCompiled) fail(pair, exit_status::kInputOutput, failure);
  }
}

// The bytes of a file whose stamp spared reading it while planning.
void read_if_not_read(Disk& disk, const std::filesystem::path& file,
                      std::optional<std::string>& bytes) {
  if (!bytes) bytes = read_bytes(disk, file);
}

void compile_line(Line& line, const BuildOptions& options, EncodingChoice encoding, Disk& disk) {
  stop_if_interrupted();
  try {
    read_if_not_read(disk, line.line_file, line.line_bytes);
    line.line_text =
        decode_source(std::move(*line.line_bytes), encoding, line.line_file, line.encoding);
    line.line_bytes.reset();
  } catch (const UsageError& e) {
    fail_every_pair(line, e.what());
    return;
  } catch (const IoError& e) {
    fail_every_pair(line, e.what());
    return;
  }
  line.shared.emplace(compile_shared_line(
      line.line_text, line.line_name,
      options.no_profile ? ProfileChoice::kWithout : ProfileChoice::kBuild, !options.no_warnings));
}

CompileOptions compile_options_of(const BuildOptions& options) {
  CompileOptions compile;
  compile.no_profile = options.no_profile;
  compile.no_warnings = options.no_warnings;
  compile.warning_flags = options.warning_flags;
  return compile;
}

void compile_pair(const Line& line, Pair& pair, const BuildOptions& options,
                  EncodingChoice encoding) {
  stop_if_interrupted();
  SourceEncodings encodings{line.encoding, {}};
  try {
    pair.train_text =
        decode_source(std::move(*pair.train_bytes), encoding, pair.train_file, encodings.train);
    pair.train_bytes.reset();
  } catch (const UsageError& e) {
    fail(pair, exit_status::kInputOutput, e.what());
    return;
  }
  // The checks of the line's rows, done once, go on with this train's.
  RecordLint lint = line.shared->lint ? *line.shared->lint : RecordLint();
  RunOutcome run = compile_train_against(*line.shared, pair.train_text, pair.train_number,
                                         line.shared->lint ? &lint : nullptr);
  pair.report = report_of_compile(
      compile_options_of(options), run,
      {line.line_text, pair.train_text, encodings, line.line_name, pair.train_number}, lint);
  pair.run = std::move(run);
  if (pair.run->fatal_error != 0) {
    pair.status = exit_status::kFatal;
  } else if (pair.run->errors.has_error()) {
    pair.status = exit_status::kErrorRecorded;
  }
  if (pair.status != exit_status::kClean) pair.outcome = Outcome::kFailed;
}

// The line compiled once, then each of its pairs to compile, on every core.
void compile_line_and_pairs(Line& line, const BuildOptions& options, EncodingChoice encoding,
                            Disk& disk) {
  compile_line(line, options, encoding, disk);
  std::vector<Pair*> pairs;
  for (Pair& pair : line.pairs) {
    if (pair.outcome != Outcome::kCompiled) continue;
    try {
      read_if_not_read(disk, pair.train_file, pair.train_bytes);
      pairs.push_back(&pair);
    } catch (const UsageError& e) {
      fail(pair, exit_status::kInputOutput, e.what());
    } catch (const IoError& e) {
      fail(pair, exit_status::kInputOutput, e.what());
    }
  }
  const unsigned jobs = options.jobs != 0 ? options.jobs : std::thread::hardware_concurrency();
  for_each_in_parallel(pairs.size(), jobs,
                       [&](size_t i) { compile_pair(line, *pairs[i], options, encoding); });
}

// The files of each line's clean pairs, put in place together: the line's
// profile, once, and each pair's table and cells.
void write_line(Line& line, Disk& disk) {
  bool staged = false;
  for (Pair& pair : line.pairs) {
    if (pair.outcome != Outcome::kCompiled) continue;
    if (!staged && line.shared->profile) {
      const Profile& profile = *line.shared->profile;
      disk.write_file(pair.names.line_profile,
                      [&profile](const ByteSink& sink) { write_profile(profile, sink); });
      pair.written.push_back(pair.names.line_profile);
      line.profile_written = true;
    }
    staged = true;
    for (const OutputFile& file : binary_files(pair.run->model, pair.names)) {
      disk.write_file(file.path, file.write);
      pair.written.push_back(file.path);
    }
  }
  if (staged) disk.commit();
}

// The record of each set of the line written, and of each set up to date
// whose profile was written again.
bool update_log(const Line& line, const BuildOptions& options, BuildLog& log) {
  bool changed = false;
  for (const Pair& pair : line.pairs) {
    const bool rewritten = pair.outcome == Outcome::kCompiled;
    const bool restamped = pair.outcome == Outcome::kUpToDate && line.profile_written;
    if (!rewritten && !restamped) continue;
    log.set(pair.set, {pair.inputs, stamps_of(pair, options)});
    changed = true;
  }
  return changed;
}

void write_log(const std::filesystem::path& log_file, const BuildLog& log, Disk& disk) {
  disk.write_file(log_file, log.text());
  disk.commit();
}

std::string first_error(const Pair& pair, const SourceNames& sources) {
  if (!pair.failure.empty()) return pair.failure;
  if (pair.report.recorded > 0) return format_diagnostic(pair.report.errors.front(), sources);
  return "Errore n. " + std::to_string(pair.run->fatal_error);
}

const char* outcome_word(Outcome outcome) {
  switch (outcome) {
    case Outcome::kUpToDate:
      return "up to date";
    case Outcome::kCompiled:
      return "compiled";
    case Outcome::kFailed:
      return "failed";
  }
  return "";
}

// The diagnostics of a compiled pair as `compile` shows them; a warning of
// the line file that an earlier pair of the line showed is not shown again.
void render_pair(const Line& line, const Pair& pair, bool colour,
                 std::set<std::string>& line_warnings_shown, std::ostream& err) {
  if (!pair.run) return;
  const NamedText line_text{utf8_of(line.line_file), line.line_text};
  const NamedText train_text{utf8_of(pair.train_file), pair.train_text};
  std::vector<Finding> warnings;
  for (const Finding& w : pair.report.warnings) {
    if (w.source != Source::kLineFile ||
        line_warnings_shown.insert(first_line(w, line_text.name, train_text.name)).second) {
      warnings.push_back(w);
    }
  }
  render_findings(err, warnings, line_text, train_text, colour);
  const std::span<const Finding> errors(pair.report.errors);
  render_findings(err, errors.first(pair.report.recorded), line_text, train_text, colour);
  if (pair.run->fatal_error != 0) err << " Errore n. " << pair.run->fatal_error << '\n';
  render_notes(err, errors.subspan(pair.report.recorded), line_text, train_text, colour);
}

struct Totals {
  size_t compiled = 0, up_to_date = 0, failed = 0;
  int status = exit_status::kClean;
  void add(Outcome outcome, int pair_status) {
    (outcome == Outcome::kCompiled   ? compiled
     : outcome == Outcome::kUpToDate ? up_to_date
                                     : failed)++;
    status = std::max(status, pair_status);
  }
};

std::string total_line(const Totals& t) {
  std::string line = std::to_string(t.compiled + t.up_to_date + t.failed) +
                     " pairs: " + std::to_string(t.compiled) + " compiled, " +
                     std::to_string(t.up_to_date) + " up to date, " + std::to_string(t.failed) +
                     " failed";
  if (t.compiled == 0 && t.failed == 0) line += "; nothing to compile";
  return line;
}

// The text report, a line's pairs as soon as the line is done: one status
// line each on `out` ("[3/20] compiled L_T-.txt"), its diagnostics on `err`,
// then the total.
class TextReport {
 public:
  TextReport(const Plan& plan, bool colour, std::ostream& out, std::ostream& err)
      : colour_(colour), out_(out), err_(err) {
    count_ = plan.trains_without_line.size();
    for (const Line& line : plan.lines) count_ += line.pairs.size();
  }

  void line_done(const Line& line) {
    std::set<std::string> line_warnings_shown;
    if (line.pairs.empty()) {
      out_ << utf8_of(line.line_file.filename()) << ": " << kNoTrainFile << '\n';
    }
    for (const Pair& pair : line.pairs) {
      const SourceNames sources{utf8_of(line.line_file), utf8_of(pair.train_file)};
      status_line(pair.outcome, pair.train_file,
                  pair.outcome == Outcome::kFailed ? first_error(pair, sources) : "");
      out_.flush();
      render_pair(line, pair, colour_, line_warnings_shown, err_);
      err_.flush();
      totals_.add(pair.outcome, pair.status);
    }
  }

  Totals finish(const Plan& plan) {
    for (const std::filesystem::path& train : plan.trains_without_line) {
      status_line(Outcome::kFailed, train, kNoLineFile);
      totals_.add(Outcome::kFailed, exit_status::kInputOutput);
    }
    out_ << total_line(totals_) << '\n';
    return totals_;
  }

 private:
  void status_line(Outcome outcome, const std::filesystem::path& file, const std::string& detail) {
    out_ << '[' << ++step_ << '/' << count_ << "] " << outcome_word(outcome) << ' '
         << utf8_of(file.filename()) << (detail.empty() ? "" : ": " + detail) << '\n';
  }

  bool colour_;
  std::ostream& out_;
  std::ostream& err_;
  size_t count_ = 0;
  size_t step_ = 0;
  Totals totals_;
};

nlohmann::json pair_json(const Line& line, const Pair& pair) {
  const SourceNames sources{utf8_of(line.line_file), utf8_of(pair.train_file)};
  nlohmann::json report = {{"line_file", sources.line_file},
                           {"train_file", sources.train_file},
                           {"outcome", outcome_word(pair.outcome)},
                           {"status", pair.status}};
  if (!pair.failure.empty()) report["failure"] = pair.failure;
  if (pair.run) {
    const std::span<const Finding> errors(pair.report.errors);
    report.update(
        run_report_json(*pair.run, sources, pair.written, errors.first(pair.report.recorded)));
    report["written"] = !pair.written.empty();
    report["warnings"] = findings_json(pair.report.warnings, sources);
  }
  return report;
}

Totals print_json(const Plan& plan, std::ostream& out) {
  Totals totals;
  nlohmann::json pairs = nlohmann::json::array();
  nlohmann::json lines_without_train = nlohmann::json::array();
  for (const Line& line : plan.lines) {
    if (line.pairs.empty()) lines_without_train.push_back(utf8_of(line.line_file));
    for (const Pair& pair : line.pairs) {
      pairs.push_back(pair_json(line, pair));
      totals.add(pair.outcome, pair.status);
    }
  }
  for (const std::filesystem::path& train : plan.trains_without_line) {
    pairs.push_back({{"line_file", nullptr},
                     {"train_file", utf8_of(train)},
                     {"outcome", outcome_word(Outcome::kFailed)},
                     {"status", exit_status::kInputOutput},
                     {"failure", kNoLineFile}});
    totals.add(Outcome::kFailed, exit_status::kInputOutput);
  }
  const nlohmann::json report = {{"pairs", pairs},
                                 {"lines_without_train", lines_without_train},
                                 {"compiled", totals.compiled},
                                 {"up_to_date", totals.up_to_date},
                                 {"failed", totals.failed},
                                 {"status", totals.status}};
  out << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  return totals;
}

}  // namespace

std::vector<std::filesystem::path> regular_files_in(const std::filesystem::path& dir) {
  std::error_code error;
  std::filesystem::directory_iterator entries(dir, error);
  if (error) throw UsageError("cannot read the folder " + utf8_of(dir) + ": " + error.message());
  std::vector<std::filesystem::path> files;
  for (const std::filesystem::directory_entry& entry : entries) {
    if (entry.is_regular_file(error)) files.push_back(entry.path());
  }
  return files;
}

// Each line in turn: compiled with its pairs, its files put in place
// together, the record of them kept, and its pairs reported.
int run_build(const BuildOptions& options, Disk& disk, std::ostream& out, std::ostream& err) {
  return run_command_body("build", err, [&] {
    const std::filesystem::path out_dir = options.output_dir.value_or(options.dir);
    const std::filesystem::path log_file = build_log_file(out_dir);
    BuildLog log = BuildLog::parse(disk.read_file(log_file).value_or(""));
    InputDigests digests(log, disk);
    Plan plan = plan_build(options, out_dir, log, digests);
    // The log is written again when a line's files are, or when its files'
    // records have changed.
    bool log_stale = digests.seen() != log.files();
    log.set_files(digests.seen());
    const EncodingChoice encoding = input_encoding_named(options.input_encoding);
    TextReport text(plan, options.colour, out, err);
    for (Line& line : plan.lines) {
      if (needs_compile(line)) {
        compile_line_and_pairs(line, options, encoding, disk);
        if (needs_compile(line)) {
          create_output_dir(out_dir);
          write_line(line, disk);
        }
        if (update_log(line, options, log) || log_stale) {
          write_log(log_file, log, disk);
          log_stale = false;
        }
      }
      if (!options.json) text.line_done(line);
    }
    if (log_stale && std::filesystem::is_directory(out_dir)) write_log(log_file, log, disk);
    if (options.json) return print_json(plan, out).status;
    return text.finish(plan).status;
  });
}

}  // namespace sc
