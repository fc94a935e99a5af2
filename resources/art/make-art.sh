#!/bin/sh
# Regenerates every icon and logo in this folder from the SVG sources in src/.
# Needs rsvg-convert (librsvg2-bin), ImageMagick's convert and python3; the outputs
# are committed so the build needs none of them. Running it twice gives identical bytes.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
src=$here/src
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM

# Same environment on every run, so nothing leaks into the files from the caller.
export LC_ALL=C TZ=UTC SOURCE_DATE_EPOCH=0
unset MAGICK_CONFIGURE_PATH MAGICK_FONT_PATH 2>/dev/null || true

# output name : source name.
ICONS="larkspan:larkspan na:na folder:folder
addsection:addsection delsection:delsection addbutton:addbutton delbutton:delbutton
about:about options:options options-dark:options-dark exit:exit mdb:mdb web:web
rename:rename properties:properties openlocation:openlocation runas:runas renamesection:renamesection"

# Frames drawn from the large source; 16 px comes from the hinted one. A
# button picture takes 16 to 64 px from 100 % to 200 %; a menu picture is
# a small picture, 16 to 32 px, so the menu's icons carry only those.
LARGE_SIZES="20 24 32 40 48 64"
FRAME_SIZES=" 16x16 20x20 24x24 32x32 40x40 48x48 64x64"
MENU_ICONS="addsection delsection addbutton delbutton about options options-dark exit rename properties openlocation runas renamesection"
MENU_LARGE_SIZES="20 24 32"
MENU_FRAME_SIZES=" 16x16 20x20 24x24 32x32"

is_menu_icon() { # name
    case " $MENU_ICONS " in *" $1 "*) return 0 ;; esac
    return 1
}

# PNGs carry neither a time nor any text, so reruns compare equal.
PNG_CLEAN="-strip -define png:exclude-chunks=date,time,tIME,tEXt,zTXt,iTXt +set date:create +set date:modify"

render() { # svg size out.png
    rsvg-convert --width "$2" --height "$2" --keep-aspect-ratio --format png --output "$3" "$1"
}

# One 32-bit BGRA frame per size. Going through PNG32 keeps ImageMagick from
# reducing a frame to a palette, which would lose the soft alpha edges.
for pair in $ICONS; do
    out=${pair%%:*}
    name=${pair#*:}
    small=$src/$name-16.svg
    [ -f "$small" ] || small=$src/$name.svg
    render "$small" 16 "$tmp/$out-16.png"
    frames="PNG32:$tmp/$out-16.png"
    # Every size a DPI asks for (100 % to 200 %), so none is stretched.
    sizes=$LARGE_SIZES
    if is_menu_icon "$out"; then sizes=$MENU_LARGE_SIZES; fi
    for size in $sizes; do
        render "$src/$name.svg" "$size" "$tmp/$out-$size.png"
        frames="$frames PNG32:$tmp/$out-$size.png"
    done
    # shellcheck disable=SC2086
    convert $frames $PNG_CLEAN -type TrueColorAlpha "ICO:$tmp/$out.ico"
    # The same frames compressed (zlib at its best, adaptive filters); each
    # replaces its bitmap where it is smaller.
    pngs=
    for size in 16 $sizes; do
        # shellcheck disable=SC2086
        convert "$tmp/$out-$size.png" $PNG_CLEAN -quality 95 -type TrueColorAlpha "PNG32:$tmp/$out-$size-packed.png"
        pngs="$pngs $tmp/$out-$size-packed.png"
    done
    # shellcheck disable=SC2086
    python3 "$here/pack-ico.py" "$here/$out.ico" "$tmp/$out.ico" $pngs
done

# The logo: the product mark for the About box at 64, 96 and 128 px (100 %,
# 150 % and 200 %), as an icon of PNG frames with alpha, which draws on any
# ground; also as a PNG for the contact sheet.
render "$src/larkspan.svg" 64 "$tmp/logo.png"
# shellcheck disable=SC2086
convert "$tmp/logo.png" $PNG_CLEAN -type TrueColorAlpha "PNG32:$here/logo.png"
frames=
pngs=
for size in 64 96 128; do
    render "$src/larkspan.svg" "$size" "$tmp/logo-$size.png"
    frames="$frames PNG32:$tmp/logo-$size.png"
    # shellcheck disable=SC2086
    convert "$tmp/logo-$size.png" $PNG_CLEAN -quality 95 -type TrueColorAlpha "PNG32:$tmp/logo-$size-packed.png"
    pngs="$pngs $tmp/logo-$size-packed.png"
done
# shellcheck disable=SC2086
convert $frames $PNG_CLEAN -type TrueColorAlpha "ICO:$tmp/logo.ico"
# shellcheck disable=SC2086
python3 "$here/pack-ico.py" "$here/logo.ico" "$tmp/logo.ico" $pngs

# Every ICO must hold exactly its frames (FRAME_SIZES, or MENU_FRAME_SIZES
# for the menu's), of 32 bits each. Read the icon directory itself rather
# than trusting a decoder's summary.
check_ico() { # file expected-sizes
    f=$1
    expected=$2
    # Unquoted on purpose: one count, then one positional parameter per byte.
    # shellcheck disable=SC2086
    count=$(set -- $expected; echo $#)
    # shellcheck disable=SC2046
    set -- $(od -An -tu1 -N118 -v "$f")
    [ "$1 $2 $3 $4" = "0 0 1 0" ] || { echo "make-art: $f is not an icon file" >&2; exit 1; }
    [ "$5 $6" = "$count 0" ] || { echo "make-art: $f does not hold $count frames" >&2; exit 1; }
    shift 6
    sizes=
    i=0
    while [ "$i" -lt "$count" ]; do
        [ "$7 $8" = "32 0" ] || { echo "make-art: $f has a frame that is not 32-bit" >&2; exit 1; }
        sizes="$sizes $1x$2"
        shift 16
        i=$((i + 1))
    done
    [ "$sizes" = "$expected" ] || { echo "make-art: $f has frames$sizes" >&2; exit 1; }
}
for pair in $ICONS; do
    out=${pair%%:*}
    if is_menu_icon "$out"; then
        check_ico "$here/$out.ico" "$MENU_FRAME_SIZES"
    else
        check_ico "$here/$out.ico" "$FRAME_SIZES"
    fi
done

# The contact sheet: every output at 16, 32 and 48 px, plus the 16 px frame
# blown up four times without smoothing, on white and on mid-grey.
FONT=DejaVu-Sans
cell() { # image background out
    convert -size 72x72 "xc:$2" "$1" -gravity center -composite "$3"
}
zoom() { # image out
    convert "$1" -filter point -resize 400% "$2"
}
label() { # text out
    convert -background white -fill '#374151' -font "$FONT" -pointsize 12 \
        -size 110x72 -gravity west "label:$1" "$2"
}
header() { # text width out
    convert -background white -fill '#111827' -font "$FONT" -pointsize 12 \
        -size "$2x22" -gravity center "label:$1" "$3"
}

rows=
n=0
for pair in $ICONS logo; do
    out=${pair%%:*}
    n=$((n + 1))
    r=$tmp/row$n
    mkdir "$r"
    if [ "$out" = logo ]; then
        # The logo: its PNG shrunk to the sheet's sizes on both grounds.
        convert "$here/logo.png" -resize 16x16 "$r/f16.png"
        convert "$here/logo.png" -resize 32x32 "$r/f32.png"
        convert "$here/logo.png" -resize 48x48 "$r/f48.png"
        cp "$here/logo.png" "$r/z.png"
        label "logo.png / .ico" "$r/label.png"
    else
        # Take the frames back out of the ICO, so the sheet shows what was written.
        convert "$here/$out.ico[0]" "$r/f16.png"
        convert "$here/$out.ico[3]" "$r/f32.png"
        # A menu icon's largest frame is 32 px: its cell shows that.
        if is_menu_icon "$out"; then
            convert "$here/$out.ico[3]" "$r/f48.png"
        else
            convert "$here/$out.ico[5]" "$r/f48.png"
        fi
        zoom "$r/f16.png" "$r/z.png"
        label "$out.ico" "$r/label.png"
    fi
    set -- "$r/label.png"
    for bg in white '#808080'; do
        for f in f16 f32 f48 z; do
            c=$r/c$#.png
            cell "$r/$f.png" "$bg" "$c"
            set -- "$@" "$c"
        done
    done
    convert "$@" +append "$r/row.png"
    rows="$rows $r/row.png"
done
convert -size 110x22 xc:white "$tmp/h0.png"
set -- "$tmp/h0.png"
for bg in white grey; do
    for s in 16 32 48 "16 x4"; do
        header "$s" 72 "$tmp/h$#.png"
        set -- "$@" "$tmp/h$#.png"
    done
done
convert "$@" +append "$tmp/header.png"
# shellcheck disable=SC2086
convert -background white "$tmp/header.png" $rows -append -bordercolor white -border 8 \
    $PNG_CLEAN -type TrueColor "PNG24:$here/contact-sheet.png"
