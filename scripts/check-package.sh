#!/usr/bin/env bash
# Builds the game's Debian package (make package), unpacks it into a temporary root and runs its
# launchers from there without a display: the replay launcher plays the bot's first frames over
# the installed data and writes a frame, and the game's launcher starts on a virtual display and
# is still running when stopped.
set -euo pipefail
cd "$(dirname "$0")/.."
make package
package=$(ls -t "${PACKAGE_DIR:-build-package}"/mirefell_*.deb | head -1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

dpkg-deb -x "$package" "$work/root"
root="$work/root/usr"
# The launchers find their programs and data relative to themselves, from any folder.
(cd "$work" && "$root/bin/mirefell-replay" --bot --frames 120 --shot 119 --out "$work/shots")
[[ "$(head -c 8 "$work/shots/frame-00119.png" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ]]
echo "check-package: the replay launcher plays the installed game and writes its frames"

status=0
(cd "$work" && xvfb-run -a timeout 5 "$root/bin/mirefell") || status=$?
if [[ $status -ne 124 ]]; then
  echo "check-package: the game's launcher ended with status $status before it was stopped" >&2
  exit 1
fi
echo "check-package: the game's launcher runs on a virtual display until it is stopped"
