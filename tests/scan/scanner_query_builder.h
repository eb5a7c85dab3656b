#pragma once
// The scanner test fixture: its own temporary folder, square districts, and
// My Finds queries loaded as query text.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "state/app_state.h"
#include "query/query_text.h"
#include "geo/point_in_polygon.h"
#include "support/my_finds_query.h"

namespace ql::scantest {

using testquery::Cache;
using testquery::Log;
using testquery::MyFindsHeader;
using testquery::MyFindsLines;

// The lines as query text, CR LF between them.
inline QueryText Join(const std::vector<std::string>& lines)
{
    return QueryText::FromBytes(testquery::JoinLines(lines));
}

inline TPolyArray Square(double lat, double lon, double size)
{
    return {{lat, lon}, {lat, lon + size}, {lat + size, lon + size}, {lat + size, lon}};
}

// District 0 ("Ahrweiler") covers 49..50 N, 7..8 E; district 24
// ("Frankenthal (Pfalz)") 50..51 N, 7..8 E; the others are empty.
class ScannerTest : public ::testing::Test {
protected:
    AppState state;
    std::filesystem::path folder;

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("ql_scanner_" + std::string(info->name()) + "_" + std::to_string(static_cast<long>(::getpid())));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        state.TempDir = folder.string() + "/";
        state.PolyTable.SetPolygon(0, Square(49, 7, 1));
        state.PolyTable.SetPolygon(24, Square(50, 7, 1));
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void Load(const std::vector<std::string>& lines) { state.QueryLines = Join(lines); }
    void Load(const std::vector<Cache>& caches) { Load(MyFindsLines(caches)); }

    std::vector<std::string> Codes() const
    {
        std::vector<std::string> codes;
        for (const CacheRow& r : state.Rows) codes.push_back(r.GCCode);
        return codes;
    }
};

}  // namespace ql::scantest
