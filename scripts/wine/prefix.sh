#!/usr/bin/env bash
# Creates a fresh 64-bit Wine prefix for Quorvane's tests and registers the
# stand-in Outlook in it.
#   scripts/wine/prefix.sh PREFIX_DIR PATH/TO/outlook.exe
# Needs no X display: everything is done through the registry.
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 PREFIX_DIR PATH/TO/outlook.exe" >&2
    exit 2
fi
prefix="$(realpath -m "$1")"
standin="$(realpath -e "$2")"

export WINEPREFIX="$prefix"
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"

# Fresh means fresh: an old prefix is replaced, but a folder that is not a
# prefix is never deleted.
if [[ -e "$prefix" ]]; then
    if [[ -f "$prefix/system.reg" ]]; then
        qv_wine_kill
        rm -rf "$prefix"
    elif [[ -n "$(ls -A "$prefix")" ]]; then
        echo "$prefix exists and is not a Wine prefix; not touching it" >&2
        exit 1
    fi
fi

logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT
fail() {
    echo "prefix.sh: $1 failed; its output:" >&2
    cat "$logs"/* >&2 || true
    exit 1
}

# No display is needed for this part; an inherited one would only let Wine
# show dialogs.
unset DISPLAY
wineboot -i >"$logs/wineboot.out" 2>"$logs/wineboot.err" || fail "wineboot"
wineserver -w

# Without a virtual desktop, on a bare Xvfb with no window manager, every
# DestroyWindow of a visible window blocks for 2 s; with it, window positions
# are screen positions too, which xdotool relies on.
cat >"$logs/settings.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x1024"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Calibri"="Carlito"
"Arial"="Liberation Sans"
REG
wine regedit /S "$(winepath -w "$logs/settings.reg")" >"$logs/regedit.out" 2>"$logs/regedit.err" ||
    fail "regedit"

# The replacements only help if Wine has the fonts. It finds the host's fonts
# through fontconfig and lists them in the registry while booting the prefix;
# where it did not, copies in the prefix's own Fonts folder serve instead.
fonts="$prefix/drive_c/windows/Fonts"
wine_lists_font() {
    grep -q "\"$1 (TrueType)\"" "$prefix/user.reg" "$prefix/system.reg"
}
if ! wine_lists_font Carlito; then
    cp -f /usr/share/fonts/truetype/crosextra/Carlito-*.ttf "$fonts/" || fail "copying Carlito"
fi
if ! wine_lists_font "Liberation Sans"; then
    cp -f /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf "$fonts/" ||
        fail "copying Liberation Sans"
fi
# Wine draws the caption buttons with its own Marlett; where it does not find
# its fonts folder the buttons show as "0 1 r". A copy in the prefix is always
# found.
if ! wine_lists_font Marlett; then
    cp -f /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf "$fonts/" 2>/dev/null ||
        true
fi

wine "$standin" /regserver >"$logs/regserver.out" 2>"$logs/regserver.err" || fail "/regserver"
wineserver -w
