#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in fuzz-build/ and runs each for the given number of
# seconds (default 60). Crashes are written to fuzz-build/runs/ and make the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B fuzz-build -G Ninja -DWAGE_FUZZ=ON \
  -DWAGE_BUILD_TESTS=OFF -DWAGE_BUILD_BENCH=OFF >/dev/null
targets=(extractipv4 strutil inifile fileversion)
ninja -C fuzz-build "${targets[@]/#/fuzz_}"
runs=fuzz-build/runs
mkdir -p "$runs"

# Seeds for the version reader: PE32+ and PE32 files with a version resource, and a small
# ELF object carrying the .wage_fileversion section.
seeds=$runs/seeds_fileversion
mkdir -p "$seeds"
x86_64-w64-mingw32-windres --preprocessor=cpp tests/net/fixtures/versioned.rc -O coff -o "$seeds/v.o"
x86_64-w64-mingw32-ld -e 0 -o "$seeds/pe64.exe" "$seeds/v.o"
x86_64-w64-mingw32-objcopy -O pei-i386 "$seeds/pe64.exe" "$seeds/pe32.exe"
rm -f "$seeds/v.o"
printf '%s\n' '#include <stdint.h>' \
  'struct v { char m[4]; uint32_t n[4]; };' \
  '__attribute__((used, section(".wage_fileversion"))) const struct v x = {{87,70,86,82},{1,2,3,4}};' \
  | cc -x c -c -Os -o "$seeds/elf.o" -

status=0
for t in "${targets[@]}"; do
  mkdir -p "$runs/corpus_$t"
  extra=()
  [ -d "fuzz/corpus/$t" ] && extra+=("$PWD/fuzz/corpus/$t")
  [ "$t" = fileversion ] && extra+=("$PWD/$seeds")
  echo "== fuzz_$t for ${seconds}s"
  (cd "$runs" && "../fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      "corpus_$t" "${extra[@]}" 2>&1 | grep -E "^(Done|stat::number_of_executed_units|==[0-9]+== ERROR|SUMMARY)" ) \
    || { echo "fuzz_$t failed"; status=1; }
done
exit $status
