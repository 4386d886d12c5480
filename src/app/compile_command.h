#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/disk.h"
#include "app/interrupt.h"
#include "app/run.h"
#include "check/encoding.h"
#include "check/lint.h"

namespace sc {

struct CompileOptions {
  std::filesystem::path line_file;
  std::filesystem::path train_file;
  std::optional<std::string> line_name;     // UTF-8, as typed
  std::optional<std::string> train_number;  // UTF-8, as typed
  std::filesystem::path output_dir = ".";
  bool no_profile = false;
  bool json = false;
  bool summary = false;
  bool write_on_error = false;                // write the binary files despite a recorded error
  bool no_warnings = false;                   // -w
  std::vector<std::string> warning_flags;     // "no-NAME" from -Wno-NAME
  std::optional<std::string> input_encoding;  // none: each file's from its bytes
  bool colour = false;                        // of the warnings on standard error
};

// A command line that cannot be carried out as given (a name that Windows-1252
// cannot hold, a missing input file, bytes that are not the kind expected).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The user's two files, compiled as `compile` compiles them; they are only
// read. Throws UsageError or IoError.
struct CompiledFiles {
  SourceTexts texts;  // as the compilers read them
  SourceEncodings encodings;
  RunOutcome run;
  SourceNames sources;
  std::string line_name;  // Windows-1252
  std::string train_number;
};
// `listener`, when given, is told of every row the compile reads.
CompiledFiles compile_files(const CompileOptions& options, Disk& disk, ProfileChoice profile,
                            RowListener* listener = nullptr);

// The two files, converted from `options.input_encoding` (or the encoding
// each file's bytes show) to Windows-1252; `encodings` receives how each was
// read. Throws UsageError, naming the line and column of a character that has
// no Windows-1252 form.
SourceTexts read_sources(const CompileOptions& options, Disk& disk, SourceEncodings& encodings);

// A line name or train number, as typed, in Windows-1252; UsageError when it
// holds a path separator or a character Windows-1252 lacks. `what` names it.
std::string typed_name_to_1252(const std::string& utf8, const char* what);

// Creates the output directory and those above it; IoError when it cannot.
void create_output_dir(const std::filesystem::path& dir);

// The encoding --input-encoding names; UsageError for any other name.
EncodingChoice input_encoding_named(const std::optional<std::string>& name);

// A file's bytes as Windows-1252 text, read as `choice` says; `encoding`
// receives how it was read. UsageError at a character without a
// Windows-1252 form.
std::string decode_source(std::string text, EncodingChoice choice,
                          const std::filesystem::path& path, FileEncoding& encoding);

// What compile tells of a compiled pair: its warnings (none with -w), and its
// errors with notes naming the rows that hold the cells they needed (the
// `recorded` first, then the fatal error's own). `lint` was told of every row.
struct CompileReport {
  std::vector<Finding> warnings;
  std::vector<Finding> errors;
  size_t recorded = 0;
};
// What the report reads of a compile besides its run, held by the caller.
struct CompileInputs {
  std::string_view line_text, train_text;  // as the compilers read them
  SourceEncodings encodings;
  std::string_view line_name, train_number;
};
CompileReport report_of_compile(const CompileOptions& options, const RunOutcome& run,
                                const CompileInputs& inputs, RecordLint& lint);

// Runs the body of the command `name` and returns its status; a UsageError or
// IoError is reported as "scenario-compiler NAME: message" and gives status 2;
// a run ended by a signal gives 128 + its number.
template <typename Body>
int run_command_body(std::string_view name, std::ostream& err, Body body) {
  std::string failure;
  try {
    return body();
  } catch (const UsageError& e) {
    failure = e.what();
  } catch (const IoError& e) {
    failure = e.what();
  } catch (const Interrupted& e) {
    return exit_status::interrupted(e.signal);
  } catch (const WorkStopped&) {
    return exit_status::interrupted(arrived_signal());
  }
  err << "scenario-compiler " << name << ": " << failure << '\n';
  return exit_status::kInputOutput;
}

// `scenario-compiler compile`: compiles the user's files, which are only read.
int run_compile(const CompileOptions& options, Disk& disk, std::ostream& out, std::ostream& err);

}  // namespace sc
