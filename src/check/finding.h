#pragma once

#include <string>

#include "diagnostics/diagnostic.h"
#include "model/warning_catalogue.h"

namespace sc {

Finding warning_at(Warning code, Source source, SourceRange range, std::string message);

}  // namespace sc
