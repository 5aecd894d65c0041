#!/usr/bin/env bash
# Builds the Debian package once (Release, in a build folder of its own), unpacks it into a
# scratch root and runs the installed programs from there as a user would: with a home
# folder of their own, reading the shared data and writing only the user's folder.
#
#   package_test.sh SOURCE_DIR PACKAGE_BUILD_DIR VERSION [CMAKE_OPTION...]
#
# Exits 77 (skipped) where the Debian package tools are missing.
set -uo pipefail
source_dir=${1:?}
build_dir=${2:?}
version=${3:?}
shift 3

for tool in dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing (Debian packages dpkg and dpkg-dev): package test skipped"
    exit 77
  fi
done

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
check() {  # description, command...
  local what=$1
  shift
  "$@" || fail "$what"
}

deb=$("$source_dir/packaging/build-package.sh" "$build_dir" "$@") || {
  echo "FAIL: the package could not be built"
  exit 1
}
echo "package: $deb"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kelmora-package-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg-deb -x "$deb" "$root" || {
  echo "FAIL: dpkg-deb cannot unpack $deb"
  exit 1
}
share=$root/usr/share
has_gui=0
[ -e "$root/usr/bin/kelmora" ] && has_gui=1

# --- Control fields ---------------------------------------------------------------------
check "package name" [ "$(dpkg-deb -f "$deb" Package)" = kelmora ]
check "package version is the project's ($version)" [ "$(dpkg-deb -f "$deb" Version)" = "$version" ]
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libjpeg62-turbo; do
  check "Depends names $library ($depends)" grep -qwF "$library" <<<"$depends"
done
if [ $has_gui = 1 ]; then
  check "Depends names the Qt 6 widgets library ($depends)" grep -qwF libqt6widgets6 <<<"$depends"
fi
check "a maintainer" [ -n "$(dpkg-deb -f "$deb" Maintainer)" ]
check "a description with a long part" [ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 2 ]

# --- Files ------------------------------------------------------------------------------
expect_file() {
  [ -f "$root/$1" ] || fail "the package lacks /$1"
}
expect_file usr/bin/kelmora-cli
[ -x "$root/usr/bin/kelmora-cli" ] || fail "kelmora-cli is not executable"
expect_file usr/share/kelmora/default.km2
expect_file usr/share/kelmora/README.md
expect_file usr/share/doc/kelmora/copyright
expect_file usr/share/doc/kelmora/changelog.gz
expect_file usr/share/bash-completion/completions/kelmora-cli
for data in "$source_dir"/data/*.km2 "$source_dir"/data/*.ln "$source_dir"/data/*.pas; do
  [ -e "$data" ] && expect_file "usr/share/kelmora/$(basename "$data")"
done
programs=(kelmora-cli)
[ $has_gui = 1 ] && programs+=(kelmora)
for program in "${programs[@]}"; do
  page=usr/share/man/man1/$program.1.gz
  expect_file "$page"
  check "$page is gzip'd" gzip -t "$root/$page"
  if command -v man >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page renders with warnings: $warnings"
    check "$page names $program" grep -q "^NAME" <(MANWIDTH=80 man -l "$root/$page" 2>/dev/null)
  fi
done
completion=$share/bash-completion/completions/kelmora-cli
check "the bash completion is valid bash" bash -n "$completion"
if [ -f /usr/share/bash-completion/bash_completion ]; then
  mkdir -p "$scratch/completion/photos"
  touch "$scratch/completion/trip.km2" "$scratch/completion/notes.txt" \
    "$scratch/completion/photos/a.jpg"
  # Each case: the words typed (the last one being completed) and the expected candidates.
  completion_cases=(
    "kelmora-cli --mode f|first-page"
    "kelmora-cli --q|--quiet"
    "kelmora-cli |photos trip.km2"
    "kelmora-cli --quiet trip.km2 |photos"
    "kelmora-cli --exif photos/|photos/a.jpg")
  for case in "${completion_cases[@]}"; do
    got=$(cd "$scratch/completion" && bash -c '
      source /usr/share/bash-completion/bash_completion
      source "$1"
      read -ra COMP_WORDS <<<"$2"
      [[ $2 == *" " ]] && COMP_WORDS+=("")
      COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
      COMP_LINE=$2
      COMP_POINT=${#COMP_LINE}
      _kelmora_cli kelmora-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
      printf "%s\n" "${COMPREPLY[@]}" | sort | paste -sd " "' _ "$completion" "${case%|*}")
    [ "$got" = "${case#*|}" ] || fail "completing \"${case%|*}\" gives \"$got\", not \"${case#*|}\""
  done
fi

if [ $has_gui = 1 ]; then
  desktop=$share/applications/kelmora.desktop
  expect_file usr/share/applications/kelmora.desktop
  if command -v desktop-file-validate >/dev/null; then
    check "desktop entry valid" desktop-file-validate "$desktop"
  fi
  check "desktop entry starts kelmora" grep -qx "Exec=kelmora" "$desktop"
  check "desktop entry names the icon" grep -qx "Icon=kelmora" "$desktop"
  expect_file usr/share/icons/hicolor/scalable/apps/kelmora.svg
  for size in 16 22 24 32 48 64 128 256; do
    png=usr/share/icons/hicolor/${size}x$size/apps/kelmora.png
    expect_file "$png"
    # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
    dims=$(od -An -tu1 -j16 -N8 "$root/$png" 2>/dev/null | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x$size" ] || fail "$png is $dims, not ${size}x$size"
  done
else
  [ -e "$share/applications/kelmora.desktop" ] && fail "a desktop entry without the desktop program"
fi

# --- The installed kelmora-cli ----------------------------------------------------------
export HOME=$scratch/home
export XDG_CONFIG_HOME=$scratch/config
mkdir -p "$HOME"
user_folder=$XDG_CONFIG_HOME/kelmora
cli=$root/usr/bin/kelmora-cli
touch "$scratch/before-runs"
sleep 1

check "kelmora-cli --version names the package version" \
  [ "$("$cli" --version)" = "kelmora-cli $version" ]

input=$scratch/photos
output=$scratch/gallery
mkdir -p "$input"
cp "$source_dir"/tests/data/samples/jpg/*.jpg "$source_dir"/tests/data/samples/tiff/*.tiff "$input/"
photos=$(find "$input" -type f | wc -l)
if "$cli" --quiet "$share/kelmora/default.km2" "$input" "$output" >"$scratch/cli.out" 2>&1; then
  check "one thumbnail per photo" [ "$(find "$output" -name 't_*' | wc -l)" -eq "$photos" ]
  check "a first page" [ -f "$output/page1.htm" ]
  # Every link and picture of every page leads to a file of the gallery.
  links=0
  while IFS= read -r target; do
    links=$((links + 1))
    [ -f "$output/$target" ] || fail "a page refers to the missing file $target"
  done < <(cat "$output"/*.htm | grep -oE '(href|src)="[^"]*"' | sed -E 's/^[a-z]+="(.*)"$/\1/' |
    sort -u)
  check "the pages hold links ($links)" [ "$links" -gt "$photos" ]
else
  fail "kelmora-cli made no gallery from the sample photos: $(cat "$scratch/cli.out")"
fi
[ -e "$user_folder" ] && fail "kelmora-cli created the user's folder though it wrote nothing there"

# A language chosen in the user's folder is the one the installed program speaks.
mkdir -p "$user_folder" "$scratch/empty"
printf '[Settings]\r\nLanguage=Test.ln\r\n' >"$user_folder/km.ini"
printf '[Misc]\r\nNothingToProcessError=Keine Bilder gefunden\r\n' >"$user_folder/Test.ln"
"$cli" --quiet "$share/kelmora/default.km2" "$scratch/empty" "$scratch/out-empty" \
  >"$scratch/cli.out" 2>&1
check "the user's language file is used ($(cat "$scratch/cli.out"))" \
  grep -q "Keine Bilder gefunden" "$scratch/cli.out"

# --- The installed kelmora ----------------------------------------------------------------
if [ $has_gui = 1 ]; then
  export XDG_CONFIG_HOME=$scratch/config-gui
  if QT_QPA_PLATFORM=offscreen timeout 120 "$root/usr/bin/kelmora" --write-language-file \
    >"$scratch/gui.out" 2>&1; then
    custom=$XDG_CONFIG_HOME/kelmora/Custom.ln
    if [ -f "$custom" ]; then
      check "Custom.ln holds the main window's texts" grep -qi '^\[KM\]' "$custom"
      if ls "$share"/kelmora/*.pas >/dev/null 2>&1; then
        check "Custom.ln holds the messages of the shared declaration file" \
          grep -qi '^\[Misc\]' "$custom"
      fi
    else
      fail "kelmora --write-language-file wrote no $custom"
    fi
  else
    fail "kelmora --write-language-file failed: $(cat "$scratch/gui.out")"
  fi
else
  echo "note: the package holds no desktop program; its checks were skipped"
fi

# Nothing was written into the installed tree.
changed=$(find "$root" -newer "$scratch/before-runs" -print)
[ -z "$changed" ] || fail "the programs wrote into the installed tree: $changed"

# --- lintian ------------------------------------------------------------------------------
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$scratch/lintian.out" 2>&1
  status=$?
  grep -v "running with root privileges" "$scratch/lintian.out"
  [ "$status" -eq 0 ] || fail "lintian reports errors"
fi

if [ $failures -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package checks passed"
