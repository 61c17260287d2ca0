#!/bin/sh
# Times `hesapkar-cli voucher import` of a synthetic company against `ledger balance` on the same
# book, in one run on one machine, and the full rebuild and entry timings on the imported data.
#   bench/import_vs_ledger.sh [LINES]      (default 1000000)
# Prints wall time and peak memory (GNU time -v) of both and their ratios.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
LINES=${1:-1000000}
BUILD=$ROOT/build/bench
WORK=${HK_BENCH_DIR:-$ROOT/build/bench-voucher}

command -v ledger >/dev/null 2>&1 || { sudo apt-get update && sudo apt-get install -y ledger; }
[ -x /usr/bin/time ] || { sudo apt-get update && sudo apt-get install -y time; }

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHK_BUILD_BENCH=ON \
  -DHK_BUILD_TESTS=OFF -DHK_BUILD_UI=OFF >/dev/null
cmake --build "$BUILD" --target hesapkar-cli hk_voucher_gen hk_voucher_bench >/dev/null

rm -rf "$WORK"
mkdir -p "$WORK/prog"
cp "$ROOT/resources/Hsplan.txt" "$ROOT/resources/CsPlan.txt" "$WORK/prog/"
"$BUILD/bench/hk_voucher_gen" "$WORK" --lines "$LINES"
CLI="$BUILD/src/cli/hesapkar-cli"
"$CLI" init "$WORK/data" --program-dir "$WORK/prog" >/dev/null 2>&1

# measure NAME CMD...: wall seconds and peak resident kilobytes into NAME_wall / NAME_kb.
measure() {
  name=$1; shift
  /usr/bin/time -v "$@" >"$WORK/$name.out" 2>"$WORK/$name.time" || {
    echo "$name failed:"; tail -20 "$WORK/$name.out" "$WORK/$name.time"; exit 1; }
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,p,":"); s=0; for(i=1;i<=n;i++) s=s*60+p[i]; print s}' "$WORK/$name.time")
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$WORK/$name.time")
  eval "${name}_wall=$wall ${name}_kb=$kb"
}

sync
measure import "$CLI" voucher import "$WORK/data" "$WORK/book.csv" --program-dir "$WORK/prog"
measure ledger ledger -f "$WORK/book.ledger" balance
measure rebuild "$CLI" rebuild "$WORK/data" --program-dir "$WORK/prog"

echo "lines: $LINES"
printf 'voucher import: %8.2f s %10d kB\n' "$import_wall" "$import_kb"
printf 'ledger balance: %8.2f s %10d kB\n' "$ledger_wall" "$ledger_kb"
awk -v a="$import_wall" -v b="$ledger_wall" -v c="$import_kb" -v d="$ledger_kb" \
  'BEGIN { printf "ratio import/ledger: wall %.2f, memory %.2f\n", a/b, c/d }'
printf 'rebuild (YMizanDuzelt, whole command): %8.2f s %10d kB\n' "$rebuild_wall" "$rebuild_kb"
"$BUILD/bench/hk_voucher_bench" "$WORK/data"
