#!/usr/bin/env bash
# Draws the client's skin pictures (res/) and its icon (resources/lirra.ico) with ImageMagick, and
# writes our page for when the platform can't be reached (res/offline-*.html) in the same colours.
# One look everywhere: light surfaces, one blue accent, rounded outlines, one glyph colour on the
# title strip. Every picture is drawn three times, for 96 DPI (name.png), 144 DPI
# (name@1.5x.png) and 192 DPI (name@2x.png), each at the 96-DPI size scaled and rounded as the
# windows scale their layouts, so a larger screen gets sharp edges instead of a stretched copy.
# Where a window is cut to shape, the corners are filled with the key colour #A6A6A6 and the
# outline is drawn without anti-aliasing, so no pixel near the edge comes close to the key
# colour. Output is reproducible: no time stamps or colour profiles are written.
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
ACCENT_TINT='#E6EFFD'
SURFACE='#FFFFFF'
SURFACE_ALT='#F3F6FB'
SURFACE_PRESSED='#E4EAF4'
BORDER='#CFD7E4'
BORDER_DARK='#AEB9CB'
GLYPH='#5F6B7A'
TEXT_MUTED='#6B7686'
DANGER='#E5484D'
DANGER_DARK='#C93B40'
WARNING='#E8A317'
CJK_FONT=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
GLYPH_FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# The scale being drawn (1, 1.5 or 2) and the suffix of its file names.
S=1
SUFFIX=

# A 96-DPI length at the scale being drawn, rounded half up (as the windows round).
px() { awk -v v="$1" -v s="$S" 'BEGIN { x = v * s; printf "%d", (x >= 0 ? int(x + 0.5) : -int(-x + 0.5)) }'; }
# The same without rounding, for coordinates inside a picture.
fx() { awk -v v="$1" -v s="$S" 'BEGIN { printf "%g", v * s }'; }

# Writes an image without metadata that would change from run to run or alter colours.
save() {
  local out=$1
  shift
  "$IM" "$@" -depth 8 -strip -define png:exclude-chunks=date,time,gAMA,cHRM,sRGB,iCCP,bKGD "$res/$out$SUFFIX.png"
}

save_opaque() {
  local out=$1
  shift
  save "$out" "$@" -alpha off -define png:color-type=2
}

# Glyphs are drawn in 96-DPI coordinates on a canvas of the scaled size.
affine() { echo "-affine $S,0,0,$S,0,0"; }

# A window picture: rounded card on the key colour; $4 = height of the light footer (0: none).
window_picture() {
  local out=$1 w h fy r ra rb
  w=$(px "$2")
  h=$(px "$3")
  fy=$((h - $(px "$4")))
  r=$(px 12)
  ra=$(px 4)
  rb=$(px 1)
  shift 4
  save_opaque "$out" -size "${w}x${h}" "xc:$KEY" \
    \( -size "${w}x${h}" xc:none +antialias -fill "$BORDER" \
       -draw "roundrectangle 0,0 $((w - 1)),$((h - 1)) $r,$r" \) -compose over -composite \
    \( -size "${w}x${h}" "xc:$SURFACE" \
       -fill "$ACCENT" -draw "rectangle 0,0 $w,$ra" \
       -fill "$SURFACE_ALT" -draw "rectangle 0,$fy $w,$h" \
       -fill "$BORDER" -draw "rectangle 0,$fy $w,$((fy + rb - 1))" \
       \( -size "${w}x${h}" xc:black +antialias -fill white \
          -draw "roundrectangle $rb,$rb $((w - 1 - rb)),$((h - 1 - rb)) $((r - rb)),$((r - rb))" \) \
       -alpha off -compose CopyOpacity -composite \) -compose over -composite "$@"
}

# A rounded button with a transparent surrounding: fill, outline, stroke width, radius, then any
# glyph drawn in 96-DPI coordinates.
button_picture() {
  local out=$1 w h fill=$4 stroke=$5 sw r half
  w=$(px "$2")
  h=$(px "$3")
  sw=$(fx "${6:-1}")
  r=$(fx "${7:-6}")
  half=$(awk -v s="$sw" 'BEGIN { printf "%g", s / 2 }')
  if [ $# -gt 7 ]; then shift 7; else shift $#; fi
  save "$out" -size "${w}x${h}" xc:none -fill "$fill" -stroke "$stroke" -strokewidth "$sw" \
    -draw "roundrectangle $half,$half $(awk -v w="$w" -v h="$h" -v d="$half" 'BEGIN { printf "%g,%g", w - d, h - d }') $r,$r" \
    $(affine) "$@"
}

draw_skin() {
  # Loading window: light panel with the product mark in its top left corner.
  save_opaque bg -size "$(px 476)x$(px 89)" "gradient:$SURFACE-#E8EFFA" \
    -fill "$ACCENT" -draw "rectangle 0,0 $(px 476),$(($(px 4) - 1))" \
    $(affine) -fill "$ACCENT" -stroke none -draw "roundrectangle 10,10 28,28 4,4" \
    -fill white -draw "polygon 15,13 18,13 18,22 24,22 24,25 15,25" \
    +affine -fill "$TEXT_MUTED" -font "$CJK_FONT" -pointsize "$(fx 10)" -annotate "+$(px 34)+$(px 24)" "Lirra·商户"

  window_picture bgMessageBox 418 258 78
  window_picture bg_install 578 338 82
  window_picture bg_about 284 168 0

  # Static texts sit on the plain surface.
  save_opaque bg3 -size "$(px 8)x$(px 8)" "xc:$SURFACE"
  # Browser title strip.
  save_opaque bg2 -size "$(px 8)x$(px 39)" "gradient:$ACCENT_LIGHT-$ACCENT"

  # Message box: confirm (white label) and cancel (black label); labels start at (28, 7).
  button_picture button_left_normal 110 34 "$ACCENT" "$ACCENT"
  button_picture button_press 110 34 "$ACCENT_DARK" "$ACCENT_DARK"
  button_picture buttonRight 110 34 "$SURFACE" "$BORDER"
  button_picture buttonRight2 110 34 "$SURFACE_PRESSED" "$BORDER_DARK"

  # Message box icons: a question in the accent, a warning in amber.
  save icon_question -size "$(px 32)x$(px 32)" xc:none $(affine) -fill "$ACCENT" -stroke none \
    -draw "circle 16,16 16,2" +affine -fill white -font "$GLYPH_FONT" -pointsize "$(fx 20)" -gravity center \
    -annotate +0+0 "?"
  save icon_warning -size "$(px 32)x$(px 32)" xc:none $(affine) -fill "$WARNING" -stroke "$WARNING" \
    -strokewidth 3 -draw "polygon 16,4 29,27 3,27" -stroke white -strokewidth 3 -draw "line 16,11 16,19" \
    -fill white -stroke none -draw "circle 16,23.5 16,21.8"

  # Driver manager: bottom buttons (white label at (32, 7)) and vendor toggles in three looks:
  # not selected (outline), selected (accent outline, tint and check mark), installed (accent
  # fill and white check mark).
  button_picture button 112 32 "$ACCENT" "$ACCENT"
  button_picture button1 112 32 "$ACCENT_DARK" "$ACCENT_DARK"
  button_picture select 134 28 "$SURFACE" "$BORDER_DARK"
  local check="polyline 114,14 118.5,18.5 126,10"
  button_picture select2 134 28 "$ACCENT_TINT" "$ACCENT" 2 6 -fill none -stroke "$ACCENT" -strokewidth 2 -draw "$check"
  button_picture installed 134 28 "$ACCENT" "$ACCENT" 1 6 -fill none -stroke white -strokewidth 2 -draw "$check"

  # Dialog close: a grey cross on a light chip, red when pointed at.
  close_picture() {
    save "$1" -size "$(px 39)x$(px 39)" xc:none $(affine) -fill "$2" -stroke none \
      -draw "circle 19.5,19.5 19.5,6.5" -stroke "$3" -strokewidth 2 -draw "line 15,15 24,24" -draw "line 24,15 15,24"
  }
  close_picture close 'rgba(255,255,255,0.9)' "$GLYPH"
  close_picture close1 "$DANGER" white
  close_picture close2 "$DANGER_DARK" white

  # Title-strip buttons: white glyphs on the accent strip; a light veil when pointed at or held.
  strip_button() {
    local out=$1 veil=$2
    shift 2
    save "$out" -size "$(px 39)x$(px 39)" xc:none $(affine) -fill "$veil" -stroke none \
      -draw "roundrectangle 4,4 34,34 6,6" -fill none -stroke white -strokewidth 2 "$@"
  }
  strip_set() {
    local name=$1 hover=${STRIP_HOVER:-'rgba(255,255,255,0.18)'} held=${STRIP_HELD:-'rgba(0,0,0,0.16)'}
    shift
    strip_button "$name" 'rgba(255,255,255,0)' "$@"
    strip_button "${name}1" "$hover" "$@"
    strip_button "${name}2" "$held" "$@"
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
  # The strip's own close: the same white cross as its neighbours, red when pointed at.
  STRIP_HOVER="$DANGER" STRIP_HELD="$DANGER_DARK" strip_set strip_close -draw "line 14,14 25,25" -draw "line 25,14 14,25"

  # Logo: a white tile with the accent initial.
  logo_picture() {
    save "$1" -size "$(px 39)x$(px 39)" xc:none $(affine) -fill "$2" -stroke none \
      -draw "roundrectangle 6,6 32,32 6,6" -fill "$ACCENT" -draw "polygon 14,12 18,12 18,24 26,24 26,28 14,28"
  }
  logo_picture LOGO_normal white
  logo_picture LOGO_pressed '#DCE6F8'

  # About pop-up under the logo.
  about_picture() {
    local w h
    w=$(px 76)
    h=$(px 40)
    save "$1" -size "${w}x${h}" xc:none -fill "$2" -stroke "$BORDER" -strokewidth "$S" \
      -draw "roundrectangle $(fx 0.5),$(fx 0.5) $((w - 1)).5,$((h - 1)).5 $(fx 6),$(fx 6)" -stroke none \
      -fill "$3" -font "$CJK_FONT" -pointsize "$(fx 14)" -gravity center -annotate +0+0 "关于"
  }
  about_picture about-normal "$SURFACE" '#1F2937'
  about_picture about-focus "$ACCENT" white
}

for scale in 1 1.5 2; do
  S=$scale
  SUFFIX=
  [ "$scale" = 1 ] || SUFFIX="@${scale}x"
  draw_skin
done

# Setup package: the side picture of the welcome and finish pages (164 x 314 at 96 DPI), at 96
# and 144 DPI, in the client's accent with the product mark.
installer_pictures() {
  local dir="$here/installer" w h
  for S in 1 1.5; do
    SUFFIX=
    [ "$S" = 1 ] || SUFFIX="@1.5x"
    w=$(px 164)
    h=$(px 314)
    "$IM" -size "${w}x${h}" "gradient:$ACCENT_LIGHT-$ACCENT_DEEP" $(affine) -fill white -stroke none \
      -draw "roundrectangle 50,60 114,124 14,14" -fill "$ACCENT" -draw "polygon 70,72 78,72 78,104 98,104 98,112 70,112" \
      +affine -fill white -font "$CJK_FONT" -pointsize "$(fx 15)" -gravity north -annotate "+0+$(px 140)" "Lirra·商户" \
      -type TrueColor -compress none -strip "BMP3:$dir/wizard$SUFFIX.bmp"
  done
}
installer_pictures

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
echo "skin pictures written to $res, icon to $icon, setup pictures to $here/installer"
