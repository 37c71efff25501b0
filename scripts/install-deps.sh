#!/usr/bin/env bash
# Installs the Debian packages a job needs, only those still missing.
# Usage: scripts/install-deps.sh GROUP...   (groups: build windows editor hosts fuzz bench package lv2 live python)
set -euo pipefail

packages_for() {
  case "$1" in
    build)   echo "g++ cmake make pkg-config libgtest-dev libx11-dev libgl-dev libxtst-dev zlib1g-dev liblilv-dev lv2-dev libjack-jackd2-dev parallel" ;;
    windows) echo "g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 libgl1:i386 libglx-mesa0:i386 libxcomposite1:i386" ;;
    editor)  echo "xvfb xauth libgl1-mesa-dri x11-utils" ;;
    hosts)   echo "ardour qtractor muse lmms:i386 lmms-vst-server:i386 amsynth wine wine32:i386 xvfb xauth python3" ;;
    fuzz)    echo "clang-14 libfuzzer-14-dev libclang-rt-14-dev valgrind" ;;
    bench)   echo "libbenchmark-dev amsynth time" ;;
    package) echo "dpkg-dev" ;;
    lv2)     echo "synthv1-lv2 ardour-lv2-plugins lv2-dev sordi lilv-utils jalv jackd2 xvfb xauth libgl1-mesa-dri x11-utils xdotool python3" ;;
    live)    echo "jackd2" ;;
    python)  echo "pybind11-dev python3-pybind11 python3-numpy python3-dev python3-pytest python3-distributed python3-venv python3-setuptools python3-wheel python3-matplotlib" ;;
    *) echo "install-deps: unknown group '$1'" >&2; exit 2 ;;
  esac
}

wanted=()
needs_i386=0
for group in "$@"; do
  for pkg in $(packages_for "$group"); do
    case "$pkg" in *:i386) needs_i386=1 ;; esac
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      wanted+=("$pkg")
    fi
  done
done
[ ${#wanted[@]} -eq 0 ] && exit 0

export DEBIAN_FRONTEND=noninteractive
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
if [ "$needs_i386" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo_cmd dpkg --add-architecture i386
fi
echo "install-deps: installing ${wanted[*]}" >&2
$sudo_cmd apt-get update -qq
$sudo_cmd apt-get install -y -qq --no-install-recommends "${wanted[@]}" >/dev/null
