// What the platform reports about the system and the program, and how it
// compares file names.

#include <optional>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace ql {
namespace {

TEST(SystemInformation, MemoryFiguresAreConsistent)
{
    const std::optional<platform::MemoryStatus> memory = platform::QueryMemoryStatus();
    ASSERT_TRUE(memory.has_value());
    EXPECT_GT(memory->TotalPhys, 0u);
    EXPECT_LE(memory->AvailPhys, memory->TotalPhys);
    EXPECT_LE(memory->AvailPageFile, memory->TotalPageFile);
}

TEST(SystemInformation, OnlyTheProgramItselfHasVersionNumbers)
{
    const std::optional<platform::FileVersion> own = platform::GetFileVersionNumbers(platform::ExecutablePath());
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->Major, QL_VERSION_MAJOR);
    EXPECT_EQ(own->Minor, QL_VERSION_MINOR);
    EXPECT_EQ(own->Release, QL_VERSION_PATCH);
    EXPECT_EQ(own->Build, QL_VERSION_TWEAK);
    EXPECT_FALSE(platform::GetFileVersionNumbers("/bin/sh").has_value());
    EXPECT_FALSE(platform::GetFileVersionNumbers("/no/such/file").has_value());
    EXPECT_FALSE(platform::ThousandsSeparator().empty());
}

TEST(FileNames, LetterCaseNamesAnotherFileOnlyOutsideWindows)
{
    EXPECT_TRUE(platform::SameFileName("GC1.kml", "GC1.kml"));
    EXPECT_FALSE(platform::SameFileName("GC1.kml", "GC2.kml"));
#ifdef _WIN32
    EXPECT_TRUE(platform::SameFileName("GC1abc.kml", "gc1ABC.KML"));
    EXPECT_TRUE(platform::SameFileName("GC\xC3\x84.kml", "gc\xC3\xA4.kml"));  // Ä and ä
#else
    EXPECT_FALSE(platform::SameFileName("GC1abc.kml", "gc1ABC.KML"));
#endif
}

}  // namespace
}  // namespace ql
