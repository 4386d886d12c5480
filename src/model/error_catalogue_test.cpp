#include "model/error_catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

namespace sc {
namespace {

TEST(ErrorCatalogue, EveryEntryIsFoundByItsNumberAndNamedOnce) {
  std::set<std::string_view> names;
  for (const ErrorInfo& info : error_catalogue()) {
    EXPECT_EQ(find_error(info.number()), &info);
    EXPECT_FALSE(info.summary.empty()) << info.name;
    EXPECT_TRUE(names.insert(info.name).second) << "duplicate name " << info.name;
  }
}

TEST(ErrorCatalogue, NumbersWithoutAnErrorAreNotFound) {
  for (int32_t number : {0, 14, 23, 27, 100, 104, 1249, 1252}) {
    EXPECT_EQ(find_error(number), nullptr) << number;
  }
  EXPECT_EQ(error_info(ErrorCode::kCheckCodeSlotTaken).name, "check-code-slot-taken");
}

}  // namespace
}  // namespace sc
