#include <gtest/gtest.h>

#include "archive/zip_mask.h"

namespace ql::zip {
namespace {

struct MaskCase {
    const char* name;
    const char* mask;
    bool passes;
};

TEST(ZipMask, FolderRuleAndNameRule)
{
    const MaskCase cases[] = {
        {"7545915.gpx", "*.gpx", true},           // a plain top-level query
        {"PQ.GPX", "*.gpx", true},                // capitals
        {"pq.GpX", "*.gpx", true},                // any mix of case
        {".gpx", "*.gpx", true},                  // the bare extension: "*" matches nothing
        {"x.gpx/", "*.gpx", true},                // trailing "/" of a folder entry dropped
        {"queries/7545915.gpx", "*.gpx", false},  // in a folder: never found
        {"queries\\7545915.gpx", "*.gpx", false}, // backslash separates folders too
        {"/7545915.gpx", "*.gpx", false},         // a leading separator is a folder part
        {"7545915.gpx.txt", "*.gpx", false},      // extension not at the end
        {"7545915.gp", "*.gpx", false},           // too short
        {"7545915gpx", "*.gpx", false},           // the dot is a plain character
        {"Gro\xE1" "er \x9Amlaut.gpx", "*.gpx", true},  // CP437 name bytes pass unchanged
        {"\xC3\xA4.GPX", "*.gpx", true},          // UTF-8 name
        {"queries/a.gpx", "QUERIES\\*.gpx", true},  // folder parts equal, case and separator aside
        {"other/a.gpx", "queries/*.gpx", false},  // another folder
        {"a.gpx", "queries/*.gpx", false},        // top level against a folder mask
        {"abc.gpx", "a?c.gpx", true},             // "?" takes one character
        {"ac.gpx", "a?c.gpx", false},             // ... and not none
        {"aXbYb", "*a*b", true},                  // a star that must give back characters
        {"aXbYc", "*a*b", false},
        {"\xE4.gpx", "\xC4.gpx", false},          // only A to Z fold case
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.passes) << c.name << " / " << c.mask;
}

}  // namespace
}  // namespace ql::zip
