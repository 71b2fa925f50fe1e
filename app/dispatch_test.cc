#include "app/dispatch.h"

#include <gtest/gtest.h>

namespace vork {
namespace {

TEST(ChooseOperation, MatchesOnlyTheFourSwitchesWholeAndExact) {
  const struct {
    std::string_view argument;
    Operation expected;
  } cases[] = {
      {"-x", Operation::kExtract}, {"-X", Operation::kExtract},
      {"-b", Operation::kBuild},   {"-B", Operation::kBuild},
      {"", Operation::kNone},      {"x", Operation::kNone},
      {"-", Operation::kNone},     {"-xb", Operation::kNone},
      {"-x ", Operation::kNone},   {" -x", Operation::kNone},
      {"--x", Operation::kNone},   {"/x", Operation::kNone},
      {"-h", Operation::kNone},    {std::string_view("-x\0", 3), Operation::kNone},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseOperation(c.argument), c.expected) << "argument: [" << c.argument << "]";
  }
}

}  // namespace
}  // namespace vork
