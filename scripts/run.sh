#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demonstration: the motion laws' values, a
# drive tabulated by the veldrive batch tool, and the cam mechanism loaded into the motion
# simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build -j "$(nproc)"

echo "== Motion laws"
build/bin/veldrive-demo

echo
echo "== A drive tabulated by veldrive (examples/example_drive.txt, every 10 degrees)"
# The kernel is registered into a registry of its own for the demonstration, so the
# user's registry stays untouched.
registry_dir=$(mktemp -d)
export KINETRA_REGISTRY="$registry_dir/registry"
build/bin/kinetra-regsvr build/bin/libVelDrive.so
printf 'z\tf\tfd\tfdd\tfddd\n'
build/bin/veldrive --step 10 examples/example_drive.txt
rm -rf "$registry_dir"
unset KINETRA_REGISTRY

if [ -x build/bin/motionsim ]; then
  echo
  echo "== Motion simulator with the cam mechanism (20 frames)"
  socket_dir=$(mktemp -d)
  KINETRA_SIM_SOCKET="$socket_dir/motionsim.sock" timeout 5 build/bin/motionsim --frames 20 \
    examples/cam_mechanism.msim &
  sim=$!
  sleep 1
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  rm -rf "$socket_dir"
fi
