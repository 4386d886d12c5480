#pragma once

#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <vector>

#include "app/run.h"
#include "check/check.h"

namespace sc {

// True when diagnostics written to `fd` may carry colours: a terminal, and
// no NO_COLOR in the environment.
bool colour_wanted(int fd);

// The -W flags as typed without the -W: "error" (when `allow_error`) and
// "no-NAME" for a warning's name. UsageError for anything else.
void apply_warning_flags(const std::vector<std::string>& flags, bool allow_error,
                         CheckOptions& options);

// The one JSON form of findings, for compile, check and plot: one object per
// finding with severity, name, number (errors), position (metres along the
// route, where an error sets one), file, line, column, message and notes
// (each with message, file, line and column).
nlohmann::json findings_json(std::span<const Finding> findings, const SourceNames& sources);

// The report of a compiled run, as `compile --json` and `plot --json` print
// it: error_number, error_position, fatal_error, the files written and the
// recorded errors (`errors`, with their notes) as diagnostics.
nlohmann::json run_report_json(const RunOutcome& run, const SourceNames& sources,
                               const std::vector<std::filesystem::path>& files,
                               std::span<const Finding> errors);

}  // namespace sc
