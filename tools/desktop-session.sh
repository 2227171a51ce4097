# Sourced by tools/run, tools/power and the desktop end-to-end tests: one Wine desktop under
# X with the stand-in power manager, quillmere.exe in it, and the means to act on it as a
# person would (xdotool on the real tray icon and menus) and to look at it (the driver).
#
#   session_init BUILD_DIR ARCH   names the prefix, the stand-in directory and the exes
#   session_boot                  creates the desktop prefix once, installs the plans
#   session_start_x               starts Xvfb when there is no DISPLAY
#   session_start_desktop         opens the desktop "quillmere" with its taskbar
#   session_start_program DIR [EXE]
#                                 starts the stand-in copy of quillmere.exe (or EXE) in DIR
#   session_stop                  ends everything the session started
#   session_fake_power DIR ONLINE PERCENT
#                                 shows Wine a fake mains adapter and battery (needs a
#                                 private mount namespace); session_set_power changes them
#   session_logon_start           starts the Run value's program as the shell does at log-on
#   session_command ARGUMENT...   runs the exe with a command line; prints its output
#   session_second_start DIR      starts the exe once more, as a double click does, and waits
#   session_wait_startup_values   waits until the stand-in delivered the start-up values
#   session_front NAME            puts the program NAME (game.exe, or a full path) in front
#   session_take_key TEXT         another program holds the hotkey TEXT until the session ends
#
# Set before session_boot: session_machine (laptop, the default: Windows 7, four plans and a
# battery; modern-standby: Windows 11, Balanced and "Quiet Office" only, power modes;
# windows11-laptop: four plans, a battery, the power modes of Windows 11; windows10-laptop: four
# plans, a battery, the power modes of Windows 10; desktop: Windows 7,
# no battery, always on AC) and
# session_windows_version (win7, win10, ...: the Windows version Wine reports to
# quillmere.exe; unset, the machine's own: win7 for the laptop and the desktop, win10 for the
# Windows 10 and 11 laptops, since Windows 11 reports 10.0 too and Wine 8 knows no win11) and
# session_tray_refusals (how many tray icon adds
# the shell refuses in each program, as a shell still starting at log-on does; unset, none).
#
# The desktop prefix is its own (BUILD_DIR/desktop-prefix), apart from the in-process tests'
# prefix, because these sessions replace the power-scheme key and the Run value.

session_desktop=quillmere
session_size=1024x768
# Identifiers of the three built-in plans and of the made-up "Quiet Office".
plan_high=8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c
plan_balanced=381b4222-f694-41f0-9685-ff5bb260df2e
plan_saver=a1841308-3541-4fab-bc81-f71556f20b4a
plan_quiet=5fa3b9c2-0d4e-4b71-9c2a-7e61d8f04a35

# Wine answers GetSystemPowerStatus from /sys/class/power_supply. Inside a private mount
# namespace (unshare -m) a directory of our own bound over it makes the program see a
# battery, and writing its files changes what Wine reports at the next call.
session_fake_power() {  # session_fake_power DIR ONLINE PERCENT
    mkdir -p "$1/AC" "$1/BAT0"
    printf 'Mains\n' >"$1/AC/type"
    printf 'Battery\n' >"$1/BAT0/type"
    printf '1\n' >"$1/BAT0/present"
    session_set_power "$1" "$2" "$3"
    mount --bind "$1" /sys/class/power_supply 2>/dev/null
}

session_set_power() {  # session_set_power DIR ONLINE [PERCENT]
    printf '%s\n' "$2" >"$1/AC/online"
    if [ "$2" = 1 ]; then printf 'Charging\n'; else printf 'Discharging\n'; fi >"$1/BAT0/status"
    [ -n "${3:-}" ] && printf '%s\n' "$3" >"$1/BAT0/capacity"
    true
}

session_init() {
    session_build=$(cd "$1" && pwd)
    source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
    wine_use "$2"
    export WINEPREFIX=$session_build/desktop-prefix WINEARCH=$2
    export WINEDEBUG=${WINEDEBUG:--all}
    # No Mono or Gecko installers: nothing here needs them and they would wait for an answer.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    session_standin=$session_build/standin
    # The stand-in logs beside itself, in the prefix's system folder.
    session_log=$WINEPREFIX/drive_c/windows/system32/powrprof.log
    session_xvfb=
    session_program_pid=
    session_desktop_pid=
}

# A Unix path as Wine's Z: drive shows it.
session_windows_path() {
    local path=$1
    printf 'Z:%s' "${path//\//\\}"
}

session_write_plans() {
    local key='HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Control\Power\User\PowerSchemes'
    local machine=${session_machine:-laptop}
    cat <<EOF
REGEDIT4

[-$key]

[$key]
"ActivePowerScheme"="$plan_balanced"

[$key\\$plan_balanced]
"FriendlyName"="Balanced"

[$key\\$plan_quiet]
"FriendlyName"="Quiet Office"

[-HKEY_LOCAL_MACHINE\\Software\\QuillmereStandin]

[HKEY_LOCAL_MACHINE\\Software\\QuillmereStandin]
"Machine"="$machine"
"TrayAddRefusals"=dword:$(printf '%08x' "${session_tray_refusals:-0}")

[-HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\quillmere.exe]

EOF
    # Modern Standby machines ship Balanced alone (beside the user's own plans).
    [ "$machine" != modern-standby ] && cat <<EOF
[$key\\$plan_high]
"FriendlyName"="High Performance"

[$key\\$plan_saver]
"FriendlyName"="Power Saver"

EOF
    local version=win7
    case $machine in modern-standby | windows11-laptop | windows10-laptop) version=win10 ;; esac
    cat <<EOF
[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\quillmere.exe]
"Version"="${session_windows_version:-$version}"

EOF
    cat <<EOF
[-HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]

[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="$session_desktop"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"$session_desktop"="$session_size"
EOF
}

# Creates the prefix on first use, then (every time) installs the machine's plans (the three
# built-in ones and "Quiet Office" on a laptop) with Balanced active and both power modes
# Balanced, empties the Run key, and makes the desktop the prefix's default, so every program
# started in the prefix (the driver too) lands in it.
session_boot() {
    mkdir -p "$session_standin"
    exec 8>"$WINEPREFIX.lock"
    flock 8
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WINE" wineboot -i >/dev/null 2>&1
        "$WINESERVER" -w
    fi
    # The program loads powrprof.dll from the system folder only: the stand-in goes there.
    cp "$session_standin/system32/powrprof.dll" "$WINEPREFIX/drive_c/windows/system32/powrprof.dll"
    flock -u 8
    session_write_plans >"$session_standin/plans.reg"
    "$WINE" regedit /S "$(session_windows_path "$session_standin/plans.reg")" >/dev/null 2>&1
    : >"$session_log"
}

session_start_x() {
    [ -n "${DISPLAY:-}" ] && return 0
    source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
    xvfb_start "$session_size" || return 1
    session_xvfb=$xvfb_pid
}

session_start_desktop() {
    "$WINE" explorer /desktop=$session_desktop,$session_size >/dev/null 2>&1 &
    session_desktop_pid=$!
    for _ in $(seq 100); do
        if [ "$(session_driver tray 2>/dev/null)" != absent ]; then
            session_driver hold >/dev/null 2>&1 &
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# The unmodified exe (by default the copy in standin/) started in DIR; `wine` returns its exit
# code. Wine looks for powrprof and dwmapi as Windows does, a real DLL first: the stand-in in the
# system folder, or one planted where the program would search. A shell that refuses tray icon
# adds must see the program's first, made before its first power call loads the stand-in: then
# the driver starts it with the stand-in loaded first. Waits until its tray icon is drawn.
session_start_program() {  # session_start_program DIR [EXE]
    local exe=${2:-$session_standin/quillmere.exe}
    local -a launch=("$WINE" "$exe")
    [ "${session_tray_refusals:-0}" != 0 ] &&
        launch=("$WINE" "$session_standin/power_driver.exe" launch "$(session_windows_path "$exe")")
    (cd "$1" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;powrprof=n,b;dwmapi=n,b" \
        exec "${launch[@]}") >/dev/null 2>&1 &
    session_program_pid=$!
    session_driver wait hidden 30000 >/dev/null || return 1
    for _ in $(seq 50); do
        session_tray_icon_shown && return 0
        sleep 0.2
    done
    return 1
}

# Starts quillmere.exe once more in DIR while one runs, as a double click on the exe does, and
# waits until it ends; returns its exit code.
session_second_start() {  # session_second_start DIR
    (cd "$1" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;powrprof=n,b;dwmapi=n,b" \
        exec timeout 60 "$WINE" "$session_standin/quillmere.exe") >/dev/null 2>&1
}

# Runs quillmere.exe with a command line in the session, as a script, a shortcut or a scheduled
# task does, whether a Quillmere runs or not; its standard output is a pipe, as a script's
# capture is. Prints what it printed (CR LF made LF) and returns its exit code.
session_command() {  # session_command ARGUMENT...
    (cd "$session_standin" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;powrprof=n,b;dwmapi=n,b" \
        exec timeout 60 "$WINE" "$session_standin/quillmere.exe" "$@") 2>/dev/null | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# The driver's console output comes with CR LF line ends; the CRs are dropped.
session_driver() {
    "$WINE" "$session_standin/power_driver.exe" "$@" | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# The program NAME's window comes to the front (a copy of front_window.exe, started when it is
# not running), and the foreground event reaches quillmere.exe's hook as on Windows. Prints the
# full path of the program in front. session_driver close NAME ends it again.
session_front() {  # session_front NAME
    session_driver front "$1"
}

# Another program in the desktop registers the hotkey TEXT ("Ctrl+Alt+H") and holds it until
# the session ends (power_driver take, in the background). Prints the driver's answer, "taken"
# or "already taken", once it has one. Its output goes to a file straight from Wine: the driver
# does not end, and a pipe's reader would wait for the end before passing the line on.
session_take_key() {  # session_take_key TEXT
    local answer
    answer=$(mktemp)
    "$WINE" "$session_standin/power_driver.exe" take "$1" >"$answer" 2>/dev/null &
    for _ in $(seq 50); do
        grep -q taken "$answer" && break
        sleep 0.2
    done
    tr -d '\r' <"$answer"
    rm -f "$answer"
}

# Safe under set -e: what it stops may already be gone.
session_stop() {
    "$WINESERVER" -k 2>/dev/null || true
    if [ -n "$session_desktop_pid" ]; then
        wait "$session_desktop_pid" 2>/dev/null || true
    fi
    if [ -n "$session_xvfb" ]; then
        kill "$session_xvfb" 2>/dev/null || true
        wait "$session_xvfb" 2>/dev/null || true
    fi
    session_xvfb=
}

# --- Looking at the screen -------------------------------------------------------------

session_screenshot() {
    import -window root "$1"
}

# The tray icon's cell, read from the driver: "X Y" of its middle.
session_tray_position() {
    session_driver tray
}

# Mean colour "R G B" (0-255) of a W x H area at offset DX DY from the tray icon's middle.
session_tray_colour() {
    local w=$1 h=$2 dx=$3 dy=$4 shot x y
    shot=$(mktemp --suffix=.png)
    read -r x y < <(session_tray_position)
    session_screenshot "$shot"
    convert "$shot" -crop "${w}x${h}+$((x + dx))+$((y + dy))" +repage -scale 1x1\! \
        -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:
    rm -f "$shot"
}

session_colour_name() {
    local r=$1 g=$2 b=$3
    if [ $((r > g ? r - g : g - r)) -lt 24 ] && [ $((g > b ? g - b : b - g)) -lt 24 ]; then
        echo grey
    elif [ "$g" -gt $((r + 40)) ] && [ "$g" -gt $((b + 40)) ]; then
        echo green
    elif [ "$r" -gt $((g + 60)) ] && [ "$r" -gt $((b + 60)) ]; then
        echo red
    elif [ "$r" -gt $((b + 60)) ] && [ "$g" -gt $((b + 60)) ]; then
        echo yellow
    else
        echo other
    fi
}

# Which picture the tray shows. The small icon is drawn 16 x 16 around the cell's middle; the
# three plan pictures are opaque squares whose two outer rows carry the plan's colour
# (green, red, yellow); the program's own picture has a transparent rim around a tan tile
# ("other"); a bare taskbar is grey all through, and a taskbar with no icon at all hides
# ("none").
session_tray_picture() {
    local rim middle
    session_driver tray >/dev/null || { echo none; return; }
    rim=$(session_colour_name $(session_tray_colour 16 2 -8 -8))
    if [ "$rim" != grey ]; then
        echo "$rim"
        return
    fi
    middle=$(session_colour_name $(session_tray_colour 6 6 -3 -3))
    [ "$middle" = grey ] && echo none || echo other
}

session_tray_icon_shown() {
    [ "$(session_tray_picture)" != none ]
}

# --- Acting as a person ----------------------------------------------------------------

# Wine's tray shows a balloon about two seconds after it was asked for, above whatever is on
# the screen then, and it cannot be clicked away. Waiting until it is up (a tooltip-class
# window taller than a one-line tooltip) lets a menu opened afterwards lie above it.
session_wait_balloon() {
    local x y w h
    for _ in $(seq 20); do
        while read -r x y w h; do
            [ "$h" -gt 40 ] && return 0
        done < <(session_driver tips)
        sleep 0.25
    done
    return 1
}

session_click_tray() {
    local x y
    read -r x y < <(session_tray_position)
    xdotool mousemove "$x" "$y"
    case $1 in
    right) xdotool click 3 ;;
    double) xdotool click --repeat 2 --delay 120 1 ;;
    esac
}

# Rows of a menu's separators, from a screenshot: in a column just inside its left edge only
# the border and the separator lines are drawn. Prints "TOP ROW... BOTTOM" as screen rows.
session_menu_lines() {
    local shot=$1 left=$2 top=$3 height=$4
    convert "$shot" -crop 1x$height+$((left + 5))+$top +repage txt:- |
        awk -F'[,:]' -v top="$top" '/^[0-9]/ && $0 !~ /#FFFFFF/ { print top + $2 }' | tr '\n' ' '
}

# Clicks item INDEX (from 0, separators not counted) of the open menu whose rectangle is
# "LEFT TOP WIDTH HEIGHT", whose items come in groups of the counts that follow. The lines
# split the menu into those groups; each group's height is shared evenly by its items, which
# is how a menu lays out items of one font. A tooltip or balloon over the menu adds lines of
# its own: then the pointer moves off the menu and the menu is looked at again.
session_click_menu_item() {
    local rect=$1 index=$2 shot left top width height
    local -a groups=("${@:3}") lines=()
    read -r left top width height <<<"$rect"
    shot=$(mktemp --suffix=.png)
    for _ in $(seq 10); do
        xdotool mousemove $((left + width / 2)) $((top - 40))
        sleep 0.5
        session_screenshot "$shot"
        read -r -a lines <<<"$(session_menu_lines "$shot" "$left" "$top" "$height")"
        [ ${#lines[@]} = $((${#groups[@]} + 1)) ] && break
        sleep 1
    done
    rm -f "$shot"
    [ ${#lines[@]} = $((${#groups[@]} + 1)) ] || return 1
    local g seen=0
    for g in "${!groups[@]}"; do
        local count=${groups[$g]} from=${lines[$g]} to=${lines[$((g + 1))]}
        if [ "$index" -lt $((seen + count)) ]; then
            local k=$((index - seen))
            xdotool mousemove $((left + 30)) $((from + (to - from) * (2 * k + 1) / (2 * count)))
            sleep 0.2
            xdotool click 1
            return 0
        fi
        seen=$((seen + count))
    done
    return 1
}

# Rectangle of the open menu that is not MAIN (the plan submenu), or of the only one.
session_menu_rect() {
    local except=${1:-} rect
    while read -r rect; do
        [ "$rect" != "$except" ] && { echo "$rect"; return 0; }
    done < <(session_driver menu)
    return 1
}

# --- Days after the first ---------------------------------------------------------------

# The program a log-on starts: the Run value's command line (a quoted path, or a path up to
# its first space), started as the shell starts it, with the system folder as its working
# directory: System32, or SysWOW64 for a 32-bit program in a 64-bit prefix.
session_logon_start() {
    local run='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
    local line exe folder=system32 loader=$WINE
    line=$("$WINE" reg query "$run" /v Quillmere 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Quillmere *REG_SZ *//p')
    [ -n "$line" ] || { echo "no Run value Quillmere" >&2; return 1; }
    if [ "${line:0:1}" = '"' ]; then exe=${line:1}; exe=${exe%%\"*}; else exe=${line%% *}; fi
    # A 32-bit exe in a 64-bit prefix starts in SysWOW64, under the 32-bit loader.
    if [ "$WINEARCH" = win64 ] &&
        [ "$(session_pe_machine "$("$WINE" winepath -u "$exe")")" = 014c ]; then
        folder=syswow64
        loader=$(wine_loader_of win32)
    fi
    session_logon_folder=$WINEPREFIX/drive_c/windows/$folder
    (cd "$session_logon_folder" &&
        WINEDLLOVERRIDES="$WINEDLLOVERRIDES;powrprof=n,b;dwmapi=n,b" exec "$loader" "$exe") \
        >/dev/null 2>&1 &
    session_program_pid=$!
}

# The machine field of a PE file's header, four hex digits: 014c for i386, 8664 for x86-64.
session_pe_machine() {
    local offset
    offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
}

# The stand-in delivers each registered setting's value as Windows does, the battery's last.
session_wait_startup_values() {
    for _ in $(seq 150); do
        grep -q '^registration battery-percent' "$session_log" && return 0
        sleep 0.2
    done
    return 1
}
