#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "format/row_kinds.h"
#include "line/line_compiler.h"
#include "model/error_log.h"
#include "model/model.h"
#include "textio/fault.h"

namespace sc::testing {

// What one compile of a line text left behind; a Fault is kept rather than
// thrown, as the compile call's caller turns it into error 25.
struct Compiled {
  Scenario model;
  ErrorLog errors;
  LineResult result;
  std::optional<Fault> fault;

  int32_t error() const {
    return fault ? error_number(ErrorCode::kRunTimeFault) : errors.error_number();
  }
};

inline Compiled compile(std::string_view text, ProfileChoice profile = ProfileChoice::kBuild) {
  Compiled out;
  try {
    out.result = compile_line_file(text, profile, out.model, out.errors);
  } catch (const Fault& fault) {
    out.fault = fault;
  }
  return out;
}

// A line file with a route of `route_length` m (cells 0 to 160 and profile
// points 0 to 8000 for the default), the given header rows and rows, closed by
// a last field that is never processed.
inline std::string line_file(std::string_view rows, std::string_view header = "",
                             int route_length = 1000) {
  return std::string(kGeneralSection) + "\r\n" + keyword_of(RowKind::kRouteLength) + ", " +
         std::to_string(route_length) + "\r\n" + std::string(header) + "[righe]\r\n" +
         std::string(rows) + "[fine]\r\n";
}

}  // namespace sc::testing
