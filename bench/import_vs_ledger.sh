#!/bin/sh
# Times `hesapkar-cli voucher import` of a synthetic company against `ledger balance` on the same
# book, in one run on one machine, and the full rebuild and entry timings on the imported data.
#   bench/import_vs_ledger.sh [LINES]      (default 1000000)
# Prints wall time, CPU time (user + system) and peak memory (GNU time -v) of each and the ratios:
# the import alone, and the import followed by the trial balance of the year (what `ledger balance`
# answers) against ledger. HK_BENCH_BUILD=DIR uses an already configured Release build folder.
# HK_BENCH_BASE=DIR also times the import of another Release build (an earlier version, already
# built: it is not rebuilt) on the same generated company, for a before/after figure.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
LINES=${1:-1000000}
BUILD=${HK_BENCH_BUILD:-$ROOT/build/bench}
WORK=${HK_BENCH_DIR:-$ROOT/build/bench-voucher}

command -v ledger >/dev/null 2>&1 || { sudo apt-get update && sudo apt-get install -y ledger; }
[ -x /usr/bin/time ] || { sudo apt-get update && sudo apt-get install -y time; }

if [ -z "${HK_BENCH_BUILD:-}" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHK_BUILD_BENCH=ON \
    -DHK_BUILD_TESTS=OFF -DHK_BUILD_UI=OFF >/dev/null
fi
cmake --build "$BUILD" --target hesapkar-cli hk_voucher_gen hk_voucher_bench >/dev/null

rm -rf "$WORK"
mkdir -p "$WORK/prog"
cp "$ROOT/resources/Hsplan.txt" "$ROOT/resources/CsPlan.txt" "$WORK/prog/"
"$BUILD/bench/hk_voucher_gen" "$WORK" --lines "$LINES"
CLI="$BUILD/src/cli/hesapkar-cli"
"$CLI" init "$WORK/data" --program-dir "$WORK/prog" >/dev/null 2>&1
# The generated company and chart before any voucher: the second import starts from it.
rm -rf "$WORK/data.fresh"
cp -r "$WORK/data" "$WORK/data.fresh"

# measure NAME CMD...: wall seconds, CPU seconds (user + system) and peak resident kilobytes
# into NAME_wall / NAME_cpu / NAME_kb. The peak of a shell running several programs is that of
# the largest of them.
measure() {
  name=$1; shift
  /usr/bin/time -v "$@" >"$WORK/$name.out" 2>"$WORK/$name.time" || {
    echo "$name failed:"; tail -20 "$WORK/$name.out" "$WORK/$name.time"; exit 1; }
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,p,":"); s=0; for(i=1;i<=n;i++) s=s*60+p[i]; print s}' "$WORK/$name.time")
  cpu=$(awk -F': ' '/User time|System time/ {s+=$2} END {print s}' "$WORK/$name.time")
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$WORK/$name.time")
  eval "${name}_wall=$wall ${name}_cpu=$cpu ${name}_kb=$kb"
}

# row LABEL NAME: one line of the table.
row() {
  eval "w=\$${2}_wall c=\$${2}_cpu k=\$${2}_kb"
  printf '%-44s %9.2f s %9.2f s %10d kB\n' "$1" "$w" "$c" "$k"
}
# ratio LABEL A B: A against B in wall time, CPU time and peak memory.
ratio() {
  eval "aw=\$${2}_wall ac=\$${2}_cpu ak=\$${2}_kb bw=\$${3}_wall bc=\$${3}_cpu bk=\$${3}_kb"
  awk -v l="$1" -v aw="$aw" -v bw="$bw" -v ac="$ac" -v bc="$bc" -v ak="$ak" -v bk="$bk" \
    'BEGIN { printf "%-44s wall %.2f   cpu %.2f   memory %.2f\n", l, aw/bw, ac/bc, ak/bk }'
}

sync
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
measure import "$CLI" voucher import "$WORK/data" "$WORK/book.csv" --program-dir "$WORK/prog"
measure ledger ledger -f "$WORK/book.ledger" balance
measure mizan "$CLI" report trial-balance "$WORK/data" --months 1-12 --txt "$WORK/mizan.txt" \
  --program-dir "$WORK/prog"
# The same book imported again into a fresh folder and balanced, as one job against ledger.
rm -rf "$WORK/data2"
cp -r "$WORK/data.fresh" "$WORK/data2"
measure both sh -c '"$1" voucher import "$2/data2" "$2/book.csv" --program-dir "$2/prog" &&
  "$1" report trial-balance "$2/data2" --months 1-12 --txt "$2/mizan2.txt" --program-dir "$2/prog"' \
  sh "$CLI" "$WORK"
cmp -s "$WORK/mizan.txt" "$WORK/mizan2.txt" || echo "warning: the two trial balances differ"
if [ -n "${HK_BENCH_BASE:-}" ]; then
  rm -rf "$WORK/data3"
  cp -r "$WORK/data.fresh" "$WORK/data3"
  measure base "$HK_BENCH_BASE/src/cli/hesapkar-cli" voucher import "$WORK/data3" "$WORK/book.csv" \
    --program-dir "$WORK/prog"
  rm -rf "$WORK/data3"
fi
measure rebuild "$CLI" rebuild "$WORK/data" --program-dir "$WORK/prog"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "lines: $LINES"
printf '%-44s %11s %11s %13s\n' "" "wall" "cpu" "peak"
row "voucher import" import
row "trial balance, months 1-12, text file" mizan
row "voucher import + trial balance" both
row "ledger balance" ledger
ratio "ratio import / ledger" import ledger
ratio "ratio import + trial balance / ledger" both ledger
row "rebuild (YMizanDuzelt, whole command)" rebuild
if [ -n "${HK_BENCH_BASE:-}" ]; then
  row "voucher import, $HK_BENCH_BASE" base
  ratio "ratio import / that import" import base
  ratio "ratio that import / ledger" base ledger
fi
"$BUILD/bench/hk_voucher_bench" "$WORK/data"
