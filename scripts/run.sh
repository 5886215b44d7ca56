#!/usr/bin/env bash
# Installs what is missing, builds, registers the kernel as an installer would, and runs the
# demonstration: motionsim with the example mechanism and kinetra with the demo project.
# Without a display the demo project runs through kinetra-batch instead (calculated,
# transferred into motionsim, its cam recorded) and the files it writes are listed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build -j "$(nproc)"
bin=build/bin

# The kernel is registered into the user's registry ($KINETRA_REGISTRY, else
# ~/.config/kinetra/registry), where kinetra finds it by its class name.
"$bin/kinetra-regsvr" "$bin/libVelDrive.so"

# motionsim serves the example mechanism at its default socket unless one already runs there.
simulator=
cleanup() { [ -n "$simulator" ] && kill "$simulator" 2>/dev/null || true; }
trap cleanup EXIT
"$bin/motionsim" examples/cam_mechanism.msim >/tmp/kinetra-motionsim-$$.log 2>&1 &
simulator=$!
sleep 1
if ! kill -0 "$simulator" 2>/dev/null; then
  simulator=
  echo "motionsim: $(cat /tmp/kinetra-motionsim-$$.log) (using the one that runs)"
fi
rm -f /tmp/kinetra-motionsim-$$.log

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "== kinetra with examples/demo.idp (Projekt > Projekt Rechnen calculates it)"
  "$bin/kinetra" examples/demo.idp
else
  out=out/demo
  mkdir -p "$out"
  echo "== No display: the demo project through kinetra-batch"
  "$bin/kinetra-batch" calc examples/demo.idp --out "$out"
  "$bin/kinetra-batch" transfer examples/demo.idp --log "$out/logs"
  "$bin/kinetra-batch" cam Rolle Scheibe --frames 100 --out "$out/cam.txt"
  echo
  echo "Files written:"
  echo "  $out/<drive>.txt     each drive's result table (z, f, f', f'', f''', f'·f'', f''·f''')"
  echo "  $out/logs/<drive>.txt  the values played into motionsim, frame by frame"
  echo "  $out/cam.txt         the cam contour recorded from Rolle on Scheibe"
fi
