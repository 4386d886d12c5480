#include "model/error_log.h"

#include <utility>

namespace sc {

namespace {

Finding error_at(ErrorCode code, Source source, SourceLocation location, std::string message,
                 std::optional<int32_t> position) {
  return {.severity = Severity::kError,
          .source = source,
          .location = location,
          .message = std::move(message),
          .name = std::string(error_info(code).name),
          .error_number = error_number(code),
          .position = position,
          .notes = {}};
}

}  // namespace

void ErrorLog::record(ErrorCode code, Source source, SourceLocation location, std::string message) {
  error_number_ = sc::error_number(code);
  diagnostics_.push_back(error_at(code, source, location, std::move(message), std::nullopt));
}

void ErrorLog::record_at(ErrorCode code, int32_t position, Source source, SourceLocation location,
                         std::string message) {
  error_number_ = sc::error_number(code);
  error_position_ = position;
  diagnostics_.push_back(error_at(code, source, location, std::move(message), position));
}

}  // namespace sc
