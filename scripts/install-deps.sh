#!/usr/bin/env bash
# Installs what building, running and testing Quorvane needs, from Debian's
# packages, and only what is missing. Root or sudo.
set -euo pipefail

packages=(
    cmake make g++ libgtest-dev googletest libicu-dev
    g++-mingw-w64-x86-64-posix mingw-w64-tools
    wine wine64 fonts-wine
    xvfb xauth x11-utils xdotool imagemagick
    fonts-crosextra-carlito fonts-liberation librsvg2-bin
    clang libclang-rt-14-dev clang-format
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
