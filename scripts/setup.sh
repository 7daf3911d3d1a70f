#!/usr/bin/env bash
# Installs every Debian package the project needs. This is the only place that lists them.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build pkg-config clang
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite libqt6sql6-odbc
  libgl-dev libglx-dev
  unixodbc unixodbc-dev tdsodbc libsqliteodbc
  libsqlite3-dev sqlite3
  libcurl4-openssl-dev libzip-dev zip unzip libjpeg-dev
  libgtest-dev googletest
  binutils-mingw-w64-x86-64
  python3 python3-aiosmtpd
  libicu-dev libssl-dev ccache
  curl xvfb xauth imagemagick fonts-noto-cjk
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
