#include "app/dispatch.h"

namespace vork {

Operation ChooseOperation(std::string_view first_argument) {
  if (first_argument == "-x" || first_argument == "-X") return Operation::kExtract;
  if (first_argument == "-b" || first_argument == "-B") return Operation::kBuild;
  return Operation::kNone;
}

}  // namespace vork
