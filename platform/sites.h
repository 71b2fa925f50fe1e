#pragma once
// Every place where the tool detects a failure, with the fixed code the
// failure report prints for it. Codes never change between builds and are
// unique; the static_assert below rejects a duplicate.

#include <algorithm>
#include <array>

#include "platform/failure.h"

namespace vork::sites {

// Front end.
inline constexpr Site kBannerLine{0x00010001};
inline constexpr Site kAnyAllocation{0x00010002};

// Extraction.
inline constexpr Site kExtractMissingArchiveLine{0x00020001};
inline constexpr Site kExtractStartLine{0x00020002};
inline constexpr Site kExtractOpenArchive{0x00020003};
inline constexpr Site kExtractArchiveStatus{0x00020004};
inline constexpr Site kExtractCreateManifest{0x00020005};
inline constexpr Site kExtractCopyBuffer{0x00020006};
inline constexpr Site kExtractReadHeader{0x00020007};
inline constexpr Site kExtractShortHeader{0x00020008};
inline constexpr Site kExtractEntryPastEnd{0x00020009};
inline constexpr Site kExtractCreateEntry{0x0002000A};
inline constexpr Site kExtractReadEntry{0x0002000B};
inline constexpr Site kExtractArchiveShrank{0x0002000C};
inline constexpr Site kExtractWriteEntry{0x0002000D};
inline constexpr Site kExtractCloseEntry{0x0002000E};
inline constexpr Site kExtractWriteManifest{0x0002000F};
inline constexpr Site kExtractCloseArchive{0x00020010};
inline constexpr Site kExtractCloseManifest{0x00020011};
inline constexpr Site kExtractTotalLine{0x00020012};
inline constexpr Site kExtractCopyEntry{0x00020013};

// Building.
inline constexpr Site kBuildMissingManifestLine{0x00030001};
inline constexpr Site kBuildStartLine{0x00030002};
inline constexpr Site kBuildOpenManifest{0x00030003};
inline constexpr Site kBuildFollowArchiveLinks{0x00030004};
inline constexpr Site kBuildCheckArchive{0x00030005};
inline constexpr Site kBuildCreateTemporary{0x00030006};
inline constexpr Site kBuildCopyBuffer{0x00030007};
inline constexpr Site kBuildReadManifest{0x00030008};
inline constexpr Site kBuildMissingFileLine{0x00030009};
inline constexpr Site kBuildSizeMismatchLine{0x0003000A};
inline constexpr Site kBuildOpenInput{0x0003000B};
inline constexpr Site kBuildReadInput{0x0003000C};
inline constexpr Site kBuildInputShrank{0x0003000D};
inline constexpr Site kBuildWriteArchive{0x0003000E};
inline constexpr Site kBuildCloseInput{0x0003000F};
inline constexpr Site kBuildCloseManifest{0x00030010};
inline constexpr Site kBuildSetArchiveMode{0x00030011};
inline constexpr Site kBuildSyncArchive{0x00030012};
inline constexpr Site kBuildCloseArchive{0x00030013};
inline constexpr Site kBuildRenameArchive{0x00030014};
inline constexpr Site kBuildSyncDirectory{0x00030015};
inline constexpr Site kBuildTotalLine{0x00030016};
inline constexpr Site kBuildManifestBuffer{0x00030017};
inline constexpr Site kBuildCopyInput{0x00030018};

inline constexpr std::array kAll = {
    kBannerLine,           kAnyAllocation,

    kExtractMissingArchiveLine, kExtractStartLine,     kExtractOpenArchive,
    kExtractArchiveStatus,      kExtractCreateManifest, kExtractCopyBuffer,
    kExtractReadHeader,         kExtractShortHeader,    kExtractEntryPastEnd,
    kExtractCreateEntry,        kExtractReadEntry,      kExtractArchiveShrank,
    kExtractWriteEntry,         kExtractCloseEntry,     kExtractWriteManifest,
    kExtractCloseArchive,       kExtractCloseManifest,  kExtractTotalLine,
    kExtractCopyEntry,

    kBuildMissingManifestLine, kBuildStartLine,        kBuildOpenManifest,
    kBuildFollowArchiveLinks,  kBuildCheckArchive,     kBuildCreateTemporary,
    kBuildCopyBuffer,          kBuildReadManifest,     kBuildMissingFileLine,
    kBuildSizeMismatchLine,    kBuildOpenInput,        kBuildReadInput,
    kBuildInputShrank,         kBuildWriteArchive,     kBuildCloseInput,
    kBuildCloseManifest,       kBuildSetArchiveMode,   kBuildSyncArchive,
    kBuildCloseArchive,        kBuildRenameArchive,    kBuildSyncDirectory,
    kBuildTotalLine,           kBuildManifestBuffer,   kBuildCopyInput,
};

constexpr bool AllCodesUnique() {
  auto codes = std::array<std::uint32_t, kAll.size()>{};
  for (std::size_t i = 0; i < kAll.size(); ++i) codes[i] = kAll[i].code;
  std::sort(codes.begin(), codes.end());
  return std::adjacent_find(codes.begin(), codes.end()) == codes.end();
}
static_assert(AllCodesUnique(), "two failure sites share a code");

}  // namespace vork::sites
