#include "textio/codepage.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Codepage, ConvertsUtf8NamesToWindows1252) {
  EXPECT_EQ(utf8_to_1252("Vardeo_Lustrella"), "Vardeo_Lustrella");
  EXPECT_EQ(utf8_to_1252("Citt\xC3\xA0"), "Citt\xE0");  // a grave
  EXPECT_EQ(utf8_to_1252("\xE2\x82\xAC"
                         "5"),
            "\x80"
            "5");                                         // euro sign
  EXPECT_EQ(utf8_to_1252("\xC5\xA0"), "\x8A");            // S caron
  EXPECT_EQ(utf8_to_1252("\xE4\xB8\xAD"), std::nullopt);  // no 1252 form
  EXPECT_EQ(utf8_to_1252("\xC3"), std::nullopt);          // cut short
  EXPECT_EQ(utf8_to_1252("\xE0\x28"), std::nullopt);      // not UTF-8
  EXPECT_EQ(cp1252_to_utf8("Citt\xE0 \x80"), "Citt\xC3\xA0 \xE2\x82\xAC");
}

TEST(Codepage, RefusesEveryMalformedUtf8Form) {
  const std::string_view cases[] = {
      "ab\xC0\x80"
      "cd",                    // NUL in two bytes
      "\xC1\xBF",              // DEL in two bytes
      "\xE0\x80\xAF",          // '/' in three bytes
      "\xE0\x83\xA0",          // a grave in three bytes
      "\xF0\x82\x82\xAC",      // euro sign in four bytes
      "\xED\xA0\x80",          // surrogate U+D800
      "\xF4\x90\x80\x80",      // U+110000
      "\xF8\x88\x80\x80\x80",  // five-byte form
      "\x80",                  // continuation byte without a lead
  };
  for (const std::string_view utf8 : cases) {
    EXPECT_EQ(utf8_to_1252(utf8), std::nullopt) << testing::PrintToString(std::string(utf8));
  }
  EXPECT_EQ(utf8_to_1252("\xC2\xA0\xEF\xBF\xBF"), std::nullopt);  // U+FFFF has no 1252 form
  EXPECT_EQ(utf8_to_1252("\xC2\xA0"), "\xA0");                    // shortest forms pass
}

TEST(Codepage, LowerCaseFollowsTheCodePage) {
  EXPECT_EQ(to_lower_1252('K'), 'k');
  EXPECT_EQ(to_lower_1252('7'), '7');
  EXPECT_EQ(to_lower_1252('_'), '_');
  EXPECT_EQ(to_lower_1252('\xC0'), '\xE0');
  EXPECT_EQ(to_lower_1252('\xD7'), '\xD7');  // multiplication sign has no case
  EXPECT_EQ(to_lower_1252('\x8A'), '\x9A');
  EXPECT_EQ(to_lower_1252('\x9F'), '\xFF');
}

}  // namespace
}  // namespace sc
