#!/usr/bin/env bash
# Pictures of kinetra as a person sees it, made under Xvfb against a real motionsim with the
# example mechanism and the kernel registered into a temporary registry:
#   OUTDIR/screen.png       the whole screen with kinetra running
#   OUTDIR/<name>.png       the main window, each menu opened and each dialog (window_shots)
#
#   scripts/screenshots.sh [OUTDIR] [kinetra's arguments, e.g. --lang en PROJECT.idp]
# Needs a build in build/ (cmake --build build --target kinetra window_shots motionsim).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots}")
shift || true
bin=build/bin
for program in kinetra window_shots motionsim kinetra-regsvr; do
  [ -x "$bin/$program" ] || { echo "missing $bin/$program: build it first" >&2; exit 2; }
done
mkdir -p "$out"

work=$(mktemp -d)
simulator=
cleanup() {
  [ -n "$simulator" ] && kill "$simulator" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export KINETRA_REGISTRY="$work/registry"
export KINETRA_SIM_SOCKET="$work/motionsim.sock"
"$bin/kinetra-regsvr" "$bin/libVelDrive.so" >/dev/null
"$bin/motionsim" examples/cam_mechanism.msim >"$work/motionsim.log" 2>&1 &
simulator=$!
for _ in $(seq 100); do
  [ -S "$KINETRA_SIM_SOCKET" ] && break
  sleep 0.1
done
[ -S "$KINETRA_SIM_SOCKET" ] || { cat "$work/motionsim.log" >&2; exit 1; }

# motionsim serves one client at a time: the two programs run one after the other.
export out bin
xvfb-run -a -s "-screen 0 1600x1000x24" bash -c '
  "$bin/kinetra" "$@" & kinetra=$!
  sleep 4
  import -window root "$out/screen.png"
  kill "$kinetra"; wait "$kinetra" 2>/dev/null || true
  timeout 60 "$bin/window_shots" "$out" "$@"
' screenshots "$@"
echo "pictures in $out"
