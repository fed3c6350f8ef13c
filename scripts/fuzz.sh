#!/usr/bin/env bash
# Builds the fuzz target of the open path with clang (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs it for a few minutes on a corpus seeded
# with the blank site and the sample sites. Findings are written to build-fuzz/artifacts/.
#
#   FUZZ_SECONDS  how long to run (default 180)
#   FUZZ_JOBS     parallel fuzzing processes (default 1)
#   JOBS          parallel build jobs (default 2)
# Anything after the options is passed to the fuzzer, e.g. a crash file to run it again:
#   bash scripts/fuzz.sh build-fuzz/artifacts/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz.sh: clang is not installed (Debian: apt-get install clang)" >&2
  exit 1
fi
build=build-fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=ON -DVELMORA_FUZZ=ON \
    -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF
fi
cmake --build "$build" --parallel "${JOBS:-2}" --target velmora-open-fuzzer velmora-mkdb

corpus="$build/corpus"
mkdir -p "$corpus" "$build/artifacts"
if [ -z "$(ls -A "$corpus")" ]; then
  cp "$build/velmora/DBs/CleanSite.mdb" "$corpus/blank.mdb"
  for sql in examples/*.sql; do
    [ -e "$sql" ] || continue
    "$build/tools/velmora-mkdb" "$corpus/$(basename "$sql" .sql).mdb" data/site/schema.sql "$sql"
  done
  for site in build/velmora/Sites/*.mdb; do
    [ -e "$site" ] && cp "$site" "$corpus/shipped-$(basename "$site")"
  done
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
if [ "$#" -gt 0 ]; then
  exec "$build/fuzz/velmora-open-fuzzer" "$@"
fi
parallel=()
if [ "${FUZZ_JOBS:-1}" -gt 1 ]; then
  # Each job logs to fuzz-N.log in the current folder.
  parallel=(-jobs="$FUZZ_JOBS" -workers="$FUZZ_JOBS")
fi
exec "$build/fuzz/velmora-open-fuzzer" "${parallel[@]}" \
  -max_total_time="${FUZZ_SECONDS:-180}" -timeout=30 -rss_limit_mb=4096 -max_len=262144 -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/" "$corpus"
