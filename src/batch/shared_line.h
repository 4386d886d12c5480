#pragma once

#include <optional>
#include <string>

#include "check/lint.h"
#include "driver/pipeline.h"

namespace sc {

// A line file compiled once for all its trains: the run as the line file
// leaves it, without the profile, which is kept apart (only the line file
// makes it, and one copy serves every train); and, when asked, the warnings'
// checks as far as the line's rows, which each train's checks go on from.
struct SharedLine {
  LineOfRun line;
  std::optional<Profile> profile;
  std::optional<RecordLint> lint;
};
SharedLine compile_shared_line(const std::string& line_text, const std::string& line_name,
                               ProfileChoice profile, bool lint);

// One train compiled against `shared`: the same run as memorizza_percorso of
// the pair gives, but without the profile (`shared.profile` is the one it
// would hold). `listener`, when given, is told of the train's rows as they
// are read.
RunOutcome compile_train_against(const SharedLine& shared, const std::string& train_text,
                                 const std::string& train_number, RowListener* listener);

}  // namespace sc
