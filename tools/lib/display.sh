# A private X display for the tools and the end-to-end staging; sourced.
#
#   display_start   when DISPLAY is unset: starts Xvfb on a free display
#                   number, exports DISPLAY and keeps the server's id in
#                   DISPLAY_XVFB_PID; with a DISPLAY it does nothing
#   display_stop    stops that Xvfb by its id, and nothing else
#
# Xvfb picks the number itself (-displayfd) and names it once it accepts
# connections, so two scripts starting at the same moment never race for one.

DISPLAY_XVFB_PID=""

display_start() {
    [ -n "${DISPLAY:-}" ] && return 0
    command -v Xvfb >/dev/null || { echo "display: no DISPLAY and no Xvfb" >&2; return 1; }
    local number_file
    number_file="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    DISPLAY_XVFB_PID=$!
    for _ in $(seq 1 100); do
        [ -s "$number_file" ] && break
        kill -0 "$DISPLAY_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    local number
    number="$(tr -dc 0-9 <"$number_file")"
    rm -f "$number_file"
    if [ -z "$number" ]; then
        display_stop
        echo "display: could not start Xvfb" >&2
        return 1
    fi
    export DISPLAY=":$number"
}

display_stop() {
    [ -n "$DISPLAY_XVFB_PID" ] || return 0
    kill "$DISPLAY_XVFB_PID" 2>/dev/null || true
    wait "$DISPLAY_XVFB_PID" 2>/dev/null || true
    DISPLAY_XVFB_PID=""
}
