#include "app/banner.h"

#include <string_view>

#include "platform/console.h"
#include "platform/sites.h"

namespace vork {

void PrintBanner() {
  static constexpr std::string_view kLines[] = {
      "VORK builder, version 1.0",
      "Splits a sound archive into WAV files and joins them again.",
      "",
      "Usage:  VORK -x|b",
      "Switchs: -x : Extract WAV files from MAIN.SFX",
      "         -b : Build MAIN.SFX with the WAV files using main.txt",
  };
  for (const std::string_view line : kLines) WriteConsoleLine(line, sites::kBannerLine);
}

}  // namespace vork
