#pragma once

#include <string>

#include "check/warning_catalogue.h"
#include "diagnostics/diagnostic.h"

namespace sc {

Finding warning_at(Warning code, Source source, SourceLocation location, std::string message);

}  // namespace sc
