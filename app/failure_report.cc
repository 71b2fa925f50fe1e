#include "app/failure_report.h"

namespace vork {
namespace {

constexpr std::size_t kReportLimit = 1024;

std::string Hex8(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
  return text;
}

}  // namespace

std::string FormatFailureReport(std::string_view class_name, std::string_view module,
                                std::uint32_t site, std::string_view message) {
  std::string report;
  report.append("Exception ").append(class_name);
  report.append(" in module ").append(module);
  report.append(" at ").append(Hex8(site)).append(".\r\n");
  report.append(message);
  if (!message.empty() && !message.ends_with('.')) report.append(".");
  report.append("\r\n");
  if (report.size() > kReportLimit) report.resize(kReportLimit);
  report.append("\r\n");
  return report;
}

}  // namespace vork
