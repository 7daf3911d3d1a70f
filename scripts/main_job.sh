#!/usr/bin/env bash
# Sets up the machine, builds, and demonstrates an online update: a program directory with an
# older host program is updated unattended ("update.exe AUTO") from a vendor server on
# 127.0.0.1; a second run finds it up to date.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
BUILD=${WAGE_BUILD_DIR:-build}
APP="$(cd "$BUILD/app" && pwd)"
DEMO="$(pwd)/$BUILD/demo"
VENDOR="$(pwd)/$BUILD/demo-vendor"
echo "程序目录: $APP"
for f in update.exe wagemain.exe Alert.dll Linkcfg.dll smtpnote.dll tools.exe \
         Plugins/ordmon.dll Plugins/priceadj.dll Plugins/pieceopt.dll Plugins/estprice.dll Plugins/batchpiece.dll; do
  if [ -e "$APP/$f" ]; then echo "  已安装  $f"; else echo "  尚未构建 $f"; fi
done

# Without a display the programs run on the offscreen platform.
if [ -z "${DISPLAY:-}" ]; then export QT_QPA_PLATFORM=offscreen; fi
# The host program started after the update ends by itself in this demonstration.
export WAGE_HOST_EXIT_AFTER_MS=3000

file_version() {   # the four numbers embedded in one of our ELF files
  local tmp; tmp=$(mktemp)
  objcopy -O binary --only-section=.wage_fileversion "$1" "$tmp" 2>/dev/null || true
  python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); print(".".join(map(str,struct.unpack("<4I",d[4:20]))) if d[:4]==b"WFVR" else "无版本")' "$tmp"
  rm -f "$tmp"
}
set_version() {    # set_version file a.b.c.d
  local tmp; tmp=$(mktemp)
  python3 -c 'import struct,sys; open(sys.argv[1],"wb").write(b"WFVR"+struct.pack("<4I",*map(int,sys.argv[2].split("."))))' "$tmp" "$2"
  objcopy --update-section .wage_fileversion="$tmp" "$1"
  rm -f "$tmp"
}

echo
echo "== 准备演示程序目录 $DEMO"
rm -rf "$DEMO" "$VENDOR"
cp -a "$APP" "$DEMO"
rm -f "$DEMO/Error.Log" "$DEMO/Usertem.ini" "$DEMO/f_data.mdb"
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
printf '[main Position]\r\nconnectionstr=ACCESS\r\nVersion=4.40\r\n[vendor]\r\nBaseURL=http://127.0.0.1:%s/\r\nCustomerName=演示工厂\r\n' "$PORT" \
  | iconv -f UTF-8 -t GBK > "$DEMO/Usertem.ini"
if [ -x "$DEMO/wagedb" ]; then
  "$DEMO/wagedb" create "$DEMO/f_data.mdb"
elif [ -x "$DEMO/wagemain.exe" ]; then
  WAGE_HOST_EXIT_AFTER_MS=500 "$DEMO/wagemain.exe" --demo-database >/dev/null 2>&1 || true
fi
NEW_VERSION=4.40.2.11
if [ -e "$DEMO/wagemain.exe" ]; then
  cp "$DEMO/wagemain.exe" "$BUILD/wagemain-new.exe"
  set_version "$BUILD/wagemain-new.exe" "$NEW_VERSION"
  set_version "$DEMO/wagemain.exe" 4.40.2.9
  echo "  宿主程序 wagemain.exe 版本 $(file_version "$DEMO/wagemain.exe")，服务器提供 $NEW_VERSION"
else
  echo "  (没有宿主程序 wagemain.exe：升级程序会报告无法升级)"
fi

echo "== 供应商服务器 http://127.0.0.1:$PORT/"
mkdir -p "$VENDOR/files" "$VENDOR/pack/报表"
cat > "$VENDOR/Access.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<update>
  <MessStr>本次更新;修正计件工资汇总;升级程序自动安装数据包;新增演示报表</MessStr>
  <Ver>$NEW_VERSION</Ver>
  <UpdateVer>4.40.2.10</UpdateVer>
  <UpPath>files</UpPath>
  <UpDataCount>1</UpDataCount>
  <UpDataFile1>data1.zip</UpDataFile1>
  <Upcount>2</Upcount>
  <UpType1>基础</UpType1><UpName1>主程序</UpName1><UpTime1>2026-12-09</UpTime1><UpNote1>新版主程序</UpNote1><UpFile1>pkg1.zip</UpFile1>
  <UpType2>报表</UpType2><UpName2>演示报表</UpName2><UpTime2>2026-12-09</UpTime2><UpNote2>月报说明</UpNote2><UpFile2>pkg2.zip</UpFile2>
  <ExpCount>1</ExpCount>
  <ExpType1>拓展</ExpType1><ExpName1>订单监控</ExpName1><ExpVer1>1.0.0.0</ExpVer1><ExpNote1>按订单监控生产进度</ExpNote1>
</update>
XML
echo '<html><body>通知</body></html>' > "$VENDOR/Admess.html"
printf '//正在更新参数表\r\ninsert into tempconfig (key_name,key_index) values (%s,1) [演示数据包]\r\n' "'demo_update'" \
  | iconv -f UTF-8 -t GBK > "$VENDOR/pack/Autoupdate.ini"
echo "演示月报" > "$VENDOR/pack/报表/月报说明.txt"
(cd "$VENDOR/pack" && zip -q -r "$VENDOR/files/data1.zip" Autoupdate.ini)
(cd "$VENDOR/pack" && zip -q -r "$VENDOR/files/pkg2.zip" 报表)
if [ -e "$BUILD/wagemain-new.exe" ]; then
  mkdir -p "$VENDOR/host" && cp "$BUILD/wagemain-new.exe" "$VENDOR/host/wagemain.exe"
  (cd "$VENDOR/host" && zip -q "$VENDOR/files/pkg1.zip" wagemain.exe)
else
  (cd "$VENDOR/pack" && zip -q "$VENDOR/files/pkg1.zip" Autoupdate.ini)
fi
# The vendor signs the manifest (packages' SHA-256 and an Ed25519 signature); the installation
# carries the vendor's public key and refuses anything else.
SIGNER="$(pwd)/$BUILD/vendor/signmanifest"
if [ -x "$SIGNER" ]; then
  KEY="$(pwd)/$BUILD/demo-vendor-key.pem"
  rm -f "$KEY"
  PUBLIC_KEY=$("$SIGNER" keygen "$KEY")
  "$SIGNER" sign "$VENDOR/Access.xml" --key "$KEY" >/dev/null
  printf 'UpdateKey=%s\r\n' "$PUBLIC_KEY" >> "$DEMO/Usertem.ini"
  echo "  升级配置文件已签名 (Access.xml.sig)，安装目录的公钥 UpdateKey=$PUBLIC_KEY"
fi
python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$VENDOR" >/dev/null 2>&1 &
SERVER=$!
trap 'kill $SERVER 2>/dev/null || true' EXIT
for _ in $(seq 50); do python3 -c "import socket; socket.create_connection(('127.0.0.1',$PORT),1)" 2>/dev/null && break; sleep 0.1; done

# Runs update.exe AUTO; an unattended run ends by itself with its status (0 updated or up to
# date, non-zero on failure). The time limit only guards the demonstration.
run_updater() {
  local out status=0; out=$(mktemp)
  timeout 300 "$DEMO/update.exe" AUTO >"$out" 2>/dev/null || status=$?
  sed 's/^/    /' "$out"
  rm -f "$out"
  echo "  update.exe 结束，退出状态 $status"
}

echo
echo "== 第一次运行 update.exe AUTO"
run_updater
[ -e "$DEMO/wagemain.exe" ] && echo "  宿主程序版本现在是 $(file_version "$DEMO/wagemain.exe")"
[ -e "$DEMO/报表/月报说明.txt" ] && echo "  已安装 报表/月报说明.txt"
echo "  备份: $(ls "$DEMO/升级备份" 2>/dev/null | head -1)"
sleep 1
echo
echo "== 第二次运行 update.exe AUTO"
run_updater
if [ -s "$DEMO/Error.Log" ]; then echo "  Error.Log:"; iconv -f GBK -t UTF-8 "$DEMO/Error.Log" | sed 's/^/    /'; fi
# The host started by the first run ends by itself; make sure nothing of the demo is left.
sleep 3
kill $SERVER 2>/dev/null || true
wait $SERVER 2>/dev/null || true
trap - EXIT
echo "== 供应商服务器已停止"

# Order monitoring, unattended: the refresh run rebuilds the process rows of every order, the
# summary run computes them (each run from the first order), then the figures are read back.
if [ -x "$DEMO/wagemain.exe" ] && [ -e "$DEMO/Plugins/ordmon.dll" ] && [ -x "$DEMO/wagedb" ]; then
  echo
  echo "== 订单监控：无人值守汇总全部订单"
  for clicks in RadioButton2,ToolButton1 RadioButton2,ToolButton2; do
    status=0
    (cd "$DEMO" && env -u WAGE_HOST_EXIT_AFTER_MS ./wagemain.exe 系统管理员 f_pici 订单监控 \
        --do "$clicks" --answer yes --quit 2>/dev/null) >"$BUILD/ordmon-run.txt" || status=$?
    sed 's/^/    /' "$BUILD/ordmon-run.txt"
    echo "    wagemain.exe --do $clicks 退出状态 $status"
  done
  "$DEMO/wagedb" sql --ini "$DEMO" \
      -e "select pc_no, pc_name, pc_wcl, ip_jhsccb, pc_total, shengchanYK from f_pici order by pc_no" 2>/dev/null \
    | python3 -c '
import sys
rows = [l.rstrip("\n").split("\t") for l in sys.stdin if l.strip()][1:]
def num(v, pct=False):
    if v == "": return "—"
    x = float(v)
    return f"{x*100:.1f}%" if pct else f"{x:,.2f}"
print("    " + "订单编号".ljust(16) + "订单名称".ljust(10) + "完成率".rjust(8) + "计划成本".rjust(14) + "生产产值".rjust(14) + "生产盈亏".rjust(14))
for r in rows:
    r += [""] * (6 - len(r))
    print("    " + r[0].ljust(20) + r[1].ljust(10) + num(r[2], True).rjust(11) + num(r[3]).rjust(18) + num(r[4]).rjust(18) + num(r[5]).rjust(18))
'
fi
