#!/usr/bin/env bash
# Prints which library of src/ links which, from CMake's own dependency graph
# of a configured build folder (default build/). A cycle would show as a pair
# of libraries that name each other.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cmake --graphviz="$out/deps.dot" "$build" >/dev/null
python3 - "$out/deps.dot" <<'PY'
import re, sys
from collections import defaultdict
text = open(sys.argv[1]).read()
names = dict(re.findall(r'"(node\d+)" \[ label = "([^"]+)"', text))
links = defaultdict(set)
for a, b in re.findall(r'"(node\d+)" -> "(node\d+)"', text):
    links[names[a]].add(names[b])
order = ["ql_base", "ql_platform", "ql_geo", "ql_archive", "ql_core", "ql_query", "ql_districts", "ql_state",
         "ql_reports", "ql_scan", "ql_info", "ql_planner", "ql_ui", "quenlorn"]
ours = [n for n in order if n in names.values()]
for lib in ours:
    shown = sorted((d for d in links[lib] if d.startswith("ql_") or d in ("ZLIB::ZLIB", "Qt6::Widgets", "Qt6::WebEngineWidgets")),
                   key=lambda d: (order.index(d) if d in order else len(order), d))
    print(f"{lib} -> {', '.join(shown) if shown else '(nothing)'}")
PY
