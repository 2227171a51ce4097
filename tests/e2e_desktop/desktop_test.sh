#!/usr/bin/env bash
# The shipped quillmere.exe, unmodified, as its own process in a Wine desktop under a private
# Xvfb, used as a person would: xdotool on the real tray icon and menus, the settings window's
# real controls. The stand-in power manager plays the power cord and the battery; the driver
# reads what a mouse cannot (the plan log, control states, window rectangles).
#
#   desktop_test.sh BUILD_DIR ARCH CASE
#
# CASE is one of: power_source battery_rule menu_plan settings_file startup_value exit day_two
# modern_standby power_modes windows10_modes display_off_hung composition_7 composition_10
# composition_compat planted_dlls second_start keyboard sleep_resume tray_retry program_rules
# program_rules_mode no_program_rules program_rules_settle program_rules_windows11 command_line
# hotkeys windows7_desktop.
# Exit code 0 pass, 1 fail, 77 skipped (said why).
#
# The battery rule looks at ACLineStatus, which Wine reads from the host's
# /sys/class/power_supply. The test runs in a private mount namespace with a fake adapter
# ("AC", online 0) and battery ("BAT0") bound over that directory, so the program sees a
# machine off mains; when that is not possible the battery case is skipped.
set -u
build=$1 arch=$2 case_name=$3
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

source "$source_dir/tools/wine-env.sh"
if [ "$arch" = win32 ] && ! wine_host_runs_x86; then
    echo "SKIP: $wine_no_x86"
    exit 77
fi

if [ -z "${QUILLMERE_TEST_NAMESPACE:-}" ] && unshare -m true 2>/dev/null; then
    exec unshare -m env QUILLMERE_TEST_NAMESPACE=1 bash "$0" "$@"
fi

# shellcheck source=../../tools/desktop-session.sh
source "$source_dir/tools/desktop-session.sh"
scratch=$(mktemp -d)
[ -n "${QUILLMERE_TEST_NAMESPACE:-}" ] && session_fake_power "$scratch/power_supply" 0 30
# The stand-in sends the power source at every start, as Windows does, so every case depends
# on what Wine reads there: without the fake adapter the host's own would decide.
if [ "$(cat /sys/class/power_supply/AC/online 2>/dev/null)" != 0 ]; then
    echo "SKIP: no fake power supply could be mounted (needs root and a private mount namespace)"
    rm -rf "$scratch"
    exit 77
fi

unset DISPLAY  # always a private screen: the clicks go by screen position
session_init "$build" "$arch"
shots=$session_build/screenshots
mkdir -p "$shots"
work=$scratch/work
mkdir -p "$work"

source "$source_dir/tests/support/check.sh"
finish() {
    session_stop
    [ -n "${QUILLMERE_TEST_NAMESPACE:-}" ] && umount /sys/class/power_supply 2>/dev/null
    rm -rf "$scratch"
}
trap finish EXIT

switches() { grep -c '^PowerSetActiveScheme ' "$session_log"; }
last_switch() { grep '^PowerSetActiveScheme ' "$session_log" | tail -n 1 | cut -d' ' -f2; }
upper() { tr '[:lower:]' '[:upper:]' <<<"{$1}"; }
active_plan() { session_driver status | sed -n 's/^\* \([0-9a-f-]*\).*/\1/p'; }
# The shell draws a changed icon in its own time: the picture is looked at for up to 2 s.
picture_is() {
    for _ in $(seq 10); do
        [ "$(session_tray_picture)" = "$1" ] && return 0
        sleep 0.2
    done
    return 1
}

start() {  # start [WORKING-DIRECTORY [EXE]]
    cmp -s "$build/quillmere.exe" "$session_standin/quillmere.exe" ||
        { echo "FAIL: the stand-in copy is not the built quillmere.exe"; exit 1; }
    session_start_x || { echo "FAIL: no X server"; exit 1; }
    session_boot
    session_start_desktop || { echo "FAIL: the Wine desktop did not open"; exit 1; }
    [ -n "${front_at_start:-}" ] && session_front "$front_at_start" >/dev/null
    [ -n "${key_taken_at_start:-}" ] && session_take_key "$key_taken_at_start" >/dev/null
    session_start_program "${1:-$work}" ${2:+"$2"} ||
        { echo "FAIL: no tray icon from quillmere.exe"; exit 1; }
    session_wait_startup_values || { echo "FAIL: the start-up values were not delivered"; exit 1; }
}

# Opens the tray menu with a right click and waits until it is up.
open_tray_menu() {
    session_click_tray right
    session_driver wait menu >/dev/null || return 1
    sleep 0.3
}

# Clicks item INDEX of the open main tray menu, whose groups between separators hold 2, 1, 3
# and 1 items: the quick commands, "Change Power Plan", "Program Rules...", "Hotkeys..." and
# "Settings", "Exit".
click_main_item() {
    session_click_menu_item "$(session_menu_rect | tr -d '\r')" "$1" 2 1 3 1
}

click_control() {  # click_control ID
    local x y rest
    read -r x y rest < <(session_driver control "$1")
    xdotool mousemove "$x" "$y" click 1
    sleep 0.3
}
control_field() {  # control_field ID FIELD (3 enabled, 4 checked)
    session_driver control "$1" | cut -d' ' -f"$2" | tr -d '\r'
}

open_settings() {
    session_click_tray double
    session_driver wait visible >/dev/null
}

# Opens the tray menu, then its plan submenu; prints the two rectangles (main, then submenu).
open_plan_menu() {
    open_tray_menu || return 1
    local main sub
    main=$(session_menu_rect | tr -d '\r')
    session_click_menu_item "$main" 2 2 1 3 1  # "Change Power Plan"
    for _ in $(seq 20); do
        sub=$(session_menu_rect "$main" | tr -d '\r') && break
        sleep 0.2
    done
    echo "$main"
    echo "$sub"
}

case_power_source() {
    start
    check "start-up shows Balanced's yellow picture" picture_is yellow
    session_driver unplug >/dev/null
    check "unplugging while Balanced is active switches nothing" test "$(switches)" = 0
    session_driver plug >/dev/null
    check "plugging in makes exactly one switch" test "$(switches)" = 1
    check "... to High Performance" test "$(last_switch)" = "$(upper $plan_high)"
    check "the stand-in holds High Performance active" test "$(active_plan)" = $plan_high
    sleep 0.5
    check "the tray shows the green picture" picture_is green
    session_driver unplug >/dev/null
    check "unplugging makes exactly one more switch" test "$(switches)" = 2
    check "... to Balanced" test "$(last_switch)" = "$(upper $plan_balanced)"
    sleep 0.5
    check "the tray shows the yellow picture again" picture_is yellow
    session_driver plug >/dev/null
    session_driver short-term >/dev/null
    check "a short-term source counts as unplugged" test "$(switches)" = 4
    check "... and selects Balanced" test "$(last_switch)" = "$(upper $plan_balanced)"
}

case_battery_rule() {
    start
    local ac
    ac=$(session_driver ac | tr -d '\r')
    if [ "$ac" != 0 ]; then
        echo "SKIP: Wine reports ACLineStatus $ac here (no fake power supply could be mounted);"
        echo "      the battery rule is covered by the in-process tests only"
        exit 77
    fi
    session_driver plan "High Performance" >/dev/null
    session_driver battery 10 >/dev/null
    check "the battery rule is off by default" test "$(switches)" = 0

    open_settings
    check "the battery plan list starts disabled" test "$(control_field 1009 3)" = 0
    click_control 1010
    check "ticking the battery rule box ticks it" test "$(control_field 1010 4)" = 1
    check "... and enables the battery plan list" test "$(control_field 1009 3)" = 1
    check "... and the percent box" test "$(control_field 1004 3)" = 1
    click_control 1
    session_driver wait hidden >/dev/null
    check "OK hides the settings window" test "$(session_driver window | tr -d '\r')" = hidden
    check "OK saved the rule as on" test "$(sed -n 5p "$work/config.txt" | tr -d '\r')" = 1

    session_driver battery 31 >/dev/null
    check "31 percent is above the threshold of 30: no switch" test "$(switches)" = 0
    session_driver battery 30 >/dev/null
    check "30 percent, at the threshold, makes exactly one switch" test "$(switches)" = 1
    check "... to the low-battery plan, Balanced" test "$(last_switch)" = "$(upper $plan_balanced)"
    session_driver battery 20 >/dev/null
    check "with Balanced active a lower charge switches nothing more" test "$(switches)" = 1
}

case_menu_plan() {
    start
    local rects main sub
    rects=$(open_plan_menu)
    main=$(sed -n 1p <<<"$rects")
    sub=$(sed -n 2p <<<"$rects")
    check "the tray menu opens its plan submenu" test -n "$sub"
    # Screenshot of both menus: the area from the submenu's left to the screen's right end.
    local left top w h
    read -r left top w h <<<"$sub"
    local mleft mtop mw mh
    read -r mleft mtop mw mh <<<"$main"
    xdotool mousemove $((left + w / 2)) $((top - 30))  # off the menus: no highlight
    sleep 0.3
    session_screenshot "$shots/tray-menu-full.png"
    local cut_top=$((top < mtop ? top : mtop))
    convert "$shots/tray-menu-full.png" -crop $((1024 - left + 8))x$((768 - cut_top + 8))+$((left - 8))+$((cut_top - 8)) \
        +repage "$shots/tray-menu.png"
    session_click_menu_item "$sub" 0 1 3  # "Quiet Office", above the separator
    session_driver wait nomenu >/dev/null
    sleep 0.5
    check "choosing Quiet Office makes exactly one switch" test "$(switches)" = 1
    check "... to Quiet Office" test "$(last_switch)" = "$(upper $plan_quiet)"
    check "Quiet Office is the active plan" test "$(active_plan)" = $plan_quiet
    check "the tray shows the program's own picture for a plan of the user's" picture_is other
    check "the change is announced in a balloon" session_wait_balloon

    rects=$(open_plan_menu)
    sub=$(sed -n 2p <<<"$rects")
    session_click_menu_item "$sub" 3 1 3  # "Power Saver", the last built-in item
    session_driver wait nomenu >/dev/null
    sleep 0.5
    check "choosing Power Saver makes one more switch" test "$(switches)" = 2
    check "Power Saver is the active plan" test "$(active_plan)" = $plan_saver
    check "the tray shows the red picture" picture_is red
}

expected_config() {
    printf '{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}\r\n{381B4222-F694-41F0-9685-FF5BB260DF2E}\r\n'
    printf '{381B4222-F694-41F0-9685-FF5BB260DF2E}\r\n1\r\n0\r\n1\r\n30\r\n'
}

case_settings_file() {
    start
    check "no config.txt before the settings window opens" test ! -e "$work/config.txt"
    open_settings
    check "a double click on the tray icon opens the settings window" \
        test "$(session_driver window | cut -d' ' -f1)" = visible
    check "config.txt is created, 133 bytes" test "$(stat -c %s "$work/config.txt" 2>/dev/null)" = 133
    check "... holding the seven defaults" cmp -s "$work/config.txt" <(expected_config)
    check "the Plugged In list shows High Performance" \
        test "$(session_driver control 1007 | cut -d' ' -f5- | tr -d '\r')" = "High Performance"
    local x y w h
    read -r _ x y w h < <(session_driver window)
    xdotool mousemove 10 10
    sleep 0.3
    session_screenshot "$shots/settings-window-full.png"
    convert "$shots/settings-window-full.png" -crop "${w}x${h}+${x}+${y}" +repage \
        "$shots/settings-window.png"
    session_click_tray double
    session_driver wait hidden >/dev/null
    check "a second double click hides it" test "$(session_driver window | tr -d '\r')" = hidden
}

case_startup_value() {
    start
    open_settings
    check "the start-up box starts clear" test "$(control_field 1014 4)" = 0
    click_control 1014
    check "clicking it ticks it" test "$(control_field 1014 4)" = 1
    click_control 1
    session_driver wait hidden >/dev/null
    local run='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run' value expected
    value=$("$WINE" reg query "$run" /v Quillmere 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Quillmere *REG_SZ *//p')
    expected="\"$(session_windows_path "$session_standin/quillmere.exe")\""
    check "OK wrote the Run value: the exe's path in quotes ($value)" test "$value" = "$expected"
}

# Chooses "Exit" from the tray menu; exit_code becomes the program's, or "timeout".
exit_from_menu() {
    open_tray_menu
    click_main_item 6  # "Exit"
    exit_code=timeout
    for _ in $(seq 100); do
        kill -0 "$session_program_pid" 2>/dev/null || { wait "$session_program_pid"; exit_code=$?; return; }
        sleep 0.2
    done
}

case_exit() {
    start
    exit_from_menu
    check "Exit from the tray menu ends the process with exit code 0 (got $exit_code)" \
        test "$exit_code" = 0
    xdotool mousemove 10 10
    sleep 0.5
    check "the desktop is still open" test "$(session_driver tray)" != absent
    check "the tray icon is gone" picture_is none
}

on_ac() {
    [ -n "${QUILLMERE_TEST_NAMESPACE:-}" ] && session_set_power "$scratch/power_supply" 1
    true
}
first_switch() { grep '^PowerSetActiveScheme ' "$session_log" | head -n 1 | cut -d' ' -f2; }
last_tip() { grep '^tray tip ' "$session_log" | tail -n 1 | cut -d' ' -f3-; }

# Drops the list of a plan combo box and clicks entry INDEX of COUNT, as a person picks a plan.
choose_entry() {  # choose_entry ID INDEX COUNT
    local left top w h
    click_control "$1"
    for _ in $(seq 20); do
        read -r left top w h < <(session_driver droplist | tr -d '\r') && break
        sleep 0.2
    done
    xdotool mousemove $((left + w / 2)) $((top + 1 + (h - 2) * (2 * $2 + 1) / (2 * $3))) click 1
    sleep 0.3
}

# Day one the user starts the program from its own folder, picks Power Saver for mains power,
# ticks the start at log-on and exits. Day two, on mains, the shell starts the Run value's
# command line at log-on, with the system folder as working directory.
case_day_two() {
    local beside=$session_standin/config.txt
    rm -f "$beside"
    start "$session_standin"
    open_settings
    choose_entry 1007 3 4  # Balanced, Quiet Office, High Performance, Power Saver
    check "the Plugged In list shows Power Saver" \
        test "$(session_driver control 1007 | cut -d' ' -f5- | tr -d '\r')" = "Power Saver"
    click_control 1014
    click_control 1
    session_driver wait hidden >/dev/null
    check "OK saved Power Saver as the plugged-in plan beside the exe" \
        test "$(sed -n 1p "$beside" | tr -d '\r')" = "$(upper $plan_saver)"
    exit_from_menu
    check "Exit ends day one" test "$exit_code" = 0

    on_ac
    : >"$session_log"
    session_logon_start || { echo "FAIL: no log-on start"; exit 1; }
    rm -f "$session_logon_folder/config.txt" "$session_logon_folder/config.txt.new"
    session_driver wait hidden 30000 >/dev/null
    check "the log-on start gets the start-up values" session_wait_startup_values
    check "its first switch is to the saved plugged-in plan, Power Saver" \
        test "$(first_switch)" = "$(upper $plan_saver)"
    open_settings
    check "the settings window shows the saved plugged-in plan" \
        test "$(session_driver control 1007 | cut -d' ' -f5- | tr -d '\r')" = "Power Saver"
    check "... and the start at log-on ticked" test "$(control_field 1014 4)" = 1
    rm -f "$beside"
    click_control 1
    session_driver wait hidden >/dev/null
    check "OK saves beside the exe" test -s "$beside"
    check "nothing is written into the system folder" \
        test -z "$(ls "$session_logon_folder" | grep -i '^config\.txt')"
    rm -f "$beside"
}

# A Modern Standby laptop (Balanced and Quiet Office only, power modes) on its first run: the
# defaults name Best Performance for mains in place of the missing High Performance, so a
# plug-in brings it, and the settings window and the first config.txt show it.
case_modern_standby() {
    session_machine=modern-standby
    start
    check "the start on battery switches nothing" test "$(grep -c '^PowerSet' "$session_log")" = 0
    on_ac
    session_driver plug >/dev/null
    check "plugging in sets Best Performance for mains" \
        grep -q '^PowerSetUserConfiguredACPowerMode {DED574B5-45A0-4F42-8737-46345C09C238}' "$session_log"
    check "... and asks for no plan" test "$(grep -c '^PowerSetActiveScheme' "$session_log")" = 0
    check "the tooltip names it" test "$(last_tip)" = "Current power plan: Balanced (Best Performance)."
    check "... and a balloon announces it" \
        grep -q '^tray balloon The power plan has been changed to Balanced (Best Performance)\.' "$session_log"
    open_settings
    check "the Plugged In list shows it" \
        test "$(session_driver control 1007 | cut -d' ' -f5- | tr -d '\r')" = "Balanced (Best Performance)"
    check "the first config.txt names it" \
        test "$(sed -n 1p "$work/config.txt" | tr -d '\r')" = "{DED574B5-45A0-4F42-8737-46345C09C238}"
}

# A Windows 11 laptop with power modes. The saved rules name a mode for the battery: the start
# on battery puts it in force; back on mains the mains mode shows, and unplugging again brings
# the battery's mode back, which the system announces through the program's mode callback. A
# mode chosen from the tray menu becomes the battery's.
case_power_modes() {
    session_machine=modern-standby
    printf '%s\r\n' '{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}' '{961CC777-2547-4F9D-8174-7D86181B8A7A}' \
        '{381B4222-F694-41F0-9685-FF5BB260DF2E}' 1 0 1 30 >"$work/config.txt"
    start
    check "the start on battery sets the battery's mode from the saved rule" \
        grep -q '^PowerSetUserConfiguredDCPowerMode {961CC777-2547-4F9D-8174-7D86181B8A7A}' "$session_log"
    check "... and names it in the tooltip" \
        test "$(last_tip)" = "Current power plan: Balanced (Best Power Efficiency)."
    on_ac
    session_driver plug >/dev/null
    check "on mains the mains mode is named" test "$(last_tip)" = "Current power plan: Balanced (Balanced)."
    [ -n "${QUILLMERE_TEST_NAMESPACE:-}" ] && session_set_power "$scratch/power_supply" 0
    session_driver unplug >/dev/null
    sleep 0.5
    check "unplugged, the battery mode is in force and named in the tooltip" \
        test "$(last_tip)" = "Current power plan: Balanced (Best Power Efficiency)."

    session_wait_balloon  # the start-up's, so that the menu lies above it
    open_tray_menu
    xdotool mousemove 10 10
    local rect left top w h
    rect=$(session_menu_rect | tr -d '\r')
    read -r left top w h <<<"$rect"
    sleep 0.3
    session_screenshot "$shots/tray-menu-modes-full.png"
    convert "$shots/tray-menu-modes-full.png" -crop $((1024 - left + 8))x$((768 - top + 8))+$((left - 8))+$((top - 8)) \
        +repage "$shots/tray-menu-modes.png"
    session_driver menu-items >/dev/null
    check "the menu lists the three modes" \
        test "$(grep -c '^menu item 103[123] enabled' "$session_log")" = 3
    check "... and, as from Windows 8 on, the composition item grayed" \
        grep -qx 'menu item 1030 grayed Aero Off' "$session_log"
    # Aero, Display Off | Change Power Plan and the three modes | Program Rules..., Hotkeys...,
    # Settings | Exit
    session_click_menu_item "$rect" 5 2 4 3 1  # "Best Performance"
    session_driver wait nomenu >/dev/null
    sleep 0.5
    check "choosing Best Performance sets the battery's mode" \
        grep -q '^PowerSetUserConfiguredDCPowerMode {DED574B5-45A0-4F42-8737-46345C09C238}' "$session_log"
    check "... names it in the tooltip" \
        test "$(last_tip)" = "Current power plan: Balanced (Best Performance)."
    check "... and announces it" \
        grep -q '^tray balloon The power plan has been changed to Balanced (Best Performance)\.' "$session_log"
    check "Balanced stayed active, no plan made active" \
        test "$(grep -c '^PowerSetActiveScheme {' "$session_log")" = 0
}

# A Windows 10 laptop: the overlay functions, which only the 64-bit exe uses. The 32-bit exe
# shows and does what it does on Windows 7.
case_windows10_modes() {
    session_machine=windows10-laptop
    on_ac
    start
    if [ "$arch" = win64 ]; then
        check "the tooltip names the overlay in force" \
            test "$(last_tip)" = "Current power plan: High Performance."
        session_driver plan Balanced >/dev/null
        session_driver mode performance >/dev/null
        sleep 0.5
        check "the system's slider moved: the tooltip follows" \
            test "$(last_tip)" = "Current power plan: Balanced (Best Performance)."
    else
        session_driver plan Balanced >/dev/null
        session_driver mode performance >/dev/null
        sleep 0.5
        check "the 32-bit exe names no mode" test "$(last_tip)" = "Current power plan: Balanced."
        check "... and never asks for one" test "$(grep -c 'Overlay\|effective power mode' "$session_log")" = 0
    fi
}

case_display_off_hung() {
    start
    session_driver hang >/dev/null &
    sleep 1
    open_tray_menu
    click_main_item 1  # "Display Off"
    session_driver wait nomenu >/dev/null
    check "with a hung window on the desktop, the program still answers after Display Off" \
        session_driver answers 5000
}

case_composition() {  # case_composition WINDOWS-VERSION EXPECTED-ITEM [MACHINE]
    session_windows_version=$1
    session_machine=${3:-laptop}
    start
    open_tray_menu
    session_driver menu-items >/dev/null
    check "under $1 on the $session_machine the composition item reads: $2" \
        grep -qx "menu item 1030 $2" "$session_log"
}

# Files named powrprof.dll and dwmapi.dll beside the exe and in its working folder, with Wine
# searching as Windows does (a real DLL first): none is ever loaded, and the program works with
# the stand-in from the system folder.
case_planted_dlls() {
    local app=$scratch/app dir name
    mkdir -p "$app"
    cp "$session_standin/quillmere.exe" "$app/"
    for dir in "$app" "$work"; do
        for name in powrprof.dll dwmapi.dll; do cp "$session_standin/planted_dll.dll" "$dir/$name"; done
    done
    marks() { find "$app" "$work" -name '*.loaded' -printf '%P ' | sort; }
    start "$work" "$app/quillmere.exe"
    check "start-up loads no planted DLL ($(marks))" test -z "$(marks)"
    check "the plan comes from the stand-in in the system folder: Balanced's picture" picture_is yellow
    open_tray_menu
    click_main_item 0  # "Aero On"/"Aero Off"
    session_driver wait nomenu >/dev/null
    check "the menu and the composition switch load no planted DLL ($(marks))" test -z "$(marks)"
    session_driver plug >/dev/null
    check "plugging in still switches through the stand-in" test "$(switches)" = 1
}

# A double click on the exe while Quillmere already runs: the second process ends at once with
# code 0, adds no icon and registers for nothing, and the running one shows its settings window.
case_second_start() {
    start
    local registrations tips code
    registrations=$(grep -c '^registration ' "$session_log")
    tips=$(grep -c '^tray tip ' "$session_log")
    session_second_start "$work"
    code=$?
    check "the second start ends by itself with code 0 (got $code)" test "$code" = 0
    check "... after the running one showed its settings window" session_driver wait visible 5000
    sleep 1
    check "... registering for nothing" test "$(grep -c '^registration ' "$session_log")" = "$registrations"
    check "... and adding no icon of its own" test "$(grep -c '^tray tip ' "$session_log")" = "$tips"
    check "the first still runs" kill -0 "$session_program_pid"
}

# The settings window worked from the keyboard alone, once a click has put the focus in it.
case_keyboard() {
    start
    open_settings
    check "config.txt is made when the window opens" cmp -s "$work/config.txt" <(expected_config)
    click_control 1014  # ticks "Automatically run at startup." and takes the focus
    xdotool key space   # and clears it again
    # Shift+Tab twice: past Cancel (the percent box is off) to the notifications box.
    xdotool key shift+Tab shift+Tab space
    sleep 0.3
    check "Shift+Tab reached the notifications box, and Space cleared it" test "$(control_field 1012 4)" = 0
    xdotool key Return
    session_driver wait hidden >/dev/null
    check "Enter is OK: the window hides" test "$(session_driver window | tr -d '\r')" = hidden
    check "... and the cleared box is saved" test "$(sed -n 6p "$work/config.txt" | tr -d '\r')" = 0
    check "... the start-up box left clear" test "$(control_field 1014 4)" = 0

    open_settings
    click_control 1012  # ticks the notifications box again
    xdotool key Escape
    session_driver wait hidden >/dev/null
    check "Escape is Cancel: the window hides" test "$(session_driver window | tr -d '\r')" = hidden
    check "... and nothing is saved" test "$(sed -n 6p "$work/config.txt" | tr -d '\r')" = 0

    # The mouse passing over the tray icon while Cancel has the focus leaves Cancel the default.
    open_settings
    click_control 1012  # ticks the notifications box again
    xdotool key Tab  # on to Cancel
    local x y
    read -r x y < <(session_tray_position)
    xdotool mousemove "$x" "$y" sleep 0.3 mousemove $((x + 2)) "$y" sleep 0.3
    xdotool key Return
    session_driver wait hidden >/dev/null
    check "Enter after a mouse move over the tray icon is Cancel: nothing is saved" \
        test "$(sed -n 6p "$work/config.txt" | tr -d '\r')" = 0
}

# After a sleep in which Windows made Balanced active, on mains: the resume runs the rules once,
# though the source did not change, and High Performance comes back.
case_sleep_resume() {
    on_ac
    start
    check "on mains High Performance is made active at start" test "$(active_plan)" = $plan_high
    : >"$session_log"
    session_driver sleep >/dev/null
    sleep 0.5
    check "asleep, Windows made Balanced active" grep -q '^asleep: Windows made Balanced active' "$session_log"
    check "the resume switches back to High Performance" test "$(last_switch)" = "$(upper $plan_high)"
    check "... once" test "$(switches)" = 1
    check "the stand-in holds it active" test "$(active_plan)" = $plan_high
    check "the tooltip names it" test "$(last_tip)" = "Current power plan: High Performance."
}

# At log-on the shell refuses the first three tray icon adds, as one still starting does: the
# program tries again each second and the icon comes, with its tooltip.
case_tray_retry() {
    session_tray_refusals=3
    start
    check "the shell refused three adds" test "$(grep -c '^tray NIM_ADD refused' "$session_log")" = 3
    check "the icon shows Balanced's yellow picture" picture_is yellow
    check "... and its tooltip was given after the last refusal" \
        test "$(sed -n '/^tray NIM_ADD refused.*(0 left)/,$p' "$session_log" | grep -c '^tray tip Current power plan: Balanced\.$')" -ge 1
}

# programs.txt with two good lines among bad ones: the good ones act, without a message.
write_program_rules() {  # write_program_rules TARGET-OF-game.exe
    printf '%s\r\n' "{$1}	game.exe" 'game.exe' "{$1} build.exe" '{not-an-id}	notes.exe' \
        "{$1}	" "{$plan_balanced}	C:\\Tools\\build.exe" >"$work/programs.txt"
}

# On mains, High Performance active: the game's rule brings Power Saver while it is in front, a
# program without a rule brings High Performance back. The window that edits the rules opens
# from the tray menu.
case_program_rules() {
    write_program_rules "$plan_saver"
    on_ac
    start
    check "with rules the foreground is followed, out of context" \
        grep -qx 'SetWinEventHook EVENT_SYSTEM_FOREGROUND flags 0x0' "$session_log"
    check "High Performance is active on mains" test "$(active_plan)" = $plan_high
    session_front game.exe >/dev/null
    sleep 0.5
    check "the game in front brings its plan, Power Saver" test "$(last_switch)" = "$(upper $plan_saver)"
    check "... shown in the tooltip" test "$(last_tip)" = "Current power plan: Power Saver."
    session_front notes.exe >/dev/null
    sleep 3
    check "a program without a rule in front for 2 seconds brings High Performance back" \
        test "$(last_switch)" = "$(upper $plan_high)"
    check "... three switches in all, the start-up's first" test "$(switches)" = 3
    session_driver front app game.exe >/dev/null
    sleep 0.5
    check "the game as a Store app, in a frame of ApplicationFrameHost.exe, brings Power Saver" \
        test "$(last_switch)" = "$(upper $plan_saver)"
    check "no message was shown" test "$(session_driver dialog 'Oh snap!')" = absent

    session_wait_balloon
    open_tray_menu
    click_main_item 3  # "Program Rules..."
    sleep 1
    local x y w h
    read -r x y w h < <(session_driver dialog 'Program Rules')
    xdotool mousemove 10 10
    sleep 0.3
    session_screenshot "$shots/program-rules-full.png"
    [ -n "${w:-}" ] && convert "$shots/program-rules-full.png" -crop "${w}x${h}+${x}+${y}" +repage \
        "$shots/program-rules.png"
    check "the tray menu opens the program rules window" test -n "${w:-}"
}

# A rule that names a power mode, on the Windows 11 laptop: the mode while the game is in front,
# Balanced's own mode again after it. The saved rules keep the Balanced mode on mains (a first
# run's defaults would name Best Performance there).
case_program_rules_mode() {
    session_machine=modern-standby
    write_program_rules DED574B5-45A0-4F42-8737-46345C09C238
    printf '%s\r\n' '{00000000-0000-0000-0000-000000000000}' "{$plan_balanced}" "{$plan_balanced}" \
        1 0 1 30 >"$work/config.txt"
    on_ac
    start
    session_front game.exe >/dev/null
    sleep 0.5
    check "the game in front brings Best Performance" \
        grep -q '^PowerSetUserConfiguredACPowerMode {DED574B5-45A0-4F42-8737-46345C09C238}' "$session_log"
    check "... named in the tooltip" test "$(last_tip)" = "Current power plan: Balanced (Best Performance)."
    session_front notes.exe >/dev/null
    sleep 3
    check "after it the mode of before comes back" \
        grep -q '^PowerSetUserConfiguredACPowerMode {00000000-0000-0000-0000-000000000000}' "$session_log"
    check "... named in the tooltip" test "$(last_tip)" = "Current power plan: Balanced (Balanced)."
}

# The game (Power Saver) already in front at start acts at once. The shell's taskbar and Start
# for a moment, or another program for a second, switch nothing; a program without a rule that
# holds the front brings back what the start would have brought (High Performance on mains). A
# plan another program chose meanwhile stands, and Exit gives back what the rule replaced.
case_program_rules_settle() {
    write_program_rules "$plan_saver"
    on_ac
    front_at_start=game.exe start
    sleep 0.5
    check "the game in front at start-up brings Power Saver at once" \
        test "$(first_switch)" = "$(upper $plan_saver)"
    local before
    before=$(switches)
    session_driver front taskbar >/dev/null
    sleep 3
    session_driver front start >/dev/null
    sleep 3
    check "the taskbar and Start, each for a while, switch nothing" test "$(switches)" = "$before"
    session_front notes.exe >/dev/null
    sleep 1
    session_front game.exe >/dev/null
    sleep 3
    check "away for a second and back switches nothing" test "$(switches)" = "$before"
    session_front notes.exe >/dev/null
    sleep 3
    check "away for longer brings High Performance, the mains rule's plan" \
        test "$(last_switch)" = "$(upper $plan_high)"
    check "... in one switch" test "$(switches)" = $((before + 1))

    session_front game.exe >/dev/null
    sleep 0.5
    session_driver plan Balanced >/dev/null
    session_front notes.exe >/dev/null
    sleep 3
    check "a plan another program chose while the game was in front stands" \
        test "$(active_plan)" = $plan_balanced
    session_front game.exe >/dev/null
    sleep 0.5
    check "the game brings Power Saver again" test "$(active_plan)" = $plan_saver
    exit_from_menu
    check "Exit gives back the plan the rule replaced, Balanced" test "$(active_plan)" = $plan_balanced
}

# The Windows 11 laptop: "Quiet Office" (made from Balanced) comes back as itself after the
# game's High Performance; after build.exe's Best Performance over High Performance, the mains
# mode of before comes back with High Performance.
case_program_rules_windows11() {
    session_machine=windows11-laptop
    printf '%s\r\n' "{$plan_high}	game.exe" "{DED574B5-45A0-4F42-8737-46345C09C238}	build.exe" \
        >"$work/programs.txt"
    on_ac
    start
    session_driver plan 'Quiet Office' >/dev/null
    session_front game.exe >/dev/null
    sleep 0.5
    check "the game brings High Performance" test "$(active_plan)" = $plan_high
    session_front notes.exe >/dev/null
    sleep 3
    check "Quiet Office comes back as itself" test "$(last_switch)" = "$(upper $plan_quiet)"
    check "... and no mode was set" test "$(grep -c '^PowerSetUserConfigured' "$session_log")" = 0
    check "... named with its mode" test "$(last_tip)" = "Current power plan: Quiet Office (Balanced)."

    session_driver plan 'High Performance' >/dev/null
    session_front build.exe >/dev/null
    sleep 0.5
    check "build.exe brings Best Performance over Balanced" \
        test "$(last_tip)" = "Current power plan: Balanced (Best Performance)."
    session_front notes.exe >/dev/null
    sleep 3
    check "after it the mains mode of before comes back" \
        grep -q '^PowerSetUserConfiguredACPowerMode {00000000-0000-0000-0000-000000000000}' "$session_log"
    check "... and High Performance" test "$(active_plan)" = $plan_high
}

# No programs.txt: no hook at all, and a program in front changes nothing. No hotkeys.txt
# either: no hotkey is registered.
case_no_program_rules() {
    on_ac
    start
    session_front game.exe >/dev/null
    sleep 0.5
    check "without rules no foreground hook is registered" test "$(grep -c '^SetWinEventHook' "$session_log")" = 0
    check "... and nothing switches but the start-up's" test "$(switches)" = 1
    check "without hotkeys.txt no hotkey is registered" test "$(grep -c 'HotKey ' "$session_log")" = 0
}

hotkey_lines() { session_driver lines Hotkeys 1111; }

# hotkeys.txt with Power Saver, Next and High Performance, whose key another program in the
# desktop holds: the others work, pressed on the keyboard, and the window shows the taken one.
# Next's key typed into the window's hotkey control for Balanced moves there, and once saved
# with Enter it brings Balanced.
case_hotkeys() {
    printf '%s\r\n' "{$plan_saver}	Ctrl+Alt+P" 'next	Ctrl+Alt+N' "{$plan_high}	Ctrl+Alt+H" \
        'not a hotkey' >"$work/hotkeys.txt"
    on_ac
    key_taken_at_start=Ctrl+Alt+H start
    check "the keys are registered without repeats, by id" \
        grep -qx 'RegisterHotKey 1 Ctrl+Alt+P 0x4003 registered' "$session_log"
    check "... the key another program holds is taken" \
        grep -qx 'RegisterHotKey 3 Ctrl+Alt+H 0x4003 taken' "$session_log"
    local before
    before=$(switches)
    session_driver key Ctrl+Alt+P >/dev/null
    sleep 0.5
    check "Ctrl+Alt+P makes Power Saver active" test "$(last_switch)" = "$(upper $plan_saver)"
    check "... in one switch" test "$(switches)" = $((before + 1))
    check "... announced as a menu choice is" \
        grep -q '^tray balloon The power plan has been changed to Power Saver\.' "$session_log"
    session_driver key Ctrl+Alt+N >/dev/null
    sleep 0.5
    check "Ctrl+Alt+N steps on to the next in the menu's order, Quiet Office" \
        test "$(last_switch)" = "$(upper $plan_quiet)"
    session_driver key Ctrl+Alt+H >/dev/null
    sleep 0.5
    check "the taken key is the other program's: nothing switches" test "$(switches)" = $((before + 2))

    session_wait_balloon
    open_tray_menu
    click_main_item 4  # "Hotkeys..."
    sleep 1
    local x y w h
    read -r x y w h < <(session_driver dialog Hotkeys)
    check "the tray menu opens the hotkeys window" test -n "${w:-}"
    check "... which shows the held key as taken beside its target" \
        grep -qx 'High Performance	Ctrl+Alt+H (taken)' <(hotkey_lines)
    check "... and Next's key" grep -qx 'Next	Ctrl+Alt+N' <(hotkey_lines)
    xdotool mousemove 10 10
    sleep 0.3
    session_screenshot "$shots/hotkeys-full.png"
    [ -n "${w:-}" ] && convert "$shots/hotkeys-full.png" -crop "${w}x${h}+${x}+${y}" +repage \
        "$shots/hotkeys.png"

    # The list has the focus on Next: Down to Balanced, Tab to the hotkey control, then Next's
    # key, which reaches the control while the window is open, and moves to Balanced; Enter.
    xdotool key Down Tab
    sleep 0.3
    xdotool key ctrl+alt+n
    sleep 0.3
    check "a key pressed in the window is its control's, and switches nothing" \
        test "$(switches)" = $((before + 2))
    check "... Next's key moved to Balanced" grep -qx 'Balanced	Ctrl+Alt+N' <(hotkey_lines)
    check "... and is gone from Next" grep -qx 'Next	' <(hotkey_lines)
    xdotool key Return
    sleep 0.5
    check "Enter is OK: the window hides" test "$(session_driver dialog Hotkeys)" = absent
    check "... hotkeys.txt holds the moved key, the taken one kept, the unread line left out" \
        cmp -s "$work/hotkeys.txt" <(printf '%s\t%s\r\n' "$(upper $plan_saver)" Ctrl+Alt+P \
            "$(upper $plan_high)" Ctrl+Alt+H "$(upper $plan_balanced)" Ctrl+Alt+N)
    session_driver key Ctrl+Alt+N >/dev/null
    sleep 0.5
    check "the new key works at once: Balanced" test "$(last_switch)" = "$(upper $plan_balanced)"
}

# The command line, with no Quillmere running and then with one: the exit codes, the lines a
# script captures, the running one's tooltip, and /next round the menu's order.
# The desktop machine (Windows 7, always on AC, no battery), where nothing of the power modes,
# the program rules, the hotkeys or the command line is in use: the tooltip, the balloon, the
# menu (Exit still its last item, below "Program Rules..." and "Hotkeys..."), the settings
# window and config.txt are as they always were.
case_windows7_desktop() {
    session_machine=desktop
    on_ac
    start
    check "start-up on AC brings High Performance" test "$(last_switch)" = "$(upper $plan_high)"
    check "... named in the tooltip" test "$(last_tip)" = "Current power plan: High Performance."
    check "no hotkey and no foreground hook is registered" \
        test "$(grep -cE '^(RegisterHotKey|SetWinEventHook)' "$session_log")" = 0
    local sub
    sub=$(open_plan_menu | sed -n 2p)
    session_click_menu_item "$sub" 3 1 3  # "Power Saver", the last built-in item
    session_driver wait nomenu >/dev/null
    sleep 0.5
    check "the menu's Power Saver is switched to" test "$(active_plan)" = $plan_saver
    check "... announced in the balloon" test "$(grep '^tray balloon ' "$session_log" | tail -n 1 | cut -d' ' -f3-)" = \
        "The power plan has been changed to Power Saver."
    check "... and the tooltip" test "$(last_tip)" = "Current power plan: Power Saver."
    session_wait_balloon
    open_settings
    check "config.txt is the 133 bytes of the defaults" cmp -s "$work/config.txt" <(expected_config)
    check "the Plugged In list shows High Performance" \
        test "$(session_driver control 1007 | cut -d' ' -f5- | tr -d '\r')" = "High Performance"
    session_click_tray double
    session_driver wait hidden >/dev/null
    exit_from_menu
    check "Exit is the menu's last item and ends with code 0 (got $exit_code)" test "$exit_code" = 0
    check "... leaving Power Saver active" test "$(active_plan)" = $plan_saver
}

case_command_line() {
    on_ac
    session_start_x && session_boot && session_start_desktop || { echo "FAIL: no session"; exit 1; }
    local out code registrations
    out=$(session_command /plan "power saver")
    code=$?
    check "with none running, /plan switches by itself: exit 0 (got $code)" test "$code" = 0
    check "... says so on its standard output ($out)" \
        test "$out" = "The power plan has been changed to Power Saver."
    check "... Power Saver is active" test "$(active_plan)" = $plan_saver
    out=$(session_command /plan "No Such Plan")
    code=$?
    check "a plan that is not there: exit 1 (got $code)" test "$code" = 1
    check "... named in the line ($out)" test "$out" = 'There is no power plan named "No Such Plan".'
    out=$(session_command /frobnicate)
    code=$?
    check "an unknown argument: exit 1 (got $code) and the usage" \
        test "$code" = 1 -a "${out%%$'\n'*}" = "Usage: quillmere.exe [/plan NAME | /mode MODE | /next | /status | /?]"
    check "... and none of them added a tray icon" test "$(grep -c '^tray tip ' "$session_log")" = 0

    session_start_program "$work" || { echo "FAIL: no tray icon from quillmere.exe"; exit 1; }
    session_wait_startup_values || { echo "FAIL: the start-up values were not delivered"; exit 1; }
    registrations=$(grep -c '^registration ' "$session_log")
    out=$(session_command /plan "{A1841308-3541-4FAB-BC81-F71556F20B4A}")
    code=$?
    check "with one running, /plan by identifier: exit 0 (got $code)" test "$code" = 0
    check "... the running one's tooltip shows it" test "$(last_tip)" = "Current power plan: Power Saver."
    check "... and its balloon" test "$(grep '^tray balloon ' "$session_log" | tail -n 1 | cut -d' ' -f3-)" = \
        "The power plan has been changed to Power Saver."
    check "... and the command registered for nothing, as a tray program would" \
        test "$(grep -c '^registration ' "$session_log")" = "$registrations"
    session_command /status >"$work/state.txt"
    code=$?
    check "/status > state.txt: exit 0 (got $code)" test "$code" = 0
    check "... the file holds the plan and the source" \
        test "$(cat "$work/state.txt")" = "$(printf 'Power plan: Power Saver\nPower source: AC power')"
    # The menu's order: the user's plans, then High Performance, Balanced and Power Saver.
    local seen=""
    for _ in 1 2 3 4; do
        session_command /next >/dev/null
        seen="$seen$(last_tip | sed 's/^Current power plan: //') "
    done
    check "/next goes round the menu's order back to the first ($seen)" \
        test "$seen" = "Quiet Office. High Performance. Balanced. Power Saver. "
    check "the running one still runs" kill -0 "$session_program_pid"
}

case "$case_name" in
power_source | battery_rule | menu_plan | settings_file | startup_value | exit | day_two | \
    modern_standby | power_modes | windows10_modes | display_off_hung | planted_dlls | \
    second_start | keyboard | sleep_resume | tray_retry | program_rules | program_rules_mode | \
    no_program_rules | program_rules_settle | program_rules_windows11 | command_line | hotkeys | windows7_desktop)
    "case_$case_name" ;;
composition_7) case_composition win7 "enabled Aero On" ;;
composition_10) case_composition win10 "grayed Aero Off" ;;
# Windows 11 telling the program it is Windows 7 (a compatibility mode): the switch is offered,
# but composition is on, as it always is there.
composition_compat) case_composition win7 "enabled Aero Off" modern-standby ;;
*) echo "unknown case $case_name"; exit 2 ;;
esac
[ $failures = 0 ]
