#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/error_catalogue.h"
#include "model/warning_catalogue.h"
#include "textio/fault.h"

namespace sc {

// The file an error concerns.
enum class Source { kRoute, kLineFile, kTrainFile };

enum class Severity { kError, kWarning };

// More about a finding; at another row when it has a location there.
struct Note {
  std::string text;
  Source source = Source::kRoute;
  SourceLocation location;
};

// A change that puts right what a finding points at, as a compiler's fix-it
// hint: the characters of `range`, in the finding's file, replaced by `text`
// (an empty range inserts it). The fix-its of one finding are applied
// together.
struct FixIt {
  SourceRange range;
  std::string text;  // Windows-1252
};

// What a finding is: an error of the error catalogue or a warning of the
// warning catalogue.
using FindingCode = std::variant<ErrorCode, Warning>;

// One problem a command reports: an error the compile recorded or a warning,
// at a field of one of the two files or of the route as a whole. Every
// command prints it through the diagnostics module and writes it as JSON in
// one form.
struct Finding {
  Severity severity = Severity::kWarning;
  Source source = Source::kRoute;
  SourceLocation location;  // of the field concerned, when there is a row
  SourceLocation end;       // just after that field, when its extent is known
  std::string message;      // Windows-1252, like the texts it quotes
  FindingCode code = ErrorCode{};
  std::optional<int32_t> position;  // metres along the route, when the error sets one
  std::vector<Note> notes;
  std::vector<FixIt> fixes;

  SourceRange range() const { return {location, end}; }
  const ErrorCode* error() const { return std::get_if<ErrorCode>(&code); }
  const Warning* warning() const { return std::get_if<Warning>(&code); }
  // An error's number; 0 for a warning.
  int32_t error_number() const { return error() ? sc::error_number(*error()) : 0; }
  // The catalogue name: what [name] shows and -Wno-NAME turns off.
  std::string_view name() const;
};

// error_number and error_position of a run, plus every error in the order it
// was recorded. The last recording wins, as the simulator's tools expect.
class ErrorLog {
 public:
  // Records an error that leaves error_position as it was.
  void record(ErrorCode code, Source source, SourceLocation location, std::string message);
  // Records an error together with its route position.
  void record_at(ErrorCode code, int32_t position, Source source, SourceLocation location,
                 std::string message);
  // Moves error_position without recording a new error (a row loop that stops
  // on an error number left by an earlier step).
  void set_position(int32_t position) { error_position_ = position; }

  // Whether the rows of a file read on past a row that records an error
  // which would stop the file: check, to find every row's error in one
  // compile. A fault (error 25) is read past only in a row that has changed
  // nothing, when the rows are recorded; any other fault ends the file.
  void read_past_stopping_rows() { reads_past_stops_ = true; }
  bool reads_past_stopping_rows() const { return reads_past_stops_; }

  // error_number and error_position as they stand, for putting them back
  // when a compile that reads past a row's fault treats the row as unread.
  struct Marks {
    int32_t number = 0;
    int32_t position = 0;
  };
  Marks marks() const { return {error_number_, error_position_}; }
  void restore(Marks marks) {
    error_number_ = marks.number;
    error_position_ = marks.position;
  }

  int32_t error_number() const { return error_number_; }
  int32_t error_position() const { return error_position_; }
  bool has_error() const { return error_number_ > 0; }
  const std::vector<Finding>& diagnostics() const { return diagnostics_; }

 private:
  int32_t error_number_ = 0;
  int32_t error_position_ = 0;
  bool reads_past_stops_ = false;
  std::vector<Finding> diagnostics_;
};

}  // namespace sc
