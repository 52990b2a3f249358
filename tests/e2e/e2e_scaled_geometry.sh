#!/usr/bin/env bash
# At every scale a desktop sets (100 % to 200 %, by each of the ways desktops
# set it), the window comes back where it was left, start after start,
# without the user doing anything: the stored geometry must not creep by the
# window manager's frame or by rounding. Every other run closes the window
# the moment it is on screen, before it has the focus; the others once it is
# active.
source "$(dirname "$0")/lib.sh"

cycles=${CYCLES:-20}
# Fits on the 1280x800 screen at 200 % (640x400 pixels to Qt) with its frame,
# and is no whole number of pixels at any of the scales.
left=1234 top=645 width=6007 height=4005

desktop_start
# The Xft.dpi row comes last: the resource stays on the display.
while read -r scale setting; do
    case "$setting" in
    Xft.dpi:*) echo "Xft.dpi: ${setting#Xft.dpi:}" | xrdb -merge ;;
    QT_*) export "${setting?}" ;;
    esac
    for ((cycle = 1; cycle <= cycles; cycle++)); do
        # Each run starts from the same numbers in a form the program does
        # not write, so that each run's close is seen to have written them.
        store_set left "$left.0" top "$top.0" width "$width.0" height "$height.0"
        orbo_start
        wait_until 10 tray_icon_id >/dev/null || fail "scale $scale, run $cycle: no tray icon"
        click_tray
        wait_until 5 window_is_viewable || fail "scale $scale, run $cycle: the tray click showed no window"
        if ((cycle == 1)); then
            # 6007 twips are 400 pixels to Qt, frame included.
            read -r _ _ w _ < <(window_area)
            awk -v w="$w" -v s="$scale" 'BEGIN { exit !(w > 360 * s && w < 400 * s) }' ||
                fail "scale $scale ($setting) did not take: the window is $w pixels wide"
        fi
        if ((cycle % 2 == 0)); then
            wait_until 5 window_is_active || fail "scale $scale, run $cycle: the window never became active"
        fi
        close_window
        wait_until 5 window_is_hidden || fail "scale $scale, run $cycle: closing did not hide the window"
        orbo_stop
        got=$(stored_geometry)
        [[ "$got" == "$left $top $width $height" ]] ||
            fail "scale $scale ($setting), run $cycle: $left $top $width $height came back as $got"
    done
    [[ "$setting" == QT_* ]] && unset "${setting%%=*}"
done <<'ROWS'
1    -
1.25 QT_SCREEN_SCALE_FACTORS=1.25
2    QT_SCALE_FACTOR=2
1.5  Xft.dpi:144
ROWS
echo "ok"
