#!/bin/bash
# SPDX-License-Identifier: MIT
# The Windows installer under Wine: CPack makes it; it installs silently into
# a fresh Wine prefix exactly the programs, Qt's files and the licences, with
# a Start-menu entry; the installed programs carry their version records, the
# window icon 128, both the manifest; the installed window renders its
# screenshot and the installed tool answers; the silent uninstall leaves
# nothing behind.
#
#   windows_installer.sh BUILD-FOLDER cmake/wine-run.sh WINDRES
set -euo pipefail
BUILD=$1
RUN=$2
WINDRES=$3
SCRATCH=$BUILD/installer-test
rm -rf "$SCRATCH"
mkdir -p "$SCRATCH"
wine() { "$RUN" --prefix "$SCRATCH/prefix" "$@"; }
fail() { echo "failed: $*"; exit 1; }
(cd "$BUILD" && cpack -G NSIS -B "$SCRATCH/cpack" >"$SCRATCH/cpack.log") || { cat "$SCRATCH/cpack.log"; exit 1; }
installer=$(echo "$SCRATCH"/cpack/lq3860-utility-*-win64.exe)
echo "installer: $(basename "$installer"), $(du -k "$installer" | cut -f1) KiB"

wine "$installer" /S
folder="$SCRATCH/prefix/drive_c/Program Files/LQ-3860 Utility"
installed=$(cd "$folder" && find . -type f ! -path './licenses/Qt/*' | LC_ALL=C sort | tr '\n' ' ')
expected="./Qt6Core.dll ./Qt6Gui.dll ./Qt6Widgets.dll ./Uninstall.exe ./licenses/LICENSE.txt ./lq3860-utility.exe \
./lq3860ctl.exe ./platforms/qwindows.dll ./styles/qwindowsvistastyle.dll "
[ "$installed" = "$expected" ] || fail "installed $installed"
[ -f "$folder/licenses/Qt/LGPL-3.0-only.txt" ] || fail "no LGPL text of Qt"
echo "installed: $(du -sk "$folder" | cut -f1) KiB"
[ -n "$(find "$SCRATCH/prefix/drive_c" -name 'LQ-3860 Utility.lnk')" ] || fail "no Start-menu entry"

# The resources as windres reads them back: icon group, version record, manifest.
resources() {
    "$WINDRES" -i "$folder/$1" -O rc | grep -E '^ *VALUE|^[0-9]+ (14|24) |longPathAware|PerMonitorV2|Common-Controls' |
        sed 's/^[ "]*//; s/<\/.*//; s/\\n"$//' | tr '\n' '|'
}
manifest='1 24 /* RT_MANIFEST */|'\
'<assemblyIdentity type=""win32"" name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""|'\
'<dpiAwareness xmlns=""http://schemas.microsoft.com/SMI/2016/WindowsSettings"">PerMonitorV2, PerMonitor|'\
'<longPathAware xmlns=""http://schemas.microsoft.com/SMI/2016/WindowsSettings"">true|'
record() {
    printf 'VALUE "%s", "%s"|' FileDescription "$1" FileVersion "$2" InternalName "$3" ProductName "$4" ProductVersion "$2"
    echo -n 'VALUE "Translation", 0x409, 1200|'
}
[ "$(resources lq3860-utility.exe)" = "128 14 /* RT_GROUP_ICON */|$(record "LQ3860 MFC Application" "1, 0, 0, 1" \
    LQ3860 "LQ3860 Application")$manifest" ] || fail "resources of the window: $(resources lq3860-utility.exe)"
[ "$(resources lq3860ctl.exe)" = "$(record "LQ-3860 command-line tool" "1, 1, 0, 0" lq3860ctl "LQ-3860 Utility")$manifest" ] ||
    fail "resources of the tool: $(resources lq3860ctl.exe)"

wine "$folder/lq3860-utility.exe" --simulate --screenshot 'C:\window.png'
[ "$(head -c4 "$SCRATCH/prefix/drive_c/window.png" | tail -c3)" = PNG ] || fail "no screenshot from the installed window"
[ "$(wine "$folder/lq3860ctl.exe" --simulate info | head -n1)" = "version 1.1" ] || fail "the installed tool"

# The uninstaller runs as a copy of itself and returns at once: wait for it.
wine "$folder/Uninstall.exe" /S
for _ in $(seq 60); do [ -e "$folder" ] || break; sleep 1; done
left=$(find "$SCRATCH/prefix/drive_c" -iname '*lq3860*' -o -iname 'LQ-3860 Utility*')
[ -z "$left" ] || fail "left after uninstalling: $left"
! wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\LQ-3860 Utility' >/dev/null 2>&1 ||
    fail "the uninstall entry is left"
echo "passed: silent install, both programs run from the install folder, silent uninstall"
