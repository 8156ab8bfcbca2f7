#!/usr/bin/env bash
# Starts quorvane.exe under Wine with the stand-in Outlook registered, so the
# whole job can be seen working: queue the sample contacts, press "Start
# Importing", and watch the stand-in open, save and close each one.
set -euo pipefail
# The checkout's own prefix (build/wineprefix) unless WINEPREFIX names another.
. "$(dirname "$0")/wine/env.sh"
repo="$QV_REPO"
build="$repo/build/win"

# The stand-in is registered by path: a prefix made for another checkout or an
# older build is made anew.
if [[ ! -f "$WINEPREFIX/system.reg" ]] || ! grep -qF "$(basename "$repo")" "$WINEPREFIX/system.reg"; then
    echo "Preparing the Wine prefix $WINEPREFIX ..."
    qv_fresh_prefix "$build"
fi
qv_standin_reset
# That ran Wine without a display; it must be gone before the window opens.
qv_wine_wait 30

samples="$WINEPREFIX/drive_c/users/Public/Documents/Sample Contacts"
mkdir -p "$samples/More"
for name in "Ann Archer" "Bob Brennan" "Cid Castell" "Dee Dalton" "More/Eve Ellery"; do
    cat >"$samples/$name.vcf" <<VCARD
BEGIN:VCARD
VERSION:3.0
FN:${name#More/}
N:${name##* };${name%% *};;;
TEL;TYPE=CELL:+44 20 7946 0000
END:VCARD
VCARD
done
# A phone's export: several contacts in one vCard 3.0 file, in UTF-8 with no
# CHARSET, as iPhone, Android and Google write them. Outlook alone would show
# these names garbled; the import adds CHARSET=UTF-8 where they need it.
cat >"$samples/Phone export.vcf" <<'VCARD'
BEGIN:VCARD
VERSION:3.0
N:Müller;José;;;
FN:José Müller
TEL;TYPE=CELL:+49 30 901820
END:VCARD
BEGIN:VCARD
VERSION:3.0
N:Ångström;Zoë;;;
FN:Zoë Ångström
item1.ADR;TYPE=HOME:;;Sveavägen 12;Stockholm;;111 57;Sverige
END:VCARD
BEGIN:VCARD
VERSION:3.0
N:Żółć;Łukasz;;;
FN:Łukasz Żółć
NOTE:Spotkanie w czwartek o 10:00 — kawiarnia „Pod Różą“
END:VCARD
BEGIN:VCARD
VERSION:3.0
N:Παπαδοπούλου;Ελένη;;;
FN:Ελένη Παπαδοπούλου
EMAIL;TYPE=INTERNET:eleni@example.gr
END:VCARD
VCARD
echo "Sample contacts: C:\\users\\Public\\Documents\\Sample Contacts"

exe="$build/src/shell/quorvane.exe"
if [[ -n "${DISPLAY:-}" ]]; then
    wine "$exe" >"$repo/build/quorvane.out" 2>&1
    qv_wine_wait 30
    exit 0
fi

# No display here: run on a private one and show what it looks like.
echo "No DISPLAY: running on a private X display; a screenshot goes to build/quorvane.png."
qv_with_display bash -c '
    wine "$0" >"$1/quorvane.out" 2>&1 &
    for _ in $(seq 1 60); do
        xdotool search --name "^Quorvane$" >/dev/null 2>&1 && break
        sleep 0.5
    done
    sleep 2
    import -window root "$1/quorvane.png"
    echo "Screenshot: $1/quorvane.png. Ctrl-C ends the program."
    wait
' "$exe" "$repo/build"
