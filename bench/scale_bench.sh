#!/usr/bin/env bash
# Scale benchmark: builds galleries of many small photos (1600 x 1200, like a phone's
# reduced copies) with the default settings and reports, for each size, milliseconds per
# photo and the peak memory; both should stay flat as the gallery grows. Then it runs the
# largest gallery again with --update, nothing changed, and reports that time against the
# first run.
#
#   bench/scale_bench.sh [SIZES] [WORK_FOLDER]
#
# SIZES is a list of gallery sizes (default "1000 10000"); WORK_FOLDER defaults to
# /tmp/kelmora-scale-bench. The photos are ten distinct pictures, each linked under many
# names (hard links: 10,000 photos take the disk space of ten). BUILD_DIR picks the build
# folder (default build-release).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
sizes=${1:-"1000 10000"}
work=${2:-/tmp/kelmora-scale-bench}
build=${BUILD_DIR:-$top/build-release}

source "$top/bench/common.sh"
install_packages imagemagick time
build_cli

# Ten distinct photos of 1600 x 1200 with grain, so that every block carries detail.
bases=$work/bases
make_grainy_photos "$bases" 10 1600x1200 0.3 90 'base%d.jpg'

run_timed() {  # output file for the time report, then the command line options
  local report=$1
  shift
  local start
  start=$(now_ms)
  /usr/bin/time -v -o "$report" "$cli" --quiet "$@"
  echo $(($(now_ms) - start))
}
peak_mb() { awk -F': ' '/Maximum resident set size/ {printf "%.0f", $2 / 1024}' "$1"; }

echo "Small photos, 1600 x 1200, $(nproc) cores; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '  %8s %12s %14s %10s\n' photos "total s" "ms per photo" "peak MB"
last_size=0
last_ms=0
for n in $sizes; do
  photos=$work/photos-$n
  if [ ! -f "$photos/.made" ]; then
    rm -rf "$photos"
    mkdir -p "$photos"
    for ((i = 0; i < n; i++)); do
      ln "$bases/base$((i % 10)).jpg" "$(printf '%s/photo%05d.jpg' "$photos" "$i")"
    done
    touch "$photos/.made"
  fi
  out=$work/gallery-$n
  rm -rf "$out"
  ms=$(run_timed "$work/time-$n.txt" "$settings" "$photos" "$out")
  printf '  %8d %12.1f %14.2f %10s\n' "$n" "$(awk -v t="$ms" 'BEGIN { print t / 1000 }')" \
    "$(awk -v t="$ms" -v n="$n" 'BEGIN { print t / n }')" "$(peak_mb "$work/time-$n.txt")"
  last_size=$n
  last_ms=$ms
done

out=$work/gallery-$last_size
ms=$(run_timed "$work/time-update.txt" --update "$settings" "$work/photos-$last_size" "$out")
printf '  update of %d unchanged photos: %.2f s, %.2f%% of the first run (target < 2%%), peak %s MB\n' \
  "$last_size" "$(awk -v t="$ms" 'BEGIN { print t / 1000 }')" \
  "$(awk -v a="$ms" -v b="$last_ms" 'BEGIN { print 100 * a / b }')" "$(peak_mb "$work/time-update.txt")"
echo "Load after: $(cut -d' ' -f1-3 /proc/loadavg)"
