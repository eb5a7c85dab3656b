#pragma once
// Sub-commands of the query benchmark.

int GenerateMain(int argc, char** argv);     // query-bench generate --finds N [--zip] [--seed S] OUT
int RunMain(int argc, char** argv);          // query-bench run --polygons DIR [--no-cutoff] [--rows] [--proof] FILE
int GenerateHostileMain(int argc, char** argv);  // query-bench generate-hostile KIND OUT
int ZipCompareMain(int argc, char** argv);   // query-bench zip-compare FILE.zip
int SpeedMain(int argc, char** argv);        // query-bench speed --polygons DIR [--runs N] [--fresh] [--copy] FILE.gpx [FILE.zip]
