#!/usr/bin/env bash
# Draws the client's skin pictures (res/) and its icon (resources/lirra.ico) with ImageMagick, and
# writes our page for when the platform can't be reached (res/offline-*.html) in the same colours.
# One look everywhere: light surfaces, one blue accent, rounded outlines. Where a window is cut
# to shape, the corners are filled with the key colour #A6A6A6 and the outline is drawn without
# anti-aliasing, so no pixel near the edge comes close to the key colour.
# Output is reproducible: no time stamps or colour profiles are written.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
res="$here/res"
icon="$here/resources/lirra.ico"
mkdir -p "$res"

IM=convert
command -v magick >/dev/null 2>&1 && IM="magick"

KEY='#A6A6A6'
ACCENT='#2F6FDE'
ACCENT_DARK='#2358B8'
ACCENT_DEEP='#1C3F7A'
ACCENT_LIGHT='#4C88EC'
SURFACE='#FFFFFF'
SURFACE_ALT='#F3F6FB'
SURFACE_PRESSED='#E4EAF4'
BORDER='#CFD7E4'
BORDER_DARK='#AEB9CB'
GLYPH='#5F6B7A'
DANGER='#E5484D'
DANGER_DARK='#C93B40'
CJK_FONT=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc

# Writes an image without metadata that would change from run to run or alter colours.
save() {
  local out=$1
  shift
  "$IM" "$@" -depth 8 -strip -define png:exclude-chunks=date,time,gAMA,cHRM,sRGB,iCCP,bKGD "$out"
}

save_opaque() {
  local out=$1
  shift
  save "$out" "$@" -alpha off -define png:color-type=2
}

# A window picture: rounded card on the key colour; $4 = height of the light footer (0: none).
window_picture() {
  local out=$1 w=$2 h=$3 footer=$4 r=12
  local fy=$((h - footer))
  save_opaque "$res/$out" -size "${w}x${h}" "xc:$KEY" \
    \( -size "${w}x${h}" xc:none +antialias -fill "$BORDER" \
       -draw "roundrectangle 0,0 $((w - 1)),$((h - 1)) $r,$r" \) -compose over -composite \
    \( -size "${w}x${h}" "xc:$SURFACE" \
       -fill "$ACCENT" -draw "rectangle 0,0 $w,4" \
       -fill "$SURFACE_ALT" -draw "rectangle 0,$fy $w,$h" \
       -fill "$BORDER" -draw "rectangle 0,$fy $w,$fy" \
       \( -size "${w}x${h}" xc:black +antialias -fill white \
          -draw "roundrectangle 1,1 $((w - 2)),$((h - 2)) $((r - 1)),$((r - 1))" \) \
       -alpha off -compose CopyOpacity -composite \) -compose over -composite
}

# A rounded button with a transparent surrounding: fill, outline.
button_picture() {
  local out=$1 w=$2 h=$3 fill=$4 stroke=$5 r=${6:-6}
  save "$res/$out" -size "${w}x${h}" xc:none -fill "$fill" -stroke "$stroke" -strokewidth 1 \
    -draw "roundrectangle 0.5,0.5 $((w - 1)).5,$((h - 1)).5 $r,$r"
}

# Loading panel: every row one colour, so the pattern repeats seamlessly across any width.
save_opaque "$res/bg.png" -size 16x200 "gradient:$SURFACE-#E8EFFA" \
  -fill "$ACCENT" -draw "rectangle 0,0 16,3"

window_picture bgMessageBox.png 418 258 78
window_picture bg_install.png 578 338 82
window_picture bg_about.png 284 318 0

# Static texts sit on the plain surface.
save_opaque "$res/bg3.png" -size 8x8 "xc:$SURFACE"
# Browser title strip.
save_opaque "$res/bg2.png" -size 8x39 "gradient:$ACCENT_LIGHT-$ACCENT"

# Message box: confirm (white label) and cancel (black label); labels start at (28, 7), 19 px high.
button_picture button_left_normal.png 110 34 "$ACCENT" "$ACCENT"
button_picture button_press.png 110 34 "$ACCENT_DARK" "$ACCENT_DARK"
button_picture buttonRight.png 110 34 "$SURFACE" "$BORDER"
button_picture buttonRight2.png 110 34 "$SURFACE_PRESSED" "$BORDER_DARK"

# Driver manager: bottom buttons (white label at (32, 7), 17 px) and vendor toggles.
button_picture button.png 112 32 "$ACCENT" "$ACCENT"
button_picture button1.png 112 32 "$ACCENT_DARK" "$ACCENT_DARK"
button_picture select.png 134 28 "$SURFACE" "$BORDER_DARK"
button_picture select2.png 134 28 "$ACCENT_DEEP" "$ACCENT_DEEP"

# Close: a grey cross on a light chip, red when pointed at.
close_picture() {
  local out=$1 chip=$2 cross=$3
  save "$res/$out" -size 39x39 xc:none -fill "$chip" -stroke none -draw "circle 19.5,19.5 19.5,6.5" \
    -stroke "$cross" -strokewidth 2 -draw "line 15,15 24,24" -draw "line 24,15 15,24"
}
close_picture close.png 'rgba(255,255,255,0.9)' "$GLYPH"
close_picture close1.png "$DANGER" white
close_picture close2.png "$DANGER_DARK" white

# Title-strip buttons: white glyphs on the accent strip; a light veil when pointed at or held.
strip_button() {
  local out=$1 veil=$2
  shift 2
  save "$res/$out" -size 39x39 xc:none -fill "$veil" -stroke none -draw "roundrectangle 4,4 34,34 6,6" \
    -fill none -stroke white -strokewidth 2 "$@"
}
strip_set() {
  local name=$1
  shift
  strip_button "$name.png" 'rgba(255,255,255,0)' "$@"
  strip_button "${name}1.png" 'rgba(255,255,255,0.18)' "$@"
  strip_button "${name}2.png" 'rgba(0,0,0,0.16)' "$@"
}
strip_set max -draw "rectangle 13.5,13.5 25.5,25.5"
strip_set notmax -draw "rectangle 12.5,16.5 22.5,26.5" -draw "polyline 16.5,12.5 26.5,12.5 26.5,22.5"
strip_set smail -draw "line 13,20 26,20"
strip_set back -draw "polyline 22,13 15,19.5 22,26"
strip_set move -draw "polyline 17,13 24,19.5 17,26"
strip_set refurbish -draw "arc 12.5,12.5 26.5,26.5 -60,240" -fill white -stroke none \
  -draw "polygon 24.5,9 28.5,15.5 21,16"
strip_set setting -draw "circle 19.5,19.5 19.5,16" \
  -draw "line 19.5,10 19.5,13" -draw "line 19.5,26 19.5,29" -draw "line 10,19.5 13,19.5" \
  -draw "line 26,19.5 29,19.5" -draw "line 12.8,12.8 15,15" -draw "line 24,24 26.2,26.2" \
  -draw "line 26.2,12.8 24,15" -draw "line 15,24 12.8,26.2" -draw "circle 19.5,19.5 19.5,12.5"

# Logo: a white tile with the accent initial.
logo_picture() {
  local out=$1 tile=$2
  save "$res/$out" -size 39x39 xc:none -fill "$tile" -stroke none -draw "roundrectangle 6,6 32,32 6,6" \
    -fill "$ACCENT" -draw "polygon 14,12 18,12 18,24 26,24 26,28 14,28"
}
logo_picture LOGO_normal.png white
logo_picture LOGO_pressed.png '#DCE6F8'

# About pop-up under the logo.
about_picture() {
  local out=$1 fill=$2 text=$3
  save "$res/$out" -size 76x40 xc:none -fill "$fill" -stroke "$BORDER" -strokewidth 1 \
    -draw "roundrectangle 0.5,0.5 75.5,39.5 6,6" -stroke none -fill "$text" -font "$CJK_FONT" -pointsize 14 \
    -gravity center -annotate +0+0 "关于"
}
about_picture about-normal.png "$SURFACE" '#1F2937'
about_picture about-focus.png "$ACCENT" white

# Our page for when the platform can't be reached: plain HTML and CSS in the skin's colours, no
# script and no pictures (the engine runs neither in a local file for the client). "重试" links to
# the page itself with the query "retry", which the client takes as a retry and never loads.
cat >"$res/offline.css" <<CSS
body { margin: 0; padding: 48px 16px; background: $SURFACE_ALT; color: #1F2937;
       font-family: "微软雅黑", "Microsoft YaHei", "宋体", SimSun, sans-serif; font-size: 14px; }
.card { max-width: 520px; margin: 0 auto; padding: 28px 32px 32px; background: $SURFACE;
        border: 1px solid $BORDER; border-top: 4px solid $ACCENT; }
h1 { margin: 0 0 16px; color: $ACCENT_DEEP; font-size: 22px; font-weight: normal; }
p { margin: 0 0 12px; line-height: 1.7; color: $GLYPH; }
a.retry { display: inline-block; margin-top: 12px; padding: 7px 32px; background: $ACCENT; color: $SURFACE;
          border: 1px solid $ACCENT_DARK; text-decoration: none; font-size: 15px; }
a.retry:hover { background: $ACCENT_DARK; }
CSS
offline_page() {
  local file=$1 heading=$2 what=$3
  cat >"$res/$file" <<HTML
<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<meta http-equiv="X-UA-Compatible" content="IE=edge">
<title>Lirra·商户</title>
<link rel="stylesheet" type="text/css" href="offline.css">
</head>
<body>
<div class="card">
<h1>$heading</h1>
<p>$what</p>
<p>客户端正在自动重试，平台恢复后会回到刚才的页面，不用关闭客户端。</p>
<a class="retry" href="$file?retry">重试</a>
</div>
</body>
</html>
HTML
}
offline_page offline-network.html "网络连接不上" "这台电脑连不上网络，打不开Lirra·商户平台。请检查网线、无线网络或路由器。"
offline_page offline-noanswer.html "平台没有响应" "Lirra·商户平台暂时没有响应，可能是服务器正在重启或线路繁忙。"
offline_page offline-error.html "平台报告了错误" "Lirra·商户平台暂时出了故障，没能处理这次请求。"

# Application icon: the accent tile with a white initial, at the sizes Windows asks for.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$IM" -size 256x256 xc:none -fill "$ACCENT_DARK" -draw "roundrectangle 8,8 247,247 48,48" \
  -fill "$ACCENT" -draw "roundrectangle 8,8 247,236 48,48" \
  -fill white -draw "polygon 84,60 120,60 120,160 180,160 180,196 84,196" \
  -fill '#9CC0FF' -draw "circle 190,78 190,96" -strip "$tmp/icon.png"
for s in 16 24 32 48; do
  "$IM" "$tmp/icon.png" -resize "${s}x${s}" -strip "$tmp/icon-$s.png"
done
"$IM" "$tmp/icon-16.png" "$tmp/icon-24.png" "$tmp/icon-32.png" "$tmp/icon-48.png" "$icon"
echo "skin pictures written to $res, icon to $icon"
