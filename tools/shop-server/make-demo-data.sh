#!/usr/bin/env bash
# Lays out the shop server's demo data folder:
#   make-demo-data.sh OUT_DIR [INSTALLERS_DIR]
# The installers come from INSTALLERS_DIR (a file of the installer's name, directly or in its
# vendor folder); a missing one gets a small placeholder, so the network tests never depend on
# the Windows fixtures. The manifest names every installer with its true MD5 and SHA-256
# digests and carries a serial; it is signed (file.ini.sig) with the demo key that
# scripts/make-demo-key.sh made at set-up, when there is one.
# Environment: LIRRA_DEMO_HOST (host:port written into the version document's links,
# default 127.0.0.1:18080), LIRRA_DEMO_VERSION (the newest version it names, default 1.0.0.2),
# LIRRA_DEMO_SIGNING_KEY (an Ed25519 key in PEM to sign with, default build/demo-key's;
# "none" leaves the manifest unsigned), LIRRA_DEMO_SERIAL (default: the time in seconds).
set -euo pipefail

[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: $0 OUT_DIR [INSTALLERS_DIR]" >&2; exit 64; }
out=$1
installers=${2:-}
host=${LIRRA_DEMO_HOST:-127.0.0.1:18080}
version=${LIRRA_DEMO_VERSION:-1.0.0.2}
store="$out/mervo/store/mervoDrivce"
signing_key=${LIRRA_DEMO_SIGNING_KEY:-$(cd "$(dirname "$0")/../.." && pwd)/build/demo-key/manifest-secret.pem}
serial=${LIRRA_DEMO_SERIAL:-$(date +%s)}

mkdir -p "$store" "$out/backend/plugin/version" "$out/jxsplatform"

# Copies the installer named NAME (or else FALLBACK) into FOLDER of the store, or makes a
# placeholder, and prints its MD5 and SHA-256 digests.
place_installer() {
  local folder=$1 name=$2 fallback=${3:-$2} target
  target="$store${folder:+/$folder}/$name"
  mkdir -p "$(dirname "$target")"
  local source=""
  if [ -n "$installers" ]; then
    for candidate in "$installers/$name" "$installers/$folder/$name" "$installers/$fallback" "$installers/$folder/$fallback"; do
      [ -f "$candidate" ] && { source=$candidate; break; }
    done
  fi
  if [ -n "$source" ]; then
    cp "$source" "$target"
  else
    printf 'placeholder installer %s/%s for the shop server demo data\n' "$folder" "$name" >"$target"
  fi
  echo "$(md5sum "$target" | cut -d' ' -f1) $(sha256sum "$target" | cut -d' ' -f1)"
}

{
  printf '; Package manifest of the demo download host.\r\n'
  printf '[manifest]\r\nserial=%s\r\n' "$serial"
  printf '[HID]\r\n'
  for key in XP32 XP64 W732 W764 W832 W864 W1032 W1064; do
    read -r md5 sha256 < <(place_installer HID "$key.exe" XP32.exe)  # one HID stand-in serves every key
    printf '%s=%s.exe\r\n%sMD5=%s\r\n%sSHA256=%s\r\n' "$key" "$key" "$key" "$md5" "$key" "$sha256"
  done
  for entry in YSB:BTReader.exe NJYS:clientsetup.exe WHJL:jinglun.exe SDSS:shandongshensi.exe IE:IE8XP.exe; do
    section=${entry%%:*}
    name=${entry#*:}
    read -r md5 sha256 < <(place_installer "$section" "$name")
    printf '[%s]\r\npath="%s"\r\nMD5=%s\r\nSHA256=%s\r\n' "$section" "$name" "$md5" "$sha256"
  done
} >"$store/file.ini"
rm -f "$store/file.ini.sig"
if [ "$signing_key" != none ] && [ -f "$signing_key" ]; then
  # The standard base64 of the Ed25519 signature of the file's exact bytes, on one line.
  openssl pkeyutl -sign -rawin -inkey "$signing_key" -in "$store/file.ini" | base64 -w0 >"$store/file.ini.sig"
  echo >>"$store/file.ini.sig"
elif [ "$signing_key" != none ]; then
  echo "no signing key at $signing_key: the manifest is not signed" >&2
fi
# IE8 also lies directly under the base path, where a client without a manifest looks.
cp "$store/IE/IE8XP.exe" "$store/IE8XP.exe"

cat >"$out/backend/plugin/version/get" <<JSON
{"code":0,"msg":"success","value":{"key":"lirra-merchant","desc":"Lirra·商户 $version：驱动安装更稳定","value":"$version","feeInfo":"免费升级","downloadPage":"http://$host/jxsplatform/download.html","downloadUrl":"http://$host/mervo/store/mervoDrivce/setup.exe"}}
JSON

# Platform pages: each shows whether the client set getpc, and carries empty script links.
page() {
  local file=$1 title=$2 body=$3
  cat >"$out/jxsplatform/$file" <<HTML
<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<meta http-equiv="X-UA-Compatible" content="IE=8">
<title>$title</title>
<script type="text/javascript">
var getpc;
function showClient() {
  document.getElementById("client").innerHTML =
      (typeof getpc != "undefined" && getpc) ? "getpc 已设置：在商户客户端中运行" : "getpc 未设置：在普通浏览器中运行";
}
</script>
</head>
<body onload="showClient()">
<h1>$title</h1>
<p id="client">getpc 未检查</p>
$body
<p>
<a href="login.html">登录</a> |
<a href="index.html">首页</a> |
<a href="orders.html">订单</a> |
<a href="cards.html">读卡</a> |
<a id="void-link" href="javascript:void(0);" onclick="alert('javascript:void(0);')">空链接一</a> |
<a id="empty-link" href="javascript:;">空链接二</a> |
<a href="popup.html" target="_blank">新窗口</a>
</p>
</body>
</html>
HTML
}

page login.html "Lirra·商户 登录" '<form action="index.html" method="get"><p>工号 <input name="user"></p><p>密码 <input name="password" type="password"></p><p><input type="submit" value="登录"></p></form>'
page index.html "Lirra·商户 首页" '<p>欢迎使用经销商平台。</p>'
page orders.html "Lirra·商户 订单" '<table border="1"><tr><th>订单号</th><th>状态</th></tr><tr><td>10001</td><td>已完成</td></tr></table>'
page cards.html "Lirra·商户 读卡" '<p>请将身份证放在读卡器上。</p>'
page popup.html "Lirra·商户 新窗口" '<p>本页请求在新窗口打开。</p>'
page download.html "Lirra·商户 下载" "<p>最新版本 $version。</p>"

echo "demo data in $out"
