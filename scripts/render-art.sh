#!/usr/bin/env bash
# Renders the toolbar pictures and the program icon from their drawings in
# res/art/. The PNGs and the .ico are committed, so building never needs the
# renderer; run this after changing a drawing and commit what it writes.
#   scripts/render-art.sh
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
art="$repo/res/art"
out="$repo/res/toolbar"
mkdir -p "$out"

# The toolbar shows 48 px pictures at 100 % scaling; 150 % and 200 % get their
# own renderings, since a scaled-up 48 px bitmap looks blurred.
pictures=(add-files add-folder clear-list start-import help)
sizes=(48 72 96)
for picture in "${pictures[@]}"; do
    for size in "${sizes[@]}"; do
        # -a keeps the aspect ratio; the drawings are square anyway.
        rsvg-convert -a -w "$size" -h "$size" "$art/$picture.svg" -o "$out/$picture-$size.png"
        # A plain 32-bit RGBA PNG, without the date chunks that would make
        # every rendering a new file for git.
        convert "$out/$picture-$size.png" -define png:color-type=6 -strip \
            "PNG32:$out/$picture-$size.png"
    done
done

# The icon holds the sizes Windows asks for at 100 % to 200 % (small and big
# icons, the taskbar, Explorer's views); the 256 px image is stored as PNG.
icon_sizes=(16 20 24 32 40 48 64 256)
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
frames=()
for size in "${icon_sizes[@]}"; do
    rsvg-convert -a -w "$size" -h "$size" "$art/quorvane.svg" -o "$tmp/icon-$size.png"
    frames+=("PNG32:$tmp/icon-$size.png")
done
convert "${frames[@]}" "$repo/res/quorvane.ico"

echo "Rendered ${#pictures[@]} pictures at ${sizes[*]} px into res/toolbar/ and res/quorvane.ico."
