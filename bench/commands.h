#pragma once
// Sub-commands of the query benchmark.

int GenerateMain(int argc, char** argv);     // query-bench generate --finds N [--zip] [--seed S] OUT
int RunMain(int argc, char** argv);          // query-bench run --polygons DIR [--no-cutoff] [--rows] [--proof] FILE
int GenerateHostileMain(int argc, char** argv);  // query-bench generate-hostile KIND OUT
int ZipCompareMain(int argc, char** argv);   // query-bench zip-compare FILE.zip
int SpeedMain(int argc,
              char** argv);  // query-bench speed --polygons DIR [--runs N] [--fresh] [--copy] FILE.gpx [FILE.zip]
int PlanMain(
    int argc,
    char**
        argv);  // query-bench plan --polygons DIR --finds MYFINDS [--home H] CANDIDATES... [--gpx OUT] [--per-district N]
int PlanSpeedMain(
    int argc,
    char** argv);  // query-bench plan-speed --polygons DIR --finds MYFINDS [--files N] [--caches N] [--runs N]
int LocateMain(int argc, char** argv);  // query-bench locate --polygons DIR [--points N] [CASE]...
int TripMain(int argc, char** argv);  // query-bench trip --polygons DIR --finds MYFINDS --home H [--return] ...
int TripBenchMain(int argc, char** argv);  // query-bench trip-bench --polygons DIR [--runs N]
#ifdef QL_BENCH_UI
int OverviewMain(int argc,
                 char** argv);  // query-bench overview --png OUT.png [--candidates FILE...] [--threshold M] FILE
#endif
