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

}  // namespace sc
