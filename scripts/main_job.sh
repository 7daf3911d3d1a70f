#!/usr/bin/env bash
# Sets up the machine, builds, assembles the program directory and checks the installation.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
BUILD=${WAGE_BUILD_DIR:-build}
APP="$BUILD/app"
echo "程序目录: $(cd "$APP" && pwd)"
missing=0
for f in update.exe wagemain.exe Alert.dll Linkcfg.dll smtpnote.dll tools.exe \
         Plugins/ordmon.dll Plugins/priceadj.dll Plugins/pieceopt.dll Plugins/estprice.dll Plugins/batchpiece.dll; do
  if [ -e "$APP/$f" ]; then echo "  已安装  $f"; else echo "  尚未构建 $f"; fi
done
