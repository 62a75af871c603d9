#!/usr/bin/env bash
# Installs the Debian 12 packages Lirondo needs, only those that are missing.
#   tools/deps.sh run    to build and run the program
#   tools/deps.sh test   to build and run the tests (and the CI checks)
set -euo pipefail

build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libespeak-ng-dev libgl-dev libsndfile1-dev)
runtime=(espeak-ng-data libsndfile1 qt6-translations-l10n libqt6multimedia6 qt6-qpa-plugins fonts-arphic-ukai fonts-arphic-uming)
tests=(pulseaudio pulseaudio-utils python3 python3-aiosmtpd clang clang-format clang-tidy libclang-rt-14-dev
       xvfb trayer xdotool x11-utils)

case "${1:-run}" in
run) wanted=("${build[@]}" "${runtime[@]}") ;;
test) wanted=("${build[@]}" "${runtime[@]}" "${tests[@]}") ;;
*) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" ||
    { "${sudo[@]}" apt-get update -q && "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"; }
