#!/usr/bin/env bash
# Shown windows lie within the work area (the screen less its panels), so
# that their caption can be reached and dragged: with a panel at the top, at
# the first start's default place and at a stored place and size that do not
# fit; and "Frühere Fassungen" on a small screen (1280x800 at scale 2). The
# stored geometry stays what the user left, unless the user moves the window.
source "$(dirname "$0")/lib.sh"

# The work area and a window's outer frame: "LEFT TOP RIGHT BOTTOM" (the
# right and bottom edges exclusive) in pixels.
work_area() { xprop -root _NET_WORKAREA | awk -F'[=,]' '{print $2, $3, $2 + $4, $3 + $5}'; }
frame_of() {
    local x y w h fl fr ft fb
    read -r x y w h < <(xwininfo -id "$1" |
        awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width:/ {w=$NF} /Height:/ {h=$NF}
             END {print x, y, w, h}')
    read -r fl fr ft fb < <(xprop -id "$1" _NET_FRAME_EXTENTS | awk -F'[=,]' '{print $2, $3, $4, $5}')
    echo $((x - fl)) $((y - ft)) $((x + w + fr)) $((y + h + fb))
}
# within_work_area WINDOW: its frame lies within the work area.
within_work_area() {
    local l t r b al at ar ab
    read -r l t r b < <(frame_of "$1")
    read -r al at ar ab < <(work_area)
    ((l >= al && t >= at && r <= ar && b <= ab))
}
# Framed: the window manager has put its frame around the window.
framed() { xprop -id "$1" _NET_FRAME_EXTENTS | grep -q '='; }
# show_within WHAT: the main window, shown from the tray, within the work area.
show_within() {
    show_by_tray
    wait_until 5 framed "$(main_window_id)" || fail "$1: the window was not framed"
    wait_until 5 within_work_area "$(main_window_id)" ||
        fail "$1: the frame $(frame_of "$(main_window_id)") is not within the work area $(work_area)"
}

export ICEWM_PREFERENCES="TaskBarAtTop=1"
desktop_start
read -r _ top _ _ < <(work_area)
((top > 0)) || fail "the panel at the top takes no room: work area $(work_area)"

# label | left | top | width | height (empty: nothing stored)
while IFS='|' read -r label left top width height; do
    [[ -n "$left" ]] && store_set left "$left" top "$top" width "$width" height "$height"
    orbo_start
    wait_until 10 tray_icon_id >/dev/null || fail "$label: no tray icon"
    show_within "$label"
    close_window
    wait_until 5 window_is_hidden || fail "$label: closing did not hide the window"
    got=$(stored_geometry)
    if [[ -n "$left" ]]; then
        [[ "$got" == "$left $top $width $height" ]] || fail "$label: $left $top $width $height was stored as $got"
    else
        [[ "$got" == "10 10 "* ]] || fail "$label: the default place was stored as $got"
    fi
    show_within "$label, shown again"
    orbo_stop
done <<'ROWS'
first start|||
larger than the screen, above it|-3000|-600|30000|20000
below the panel|300|450|6000|3000
ROWS

# Moved by the user: the new place is stored.
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "no tray icon"
show_within "before the move"
read -r before _ < <(frame_of "$(main_window_id)")
wmctrl -i -r "$(main_window_id)" -e 0,200,300,-1,-1
left_now() { read -r l _ < <(frame_of "$(main_window_id)") && echo "$l"; }
moved() { (($(left_now) != before)); }
wait_until 5 moved || fail "the window manager did not move the window: $(frame_of "$(main_window_id)")"
after=$(left_now)
close_window
wait_until 5 window_is_hidden || fail "closing did not hide the moved window"
# 15 twips a pixel at 96 DPI.
[[ "$(store_value left)" == $((after * 15)) ]] || fail "the moved window's place was not stored: $(stored_geometry)"
orbo_stop

# "Frühere Fassungen" on a screen of 640x400 pixels to Qt.
export QT_SCALE_FACTOR=2
orbo_start
wait_until 10 tray_icon_id >/dev/null || fail "scale 2: no tray icon"
menu_choose f
versions_window() { xdotool search --onlyvisible --pid "$ORBO_PID" --name '^Frühere Fassungen$' 2>/dev/null | head -n1; }
wait_until 5 versions_window >/dev/null || fail "scale 2: Frühere Fassungen… opened no window"
wait_until 5 framed "$(versions_window)" || fail "scale 2: the versions window was not framed"
wait_until 5 within_work_area "$(versions_window)" ||
    fail "scale 2: the versions window $(frame_of "$(versions_window)") is not within the work area $(work_area)"
echo "ok"
