// System information from the real Windows API: plausible values, not fixed ones.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <optional>
#include <vector>

#include "info/system_text.h"
#include "platform/platform.h"
#include "support/win_support.h"

namespace ql {
namespace {

TEST(WinSystemInformation, VersionOfAWindowsNtSystem)
{
    const platform::OsVersion os = platform::QueryOsVersion();
    EXPECT_EQ(os.PlatformId, 2u);  // VER_PLATFORM_WIN32_NT
    EXPECT_GE(os.Major, 5u);
    EXPECT_LE(os.Major, 10u);
    EXPECT_GT(os.Build, 0u);
    EXPECT_LE(os.ServicePack.size(), 128u);
    const std::string text = WindowsVersionText(os, platform::NativeProcessorArchitecture());
    const std::string numbers = " (" + std::to_string(os.Major) + "." + std::to_string(os.Minor) +
                                ") (Build: " + std::to_string(os.Build) + ")";
    EXPECT_NE(text.find(numbers), std::string::npos) << text;
}

TEST(WinSystemInformation, NativeArchitectureOfA64BitProgram)
{
    // An x64 program runs on x64 Windows, or emulated on ARM64 Windows.
    const std::uint16_t architecture = platform::NativeProcessorArchitecture();
    EXPECT_TRUE(architecture == PROCESSOR_ARCHITECTURE_AMD64 || architecture == 12) << architecture;
}

TEST(WinSystemInformation, MemoryFiguresArePlausible)
{
    const std::optional<platform::MemoryStatus> memory = platform::QueryMemoryStatus();
    ASSERT_TRUE(memory.has_value());
    EXPECT_GE(memory->TotalPhys, 64ull << 20);
    EXPECT_GT(memory->AvailPhys, 0u);
    EXPECT_LE(memory->AvailPhys, memory->TotalPhys);
    EXPECT_GT(memory->TotalPageFile, 0u);
    EXPECT_LE(memory->AvailPageFile, memory->TotalPageFile);
}

TEST(WinSystemInformation, OwnVersionResourceNamesTheProduct)
{
    const std::optional<platform::FileVersion> own = platform::GetFileVersionNumbers(platform::ExecutablePath());
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(VersionText(*own), "2.1.0.0");

    const std::wstring path = test::PathOf(platform::ExecutablePath()).wstring();
    DWORD ignored = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040704b0\\") + name;
        if (!::VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
            return std::wstring();
        return std::wstring(value);
    };
    EXPECT_EQ(text(L"ProductName"), L"Quenlorn Polygonberechnung");
    EXPECT_EQ(text(L"CompanyName"), L"zellgrenz.de");
    EXPECT_EQ(text(L"ProductVersion"), L"2.1.0.0");
    EXPECT_EQ(text(L"FileVersion"), L"2.1.0.0");
    // The program's icon travels with it.
    EXPECT_NE(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0), nullptr);
}

TEST(WinSystemInformation, SystemFilesHaveVersionsAndTextFilesNone)
{
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
    const std::optional<platform::FileVersion> kernel =
        platform::GetFileVersionNumbers(test::Utf8(std::filesystem::path(system) / "kernel32.dll"));
    ASSERT_TRUE(kernel.has_value());
    EXPECT_GE(kernel->Major, 5);
    EXPECT_FALSE(platform::ThousandsSeparator().empty());
}

}  // namespace
}  // namespace ql

#endif  // _WIN32
