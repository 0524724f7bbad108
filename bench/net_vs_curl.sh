#!/usr/bin/env bash
# The HTTP access beside the curl tool, on one loopback server, in one run; then the download's
# peak memory for three file sizes. Builds the bench preset first.
#
#   bash bench/net_vs_curl.sh
#
# The request routine and the page fetch keep the whole body in memory, and a fresh 32 MiB
# buffer is above glibc's largest mmap threshold: each call maps new pages and faults them in,
# which curl writing to /dev/null never does. The second run shows the same benchmarks with
# transparent huge pages for malloc (glibc.malloc.hugetlb=1), which takes that cost out.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target net_bench >/dev/null
bench=build/bench/bench/net_bench
filter='(HttpRequest|FetchPage|DownloadToFile|CurlTool|CurlToolToFile)/'

echo "== speed, default malloc"
"$bench" --benchmark_filter="$filter" --benchmark_min_time=1
echo
echo "== speed of the in-memory reads, with huge pages for malloc"
GLIBC_TUNABLES=glibc.malloc.hugetlb=1 "$bench" --benchmark_filter='(HttpRequest|FetchPage|CurlTool)/' \
  --benchmark_min_time=1
echo
echo "== peak memory of one download (GNU time)"
for size in 8 64 256; do
  /usr/bin/time -f "  %M KiB maximum resident set size" "$bench" --rss-download="$size"
done
