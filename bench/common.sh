# Shared by the benchmark scripts: sourced after they set `top` (the checkout) and `build`
# (the build folder).

# Installs the Debian packages a benchmark compares with, when they are missing.
install_packages() {  # package...
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

# Builds kelmora-cli in Release (configuring the folder when it is new); sets `cli` and
# `settings` (the program folder's default settings file).
build_cli() {
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELMORA_BUILD_TESTS=OFF \
      -DKELMORA_BUILD_BENCH=OFF
  fi
  cmake --build "$build" --target kelmora-cli
  cli=$build/bin/kelmora-cli
  settings=$build/bin/default.km2
}

# Photos with real detail: the demo pictures scaled to a size with film grain on top, so
# that every 8 x 8 block carries detail like a camera picture. Made once; a stamp file with
# the arguments in its name says they are there.
make_grainy_photos() {  # folder count size grain quality name_format [rotate_every]
  local folder=$1 count=$2 size=$3 grain=$4 quality=$5 format=$6 rotate_every=${7:-0}
  local stamp="$folder/.made-$count-$size-$grain-$quality-$rotate_every"
  [ -f "$stamp" ] && return 0
  rm -rf "$folder"
  mkdir -p "$folder"
  local sources i rotate name
  mapfile -t sources < <(find "$top/examples/photos" -maxdepth 1 -type f \
    \( -name '*.jpg' -o -name '*.tiff' \) | sort)
  echo "Making $count photos of $size pixels in $folder ..."
  for ((i = 0; i < count; i++)); do
    # shellcheck disable=SC2059 # the format is the caller's
    printf -v name "$format" "$i"
    rotate=()
    [ "$rotate_every" -gt 0 ] && [ $((i % rotate_every)) -eq $((rotate_every - 1)) ] &&
      rotate=(-rotate 90)
    /usr/bin/convert "${sources[$((i % ${#sources[@]}))]}" -resize "$size!" "${rotate[@]}" \
      -attenuate "$grain" +noise Gaussian -quality "$quality" "$folder/$name"
  done
  touch "$stamp"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
