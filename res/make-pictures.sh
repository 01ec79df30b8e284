#!/usr/bin/env bash
# Draws every picture embedded in the program and writes it next to this script. The outputs are
# committed; run this again (or `make pictures`) after changing a drawing. Needs ImageMagick
# (made with Debian's 6.9; `magick` is used where it exists) and the Liberation fonts. The
# program depends on the exact formats: the PNGs must be 8-bit RGBA, the highlight a 24-bit
# uncompressed version-3 bitmap, the icon one 64x64 32-bit image. With one ImageMagick version
# the output is the same byte for byte on every run (no time stamps are written).
set -euo pipefail
cd "$(dirname "$0")"

if command -v magick >/dev/null 2>&1; then IM=(magick); else IM=(convert); fi
FONT=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
[ -r "$FONT" ] || { echo "make-pictures: $FONT is missing (fonts-liberation)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Only the image itself is written: without this the encoder stores creation times (the files
# would differ on every run) and gamma chunks, which some decoders apply and others ignore.
PNG_OUT=(-strip -define png:exclude-chunk=date,time,bKGD,gAMA,cHRM,sRGB,iCCP)

# ImageMagick 6 spreads only the last two stops of an MVG gradient over its whole length, so
# every gradient here has exactly two; a profile with more steps is built another way (see the
# highlight).

# The skin's colours, so the pictures sit well on the window's grey.
TEXT_BLUE='#0000aa'
ACCENT='#0000c8'
FACE_TOP='#ffffff'
FACE_BOTTOM='#d9e4f7'
FACE_EDGE='#8aa2d4'

# face W H RADIUS: a rounded button face, white fading into light blue, with a thin blue edge.
# Coordinates sit on half pixels so the one-pixel edge is sharp.
face() {
  local w=$1 h=$2 r=$3
  cat <<EOF
push defs
push gradient 'face' linear 0,0 0,$h
stop-color '$FACE_TOP' 0
stop-color '$FACE_BOTTOM' 1
pop gradient
pop defs
push graphic-context
fill url(#face)
stroke '$FACE_EDGE'
stroke-width 1
roundrectangle 0.5,0.5 $(awk -v w="$w" -v h="$h" 'BEGIN{printf "%.1f,%.1f", w-0.5, h-0.5}') $r,$r
pop graphic-context
push graphic-context
fill none
stroke '#ffffff'
stroke-opacity 0.9
stroke-width 1
line $((r)),1.5 $((w - r)),1.5
pop graphic-context
EOF
}

# arc CX CY RADIUS FROM TO: an open path along a circle, clockwise from angle FROM to TO
# (degrees, clockwise from the positive x axis, as the y axis points down). Stroke it with round
# joins: with the default mitre joins ImageMagick 6 also strokes the chord of a thick arc.
arc() {
  awk -v cx="$1" -v cy="$2" -v r="$3" -v a0="$4" -v a1="$5" 'BEGIN {
    d = atan2(0, -1) / 180
    printf "path \"M %.2f,%.2f A %s,%s 0 %d,1 %.2f,%.2f\"\n", cx + r * cos(a0 * d),
           cy + r * sin(a0 * d), r, r, (a1 - a0 > 180), cx + r * cos(a1 * d), cy + r * sin(a1 * d)
  }'
}

# circular_arrow CX CY RADIUS FROM TO WIDTH HEAD: an arc as above, WIDTH thick, with a filled
# arrowhead at its end pointing along it; HEAD is half the width of the head's base.
circular_arrow() {
  printf 'push graphic-context\nfill none\nstroke-linejoin round\nstroke-width %s\n' "$6"
  arc "$1" "$2" "$3" "$4" "$5"
  printf 'pop graphic-context\n'
  awk -v cx="$1" -v cy="$2" -v r="$3" -v a1="$5" -v head="$7" 'BEGIN {
    d = atan2(0, -1) / 180
    x1 = cx + r * cos(a1 * d); y1 = cy + r * sin(a1 * d)
    tx = -sin(a1 * d); ty = cos(a1 * d)      # clockwise tangent at the end
    nx = cos(a1 * d);  ny = sin(a1 * d)      # outward normal at the end
    printf "push graphic-context\nstroke none\n"
    printf "polygon %.2f,%.2f %.2f,%.2f %.2f,%.2f\npop graphic-context\n",
           x1 + nx * head, y1 + ny * head, x1 + tx * head * 1.1, y1 + ty * head * 1.1,
           x1 - nx * head, y1 - ny * head
  }'
}

# Read button, 200x24: an information sign and the label on a rounded face.
make_read() {
  "${IM[@]}" -size 200x24 xc:none -draw "$(face 200 24 6)
push defs
push gradient 'disc' linear 0,4 0,20
stop-color '#4d7cf0' 0
stop-color '#0000b4' 1
pop gradient
pop defs
push graphic-context
fill url(#disc)
stroke none
circle 15,12 15,4.5
pop graphic-context
stroke none
fill '#ffffff'
circle 15,8.3 15,6.8
roundrectangle 13.6,10.2 16.4,17.2 0.6,0.6" \
    -font "$FONT" -pointsize 13 -fill "$TEXT_BLUE" -gravity west -annotate +28+0 'Прочитать информацию' \
    "${PNG_OUT[@]}" PNG32:read.png
}

# Copy button, 120x24. The program itself strokes a 14x14 square (blue, 2 px) at (96,5) over
# this picture; it becomes the front page of a two-page copy sign, whose back page is drawn here
# offset up and to the right. The front page is filled white so it hides the back page's lines.
make_copy() {
  "${IM[@]}" -size 120x24 xc:none -draw "$(face 120 24 6)
fill '#d4e0fa'
stroke '#3c5ac8'
stroke-width 1.5
rectangle 101.75,2.25 115.25,15.75
fill '#ffffff'
stroke '$ACCENT'
stroke-width 2
rectangle 96,5 110,19
stroke '#8aa2d4'
stroke-width 1
line 99,9.5 107,9.5
line 99,12.5 107,12.5
line 99,15.5 105,15.5" \
    -font "$FONT" -pointsize 13 -fill "$TEXT_BLUE" -gravity west -annotate +9+0 'Копировать' \
    "${PNG_OUT[@]}" PNG32:copy.png
}

# Send button, 40x43: a paper plane on a rounded face.
make_send() {
  "${IM[@]}" -size 40x43 xc:none -draw "$(face 40 43 7)
push defs
push gradient 'wing' linear 0,11 0,32
stop-color '#4d7cf0' 0
stop-color '#0000b4' 1
pop gradient
pop defs
push graphic-context
fill url(#wing)
stroke '#00008c'
stroke-width 1
stroke-linejoin round
polygon 7,12 33,21.5 7,31 12.5,21.5
pop graphic-context
fill '#c8d8fa'
stroke none
polygon 12.5,21.5 33,21.5 11,25.5" \
    "${PNG_OUT[@]}" PNG32:send.png
}

# Rescan button, 128x128 but shown at 24x24: two thick clockwise arrows around a round face.
# Strokes are an eighth of the size so they stay three pixels wide after scaling.
make_rescan() {
  "${IM[@]}" -size 128x128 xc:none -draw "push defs
push gradient 'round' linear 0,2 0,126
stop-color '$FACE_TOP' 0
stop-color '$FACE_BOTTOM' 1
pop gradient
pop defs
push graphic-context
fill url(#round)
stroke '$FACE_EDGE'
stroke-width 5
circle 64,64 64,3
pop graphic-context
stroke '$ACCENT'
fill '$ACCENT'
$(circular_arrow 64 64 34 195 318 16 22)
$(circular_arrow 64 64 34 15 138 16 22)" \
    "${PNG_OUT[@]}" PNG32:rescan.png
}

# A modem stick lying flat, 220x72: blue cap, white body with a signal lamp and "3G", metal plug.
# The icon and the waiting picture turn and scale it.
make_stick() {
  "${IM[@]}" -size 220x72 xc:none -draw "push defs
push gradient 'body' linear 0,4 0,68
stop-color '#ffffff' 0
stop-color '#c9d1de' 1
pop gradient
push gradient 'cap' linear 0,4 0,68
stop-color '#4a7cf0' 0
stop-color '#0c24a0' 1
pop gradient
push gradient 'metal' linear 0,16 0,56
stop-color '#eef0f3' 0
stop-color '#9096a0' 1
pop gradient
pop defs
push graphic-context
fill url(#metal)
stroke '#5f6670'
stroke-width 2.5
rectangle 150,16 214,56
pop graphic-context
fill '#4a5058'
stroke none
rectangle 178,25 190,32
rectangle 178,40 190,47
push graphic-context
fill url(#cap)
roundrectangle 4,4 166,68 16,16
pop graphic-context
push graphic-context
fill url(#body)
path 'M 52,4 L 150,4 A 16,16 0 0 1 166,20 L 166,52 A 16,16 0 0 1 150,68 L 52,68 Z'
pop graphic-context
fill none
stroke '#3a4a78'
stroke-width 2.5
roundrectangle 4,4 166,68 16,16
stroke '#0a1e8c'
stroke-width 2
line 52,5 52,67
fill '#ffffff'
fill-opacity 0.35
stroke none
roundrectangle 10,9 46,22 6,6
fill-opacity 1
fill '#32c850'
stroke '#147828'
stroke-width 1.5
circle 144,18 144,12" \
    -font "$FONT" -pointsize 30 -fill "$ACCENT" -gravity west -annotate +68+4 '3G' \
    PNG32:"$work/stick.png"
}

# place_stick SCALE ANGLE X Y OUT: the stick on a 256x256 transparent canvas, scaled, turned by
# ANGLE degrees (negative: plug end up) and centred on (X,Y).
place_stick() {
  "${IM[@]}" "$work/stick.png" -background none -gravity center -extent 256x256 \
    -virtual-pixel transparent -distort SRT "128,128 $1 $2 $3,$4" PNG32:"$5"
}

# Application icon: the stick, tilted, sending radio waves from its plug. Drawn at 256 and
# reduced, which gives cleaner edges than drawing at 64. One 64x64 32-bit image.
make_icon() {
  place_stick 0.95 -40 106 152 "$work/icon-stick.png"
  "${IM[@]}" "$work/icon-stick.png" -draw "fill none
stroke '$ACCENT'
stroke-width 17
stroke-linecap round
stroke-linejoin round
$(arc 186 84 32 -80 -6)
stroke-opacity 0.7
$(arc 186 84 60 -78 -8)" \
    -filter Lanczos -resize 64x64 "${PNG_OUT[@]}" PNG32:"$work/icon64.png"
  "${IM[@]}" "$work/icon64.png" icon.ico
}

# Waiting picture, 256x256: on a card, the stick sending waves, seen through a magnifying glass
# that enlarges what lies under it, and the text "Searching for modems".
make_wait() {
  place_stick 0.68 -35 118 100 "$work/wait-stick.png"
  # What the lens shows: the stick enlarged about the lens centre, cut to the lens.
  "${IM[@]}" "$work/wait-stick.png" -virtual-pixel transparent -distort SRT '108,110 1.45 0' \
    \( -size 256x256 xc:none -fill white -draw 'circle 108,110 108,80' \) \
    -compose DstIn -composite PNG32:"$work/wait-lens.png"
  "${IM[@]}" -size 256x256 xc:none \
    -draw "push defs
push gradient 'card' linear 0,6 0,250
stop-color '#ffffff' 0
stop-color '#e6eefb' 1
pop gradient
pop defs
fill '#000000'
fill-opacity 0.10
roundrectangle 8,9 252,252 22,22
fill-opacity 1
push graphic-context
fill url(#card)
stroke '#b4c6ea'
stroke-width 2
roundrectangle 4,4 250,248 22,22
pop graphic-context" \
    "$work/wait-stick.png" -composite \
    -draw "fill none
stroke '$ACCENT'
stroke-width 7
stroke-linecap round
stroke-linejoin round
$(arc 180 56 20 -75 5)
stroke-opacity 0.6
$(arc 180 56 38 -73 3)" \
    -draw "fill '#dce8ff'
stroke none
circle 108,110 108,80" \
    "$work/wait-lens.png" -composite \
    -draw "stroke-linecap round
stroke '#2a3c78'
stroke-width 15
line 133,135 172,174
stroke '#5a6ea8'
stroke-width 5
line 136,135 169,168
fill '#b4d2ff'
fill-opacity 0.18
stroke '#1e3c96'
stroke-width 8
circle 108,110 108,76
fill none
stroke '#ffffff'
stroke-opacity 0.8
stroke-width 5
stroke-linejoin round
$(arc 108 110 22 200 250)" \
    -font "$FONT" -pointsize 21 -fill "$TEXT_BLUE" -gravity south -annotate +0+24 'Поиск модемов...' \
    "${PNG_OUT[@]}" PNG32:wait.png
}

# Hover highlight, 300x76, 24-bit. The program blends it at a constant 70/255 over a button and
# a 3-pixel margin, always reading from (3,3): 30 rows for the short buttons, 49 for send. So it
# is even across its width and changes only downwards: white at the top, which leaves the grey
# margin above a button almost untouched, deepening to a clear sky blue by row 33, where the
# short buttons end, and staying near that for the taller one. The button then looks lit from
# within rather than covered by a box.
make_highlight() {
  # Built as one column of stacked two-colour gradients (rows 0-5, 6-32, 33-52, 53-75), then
  # stretched across.
  "${IM[@]}" -size 1x6 xc:'#ffffff' \
    -size 1x27 gradient:'#ffffff-#a4c8ff' \
    -size 1x20 gradient:'#a4c8ff-#94bcff' \
    -size 1x23 xc:'#94bcff' \
    -append -scale '300x76!' -alpha off -type TrueColor -compress None BMP3:highlight.bmp
}

make_read
make_copy
make_send
make_rescan
make_stick
make_icon
make_wait
make_highlight
