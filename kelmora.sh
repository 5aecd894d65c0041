#!/usr/bin/env bash
# Set-up, build and run Kelmora on Debian 12. Run as root (or with sudo available) on a
# fresh machine; packages already present are not installed again.
#
#   ./kelmora.sh demo    build, then make a gallery from examples/photos into gallery-demo/
#   ./kelmora.sh gui     build, then open the desktop program's window
#   ./kelmora.sh test    check formatting; build and run the whole test suite in Debug with
#                        AddressSanitizer + UBSan and again in Release; fuzz every target
#                        briefly; check the naming rule
#   ./kelmora.sh screenshots [FOLDER]   render every tab of the window and the progress
#                                       window into PNG files (default docs/screenshots)
#   ./kelmora.sh bench [N]   build optimised, run the benchmarks and a whole-gallery benchmark
#                            of N generated 12-megapixel photos (default 24)
#   ./kelmora.sh fuzz T [SECONDS]   build the libFuzzer targets with clang and run target T
#   ./kelmora.sh package   build the Debian package (build-package/kelmora_*.deb), check it
#                          with lintian; install it with: sudo apt install ./build-package/kelmora_*.deb
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)
jobs=$(nproc)

build_packages=(g++ cmake ninja-build pkg-config libjpeg62-turbo-dev zlib1g-dev)
gui_packages=(qt6-base-dev fonts-dejavu-core)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev chromium libimage-exiftool-perl
  "${gui_packages[@]}")
bench_packages=(libbenchmark-dev libjpeg-turbo-progs imagemagick)
fuzz_packages=(clang libclang-rt-14-dev)
format_packages=(clang-format clang-tidy)
# The package's own build and checks (the test suite builds and checks it too).
package_packages=(dpkg-dev lintian desktop-file-utils man-db bash-completion)

install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

configure_and_build() {  # folder, cmake options... [--target NAME]
  local dir=$1
  shift
  local targets=()
  local options=()
  while [ $# -gt 0 ]; do
    if [ "$1" = "--target" ]; then
      targets+=(--target "$2")
      shift 2
    else
      options+=("$1")
      shift
    fi
  done
  # A compiler cache, where one is installed, makes rebuilds of other folders cheap.
  if command -v ccache >/dev/null; then
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$top" -B "$dir" -G Ninja "${options[@]}"
  cmake --build "$dir" -j "$jobs" "${targets[@]}"
}

# Every C++ file of the project must be as clang-format writes it.
check_format() {
  local report
  report=$(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror 2>&1 || true)
  if [ -n "$report" ]; then
    grep "error:" <<<"$report" | head -20
    echo "clang-format: run clang-format -i on the files above." >&2
    exit 1
  fi
}

# Builds every libFuzzer target with clang and runs each for a few seconds over a scratch
# copy of its seed corpus; a crash stops the run and its input lands in fuzz/crashers/.
run_fuzz_smoke() {
  local seconds=$1
  configure_and_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELMORA_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  mkdir -p fuzz/crashers
  local target
  for source in fuzz/*_fuzz.cpp; do
    target=$(basename "$source" .cpp)
    local corpus="build-fuzz/corpus/$target"
    mkdir -p "$corpus"
    [ -d "fuzz/corpus/$target" ] && cp -r "fuzz/corpus/$target/." "$corpus/"
    echo "Fuzzing $target for ${seconds}s"
    if ! "build-fuzz/bin/$target" -max_total_time="$seconds" -max_len=1048576 \
      -artifact_prefix="fuzz/crashers/$target-" "$corpus" >"build-fuzz/$target.log" 2>&1; then
      tail -n 40 "build-fuzz/$target.log"
      echo "fuzz target $target failed; the input is in fuzz/crashers/" >&2
      exit 1
    fi
  done
}

case "${1:-}" in
  demo)
    install_packages "${build_packages[@]}"
    configure_and_build build-release -DCMAKE_BUILD_TYPE=Release -DKELMORA_BUILD_TESTS=OFF \
      -DKELMORA_BUILD_BENCH=OFF
    out="$top/gallery-demo"
    mkdir -p "$out"
    build-release/bin/kelmora-cli build-release/bin/default.km2 "$top/examples/photos" "$out"
    ;;
  gui)
    install_packages "${build_packages[@]}" "${gui_packages[@]}"
    configure_and_build build-release -DCMAKE_BUILD_TYPE=Release -DKELMORA_BUILD_TESTS=OFF \
      -DKELMORA_BUILD_BENCH=OFF --target kelmora
    exec build-release/bin/kelmora
    ;;
  screenshots)
    install_packages "${build_packages[@]}" "${gui_packages[@]}"
    configure_and_build build-release -DCMAKE_BUILD_TYPE=Release -DKELMORA_BUILD_TESTS=OFF \
      -DKELMORA_BUILD_BENCH=OFF --target kelmora-screenshots
    QT_QPA_PLATFORM=offscreen build-release/bin/kelmora-screenshots "${2:-$top/docs/screenshots}"
    ;;
  test)
    install_packages "${build_packages[@]}" "${test_packages[@]}" "${fuzz_packages[@]}" \
      "${format_packages[@]}" "${package_packages[@]}"
    check_format
    # Debug with the sanitizers: every test, every memory access checked. The package test
    # builds a Release package of its own, so it runs once, with the Release suite.
    configure_and_build build-test -DCMAKE_BUILD_TYPE=Debug -DKELMORA_SANITIZE=ON -DKELMORA_WERROR=ON \
      -DKELMORA_BUILD_BENCH=OFF
    # LeakSanitizer cannot run where ptrace is forbidden (some containers); check once so
    # such a machine still runs every test, just without the leak check.
    leaks=1
    if ASAN_OPTIONS=detect_leaks=1 build-test/bin/test-common-text_format_test 2>&1 |
      grep -q "LeakSanitizer has encountered a fatal error"; then
      echo "LeakSanitizer is not available here; running the tests without the leak check."
      leaks=0
    fi
    (cd build-test && ASAN_OPTIONS=detect_leaks=$leaks UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --output-on-failure -j "$jobs" --label-exclude package)
    # Release: the optimised SIMD kernels and what a packager builds, and the package.
    configure_and_build build-release-tests -DCMAKE_BUILD_TYPE=Release -DKELMORA_WERROR=ON \
      -DKELMORA_BUILD_BENCH=ON
    (cd build-release-tests && ctest --output-on-failure -j "$jobs")
    # Every fuzz target for a short while on its seeds.
    run_fuzz_smoke "${FUZZ_SECONDS:-10}"
    # The naming rule of CONVENTIONS.md in src/, tests/, bench/ and fuzz/, on the compile
    # commands of the three builds: the tests come from the Debug build, the benchmarks from
    # the Release one, the fuzz targets from the clang one.
    tools/check-naming.sh build-test build-release-tests build-fuzz
    echo "All checks passed."
    ;;
  bench)
    install_packages "${build_packages[@]}" "${bench_packages[@]}"
    configure_and_build build-bench -DCMAKE_BUILD_TYPE=Release -DKELMORA_BUILD_TESTS=OFF
    for b in build-bench/bin/*_bench; do "$b"; done
    BUILD_DIR="$top/build-bench" bench/gallery_bench.sh "${2:-24}"
    ;;
  fuzz)
    install_packages "${build_packages[@]}" "${fuzz_packages[@]}"
    target=${2:?"name a fuzz target, e.g. ini_file_fuzz"}
    seconds=${3:-300}
    configure_and_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELMORA_FUZZ=ON \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ --target "$target"
    mkdir -p fuzz/crashers
    corpus="build-fuzz/corpus/$target"
    mkdir -p "$corpus"
    seeds=()
    [ -d "fuzz/corpus/$target" ] && seeds+=("fuzz/corpus/$target")
    "build-fuzz/bin/$target" -max_total_time="$seconds" -max_len=1048576 \
      -artifact_prefix="fuzz/crashers/$target-" "$corpus" "${seeds[@]}"
    ;;
  package)
    install_packages "${build_packages[@]}" "${package_packages[@]}"
    deb=$(packaging/build-package.sh "$top/build-package")
    lintian_status=0
    lintian --fail-on error "$deb" >build-package/lintian.txt 2>&1 || lintian_status=$?
    # lintian's note about running as root says nothing about the package.
    grep -v "running with root privileges" build-package/lintian.txt || true
    [ "$lintian_status" -eq 0 ] || { echo "lintian reports errors in $deb"; exit 1; }
    echo "Package: $deb"
    echo "Install it with: sudo apt install ./${deb#"$top/"}"
    ;;
  *)
    sed -n '2,16p' "$0"
    exit 2
    ;;
esac
