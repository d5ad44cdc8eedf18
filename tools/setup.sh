#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Quiet and quick when everything is already present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libegl-dev libgles-dev libegl-mesa0 libgl1-mesa-dri
  libcairo2-dev libpango1.0-dev libpixman-1-dev fonts-dejavu-core
  libjpeg62-turbo-dev libpng-dev libtiff-dev libexiv2-dev zlib1g-dev
  nlohmann-json3-dev libsqlite3-dev libglib2.0-dev libavformat-dev libavcodec-dev python3 python3-cairo
  libavdevice-dev libswscale-dev libswresample-dev libavutil-dev
  lomiri-wallpapers-16.04
  libsdl2-dev xvfb xauth libxtst-dev
  shared-mime-info
  xdg-utils
  libcurl4-openssl-dev ca-certificates
)

# One query for the whole list (one a package took half a second in all). A package dpkg has
# never heard of is missing too; dpkg-query then fails, which is no fault here.
installed=" $({ dpkg-query -W -f='${Package}=${Status}\n' "${packages[@]}" 2>/dev/null || true; } |
  sed -n 's/=install ok installed$//p' | tr '\n' ' ')"
missing=()
for p in "${packages[@]}"; do
  if [[ "$installed" != *" $p "* ]]; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" != 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
