#include "model/error_log.h"

#include <utility>

namespace sc {

namespace {

Finding error_at(ErrorCode code, Source source, SourceLocation location, std::string message,
                 std::optional<int32_t> position) {
  return {.severity = Severity::kError,
          .source = source,
          .location = location,
          .end = {},
          .message = std::move(message),
          .code = code,
          .position = position,
          .notes = {},
          .fixes = {}};
}

}  // namespace

std::string_view Finding::name() const {
  if (const Warning* w = warning()) return warning_info(*w).name;
  const ErrorInfo* info = find_error(error_number());
  return info ? info->name : std::string_view();
}

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
