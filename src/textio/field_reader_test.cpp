#include "textio/field_reader.h"

#include <gtest/gtest.h>

#include <variant>
#include <vector>

namespace sc {
namespace {

// Reads `text` field by field, each as text ('t') or Long ('l'), and returns
// what was read, rendered as strings, plus whether the reader is at the end.
std::vector<std::string> read_fields(std::string_view text, std::string_view kinds) {
  FieldReader reader(text);
  std::vector<std::string> fields;
  for (char kind : kinds) {
    fields.push_back(kind == 't' ? "[" + std::string(reader.read_text()) + "]"
                                 : std::to_string(reader.read_long()));
  }
  fields.push_back(reader.at_end() ? "END" : "MORE");
  return fields;
}

TEST(FieldReader, ReadsFieldsAsTheRowSyntaxWritesThem) {
  struct Case {
    std::string_view text;
    std::string_view kinds;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"1,1,0", "lll", {"1", "1", "0", "END"}},
      {"1, 1, 0", "lll", {"1", "1", "0", "END"}},
      {"1 1 0", "lll", {"1", "1", "0", "END"}},
      {"orologio,    8               41            0 \r\n",
       "tlll",
       {"[orologio]", "8", "41", "0", "END"}},
      {"ripetizione segnali 4 codici,    0    ,0\r\n[curve]",
       "tllt",
       {"[ripetizione segnali 4 codici]", "0", "0", "[[curve]]", "END"}},
      {"indicatori_vmax,  300,  75,  ,  ,  0",
       "tlllll",
       {"[indicatori_vmax]", "300", "75", "0", "0", "0", "END"}},
      {"a\n\n\n   b\r\rc", "ttt", {"[a]", "[b]", "[c]", "END"}},
      {"name with blanks  ,x", "tt", {"[name with blanks  ]", "[x]", "END"}},
      {"\"quoted, text\" ignored,next", "tt", {"[quoted, text]", "[next]", "END"}},
      {"\"quoted\"\r\nnext", "tt", {"[quoted]", "[next]", "END"}},
      {",x", "tt", {"[]", "[x]", "END"}},
      {"-5,+7", "ll", {"-5", "7", "END"}},
      {"000000000000000000000042,-00000000000000000000000", "ll", {"42", "0", "END"}},
      {"-0,2147483647,-2147483648", "lll", {"0", "2147483647", "-2147483648", "END"}},
      {"000000000000000042,0000000000000000042", "ll", {"42", "42", "END"}},
      {"7\t,8\r\n9", "lll", {"7", "8", "9", "END"}},
      {"[generale]\r\n \t\r\n  ", "t", {"[[generale]]", "END"}},
      {"a,b", "t", {"[a]", "MORE"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read_fields(c.text, c.kinds), c.expected) << c.text;
  }
}

TEST(FieldReader, FailsOnFieldsThatCannotBeRead) {
  struct Case {
    std::string_view text;
    char kind;
  };
  const std::vector<Case> cases = {
      {"", 't'},
      {"  \r\n\t", 'l'},
      {"12x", 'l'},
      {"1.5", 'l'},
      {"-", 'l'},
      {"+", 'l'},
      {"--1", 'l'},
      {"12-", 'l'},
      {"2147483648", 'l'},
      {"-2147483649", 'l'},
      {"99999999999999999999999", 'l'},
      {"9223372036854775808", 'l'},
      {"-9223372036854775808", 'l'},  // a magnitude with no positive 64-bit form
      {"\"never closed", 't'},
  };
  for (const Case& c : cases) {
    FieldReader reader(c.text);
    EXPECT_THROW(c.kind == 't' ? (void)reader.read_text() : (void)reader.read_long(), Fault)
        << c.text;
  }
}

// A field that is not a whole number says so, even when its digits would
// also overflow; one that is says it does not fit, at and beyond 64 bits.
TEST(FieldReader, TellsAFieldThatIsNoNumberFromOneTooLarge) {
  struct Case {
    std::string_view text;
    std::string_view message;
  };
  const std::vector<Case> cases = {
      {"99999999999999999999x", "is not a whole number"},
      {"x99999999999999999999", "is not a whole number"},
      {"9223372036854775808", "does not fit"},
      {"18446744073709551616", "does not fit"},
      {"-000000000000000000099999999999999999999", "does not fit"},
  };
  for (const Case& c : cases) {
    try {
      FieldReader(c.text).read_long();
      ADD_FAILURE() << c.text << " was read";
    } catch (const Fault& fault) {
      EXPECT_NE(std::string(fault.what()).find(c.message), std::string::npos)
          << c.text << ": " << fault.what();
    }
  }
}

TEST(FieldReader, ChecksTheRangeOfEachTarget) {
  FieldReader reader("255,256,-1,32767,32768,-32768,-32769");
  EXPECT_EQ(reader.read_byte(), 255);
  EXPECT_THROW(reader.read_byte(), Fault);
  EXPECT_THROW(reader.read_byte(), Fault);
  EXPECT_EQ(reader.read_integer(), 32767);
  EXPECT_THROW(reader.read_integer(), Fault);
  EXPECT_EQ(reader.read_integer(), -32768);
  EXPECT_THROW(reader.read_integer(), Fault);
}

TEST(FieldReader, RejectsTextsLongerThanATableTextHolds) {
  const std::string longest(65535, 'a');
  EXPECT_EQ(FieldReader(longest).read_text().size(), 65535u);
  EXPECT_THROW(FieldReader(longest + "a").read_text(), Fault);
}

TEST(FieldReader, RemembersWhereEachFieldBegins) {
  FieldReader reader("[generale]\r\nlunghezza percorso,    27000\n\n  pendenza, 5");
  reader.read_text();
  EXPECT_EQ(reader.field_location(), (SourceLocation{1, 1}));
  reader.read_text();
  EXPECT_EQ(reader.field_location(), (SourceLocation{2, 1}));
  reader.read_long();
  EXPECT_EQ(reader.field_location(), (SourceLocation{2, 24}));
  reader.read_text();
  EXPECT_EQ(reader.field_location(), (SourceLocation{4, 3}));
  reader.read_long();
  EXPECT_EQ(reader.field_location(), (SourceLocation{4, 13}));
  try {
    reader.read_long();
    FAIL();
  } catch (const Fault& fault) {
    EXPECT_EQ(fault.where(), (SourceLocation{4, 14}));
  }
}

}  // namespace
}  // namespace sc
