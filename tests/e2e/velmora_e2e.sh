#!/usr/bin/env bash
# End to end: the real velmora under Xvfb. Waits for both windows, checks the first chart,
# clicks "gain maxi", types 60 into the input box, presses Enter, then checks the caption and
# the chart window's new image, and quits through the menu. Then starts velmora on a session
# file: the chart shows its loci; the chart window, resized, shows the chart drawn at its new
# size. Drags a locus, undoes and saves. On a screen of density 2 (QT_SCALE_FACTOR=2), the chart
# window shows the image velmora-render --scale 2 draws. Under a window manager, checks the
# frames. Leaves no process behind.
# Usage: velmora_e2e.sh VELMORA VELMORA_RENDER PROBE
set -euo pipefail
velmora=$1 render=$2 probe=$3
work=$(mktemp -d)
xvfb_pid="" app_pid=""

# Ends a process: politely, then for good after 5 s.
stop() {
    kill "$1" 2>/dev/null || return 0
    for _ in $(seq 50); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

cleanup() {
    [ -n "$app_pid" ] && stop "$app_pid"
    [ -n "$xvfb_pid" ] && stop "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "ÉCHEC : $*" >&2
    [ -s "$work/velmora.log" ] && sed 's/^/velmora: /' "$work/velmora.log" >&2
    exit 1
}

# Waits up to 20 s for a condition given as a command.
wait_for() {
    for _ in $(seq 200); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# Xvfb picks a free display itself and writes its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
wait_for test -s "$work/display" || fail "Xvfb n'a pas démarré"
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
# Xvfb names its display as soon as it has one, which can be before it answers clients.
wait_for xdotool getdisplaygeometry || fail "Xvfb ne répond pas"

# Waits for the main window while the program runs; fails at once if it has ended.
main_window_shown() {
    kill -0 "$app_pid" 2>/dev/null || return 2
    xdotool search --name '^Velmora( — .*)?[*]?$' >/dev/null 2>&1
}

start_velmora() {
    "$velmora" "$@" 2>"$work/velmora.log" &
    app_pid=$!
    local status
    for _ in $(seq 200); do
        status=0
        main_window_shown || status=$?
        [ "$status" -eq 0 ] && return 0
        [ "$status" -eq 2 ] && return 2
        sleep 0.1
    done
    return 1
}

# A program that ends before showing its window gets one more try, its first words printed:
# the X connection of a freshly started server is the one thing outside this test's control.
launch() {
    local started=0
    start_velmora "$@" || started=$?
    if [ "$started" -eq 2 ]; then
        echo "velmora s'est arrêté au démarrage ; nouvel essai" >&2
        sed 's/^/velmora: /' "$work/velmora.log" >&2
        app_pid=""
        start_velmora "$@" || fail "fenêtre principale absente"
    elif [ "$started" -ne 0 ]; then
        fail "fenêtre principale absente"
    fi
    wait_for xdotool search --name '^Abaque$' || fail "fenêtre de l'abaque absente"
    main=$(xdotool search --name '^Velmora( — .*)?[*]?$' | head -n 1)
    chart=$(xdotool search --name '^Abaque$' | head -n 1)
}

# "Quitter" ends the program by itself.
quit_velmora() { # $1: the screen's density, 1 by default
    xdotool mousemove --window "$main" $((quit_x * ${1:-1})) $((quit_y * ${1:-1})) click 1
    for _ in $(seq 100); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app_pid" 2>/dev/null && fail "velmora ne s'est pas terminé par « Quitter »"
    wait "$app_pid" || fail "velmora s'est terminé en erreur"
    app_pid=""
}

chart_shows() { # $1: expected image of the chart, $2 x $3 its size (300 x 475 by default)
    "$probe" grab "$chart" "$work/shot.png" \
        && "$probe" same "$work/shot.png" "$1" 0 0 "${2:-300}" "${3:-475}"
}

launch

"$render" -o "$work/default.png"
wait_for chart_shows "$work/default.png" || fail "l'abaque par défaut n'est pas affiché"

read -r _ label_x label_y < <("$probe" layout | grep '^label4')
read -r _ quit_x quit_y < <("$probe" layout | grep '^quitter')

xdotool mousemove --window "$main" "$label_x" "$label_y" click 1
wait_for xdotool search --name '^Entrée valeur$' || fail "pas de boîte de saisie"
box=$(xdotool search --name '^Entrée valeur$' | head -n 1)
xdotool windowfocus --sync "$box"
# The default text "40" is selected: typing replaces it.
xdotool type --delay 40 "60"
xdotool key Return
wait_for sh -c "! xdotool search --name '^Entrée valeur\$'" || fail "la boîte de saisie reste ouverte"

"$render" --gain-max 60 -o "$work/gain60.png"
wait_for chart_shows "$work/gain60.png" || fail "l'abaque n'a pas été redessiné pour 60 dB"

read -r cap_x cap_y cap_w cap_h < <("$probe" caption "gain maxi= 60dB" "$work/caption.png")
caption_shows() {
    "$probe" grab "$main" "$work/main.png" \
        && "$probe" same "$work/main.png" "$work/caption.png" "$cap_x" "$cap_y" "$cap_w" "$cap_h"
}
wait_for caption_shows || fail "la légende ne montre pas « gain maxi= 60dB »"

quit_velmora

# A session given at start: its loci are drawn as velmora-render draws the same session.
cat >"$work/boucles.velmora" <<'JSON'
{"format": "velmora-session", "version": 1,
 "loops": [{"expression": "4/(s*(1+0.5*s)*(1+0.1*s))", "color": "#C80000"},
           {"expression": "10*exp(-0.1*s)/(s*(s+2))", "color": "#005AC8", "gain_db": -6}]}
JSON
launch "$work/boucles.velmora"
"$render" --session "$work/boucles.velmora" -o "$work/session.png"
wait_for chart_shows "$work/session.png" || fail "les lieux de la session ne sont pas dessinés"

# Resized, the chart window draws the chart at the size of its area above the read-out line.
xdotool windowsize "$chart" 520 718
"$render" --session "$work/boucles.velmora" --width 520 --height 700 -o "$work/resized.png"
wait_for chart_shows "$work/resized.png" 520 700 \
    || fail "l'abaque n'est pas redessiné à la taille de la fenêtre"
quit_velmora

# Undo and save: a locus dragged up twice, the second drag undone with Ctrl+Z, the session saved
# with Ctrl+S: the file holds the gain of the first drag, and the title loses its mark.
cat >"$work/e2e.velmora" <<'JSON'
{"format": "velmora-session", "version": 1,
 "loops": [{"expression": "4/(s*(s+1)*(s+2))", "color": "#C80000"}]}
JSON
launch "$work/e2e.velmora"
wait_for xdotool search --name '^Velmora — e2e.velmora$' || fail "la session n'est pas ouverte"
read -r grip_x grip_y < <("$probe" locus "$work/e2e.velmora")
drag() { # from (x, y) of the chart window, $3 pixels up
    xdotool mousemove --window "$chart" "$1" "$2" mousedown 1
    for step in 5 10 15 20 25 30; do
        [ "$step" -le "$3" ] && xdotool mousemove --window "$chart" "$1" $(($2 - step))
    done
    xdotool mousemove --window "$chart" "$1" $(($2 - $3)) mouseup 1
}
drag "$grip_x" "$grip_y" 30
wait_for xdotool search --name '^Velmora — e2e.velmora[*]$' || fail "pas de marque de modification"
drag "$grip_x" $((grip_y - 30)) 20
xdotool windowfocus --sync "$main"
xdotool key ctrl+z
xdotool key ctrl+s
wait_for xdotool search --name '^Velmora — e2e.velmora$' || fail "la session n'est pas enregistrée"
saved_gain() {
    python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["loops"][0]["gain_db"])' \
        "$work/e2e.velmora"
}
# 30 pixels up on a 455-pixel frame of 70 dB: 4.615 dB.
wait_for python3 -c "import sys; sys.exit(abs($(saved_gain) - 30 * 70 / 455) > 1e-9)" \
    || fail "gain enregistré $(saved_gain) au lieu de 4.615"
quit_velmora

# On a screen of density 2 the chart is drawn for the screen's pixels: the window shows, pixel
# for pixel, what velmora-render --scale 2 draws. The chart window is brought to the screen's
# corner, where it lies wholly on the screen, and the main window beside it.
export QT_SCALE_FACTOR=2
launch "$work/boucles.velmora"
unset QT_SCALE_FACTOR
xdotool windowmove --sync "$chart" 0 0
xdotool windowmove --sync "$main" 700 0
xdotool windowraise "$chart"
"$render" --session "$work/boucles.velmora" --scale 2 -o "$work/dense.png"
wait_for chart_shows "$work/dense.png" 600 950 \
    || fail "l'abaque n'est pas dessiné pour un écran de densité 2"
quit_velmora 2

# Under a window manager: the chart window asks for a title bar and nothing else (the Motif
# hints managers read: move and resize, border, resize handles and title), and both windows'
# frames measure their designed outer sizes.
hints() { xprop -id "$1" _MOTIF_WM_HINTS | sed 's/.* = //'; }
outer() { # the frame's size: the window's and the extents the manager put around it
    local extents geometry
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p' | tr -d ,)
    geometry=$(xdotool getwindowgeometry "$1" 2>/dev/null | sed -n 's/.*Geometry: //p')
    [ -n "$extents" ] && [ -n "$geometry" ] || { echo "sans cadre"; return 0; }
    read -r l r t b <<<"$extents"
    echo "$((${geometry%x*} + l + r))x$((${geometry#*x} + t + b))"
}
frames_fit() { [ "$(outer "$main")" = 471x380 ] && [ "$(outer "$chart")" = 340x530 ]; }
# Openbox names itself on the root window before it manages windows; the work area comes last.
wm_running() { kill -0 "$wm_pid" 2>/dev/null && xprop -root _NET_WORKAREA | grep -q CARDINAL; }
# The manager, like any client of a freshly started server, at times fails to connect or to
# frame the windows mapped as it starts: the whole stage is tried three times, and only a
# manager that frames the windows wrongly fails it.
framed=""
for attempt in 1 2 3; do
    openbox >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    if wait_for wm_running; then
        launch
        [ "$(hints "$chart")" = "0x3, 0x6, 0xe, 0x0, 0x0" ] \
            || fail "indications de cadre de l'abaque : $(hints "$chart")"
        if wait_for frames_fit; then
            framed=yes
        elif wm_running; then
            fail "cadres : $(outer "$main") et $(outer "$chart") au lieu de 471x380 et 340x530"
        fi
        quit_velmora
    fi
    stop "$wm_pid"
    [ -n "$framed" ] && break
    echo "gestionnaire de fenêtres indisponible (essai $attempt) : $(tr '\n' ' ' <"$work/openbox.log")" >&2
done
[ -n "$framed" ] || fail "aucun gestionnaire de fenêtres n'a pu encadrer les fenêtres"
echo "5 passed, 0 failed"
