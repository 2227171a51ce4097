# Sourced by every script that starts Wine (tools/wine-run, tools/desktop-session.sh, the
# desktop tests, bench/run): the one place that decides how Wine is started.
#
#   wine_use ARCH        ARCH win64 or win32: sets WINE, the loader to start programs with,
#                        and exports WINELOADER and WINESERVER to match
#   wine_host_runs_x86   true when this host can execute 32-bit x86 code
#   wine_no_x86          the reason printed when it cannot
#
# Debian's /usr/bin/wine always starts the 32-bit loader first when wine32 is installed, and
# lets it hand 64-bit programs on to wine64. A kernel without IA-32 emulation refuses that
# first step, so even a 64-bit exe fails with "Exec format error". A 64-bit prefix therefore
# gets the 64-bit loader directly, which works the same on both kinds of host and saves the
# detour where 32-bit code runs.

wine_no_x86="this host cannot run 32-bit x86 code"

wine_loader_of() {  # wine_loader_of ARCH
    local wanted=/usr/lib/wine/wine
    [ "$1" = win64 ] && wanted=/usr/lib/wine/wine64
    if [ -x "$wanted" ]; then
        echo "$wanted"
    elif [ "$1" = win64 ] && command -v wine64 >/dev/null; then
        command -v wine64
    else
        command -v wine
    fi
}

wine_use() {  # wine_use ARCH
    WINE=$(wine_loader_of "$1")
    export WINELOADER=$WINE
    # The server is a 64-bit program wherever the 64-bit half is installed.
    if [ -x /usr/lib/wine/wineserver64 ]; then
        export WINESERVER=/usr/lib/wine/wineserver64
    elif [ -x /usr/lib/wine/wineserver32 ]; then
        export WINESERVER=/usr/lib/wine/wineserver32
    else
        WINESERVER=$(command -v wineserver)
        export WINESERVER
    fi
}

# Asks the 32-bit loader itself: it is exactly what a 32-bit prefix needs, and it fails at
# once, with "Exec format error", where the kernel refuses 32-bit code.
wine_host_runs_x86() {
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}
