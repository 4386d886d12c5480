#include "decompile/decompile.h"

#include <gtest/gtest.h>

#include "app/pipeline.h"
#include "model/serialize.h"
#include "route_generator.h"

namespace sc {
namespace {

const char* const kLine = "Linea_Prova";
const char* const kTrain = "R101";

RunOutcome compile(const std::string& line, const std::string& train, int32_t j) {
  return memorizza_percorso({line, train}, kLine, kTrain, j);
}

// Compiles, decompiles and compiles again; the two compiles must give the
// same bytes.
void expect_round_trip(const std::string& line, const std::string& train, int32_t j) {
  const RunOutcome original = compile(line, train, j);
  ASSERT_EQ(original.fatal_error, 0);
  const DecompiledTexts texts = decompile(original.model);
  const RunOutcome again = compile(texts.line, texts.train, j);
  ASSERT_EQ(again.fatal_error, 0) << texts.line << texts.train;
  EXPECT_EQ(first_difference(original.model, again.model), std::nullopt)
      << texts.line << texts.train;
  EXPECT_EQ(serialize_cells(original.model.cells), serialize_cells(again.model.cells));
  EXPECT_EQ(serialize_table(original.model.table), serialize_table(again.model.table));
  if (j != 0) {
    EXPECT_EQ(serialize_profile(*original.model.profile), serialize_profile(*again.model.profile));
  }
}

TEST(DecompileRoundTrip, GeneratedRoutes) {
  for (const int32_t length : {0, 4000, 27000, 83150}) {
    for (const int32_t j : {0, 1}) {
      SCOPED_TRACE("length " + std::to_string(length) + ", j " + std::to_string(j));
      const RouteTexts route = generate_route(length);
      expect_round_trip(route.line, route.train, j);
    }
  }
}

}  // namespace
}  // namespace sc
