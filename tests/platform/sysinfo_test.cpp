// What the platform reports about the system and the program.

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

}  // namespace
}  // namespace ql
