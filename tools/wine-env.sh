# Sourced by every script that starts Wine (tools/wine-run, tools/desktop-session.sh, the
# desktop tests, bench/run): the one place that decides how Wine is started.
#
#   wine_use ARCH        ARCH win64 or win32: sets WINE, the loader to start programs with,
#                        and exports WINELOADER and WINESERVER to match
#   wine_host_runs_x86   true when 32-bit Windows programs can run here; when not, sets
#                        wine_no_x86 to the reason, one of two: the kernel refuses 32-bit code
#                        ("this host cannot run 32-bit x86 code"), or it runs it but Wine's
#                        32-bit half is not installed ("Wine's 32-bit half is not installed:
#                        ...", with apt's reason when tools/install-deps could not install it)
#   wine_kernel_runs_x86 true when the kernel executes 32-bit x86 programs, Wine or not
#
# Debian's /usr/bin/wine always starts the 32-bit loader first when wine32 is installed, and
# lets it hand 64-bit programs on to wine64. A kernel without IA-32 emulation refuses that
# first step, so even a 64-bit exe fails with "Exec format error". A 64-bit prefix therefore
# gets the 64-bit loader directly, which works the same on both kinds of host and saves the
# detour where 32-bit code runs.

wine_no_x86="this host cannot run 32-bit x86 code"
# Where tools/install-deps leaves apt's reason when it could not install the 32-bit half.
wine_x86_missing_file="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine32-not-installed.txt"

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

# A 32-bit x86 Linux program of 93 bytes that only calls exit(0): the kernel runs it or refuses
# it with "Exec format error", whatever is installed. Where the 32-bit ELF loader is there it is
# asked instead, so covering it (tools/newcomer-check --no-x86) plays a kernel that refuses.
wine_kernel_runs_x86() {
    if [ -e /lib/ld-linux.so.2 ]; then
        /lib/ld-linux.so.2 --version >/dev/null 2>&1
        return
    fi
    local probe status
    probe=$(mktemp) || return 1
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'\
'\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00'\
'\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'\
'\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    status=$?
    rm -f "$probe"
    return $status
}

# Asks the 32-bit loader itself: it is exactly what a 32-bit prefix needs. When it does not
# start, the kernel is asked, so the reason says which of the two is missing.
wine_host_runs_x86() {
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
    if ! wine_kernel_runs_x86; then
        wine_no_x86="this host cannot run 32-bit x86 code"
    elif [ -s "$wine_x86_missing_file" ]; then
        wine_no_x86="Wine's 32-bit half is not installed: $(head -n 1 "$wine_x86_missing_file")"
    else
        wine_no_x86="Wine's 32-bit half is not installed: wine32:i386 is missing (tools/install-deps installs it)"
    fi
    return 1
}
