#!/usr/bin/env bash
# Installs the Debian packages that building and testing Karvelon needs, only those missing.
# Uses sudo when not run as root. Pass extra package names as arguments.
set -euo pipefail
packages=(build-essential cmake g++ pkg-config googletest libgtest-dev libgmock-dev
  libbenchmark-dev time qt6-base-dev libgl-dev nlohmann-json3-dev libdds-dev fonts-dejavu-core
  fontconfig clang libclang-rt-14-dev
  dpkg-dev file shared-mime-info desktop-file-utils appstream xdg-utils libfile-mimeinfo-perl
  man-db poppler-utils hyperfine strace "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
