#!/usr/bin/env bash
# Builds the 1,000,000-registration demo database and runs the report text over its newest
# 100,000 registrations. Usage: bench/reportsql/run.sh BUILD_DIR [WORK_DIR]
set -euo pipefail
build=${1:?usage: run.sh BUILD_DIR [WORK_DIR]}
work=${2:-$(mktemp -d)}
mkdir -p "$work"
echo "== builder, 1,000,000 registrations, no pictures"
"$build/tools/demodb/tarnwick-demo-db" "$work/bench.db" --replace \
  --registrations 1000000 --people 400 --until 2024-06-30 --seed 1
echo "== builder, 1,000,000 registrations, 25 % with snapshot pictures"
rm -rf "$work/photos"
"$build/tools/demodb/tarnwick-demo-db" "$work/bench-photos.db" --replace \
  --registrations 1000000 --people 400 --until 2024-06-30 --seed 1 --photos "$work/photos"
echo "== report text, newest 100,000 registrations"
"$build/bench/reportsql/bench_report_sql" "$work/bench.db" --rows 100000 --repeat 5
