# shellcheck shell=bash
# Sourced by the scripts that drive the window under a virtual screen with xdotool
# (demo-gif.sh, manual-shots.sh), from the top of the checkout.

# run_on_virtual_screen MARKER "$@": runs the calling script again under a virtual 1280x800
# screen, unless the variable named MARKER says it already runs under one.
run_on_virtual_screen() {
    local marker=$1
    shift
    if [ -z "${!marker:-}" ]; then
        exec xvfb-run -a -s "-screen 0 1280x800x24" env "$marker=1" "$0" "$@"
    fi
}

# use_private_settings FOLDER: the window's settings and runtime files go below FOLDER,
# never to the user's own.
use_private_settings() {
    mkdir -p "$1/config" "$1/runtime"
    chmod 700 "$1/runtime"
    export XDG_CONFIG_HOME="$1/config" XDG_RUNTIME_DIR="$1/runtime"
}

# Waits until a top-level window with exactly this title exists and prints its id.
window_named() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.2
    done
    echo "no window \"$1\" appeared" >&2
    return 1
}

# Waits until no window with exactly this title is left.
window_gone() {
    for _ in $(seq 100); do
        xdotool search --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.2
    done
    echo "window \"$1\" did not close" >&2
    return 1
}
