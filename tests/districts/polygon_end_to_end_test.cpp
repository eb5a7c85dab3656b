// The shipped district boundaries end to end: the 36 files read by the
// polygon reader, a My Finds query with one cache at a known place in every
// district, scanned.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "scan/scanner.h"
#include "core/tables.h"
#include "districts/polygon_files.h"
#include "scan/scanner_query_builder.h"

namespace ql::scantest {
namespace {

struct Place {
    const char* what;
    const char* lat;
    const char* lon;
};

// One place well inside each district, in district order. Trier, Pirmasens
// and Landau lie in holes of the Landkreis around them (Trier-Saarburg,
// Südwestpfalz, Südliche Weinstraße), which come first in district order.
constexpr std::array<Place, DistrictCount> Places = {{
    {"Nürburgring", "50.3356", "6.9475"},
    {"Altenkirchen", "50.686", "7.645"},
    {"Alzey", "49.746", "8.116"},
    {"Bad Dürkheim", "49.461", "8.168"},
    {"Bad Kreuznach", "49.845", "7.867"},
    {"Wittlich", "49.986", "6.893"},
    {"Idar-Oberstein", "49.711", "7.313"},
    {"Cochem", "50.147", "7.167"},
    {"Kirchheimbolanden", "49.665", "8.012"},
    {"Bitburg", "49.967", "6.527"},
    {"Germersheim", "49.222", "8.364"},
    {"Landstuhl", "49.413", "7.571"},
    {"Kusel", "49.538", "7.398"},
    {"Ingelheim", "49.9747", "8.0564"},
    {"Mayen", "50.328", "7.222"},
    {"Neuwied-Heimbach", "50.445", "7.49"},
    {"Simmern", "49.982", "7.523"},
    {"Bad Ems", "50.335", "7.714"},
    {"Schifferstadt", "49.385", "8.375"},
    {"Bad Bergzabern", "49.103", "7.999"},
    {"Dahn", "49.150", "7.778"},
    {"Saarburg", "49.608", "6.549"},
    {"Daun", "50.199", "6.832"},
    {"Montabaur", "50.437", "7.826"},
    {"Frankenthal", "49.534", "8.354"},
    {"Deutsches Eck", "50.3644", "7.6064"},
    {"Landau centre", "49.199", "8.118"},
    {"Ludwigshafen", "49.481", "8.435"},
    {"Mainz cathedral", "49.9990", "8.2739"},
    {"Neustadt", "49.354", "8.138"},
    {"Pirmasens centre", "49.201", "7.605"},
    {"Speyer cathedral", "49.3173", "8.4423"},
    {"Kaiserslautern centre", "49.444", "7.769"},
    {"Porta Nigra", "49.7597", "6.6439"},
    {"Worms", "49.632", "8.359"},
    {"Zweibrücken", "49.249", "7.361"},
}};

class ShippedDistrictsTest : public ScannerTest {
protected:
    void SetUp() override
    {
        ScannerTest::SetUp();  // its test squares are replaced by the real districts
        const std::string dir = std::string(QL_DATA_DIR) + "/rlp_polygons/";
        for (int i = 0; i < DistrictCount; ++i)
            state.PolyTable.SetPolygon(i, LoadPolygonFile(dir + std::string(DistrictFileNames[i]) + ".txt"));
    }
};

TEST_F(ShippedDistrictsTest, OneCachePerDistrictLandsInItsOwnDistrict)
{
    std::vector<Cache> caches;
    for (int i = 0; i < DistrictCount; ++i) {
        Cache c;
        c.code = "GC" + std::to_string(1000 + i);
        c.name = Places[i].what;
        c.lat = Places[i].lat;
        c.lon = Places[i].lon;
        caches.push_back(c);
    }
    Load(caches);

    ASSERT_EQ(ScanWaypoints(state), DistrictCount);
    for (int i = 0; i < DistrictCount; ++i) {
        EXPECT_EQ(state.Rows[i].District, DistrictNames[i]) << Places[i].what;
        EXPECT_EQ(state.DistrictTally[i], 1) << DistrictNames[i];
    }
    EXPECT_EQ(state.NotInPolygonCount, 0);
    EXPECT_TRUE(state.NIPList.empty());
}

TEST_F(ShippedDistrictsTest, AcrossTheRhineIsOutsideEveryDistrict)
{
    Cache wiesbaden, mannheim;
    wiesbaden.code = "GC3W", wiesbaden.lat = "50.082", wiesbaden.lon = "8.24";
    mannheim.code = "GC3M", mannheim.lat = "49.487", mannheim.lon = "8.466";
    Load(std::vector<Cache>{wiesbaden, mannheim});

    ASSERT_EQ(ScanWaypoints(state), 2);
    EXPECT_EQ(state.Rows[0].District, NotInPolygonText);
    EXPECT_EQ(state.Rows[1].District, NotInPolygonText);
    EXPECT_EQ(state.NotInPolygonCount, 2);
    for (int n : state.DistrictTally) EXPECT_EQ(n, 0);
}

}  // namespace
}  // namespace ql::scantest
