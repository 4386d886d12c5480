#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/model.h"

namespace sc {

// A compiled model that no line text and train text compile to, with the
// reason.
class DecompileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DecompiledTexts {
  std::string line;   // the line text file: Windows-1252 bytes, CR LF
  std::string train;  // the train text file
  std::vector<std::string> warnings;
};

// Works a compiled model (as written to the binary files: after the block
// post-pass, with the format markers and check codes) back into a line text
// and a train text meant to compile, under the names in entries 85 and 86 and
// with the profile when the model has one, to the same model. The caller
// proves it by compiling them (see first_difference). Throws DecompileError
// when the model holds something no row produces.
DecompiledTexts decompile(const Scenario& compiled);

// The first place where `produced` differs from `expected`, in words ("cell
// 229 mark: 4 expected, 0 produced"); nullopt when they give the same bytes.
// The profiles are compared only when `expected` has one.
std::optional<std::string> first_difference(const Scenario& expected, const Scenario& produced);

}  // namespace sc
