#!/usr/bin/env bash
# Checks every source file under src/, tests/, bench/ and fuzz/ against the naming rule of
# CONVENTIONS.md with clang-tidy's readability-identifier-naming (configured in .clang-tidy),
# the names of tools/design-names.txt excepted: those are kept exactly as the design writes
# them. Fails, listing them, on any finding.
#
#   tools/check-naming.sh [BUILD_DIR...]   each BUILD_DIR holds a compile_commands.json
#                                           (default build-test). A file is checked once,
#                                           with the first folder that lists it; files no
#                                           folder lists are skipped. The Debug build lists
#                                           src/ and tests/, a build with KELMORA_BUILD_BENCH
#                                           bench/, a KELMORA_FUZZ build fuzz/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- "$top/build-test"
builds=()
for build in "$@"; do
  [ -f "$build/compile_commands.json" ] || { echo "no compile_commands.json in $build" >&2; exit 2; }
  builds+=("$(cd "$build" && pwd)")
done
command -v clang-tidy >/dev/null || { echo "clang-tidy is not installed" >&2; exit 2; }
folders=(src tests bench fuzz)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The translation units of those folders that the builds compile (headers come in through
# them), one line "<build folder> <file>" each. Generated sources live in the build folders
# and are not ours. The layering probe is made to fail compiling, so it is not read.
python3 - "$top" "${builds[@]}" > "$work/units" <<'PY'
import json, os, sys
top = sys.argv[1]
roots = tuple(os.path.join(top, folder) + "/" for folder in ("src", "tests", "bench", "fuzz"))
skipped = {os.path.join(top, "tests/layering/undeclared_module_probe.cpp")}
seen = set()
for build in sys.argv[2:]:
    for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
        name = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
        if (name.startswith(roots) and name not in seen and name not in skipped
                and "_autogen" not in name and not name.endswith(".moc")):
            seen.add(name)
            print(build, name)
PY

: > "$work/out"
for build in "${builds[@]}"; do
  awk -v b="$build" '$1 == b { print $2 }' "$work/units" > "$work/files"
  [ -s "$work/files" ] || continue
  xargs -a "$work/files" -P "${NAMING_JOBS:-$(nproc)}" -n 4 \
    clang-tidy --quiet -p "$build" --extra-arg=-Wno-unknown-warning-option >> "$work/out" \
    2> /dev/null || true
done
if grep -q 'clang-diagnostic-error' "$work/out"; then
  grep 'clang-diagnostic-error' "$work/out" | sort -u >&2
  echo "clang-tidy could not read every file" >&2
  exit 2
fi
# Findings on names the design gives, on the message keys and on QtTest's own slot names are
# not findings; nor are findings in generated files (moc output under a build folder).
grep -E '^/.*: (warning|error): .*\[readability-identifier-naming' "$work/out" > "$work/raw" || true
python3 - "$top" "$top/tools/design-names.txt" "$top/src/core/localisation/message_table.h" \
  "$work/raw" > "$work/findings" <<'PY'
import os, re, sys
top = sys.argv[1]
roots = tuple(os.path.join(top, folder) + "/" for folder in ("src", "tests", "bench", "fuzz"))
design = {line.strip() for line in open(sys.argv[2]) if line.strip()}
# The message keys are the keys of the language files, spelled as those files spell them.
keys = re.search(r"enum class MessageKey[^{]*\{(.*?)\};", open(sys.argv[3]).read(), re.S)
if keys:
    design |= set(re.findall(r"^\s*([A-Za-z][A-Za-z0-9]*)\s*[,=]", keys.group(1), re.M))
# QtTest calls these slots by name: the fixture slots, and <test>_data beside a test slot.
qt_slots = {"initTestCase", "cleanupTestCase", "init", "cleanup"}
def qt_test_name(path, kind, name):
    if not kind.endswith("method"):
        return False
    text = open(path, errors="replace").read()
    if "<QTest>" not in text and "<QtTest>" not in text:
        return False
    if name in qt_slots:
        return True
    test = re.fullmatch(r"([A-Z][A-Za-z0-9]*)_data", name)
    return bool(test) and re.search(r"\bvoid\s+(\w+::)?%s\s*\(" % test.group(1), text) is not None
findings = set()
for line in open(sys.argv[4]):
    where = re.match(r"(/[^:]*):(\d+:\d+: .*)", line)
    path = os.path.realpath(where.group(1))
    if not path.startswith(roots) or "_autogen/" in path or path.endswith(".moc"):
        continue
    name = re.search(r"invalid case style for ([^']*) '([^']+)'", line)
    if name and (name.group(2) in design or qt_test_name(path, name.group(1).strip(), name.group(2))):
        continue
    findings.add(path + ":" + where.group(2) + "\n")
sys.stdout.writelines(sorted(findings))
PY
# The case check cannot see a T prefix: an invented type must not have one.
grep -rnoIE --include='*.h' --include='*.cpp' \
  '\b(class|struct|union|enum( class)?|using) T[A-Z][A-Za-z0-9_]*' \
  "${folders[@]/#/$top/}" > "$work/prefixed" || true
python3 - "$top/tools/design-names.txt" "$work/prefixed" >> "$work/findings" <<'PY'
import sys
design = {line.strip() for line in open(sys.argv[1]) if line.strip()}
for line in open(sys.argv[2]):
    if line.rstrip().split()[-1] not in design:
        sys.stdout.write(line.rstrip() + ": invented type with a T prefix\n")
PY
findings=$(cat "$work/findings")
if [ -n "$findings" ]; then
  echo "$findings"
  echo "$(echo "$findings" | wc -l) names break the naming rule (see CONVENTIONS.md)" >&2
  exit 1
fi
echo "naming: $(wc -l < "$work/units") files checked, no findings"
