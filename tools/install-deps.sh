#!/usr/bin/env bash
# install-deps: installs every Debian package the engine, its tools, tests, benchmarks and fuzzers need.
# Idempotent: packages already present are left as they are.
set -euo pipefail
packages=(
  build-essential cmake pkg-config git ccache python3
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev lld
  libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri mesa-common-dev
  liblua5.4-dev
  libpng-dev libjpeg62-turbo-dev libopenjp2-7-dev
  libopenal-dev libogg-dev libvorbis-dev vorbis-tools sox
  zlib1g-dev libsqlite3-dev libcurl4-openssl-dev libboost-dev nettle-dev
  libfreetype-dev fonts-dejavu-core python3-pil
  libtinyxml2-dev libpugixml-dev
  xvfb xdotool x11-utils openbox xdg-utils locales
  python3-cairo
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# A comma-decimal locale lets the tests check that numbers never depend on the locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "install-deps: no de_DE.UTF-8 locale; locale tests will be skipped"
fi
