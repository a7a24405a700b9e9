#!/usr/bin/env bash
# Makes the Wine prefix $WINEPREFIX ready for Tunelark's window: created on
# first use; the Japanese font names mapped to the IPA fonts (without that
# Wine draws Japanese as empty boxes); the fonts of Wine's window frames and
# message boxes; windows that close without the 2 s wait of Wine's managed
# mode. Needs a running X server in DISPLAY. Running it again does nothing
# more than the first run did.
#
#   WINEPREFIX=/path DISPLAY=:N bash scripts/wineprefix.sh
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX}"
: "${DISPLAY:?set DISPLAY}"
WINE=${WINE:-/usr/lib/wine/wine64}
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all}

bash "$(dirname "$0")/install-packages.sh" wine64 fonts-wine fonts-ipafont-gothic >/dev/null

# The first use creates the prefix (seconds); later runs find it ready.
timeout 180 "$WINE" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 2; }

marker="$WINEPREFIX/tunelark-prefix-1.done"
[ -e "$marker" ] && exit 0

# regedit reads a UTF-16LE file, so no Japanese passes through Wine's command line.
reg="$WINEPREFIX/drive_c/tunelark-fonts.reg"
{
    printf '\xff\xfe'
    sed 's/$/\r/' <<'REG' | iconv -f UTF-8 -t UTF-16LE
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS UI Gothic"="IPAPGothic"
"ＭＳ Ｐゴシック"="IPAPGothic"
"MS PGothic"="IPAPGothic"
"Meiryo"="IPAPGothic"
"Meiryo UI"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS Gothic"="IPAGothic"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
} >"$reg"
timeout 60 "$WINE" regedit /S 'C:\tunelark-fonts.reg' || { echo "regedit failed" >&2; exit 2; }
rm -f "$reg"

# Debian's Wine does not load these from its own folder in a new prefix;
# tahomabd.ttf stays out, its bold captions lost the Japanese.
for font in tahoma.ttf marlett.ttf; do
    cp /usr/share/wine/fonts/$font "$WINEPREFIX/drive_c/windows/Fonts/"
done
# The registry reaches the disk when the Wine session ends.
timeout 60 /usr/lib/wine/wineserver64 -w || true
touch "$marker"
