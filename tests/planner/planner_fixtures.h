#pragma once
// What the planner's tests share: the hand-made candidate files, the small
// map of Trier-Saarburg and Trier, and a scratch folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "districts/district_map.h"
#include "planner/candidate.h"
#include "support/saar_map.h"

namespace ql::test {

inline std::string CandidateFixture(const std::string& name)
{
    return std::string(QL_FIXTURES_DIR) + "/candidates/" + name;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A scratch folder per test, removed at its end.
class ScratchFolder {
public:
    ScratchFolder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("ql_planner_" + std::string(info->test_suite_name()) + "_" + info->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
        return File(name);
    }

private:
    std::filesystem::path path_;
};

}  // namespace ql::test
