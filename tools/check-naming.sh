#!/usr/bin/env bash
# Checks every source file under src/ against the naming rule of CONVENTIONS.md with
# clang-tidy's readability-identifier-naming (configured in .clang-tidy), the names of
# tools/design-names.txt excepted: those are kept exactly as the design writes them.
# Fails, listing them, on any finding.
#
#   tools/check-naming.sh [BUILD_DIR]   BUILD_DIR holds compile_commands.json (default
#                                        build-test); files it does not list are skipped.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-test}
[ -f "$build/compile_commands.json" ] || { echo "no compile_commands.json in $build" >&2; exit 2; }
command -v clang-tidy >/dev/null || { echo "clang-tidy is not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The translation units of src/ that the build compiles (headers come in through them).
python3 - "$build/compile_commands.json" "$top/src/" > "$work/files" <<'PY'
import json, sys
seen = set()
for entry in json.load(open(sys.argv[1])):
    name = entry["file"]
    if name.startswith(sys.argv[2]) and name not in seen:
        seen.add(name)
        print(name)
PY

xargs -a "$work/files" -P "$(nproc)" -n 4 \
  clang-tidy --quiet -p "$build" --extra-arg=-Wno-unknown-warning-option > "$work/out" \
  2> /dev/null || true
if grep -q 'clang-diagnostic-error' "$work/out"; then
  grep 'clang-diagnostic-error' "$work/out" | sort -u >&2
  echo "clang-tidy could not read every file" >&2
  exit 2
fi
# Findings on names the design gives, and on the message keys, are not findings.
grep -E '^/.*: (warning|error): .*\[readability-identifier-naming' "$work/out" > "$work/raw" || true
python3 - "$top/tools/design-names.txt" "$top/src/core/localisation/message_table.h" \
  "$work/raw" > "$work/findings" <<'PY'
import re, sys
design = {line.strip() for line in open(sys.argv[1]) if line.strip()}
# The message keys are the keys of the language files, spelled as those files spell them.
keys = re.search(r"enum class MessageKey[^{]*\{(.*?)\};", open(sys.argv[2]).read(), re.S)
if keys:
    design |= set(re.findall(r"^\s*([A-Za-z][A-Za-z0-9]*)\s*[,=]", keys.group(1), re.M))
for line in sorted(set(open(sys.argv[3]))):
    name = re.search(r"invalid case style for [^']*'([^']+)'", line)
    if not name or name.group(1) not in design:
        sys.stdout.write(line)
PY
# The case check cannot see a T prefix: an invented type must not have one.
grep -rnoE '\b(class|struct|union|enum( class)?|using) T[A-Z][A-Za-z0-9_]*' "$top/src" \
  > "$work/prefixed" || true
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
echo "naming: $(wc -l < "$work/files") files checked, no findings"
