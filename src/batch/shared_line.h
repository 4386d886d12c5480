#pragma once

#include <optional>
#include <string>

#include "driver/pipeline.h"
#include "format/row_record.h"

namespace sc {

// A line file compiled once for all its trains: the run as the line file
// leaves it, without the profile, which is kept apart (only the line file
// makes it, and one copy serves every train); and, when asked, the line's
// rows, to tell each train's listener of them again.
struct SharedLine {
  LineOfRun line;
  std::optional<Profile> profile;
  std::optional<RowRecords> rows;
};
SharedLine compile_shared_line(const std::string& line_text, const std::string& line_name,
                               int32_t j, bool keep_rows);

// One train compiled against `shared`: the same run as memorizza_percorso of
// the pair gives, but without the profile (`shared.profile` is the one it
// would hold). `listener`, when given, is told of the line's rows, then of
// the train's as they are read.
RunOutcome compile_train_against(const SharedLine& shared, const std::string& train_text,
                                 const std::string& train_number, RowListener* listener);

}  // namespace sc
