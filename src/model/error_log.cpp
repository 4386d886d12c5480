#include "model/error_log.h"

#include <utility>

namespace sc {

void ErrorLog::record(int32_t number, Source source, SourceLocation location, std::string message) {
  error_number_ = number;
  diagnostics_.push_back({number, source, location, false, 0, std::move(message)});
}

void ErrorLog::record_at(int32_t number, int32_t position, Source source, SourceLocation location,
                         std::string message) {
  error_number_ = number;
  error_position_ = position;
  diagnostics_.push_back({number, source, location, true, position, std::move(message)});
}

}  // namespace sc
