#!/usr/bin/env bash
# The installer package under Wine's own msiexec, in a prefix made afresh in the build tree
# (install-prefix): a silent install, a start from the Start menu shortcut's folder, an upgrade
# from a package of a lower version while Quillmere runs (and starts again after it), and a
# removal while Quillmere runs.
#
#   install_test.sh BUILD_DIR WINEARCH MSI_ARCH VERSION
#
# Exit code 0 pass, 1 fail, 77 skipped (said why).
set -u
build=$(cd "$1" && pwd) winearch=$2 msi_arch=$3 version=$4
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
msi=$build/quillmere-$msi_arch.msi

source "$source_dir/tools/wine-env.sh"
if [ "$winearch" = win32 ] && ! wine_host_runs_x86; then
    echo "SKIP: $wine_no_x86"
    exit 77
fi
wine_use "$winearch"
export WINEPREFIX=$build/install-prefix WINEARCH=$winearch WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="

scratch=$(mktemp -d)
xvfb_pid=
finish() {
    "$WINESERVER" -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap finish EXIT
unset DISPLAY  # a private screen for the program's window
source "$source_dir/tools/xvfb.sh"
xvfb_start 1024x768 || { echo "FAIL: Xvfb did not start"; exit 1; }

# A fresh prefix and its session, on this screen, with the services' output sent to /dev/null.
"$WINESERVER" -k 2>/dev/null
rm -rf "$WINEPREFIX"
"$source_dir/tools/wine-run" "$WINEPREFIX" "$winearch" --boot ||
    { echo "FAIL: the Wine prefix could not be made"; exit 1; }

source "$source_dir/tests/support/check.sh"

unix_path() { "$WINE" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
msi_property() {  # msi_property MSI NAME
    msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v name="$2" '$1 == name { print $2 }'
}
product_code=$(msi_property "$msi" ProductCode)
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
# Wine lists every product it installs, for each user, under the machine's Uninstall key.
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product_code"
key_exists() { "$WINE" reg query "$1" >/dev/null 2>&1; }
msiexec() { "$WINE" msiexec "$@" >/dev/null 2>&1; }
driver() { "$WINE" "$build/standin/power_driver.exe" "$@" 2>/dev/null | tr -d '\r'; }

install_dir=$(unix_path "$("$WINE" cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')\\Programs\\Quillmere")
shortcut=$(unix_path "$("$WINE" cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs\\Quillmere.lnk")
exe=$install_dir/quillmere.exe
exe_windows=$("$WINE" winepath -w "$exe" 2>/dev/null | tr -d '\r')

# Each quillmere.exe running in this prefix as "WORKING-DIRECTORY COMMAND-LINE": Wine gives the
# Unix process the Windows process's working directory at start and its command line.
running_programs() {
    local process
    for process in /proc/[0-9]*; do
        tr '\0' '\n' 2>/dev/null <"$process/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
            tr '\0' ' ' 2>/dev/null <"$process/cmdline" | grep -qi 'quillmere\.exe' &&
            echo "$(readlink "$process/cwd") $(tr '\0' ' ' <"$process/cmdline" | sed 's/ *$//')"
    done
}

# The working directory a shell link names (MS-SHLLINK: the header's flags, then the item list
# and the link information, then counted UTF-16 strings: description, relative path, working
# directory), as a Unix path.
link_working_dir() {
    python3 - "$1" <<'PY' | { read -r dir && unix_path "$dir" | sed 's|/$||'; }
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
at = 0x4C
if flags & 0x01:  # HasLinkTargetIDList
    at += 2 + struct.unpack_from("<H", data, at)[0]
if flags & 0x02:  # HasLinkInfo
    at += struct.unpack_from("<I", data, at)[0]
for bit in (0x04, 0x08, 0x10):  # HasName, HasRelativePath, HasWorkingDir
    if flags & bit:
        count = struct.unpack_from("<H", data, at)[0]
        text = data[at + 2:at + 2 + 2 * count].decode("utf-16-le")
        at += 2 + 2 * count
        if bit == 0x10:
            print(text)
PY
}

# Starts the installed exe the way its shortcut does, in the shortcut's working directory, and
# waits for its window; program_pid is the process.
start_from_shortcut() {
    local folder
    folder=$(link_working_dir "$shortcut")
    (cd "$folder" && exec "$WINE" "$exe") >/dev/null 2>&1 &
    program_pid=$!
    driver wait hidden 15000 >/dev/null
}

# --- An older version, installed and used.
older=$scratch/quillmere-older.msi
"$source_dir/tools/make-msi" "$msi_arch" 0.0.1 "$build/quillmere.exe" \
    "$build/installer_actions.dll" "$older" || { echo "FAIL: no older package"; exit 1; }
msiexec /i "$older" /qn
check "the older package (0.0.1) installs silently" test $? = 0
check "... and starts no Quillmere" test -z "$(running_programs)"
check "the shortcut's working directory is the install folder" \
    test "$(link_working_dir "$shortcut")" = "$install_dir"
start_from_shortcut
check "the installed exe started from the shortcut's folder shows its settings window" \
    test "$(driver answers 5000)" = answers
check "... and saves its settings there" test -s "$install_dir/config.txt"
cp "$install_dir/config.txt" "$scratch/config.txt"

# --- The upgrade, while the older version runs.
msiexec /i "$msi" /qn
check "the package of version $version installs silently over it" test $? = 0
wait "$program_pid"
check "the upgrade ended the running Quillmere cleanly (exit code $?)" test $? = 0
driver wait hidden 15000 >/dev/null
check "... and, once done, started the new one from the install folder, as the shortcut does" \
    test "$(running_programs)" = "$(realpath "$install_dir") $exe_windows"
check "the installed exe is the package's" cmp -s "$exe" "$build/quillmere.exe"
check "the shortcut is there" test -f "$shortcut"
check "the uninstall entry is there" key_exists "$uninstall_key"
check "the older version's uninstall entry is gone" \
    bash -c '! "$0" reg query "$1" >/dev/null 2>&1' "$WINE" \
    "${uninstall_key%\\*}\\$(msi_property "$older" ProductCode)"
check "config.txt is kept" cmp -s "$install_dir/config.txt" "$scratch/config.txt"
record=$(strings -el "$exe" | grep -A1 -x ProductVersion | tail -n 1)
check "the package's version $version is the exe's version record ($record)" \
    test "$record" = "$(sed 's/\./, /g' <<<"$version"), 0"

# --- Removal while the Quillmere the upgrade started runs, set to start at log-on.
"$WINE" reg add "$run_key" /v Quillmere /d "\"$exe_windows\"" /f >/dev/null 2>&1
: >"$install_dir/config.txt.new"
printf '{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}\tgame.exe\r\n' >"$install_dir/programs.txt"
printf 'next\tCtrl+Alt+N\r\n' >"$install_dir/hotkeys.txt"
msiexec /x "$msi" /qn
check "the package is removed silently" test $? = 0
check "the removal ended the running Quillmere and started none" test -z "$(running_programs)"
check "no file and no install folder are left" test ! -e "$install_dir"
check "no shortcut is left" test ! -e "$shortcut"
check "no uninstall entry is left" bash -c '! "$0" reg query "$1" >/dev/null 2>&1' "$WINE" "$uninstall_key"
check "no Run value is left" bash -c '! "$0" reg query "$1" /v Quillmere >/dev/null 2>&1' "$WINE" "$run_key"
check "no key of the package's is left" bash -c '! "$0" reg query "$1" >/dev/null 2>&1' "$WINE" \
    'HKCU\Software\Quillmere'
[ $failures = 0 ]
