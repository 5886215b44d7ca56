#!/usr/bin/env bash
# Measures what the test suite catches: applies each mutant of scripts/mutants.txt, one at a
# time, to a scratch copy of the tree, rebuilds the tests of the mutated area, runs them and
# records whether some test failed (caught) or all passed (survived).
#
#   scripts/mutants.sh               every mutant
#   scripts/mutants.sh -k REGEX      only the mutants whose id matches REGEX
#   scripts/mutants.sh --check       only checks that every mutant's text is found exactly once
#   scripts/mutants.sh --baseline    only builds and runs the unmutated tests
#   scripts/mutants.sh --no-sync     keeps the scratch copy as it is (measures the tests it holds)
#
# The working tree is never modified: it is copied into build-mutants/src (changed files
# only, so the build in build-mutants/out stays incremental), and each mutant is undone in
# the copy before the next one. A mutant that does not compile counts as caught by the
# compiler and is listed as such (the list should hold mutants that compile); a test run
# that exceeds its time limit counts as caught. Results land in build-mutants/results.txt.
#
# Environment: MUTANTS_JOBS (build jobs, default 2), MUTANTS_TIMEOUT (seconds per test
# program, default 300), MUTANTS_LIST (default scripts/mutants.txt).
set -uo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
list=${MUTANTS_LIST:-$top/scripts/mutants.txt}
jobs=${MUTANTS_JOBS:-2}
limit=${MUTANTS_TIMEOUT:-300}
work=$top/build-mutants
src=$work/src
out=$work/out
results=$work/results.txt

mode=all
filter=.
sync=yes
while [ $# -gt 0 ]; do
  case "$1" in
    --check) mode=check ;;
    --baseline) mode=baseline ;;
    --no-sync) sync=no ;;
    -k) filter=$2; shift ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done

# ---- the mutant list -----------------------------------------------------------------------
# Blocks of
#   mutant ID
#   file PATH
#   - original text line     (one or more; joined with line feeds; matched exactly once)
#   + replacement text line  (none: the original text is deleted)
# Blank lines and lines starting with # separate blocks. The text after "- " / "+ " is taken
# as it is, leading spaces included.
mutant_tool() {
  python3 - "$@" <<'PY'
import sys, pathlib

def parse(path):
    mutants, cur = [], None
    for n, line in enumerate(pathlib.Path(path).read_text().split("\n"), 1):
        if line.startswith("mutant "):
            cur = {"id": line[7:].strip(), "file": None, "old": [], "new": [], "line": n}
            mutants.append(cur)
        elif line.startswith("file "):
            cur["file"] = line[5:].strip()
        elif line.startswith("- ") or line == "-":
            cur["old"].append(line[2:])
        elif line.startswith("+ ") or line == "+":
            cur["new"].append(line[2:])
        elif line.strip() == "" or line.startswith("#"):
            continue
        else:
            sys.exit(f"{path}:{n}: cannot read: {line!r}")
    for m in mutants:
        if not m["file"] or not m["old"]:
            sys.exit(f"{path}:{m['line']}: mutant {m['id']} needs a file and an original text")
    ids = [m["id"] for m in mutants]
    if len(ids) != len(set(ids)):
        sys.exit(f"{path}: mutant ids are not unique")
    return mutants

cmd, listfile = sys.argv[1], sys.argv[2]
mutants = parse(listfile)
if cmd == "ids":
    for m in mutants:
        print(m["id"], m["file"])
elif cmd == "check":
    root = pathlib.Path(sys.argv[3])
    bad = 0
    for m in mutants:
        text = (root / m["file"]).read_text()
        old = "\n".join(m["old"])
        count = text.count(old)
        if count != 1:
            print(f"mutant {m['id']}: original text found {count} times in {m['file']}")
            bad += 1
    print(f"{len(mutants)} mutants, {bad} not found exactly once")
    sys.exit(1 if bad else 0)
elif cmd == "apply":
    root, wanted = pathlib.Path(sys.argv[3]), sys.argv[4]
    m = next(m for m in mutants if m["id"] == wanted)
    path = root / m["file"]
    text = path.read_text()
    old, new = "\n".join(m["old"]), "\n".join(m["new"])
    if text.count(old) != 1:
        sys.exit(f"mutant {wanted}: original text found {text.count(old)} times in {m['file']}")
    path.write_text(text.replace(old, new))
PY
}

if [ "$mode" = check ]; then
  mutant_tool check "$list" "$top"
  exit $?
fi
mutant_tool check "$list" "$top" >/dev/null || { mutant_tool check "$list" "$top"; exit 1; }

# ---- the scratch copy ------------------------------------------------------------------------
sync_tree() {
  mkdir -p "$src"
  python3 - "$top" "$src" <<'PY'
import sys, os, shutil, subprocess, filecmp
top, dst = sys.argv[1], sys.argv[2]
files = subprocess.run(["git", "-C", top, "ls-files", "-z", "--cached", "--others",
                        "--exclude-standard"], capture_output=True, check=True).stdout
wanted = {f for f in files.decode().split("\0") if f and os.path.isfile(os.path.join(top, f))}
for f in wanted:
    s, d = os.path.join(top, f), os.path.join(dst, f)
    if not os.path.exists(d) or not filecmp.cmp(s, d, shallow=False):
        os.makedirs(os.path.dirname(d), exist_ok=True)
        shutil.copy(s, d)  # a fresh time stamp: the build sees the change
        shutil.copymode(s, d)
for dirpath, _, names in os.walk(dst):
    for n in names:
        rel = os.path.relpath(os.path.join(dirpath, n), dst)
        if rel not in wanted:
            os.remove(os.path.join(dirpath, n))
PY
}

# ---- areas: what to build and which test programs to run ---------------------------------------
kernel_targets="kernel_tests VelDrive veldrive kinetra-regsvr"
platform_targets="platform_tests kinetra_test_server $kernel_targets veldrive_python_tests"
simulator_targets="simulator_tests app_tests motionsim"

# Sets targets and suites for a mutated file: what to rebuild and which programs to run.
area_of() {
  case "$1" in
    kernel/*) targets=$kernel_targets suites="kernel python" ;;
    platform/*) targets=$platform_targets suites="platform kernel python" ;;
    python/*) targets="veldrive_python_tests $kernel_targets" suites="python" ;;
    simulator/*) targets=$simulator_targets suites="simulator simlink" ;;
    app/*) targets="app_tests" suites="simlink" ;;
    *) targets="$platform_targets $simulator_targets" suites="platform kernel python simulator simlink" ;;
  esac
}

# Runs one test program; 0 when every test passed.
run_suite() {
  local log=$1/$2.log
  case "$2" in
    kernel) (cd "$out/tests" && timeout "$limit" "$out/bin/kernel_tests" --gtest_brief=1 --gtest_fail_fast) ;;
    platform) (cd "$out/tests/platform" && timeout "$limit" "$out/bin/platform_tests" --gtest_brief=1 --gtest_fail_fast) ;;
    simulator) (cd "$out/tests/simulator" && timeout "$limit" "$out/bin/simulator_tests" --gtest_brief=1 --gtest_fail_fast) ;;
    # The tests of the simulation link and its users (transfer, cam) inside app_tests.
    simlink) (cd "$out/tests/app" && QT_QPA_PLATFORM=offscreen timeout "$limit" "$out/bin/app_tests" \
      --gtest_filter='SimulationLinkTest.*:TransferTest.*:DriveFilesTest.*:Cam*' --gtest_brief=1 --gtest_fail_fast) ;;
    python) timeout "$limit" ctest --test-dir "$out" -R '^python_veldrive$' --output-on-failure ;;
  esac >"$log" 2>&1
}

build() { cmake --build "$out" -j "$jobs" --target $1 >"$2" 2>&1; }

[ "$sync" = yes ] && sync_tree
if [ ! -f "$out/build.ninja" ]; then
  # Dependents are not relinked when only a shared library changed: they load the new one.
  cmake -S "$src" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKINETRA_BUILD_BENCH=OFF \
    -DKINETRA_BUILD_FUZZ=OFF -DKINETRA_BUILD_GUI=ON -DKINETRA_BUILD_TESTS=ON \
    -DCMAKE_LINK_DEPENDS_NO_SHARED=ON >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; exit 1; }
fi

# ---- the unmutated suite must pass -------------------------------------------------------------
mkdir -p "$work/logs/baseline"
echo "building the tests ..."
build "$platform_targets $simulator_targets" "$work/logs/baseline/build.log" ||
  { tail -30 "$work/logs/baseline/build.log"; exit 1; }
for suite in platform kernel python simulator simlink; do
  start=$(date +%s)
  if ! run_suite "$work/logs/baseline" "$suite"; then
    echo "the unmutated $suite tests fail; see $work/logs/baseline/$suite.log" >&2
    tail -20 "$work/logs/baseline/$suite.log" >&2
    exit 1
  fi
  echo "baseline $suite: passed in $(($(date +%s) - start)) s"
done
[ "$mode" = baseline ] && exit 0

# ---- the mutants --------------------------------------------------------------------------------
backup=$work/backup
restore() {
  if [ -f "$backup.path" ]; then
    cp "$backup" "$src/$(cat "$backup.path")"
    rm -f "$backup" "$backup.path"
  fi
}
trap restore EXIT INT TERM
restore

: >"$results"
total=0
caught=0
compiler=0
survivors=()
while read -r id file; do
  [[ "$id" =~ $filter ]] || continue
  total=$((total + 1))
  logs=$work/logs/$id
  rm -rf "$logs"
  mkdir -p "$logs"
  cp "$src/$file" "$backup"
  echo "$file" >"$backup.path"
  mutant_tool apply "$list" "$src" "$id" || exit 1
  start=$(date +%s)
  verdict=survived
  area_of "$file"
  if ! build "$targets" "$logs/build.log"; then
    verdict="caught by the compiler"
    compiler=$((compiler + 1))
  else
    for suite in $suites; do
      if ! run_suite "$logs" "$suite"; then
        verdict="caught by $suite"
        break
      fi
    done
  fi
  restore
  [ "$verdict" = survived ] && survivors+=("$id") || caught=$((caught + 1))
  printf '%-40s %s (%d s)\n' "$id" "$verdict" $(($(date +%s) - start)) | tee -a "$results"
done < <(mutant_tool ids "$list")

# Leave the copy built as the tree is.
build "$platform_targets $simulator_targets" "$work/logs/rebuild.log"

{
  echo
  echo "$caught of $total caught ($compiler by the compiler)"
  if [ ${#survivors[@]} -gt 0 ]; then
    echo "survivors:"
    printf '  %s\n' "${survivors[@]}"
  fi
} | tee -a "$results"
