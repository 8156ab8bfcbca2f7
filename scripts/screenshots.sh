#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots/: the window plain and skinned,
# during an import run, at 200 % scaling, the message a broken skin gives,
# the Start Importing button's menu, a phone export imported without windows
# (under way and its closing summary) and Undo Last Import's question.
# Runs quorvane.exe under Wine on a private Xvfb display, in a prefix of its
# own with the stand-in Outlook registered.
#   scripts/screenshots.sh
# Environment: QV_BUILD (default build/win), WINEPREFIX (default
# build/wine-screens), QV_DISPLAY (default :79).
set -euo pipefail
# Wine runs on one machine disturb each other: wait for the machine-wide lock
# that every other Wine run takes too.
if [[ -z "${QV_WINE_LOCKED:-}" ]]; then
    QV_WINE_LOCKED=1 exec flock /tmp/quorvane-wine.lock "$0" "$@"
fi
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${QV_BUILD:-$repo/build/win}"
export WINEPREFIX="${WINEPREFIX:-$repo/build/wine-screens}"
. "$repo/scripts/wine/env.sh"
display="${QV_DISPLAY:-:79}"
out="$repo/docs/screenshots"
exe="$build/src/shell/quorvane.exe"
standin="$build/standin/outlook.exe"
for needed in "$exe" "$standin"; do
    [[ -f "$needed" ]] || { echo "screenshots.sh: $needed is missing; build first" >&2; exit 1; }
done

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
    # Wine goes before its display (see docs on stale COM servers).
    wineserver -k >/dev/null 2>&1 || true
    timeout 10 wineserver -w >/dev/null 2>&1 || true
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

echo "Building the helper ..."
x86_64-w64-mingw32-g++ -std=c++20 -O2 -Wall -Wextra -Werror -municode -static -DUNICODE \
    -D_UNICODE -I"$repo/src" -o "$work/qv_send.exe" "$repo/scripts/screenshots/qv_send.cpp" \
    -luser32

echo "Preparing the Wine prefix $WINEPREFIX ..."
"$repo/scripts/wine/prefix.sh" "$WINEPREFIX" "$standin"

# Big enough for the 200 % window; Wine's desktop inside it is sized per shot.
Xvfb "$display" -screen 0 2560x1600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Two installed copies: one with the sample skin beside it, one without.
drive="$WINEPREFIX/drive_c"
mkdir -p "$drive/Quorvane/plain" "$drive/Quorvane/skinned/x" "$drive/Quorvane/broken/x"
for copy in plain skinned broken; do cp "$exe" "$drive/Quorvane/$copy/quorvane.exe"; done
cp "$repo/res/skins/sample/o.cjs" "$drive/Quorvane/skinned/x/o.cjs"
sed 's/^fill = .*/fill = #3C8D5/' "$repo/res/skins/sample/o.cjs" >"$drive/Quorvane/broken/x/o.cjs"

contacts="$drive/users/Public/Documents/Contacts"
mkdir -p "$contacts"
rows=()
for name in "Ann Archer" "Bob Brennan" "Cid Castell" "Dee Dalton" "Eve Ellery" "Fay Fenwick"; do
    printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:%s\r\nEND:VCARD\r\n' "$name" >"$contacts/$name.vcf"
    rows+=("C:\\users\\Public\\Documents\\Contacts\\$name.vcf")
done

send() { wine "$work/qv_send.exe" "$@" 2>>"$work/wine.err" | tr -d '\r'; }

# Scaling and desktop size only take effect in a fresh wineserver.
use_scaling() {
    local dpi="$1" desktop="$2"
    wineserver -k >/dev/null 2>&1 || true
    timeout 10 wineserver -w >/dev/null 2>&1 || true
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
        >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f \
        >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1 || true
}

start() {
    wine "$drive/Quorvane/$1/quorvane.exe" >>"$work/quorvane.out" 2>&1 &
}

shoot() {
    local name="$1" rect="$2"
    # Pointer out of the way, so no tooltip or hot button shows.
    xdotool mousemove 1 1 >/dev/null 2>&1 || true
    sleep 0.7 # let the last paint land
    import -window root -crop "$rect" +repage "$out/$name.png"
    echo "  $out/$name.png ($rect)"
}

# Waits for the program's box longer than qv_send's own 30 s (a long run
# shows its closing box only at its end), then a moment more: a box is sized
# and centred after it first shows. It is shot over the window it belongs to.
box_rect() {
    for _ in $(seq 1 10); do
        if send boxrect >/dev/null; then
            sleep 1
            send boxrect
            return 0
        fi
    done
    echo "screenshots.sh: no box showed" >&2
    return 1
}

mkdir -p "$out"
echo "Taking screenshots ..."

use_scaling 96 1280x1024
start plain
send wait >/dev/null
send rows "${rows[@]}"
shoot unskinned "$(send rect)"

# During a run: the stand-in takes 3 s to open each item, so the progress
# bar shows the first file for a while.
qv_standin_reset
qv_standin_set_dword OpenDelayMs 3000
send command 1002
sleep 2.5
echo "  progress: $(send progress)"
shoot running "$(send rect)"

use_scaling 96 1280x1024
start skinned
send wait >/dev/null
send rows "${rows[@]}"
shoot skinned "$(send rect)"
send command 1002
sleep 2.5
shoot skinned-running "$(send rect)"

use_scaling 96 1280x1024
start broken
shoot broken-skin "$(send boxrect)"

use_scaling 192 2560x1440
start plain
send wait >/dev/null
send rows "${rows[@]}"
shoot scaled-200 "$(send rect)"

# The split button's menu, opened by a click on its arrow as a person would.
use_scaling 96 1280x1024
qv_standin_reset
start plain
send wait >/dev/null
send rows "${rows[@]}"
read -r arrow_x arrow_y < <(send arrow 1002)
xdotool mousemove "$arrow_x" "$arrow_y" click 1
sleep 0.5
import -window root -crop "$(send rect)" +repage "$out/split-menu.png"
echo "  $out/split-menu.png"
xdotool key Escape

# A phone export of a thousand and more contacts imported without windows, two of
# the queued people in Contacts already; then the closing summary and the
# question Undo Last Import asks before it deletes anything, each over the
# main window.
export_file="$contacts/iPhone export.vcf"
for i in $(seq 1 1200); do
    printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person %s\r\nTEL;TYPE=CELL:+1 555 %07d\r\nEND:VCARD\r\n' \
        "$i" "$i"
done >"$export_file"
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:%s\r\nEND:VCARD\r\n' "Ann Archer" "Bob Brennan" \
    >"$drive/users/Public/Documents/known.vcf"
qv_standin_set_string PreloadFile 'C:\users\Public\Documents\known.vcf'
send rows 'C:\users\Public\Documents\Contacts\iPhone export.vcf'
send command 1005
sleep 3
echo "  progress: $(send progress)"
shoot windowless-running "$(send rect)"
box_rect >/dev/null
shoot windowless-done "$(send rect)"
send answer ok
send command 1007
box_rect >/dev/null
shoot undo-question "$(send rect)"
send answer no

qv_standin_reset
use_scaling 96 1280x1024
echo "Done."
