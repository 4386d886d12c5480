#include "model/error_log.h"

#include <utility>

namespace sc {

void ErrorLog::record(ErrorCode code, Source source, SourceLocation location, std::string message) {
  error_number_ = sc::error_number(code);
  diagnostics_.push_back({code, error_number_, source, location, false, 0, std::move(message)});
}

void ErrorLog::record_at(ErrorCode code, int32_t position, Source source, SourceLocation location,
                         std::string message) {
  error_number_ = sc::error_number(code);
  error_position_ = position;
  diagnostics_.push_back(
      {code, error_number_, source, location, true, position, std::move(message)});
}

}  // namespace sc
