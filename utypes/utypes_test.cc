#include "utypes/utypes.h"

#include <gtest/gtest.h>

#include <climits>

namespace vork::UTypes {
namespace {

using namespace std::string_literals;

struct FieldCase {
  std::string text;
  std::string delimiter;
  std::int32_t field_number;
  std::string expected;
};

TEST(ExtractField, TakesTheNumberedFieldClampedToTheFirstAndLast) {
  const FieldCase cases[] = {
      {"red;green;blue", ";", 1, "red"},
      {"red;green;blue", ";", 0, "red"},
      {"red;green;blue", ";", -1, "red"},
      {"red;green;blue", ";", INT32_MIN, "red"},
      {"red;green;blue", ";", 2, "green"},
      {"red;green;blue", ";", 3, "blue"},
      {"red;green;blue", ";", 4, "blue"},
      {"red;green;blue", ";", 100, "blue"},
      {"red;green;blue", ";", INT32_MAX, "blue"},
      {"abc", ";", 0, "abc"},
      {"abc", ";", 7, "abc"},
      {";abc", ";", 1, ""},
      {";abc", ";", 2, "abc"},
      {"a;;b", ";", 2, ""},
      {"a;;b", ";", 3, "b"},
      {"a;b;", ";", 3, ""},
      {"a;b;", ";", 9, ""},
      {"", ";", 0, ""},
      {"", ";", 5, ""},
      {"SFX_0003.wav;door", ";", 0, "SFX_0003.wav"},
      {" a ;x", ";", 1, " a "},
      {"a\0b;c\0d"s, ";", 2, "c\0d"s},
      {"a\0b;c"s, "\0"s, 2, "b;c"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractField(c.text, c.delimiter, c.field_number), c.expected)
        << "[" << c.text << "] [" << c.delimiter << "] " << c.field_number;
  }
}

TEST(ExtractField, AnEmptyDelimiterYieldsTheWholeText) {
  for (const std::int32_t n : {-3, 0, 1, 2, 50}) {
    EXPECT_EQ(ExtractField("red;green;blue", "", n), "red;green;blue");
  }
}

TEST(ExtractField, ALongDelimiterIsOneWholeSeparator) {
  const FieldCase cases[] = {
      {"a::b::c", "::", 1, "a"},
      {"a::b::c", "::", 2, "b"},
      {"a::b::c", "::", 3, "c"},
      {"a::b::c", "::", 4, "c"},
      {"a:::b", "::", 2, ":b"},
      {"::", "::", 1, ""},
      {"::", "::", 2, ""},
      {"a:b", "::", 2, "a:b"},
      {"abcab", "ab", 2, "c"},
      {"abcab", "ab", 3, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractField(c.text, c.delimiter, c.field_number), c.expected)
        << "[" << c.text << "] [" << c.delimiter << "] " << c.field_number;
  }
}

}  // namespace
}  // namespace vork::UTypes
