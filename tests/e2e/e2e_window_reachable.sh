#!/usr/bin/env bash
# Whatever size the store holds, the tray brings back a window that can be
# seen and used: at least as large as the home platform lets a window be
# (136 by 39 pixels, caption and tab row in sight) and on the screen. A
# negative size is refused, even one too small to make a pixel.
source "$(dirname "$0")/lib.sh"

desktop_start
# label | left | top | width | height
while IFS='|' read -r label left top width height; do
    store_set left "$left" top "$top" width "$width" height "$height"
    orbo_start
    wait_until 10 tray_icon_id >/dev/null || fail "$label: no tray icon"
    click_tray
    wait_until 5 window_is_viewable || fail "$label: the tray click showed no window"
    read -r x y w h < <(window_area)
    ((w >= 136 && h >= 39)) || fail "$label: the window is only ${w}x$h pixels"
    ((x < 1280 && y < 800 && x + w > 0 && y + h > 0)) || fail "$label: the window is off the screen at $x,$y"
    orbo_stop
done <<'ROWS'
width 0|10|10|0|2000
height 0|10|10|5000|0
minus zero|10|10|-0|-0
smallest float|10|10|1e-45|1e-45
blanks around 12| 10 | 10 | 12 | 12 
300 twips|10|10|300|300
negative, rounds to 0|10|10|-7|-7
closed while minimised|-32000|-32000|2400|405
ROWS
echo "ok"
