#!/usr/bin/env bash
# Builds the Debian package of Kelmora in BUILD_DIR (Release, no tests, no benchmarks,
# Debian's hardening flags) and prints the path of the .deb on standard output. Further
# arguments go to cmake (for example a compiler launcher).
#
#   packaging/build-package.sh BUILD_DIR [CMAKE_OPTION...]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:?"name the build folder"}
shift

flags=()
if command -v dpkg-buildflags >/dev/null; then
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cppflags=$(dpkg-buildflags --get CPPFLAGS)
  flags+=("-DCMAKE_C_FLAGS=$(dpkg-buildflags --get CFLAGS) $cppflags"
    "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CXXFLAGS) $cppflags"
    "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)")
fi

{
  cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKELMORA_BUILD_TESTS=OFF -DKELMORA_BUILD_BENCH=OFF -DKELMORA_SANITIZE=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr "${flags[@]}" "$@"
  cmake --build "$build_dir" -j "$(nproc)"
  rm -f "$build_dir"/kelmora_*.deb
  (cd "$build_dir" && cpack -G DEB)
} >&2
ls "$build_dir"/kelmora_*.deb
