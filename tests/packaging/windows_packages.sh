#!/bin/bash
# SPDX-License-Identifier: MIT
# The Windows packages under Wine, as a user meets them:
#   windows_packages.sh prepare|installer|msi|zip BUILD-FOLDER cmake/wine-run.sh WINDRES VERSION
# prepare  makes the installer, the ZIP, the MSI and an MSI of an older
#          version, and one Wine prefix that the other steps start from a
#          copy of (a fresh prefix costs half a minute);
# installer  silent install; the files, the Apps entry read back, the version
#          records; the window started through its Start-menu entry; with the
#          window running, installing and uninstalling refuse (status 2) and
#          change nothing; a second install into another folder with the
#          tool on the PATH replaces the first; the tool from a console;
#          the silent uninstall (the Apps entry's command) leaves nothing,
#          the PATH as it was;
# msi      an older version, then this one: one Apps entry; the programs run;
#          the silent removal leaves nothing;
# zip      unpacked into any folder, both programs run from there.
set -euo pipefail
MODE=$1
BUILD=$(cd "$2" && pwd)
RUN=$3
WINDRES=$4
VERSION=$5
SCRATCH=$BUILD/package-test
PREPARED=$SCRATCH/prepared-prefix
KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\LQ-3860 Utility'
ENVIRONMENT='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
WINESERVER=$(dirname "${LQ_WINE:-/usr/lib/wine/wine64}")/wineserver64
fail() { echo "failed: $*"; exit 1; }

if [ "$MODE" = prepare ]; then
    rm -rf "$SCRATCH"
    mkdir -p "$SCRATCH"
    "$RUN" --prefix "$PREPARED" cmd /c exit 0 &
    (cd "$BUILD" && cpack -G "NSIS;ZIP" -B "$SCRATCH" >"$SCRATCH/cpack.log") || { cat "$SCRATCH/cpack.log"; exit 1; }
    cmake --build "$BUILD" --target msi >"$SCRATCH/msi.log" || { cat "$SCRATCH/msi.log"; exit 1; }
    mv "$BUILD/lq3860-utility-$VERSION-win64.msi" "$SCRATCH/"
    sh "$(dirname "$0")/../../packaging/windows/build-msi" "$BUILD/packaging/windows/msi-staged" 1.0.0 \
        "LQ-3860 Utility developers" "$(dirname "$0")/../../ui/icons/lq3860-utility.ico" "$SCRATCH/older.msi"
    wait
    # The copies start without Wine's server of this prefix.
    WINEPREFIX=$PREPARED "$WINESERVER" -k 2>/dev/null || true
    for package in "$SCRATCH"/lq3860-utility-*; do echo "$(basename "$package"): $(du -k "$package" | cut -f1) KiB"; done
    exit 0
fi

rm -rf "${SCRATCH:?}/$MODE"
mkdir -p "$SCRATCH/$MODE"
cp -a "$PREPARED" "$SCRATCH/$MODE/prefix"
drive=$SCRATCH/$MODE/prefix/drive_c
# Whatever a failure leaves running in the prefix (a message box of Wine's)
# ends with the test.
trap 'WINEPREFIX=$SCRATCH/$MODE/prefix "$WINESERVER" -k 2>/dev/null || true' EXIT
wine() { "$RUN" --prefix "$SCRATCH/$MODE/prefix" "$@"; }
# A program of the prefix as the Windows path C:\..., run through a batch
# file: the command line reaches Windows exactly as written.
run_command() {
    printf '@%s\r\n' "$1" >"$drive/command.cmd"
    wine cmd /c 'C:\command.cmd'
}
registry() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }
path_value() { registry "$ENVIRONMENT" /v Path | sed -n 's/^ *Path *REG_EXPAND_SZ *//p'; }

# The files of every package: the programs, Qt's, the licences.
files() { (cd "$1" && find . -type f ! -path './licenses/Qt/*' | LC_ALL=C sort | tr '\n' ' '); }
expected="./Qt6Core.dll ./Qt6Gui.dll ./Qt6Widgets.dll ./licenses/LICENSE.txt ./lq3860-utility.exe \
./lq3860ctl.exe ./platforms/qwindows.dll ./styles/qwindowsvistastyle.dll "
installed="./Qt6Core.dll ./Qt6Gui.dll ./Qt6Widgets.dll ./Uninstall.exe ./licenses/LICENSE.txt ./lq3860-utility.exe \
./lq3860ctl.exe ./platforms/qwindows.dll ./styles/qwindowsvistastyle.dll "
check_programs() {  # FOLDER WINDOWS-FOLDER: both programs run from there
    [ -f "$1/licenses/Qt/LGPL-3.0-only.txt" ] || fail "no LGPL text of Qt in $1"
    rm -f "$drive/window.png"
    wine "$1/lq3860-utility.exe" --simulate --screenshot 'C:\window.png'
    [ "$(head -c4 "$drive/window.png" | tail -c3)" = PNG ] || fail "no screenshot from the window in $1"
    [ "$(wine "$1/lq3860ctl.exe" --simulate info | head -n1)" = "version 1.1" ] || fail "the tool in $1"
}
nothing_left() {
    local left
    left=$(find "$drive" -iname '*lq3860*' -o -iname 'LQ-3860*' -o -path "$drive/Tools")
    [ -z "$left" ] || fail "left after uninstalling: $left"
    ! registry 'HKLM\Software\LQ-3860 Utility' >/dev/null || fail "the program's registry key is left"
}

case $MODE in
installer)
    installer=$SCRATCH/lq3860-utility-$VERSION-win64.exe
    path_before=$(path_value)
    wine "$installer" /S
    folder="$drive/Program Files/LQ-3860 Utility"
    [ "$(files "$folder")" = "$installed" ] || fail "installed $(files "$folder")"

    # The Apps entry as Windows reads it.
    entry=$(registry "$KEY")
    dir='C:\Program Files\LQ-3860 Utility'
    while IFS='|' read -r name type value; do
        grep -qxF "    $name    $type    $value" <<<"$entry" || fail "Apps entry: no $name $type $value in: $entry"
    done <<EOT
DisplayName|REG_SZ|LQ-3860 Utility
DisplayVersion|REG_SZ|$VERSION
Publisher|REG_SZ|LQ-3860 Utility developers
DisplayIcon|REG_SZ|$dir\\lq3860-utility.exe
InstallLocation|REG_SZ|$dir
UninstallString|REG_SZ|"$dir\\Uninstall.exe" _?=$dir
QuietUninstallString|REG_SZ|"$dir\\Uninstall.exe" /S _?=$dir
NoModify|REG_DWORD|0x1
NoRepair|REG_DWORD|0x1
EOT
    # The size in KiB, as the files add up.
    bytes=$(find "$folder" -type f -printf '%s\n' | awk '{ sum += $1 } END { print sum }')
    size=$(( $(sed -n 's/^ *EstimatedSize *REG_DWORD *//p' <<<"$entry") ))
    [ $((size - bytes / 1024)) -ge -1 ] && [ $((size - bytes / 1024)) -le 1 ] ||
        fail "EstimatedSize $size KiB for $bytes bytes"

    # The version records, as windres reads them back: the programs' (the
    # window's as described, icon 128, both with the manifest), the
    # installer's and the uninstaller's.
    resources() {
        "$WINDRES" -i "$1" -O rc | grep -E '^ *VALUE|^[0-9]+ (14|24) |longPathAware|PerMonitorV2|Common-Controls' |
            sed 's/^[ "]*//; s/<\/.*//; s/\\n"$//; s/\\0"$/"/' | tr '\n' '|'
    }
    manifest='1 24 /* RT_MANIFEST */|'\
'<assemblyIdentity type=""win32"" name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""|'\
'<dpiAwareness xmlns=""http://schemas.microsoft.com/SMI/2016/WindowsSettings"">PerMonitorV2, PerMonitor|'\
'<longPathAware xmlns=""http://schemas.microsoft.com/SMI/2016/WindowsSettings"">true|'
    record() {
        printf 'VALUE "%s", "%s"|' FileDescription "$1" FileVersion "$2" InternalName "$3" ProductName "$4" ProductVersion "$2"
        echo -n 'VALUE "Translation", 0x409, 1200|'
    }
    [ "$(resources "$folder/lq3860-utility.exe")" = "128 14 /* RT_GROUP_ICON */|$(record "LQ3860 MFC Application" \
        "1, 0, 0, 1" LQ3860 "LQ3860 Application")$manifest" ] || fail "window: $(resources "$folder/lq3860-utility.exe")"
    [ "$(resources "$folder/lq3860ctl.exe")" = "$(record "LQ-3860 command-line tool" "${VERSION//./, }, 0" lq3860ctl \
        "LQ-3860 Utility")$manifest" ] || fail "tool: $(resources "$folder/lq3860ctl.exe")"
    for setup in "$installer" "$folder/Uninstall.exe"; do
        for field in "ProductName\", \"LQ-3860 Utility" "FileVersion\", \"$VERSION" "FileDescription\", \"LQ-3860 Utility $VERSION setup"; do
            [[ "$(resources "$setup")" == *"VALUE \"$field\""* ]] || fail "version record of $setup: $(resources "$setup")"
        done
    done

    # The window through its Start-menu entry (of all users); Windows starts
    # the entry's program and returns.
    shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/LQ-3860 Utility.lnk"
    [ -f "$shortcut" ] || fail "no Start-menu entry"
    timeout 60 "$RUN" --prefix "$SCRATCH/$MODE/prefix" start /unix "$shortcut" --simulate --screenshot 'C:\from-shortcut.png' ||
        fail "the Start-menu entry: Wine's start ended with status $? (a message box waits on a broken entry)"
    for _ in $(seq 60); do [ "$(tail -c8 "$drive/from-shortcut.png" 2>/dev/null | head -c4)" = IEND ] && break; sleep 0.5; done
    [ "$(head -c4 "$drive/from-shortcut.png" | tail -c3)" = PNG ] || fail "the Start-menu entry started no window"
    cp "$drive/from-shortcut.png" "$SCRATCH/window-from-start-menu.png"
    check_programs "$folder"

    # While the window runs, installing and uninstalling refuse and change
    # nothing.
    wine "$folder/lq3860-utility.exe" --simulate -v 2>"$SCRATCH/$MODE/window.err" &
    for _ in $(seq 60); do grep -q 'LQ-3860 (simulated)' "$SCRATCH/$MODE/window.err" && break; sleep 0.5; done
    state() { find "$folder" "$shortcut" -printf '%P %s %T@\n' | LC_ALL=C sort; registry "$KEY"; path_value; }
    before=$(state)
    status=0; wine "$installer" /S || status=$?
    [ $status = 2 ] || fail "installing while the window runs: status $status"
    status=0; run_command "$(sed -n 's/^ *QuietUninstallString *REG_SZ *//p' <<<"$entry")" || status=$?
    [ $status = 2 ] || fail "uninstalling while the window runs: status $status"
    [ "$(state)" = "$before" ] || fail "changed while the window runs: $(diff <(echo "$before") <(state))"
    wine taskkill /f /im lq3860-utility.exe >/dev/null
    wait

    # Installed again, into a new folder and with the tool on the PATH: the
    # first installation goes.
    wine "$installer" /S /PATH=1 '/D=C:\Tools\LQ-3860\Utility'
    [ ! -e "$folder" ] || fail "the first installation is left: $(ls -R "$folder")"
    [ "$(path_value)" = "$path_before;C:\\Tools\\LQ-3860\\Utility" ] || fail "PATH: $(path_value)"
    [ "$(wine cmd /c lq3860ctl --simulate info | head -n1 | tr -d '\r')" = "version 1.1" ] ||
        fail "lq3860ctl from a console: $(wine cmd /c lq3860ctl --simulate info 2>&1)"

    # The Apps entry's silent uninstall waits and reports its status; its
    # copy of itself in the temporary folder takes the uninstaller and the
    # folders it made away.
    run_command "$(registry "$KEY" /v QuietUninstallString | sed -n 's/^ *QuietUninstallString *REG_SZ *//p')"
    ! registry "$KEY" >/dev/null || fail "the Apps entry is left"
    [ "$(path_value)" = "$path_before" ] || fail "PATH after uninstalling: $(path_value)"
    for _ in $(seq 60); do [ -e "$drive/Tools" ] || break; sleep 0.5; done
    nothing_left
    echo "passed: the installer, its Start-menu entry, Apps entry, PATH option and uninstaller"
    ;;
msi)
    wine msiexec /i "$SCRATCH/older.msi" /qn
    wine msiexec /i "$SCRATCH/lq3860-utility-$VERSION-win64.msi" /qn
    products=$(registry 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' | grep -o '{[-0-9A-F]*}' || true)
    entries=$(for product in $products; do
        registry "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product" /v DisplayName |
            grep -q 'LQ-3860 Utility' && echo "$product"; done)
    [ "$(wc -w <<<"$entries")" = 1 ] || fail "Apps entries after the upgrade: $entries"
    entry=$(registry "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$entries")
    for line in "DisplayVersion    REG_SZ    $VERSION" 'InstallLocation    REG_SZ    C:\Program Files\LQ-3860 Utility\' \
        'NoModify    REG_DWORD    0x1' 'NoRepair    REG_DWORD    0x1' 'Publisher    REG_SZ    LQ-3860 Utility developers'; do
        grep -qxF "    $line" <<<"$entry" || fail "Apps entry: no $line in: $entry"
    done
    folder="$drive/Program Files/LQ-3860 Utility"
    [ "$(files "$folder")" = "$expected" ] || fail "installed $(files "$folder")"
    # Wine's Windows Installer puts a shortcut of all users into the user's
    # Start menu.
    [ -n "$(find "$drive" -name 'LQ-3860 Utility.lnk')" ] || fail "no Start-menu entry"
    check_programs "$folder"
    wine msiexec /x "$entries" /qn
    nothing_left
    echo "passed: the MSI package, its upgrade and its removal"
    ;;
zip)
    mkdir -p "$drive/Portable copy"
    unzip -q "$SCRATCH/lq3860-utility-$VERSION-win64.zip" -d "$drive/Portable copy"
    folder="$drive/Portable copy/lq3860-utility-$VERSION-win64"
    [ "$(files "$folder")" = "$expected" ] || fail "in the ZIP: $(files "$folder")"
    check_programs "$folder"
    echo "passed: the ZIP runs where it is unpacked"
    ;;
*) fail "unknown step $MODE" ;;
esac
