// Opening a query: the file's name chooses between archive and text file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "archive/extract.h"
#include "base/query_limits.h"
#include "query/query_pipeline.h"
#include "support/error_of.h"
#include "support/zip_builder.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

class OpenQueryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("ql_open_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    fs::path dir_;
};

struct CountingProgress : ExtractProgress {
    int calls = 0;
    void OnFileProgress(double) override { ++calls; }
    void OnOverallProgress(double) override { ++calls; }
};

TEST_F(OpenQueryTest, AnArchiveNameInAnyCaseIsExtractedWithItsProgress)
{
    const std::string archive = test::ZipBuilder().Add("pq.gpx", "one\r\ntwo\r\n").Build();
    for (const char* name : {"q.zip", "Q.ZIP", "q.Zip"}) {
        CountingProgress progress;
        const QueryText lines = OpenQuery(Write(name, archive), progress);
        ASSERT_EQ(lines.Size(), 2u) << name;
        EXPECT_EQ(lines.At(1), "two") << name;
        EXPECT_GT(progress.calls, 0) << name;
    }
}

TEST_F(OpenQueryTest, AnyOtherNameIsReadAsTextEvenWhenItHoldsAnArchive)
{
    const std::string archive = test::ZipBuilder().Add("pq.gpx", "one\r\ntwo\r\n").Build();
    CountingProgress progress;
    const std::string path = Write("q.gpx", archive);
    EXPECT_EQ(OpenQuery(path, progress).At(0).substr(0, 2), "PK");
    EXPECT_EQ(progress.calls, 0);
    EXPECT_EQ(ReadQueryBytes(path, progress).Size(), archive.size());
    EXPECT_EQ(OpenQuery(Write("q.zip.gpx", "a\nb\nc")).Size(), 3u);
}

TEST_F(OpenQueryTest, AnArchiveThatIsNoneGivesTheReadersMessageAndATextFileOverTheLimitIsRefused)
{
    const std::string path = Write("q.zip", "not an archive");
    NoExtractProgress progress;
    std::string direct;
    try {
        (void)ExtractFirstGpx(path, progress);
    } catch (const UserError& e) {
        direct = e.what();
    }
    ASSERT_FALSE(direct.empty());
    EXPECT_EQ(test::ErrorOf([&] { (void)OpenQuery(path); }), direct);

    const std::string large = (dir_ / "large.gpx").string();
    {
        std::ofstream file(large, std::ios::binary);
        file.seekp(static_cast<std::streamoff>(MaxQueryBytes));
        file.put('\n');  // one byte over the limit, sparse
    }
    const std::string refused = test::ErrorOf([&] { (void)OpenQuery(large); });
    EXPECT_EQ(refused.rfind("Die Abfrage ist zu groß: ", 0), 0u) << refused;
}

}  // namespace
}  // namespace ql
