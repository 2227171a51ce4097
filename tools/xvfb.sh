# Sourced by tools/test, tools/wine-run and tools/desktop-session.sh: a private X server.
#
#   xvfb_start WIDTHxHEIGHT   starts Xvfb on a free display, exports DISPLAY, sets xvfb_pid
#
# Xvfb picks the display itself (-displayfd) and says which once it accepts clients. Guessing a
# free number from /tmp/.X11-unix fails where another server holds that number only as an
# abstract socket (another mount namespace, a chroot): the new server exits at once.

xvfb_start() {
    local answer number=
    answer=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$answer" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 300); do
        number=$(grep -x '[0-9][0-9]*' "$answer")
        [ -n "$number" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$answer"
    [ -n "$number" ] || { kill "$xvfb_pid" 2>/dev/null; xvfb_pid=; return 1; }
    export DISPLAY=:$number
}
