// query-bench: a developer tool that runs the program's own engine on
// generated or real queries and reports time and memory per stage.

#include <cstdio>
#include <cstring>

#include "commands.h"

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "generate") == 0) return GenerateMain(argc - 1, argv + 1);
    if (argc >= 2 && std::strcmp(argv[1], "generate-hostile") == 0) return GenerateHostileMain(argc - 1, argv + 1);
    if (argc >= 2 && std::strcmp(argv[1], "run") == 0) return RunMain(argc - 1, argv + 1);
    if (argc >= 2 && std::strcmp(argv[1], "zip-compare") == 0) return ZipCompareMain(argc - 1, argv + 1);
    if (argc >= 2 && std::strcmp(argv[1], "speed") == 0) return SpeedMain(argc - 1, argv + 1);
    if (argc >= 2 && std::strcmp(argv[1], "plan") == 0) return PlanMain(argc - 1, argv + 1);
    if (argc >= 2 && std::strcmp(argv[1], "plan-speed") == 0) return PlanSpeedMain(argc - 1, argv + 1);
    if (argc >= 2 && std::strcmp(argv[1], "locate") == 0) return LocateMain(argc - 1, argv + 1);
    if (argc >= 2 && std::strcmp(argv[1], "trip") == 0) return TripMain(argc - 1, argv + 1);
    if (argc >= 2 && std::strcmp(argv[1], "trip-bench") == 0) return TripBenchMain(argc - 1, argv + 1);
#ifdef QL_BENCH_UI
    if (argc >= 2 && std::strcmp(argv[1], "overview") == 0) return OverviewMain(argc - 1, argv + 1);
#endif
    std::fprintf(
        stderr,
        "usage: query-bench generate --finds N [--zip] [--seed S] OUT\n"
        "       query-bench generate-hostile breaks-zip|zeros-zip|zeros-lie-zip|header-flood|rows-20000 OUT\n"
        "       query-bench run --polygons DIR [--no-cutoff] [--rows] FILE\n"
        "       query-bench zip-compare FILE.zip\n"
        "       query-bench speed --polygons DIR [--runs N] [--fresh] [--copy] FILE.gpx [FILE.zip]\n"
        "       query-bench plan --polygons DIR --finds MYFINDS.gpx [--home \"N 49° 59.123 E 008° 15.456\"] "
        "CANDIDATES.gpx... [--gpx OUT.gpx] [--per-district N]\n"
        "       query-bench plan-speed --polygons DIR --finds MYFINDS.gpx [--files N] [--caches N] [--runs N]\n"
        "       query-bench trip --polygons DIR --finds MYFINDS.gpx --home \"N 49° 59.123 E 008° 15.456\" [--return] "
        "[--clear-of-border] [--pin GCXXXX]... [--exclude DISTRICT]... CANDIDATES.gpx... [--gpx OUT.gpx]\n"
        "       query-bench trip-bench --polygons DIR [--runs N]\n"
        "       query-bench locate --polygons DIR [--points N] [shipped|circle-1m|circle-far|star-1m]...\n"
#ifdef QL_BENCH_UI
        "       query-bench overview --png OUT.png [--polygons DIR] [--candidates FILE...] [--threshold M] "
        "[--no-cutoff] FILE\n"
#endif
    );
    return 2;
}
