#!/usr/bin/env bash
# A D-Bus tray (StatusNotifierItem) as Xfce, KDE and waybar have it, with a
# real session bus and xfce4-panel: the program starts first and its window
# stays on screen; the panel comes second and the icon registers within 2 s,
# named "Pindel" and found by name without pictures; Activate brings the
# window back, the panel draws the menu and it is used with the keyboard;
# after the panel restarts the icon is back; a message that no notification
# service can show comes as a message box.
source "$(dirname "$0")/lib.sh"

desktop_start --no-taskbar
session_bus_start
orbo_start
wait_until 10 window_is_viewable || fail "without a tray the window is not on screen"

item_property() {
    gdbus call --session --dest "$(orbo_item)" --object-path /StatusNotifierItem \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem "$1"
}
activate() {
    gdbus call --session --dest "$(orbo_item)" --object-path /StatusNotifierItem \
        --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
}
# icon_menu KEY...: a right click on the icon in the panel, then the keys.
icon_menu() {
    local panel
    panel=$(xdotool search --onlyvisible --class xfce4-panel | head -n1)
    xdotool mousemove --window "$panel" 25 15 click 3
    wait_until 5 _panel_menu_open || fail "the panel drew no menu"
    xdotool key "$@"
    wait_until 5 _panel_menu_closed || fail "the panel's menu stayed open"
}
_panel_menu_closed() { ! _panel_menu_open; }
# The tray plugin runs in a wrapper process, which draws the menu.
_panel_menu_open() {
    local id
    for id in $(xdotool search --onlyvisible --class 'xfce4-panel|wrapper-2.0' 2>/dev/null); do
        xwininfo -id "$id" | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}

panel_start
wait_until 2 orbo_item >/dev/null || fail "the icon did not register within 2 s of the tray"
[[ "$(item_property Title)" == "(<'Pindel'>,)" ]] || fail "the item is titled $(item_property Title)"
[[ "$(item_property IconName)" == "(<'orbo'>,)" ]] || fail "icon name $(item_property IconName)"
[[ "$(item_property IconPixmap)" == "(<@a(iiay) []>,)" ]] || fail "the item sends pictures"
kill -0 "$ORBO_PID" || fail "the program ended"
screenshot "registered"

close_window
wait_until 5 window_is_hidden || fail "with the tray up, closing did not hide the window"
activate
wait_until 5 window_is_viewable || fail "Activate did not show the window"
close_window
wait_until 5 window_is_hidden || fail "closing did not hide the window"

icon_menu Down Return
wait_until 5 window_is_viewable || fail "Öffnen from the panel's menu did not show the window"
close_window
wait_until 5 window_is_hidden || fail "closing did not hide the window"
autostart="$XDG_CONFIG_HOME/autostart/orbo.desktop"
icon_menu Down Down Return
wait_until 5 test -f "$autostart" || fail "the panel's menu did not switch on starting at login"

# The panel restarts: the icon comes back by itself.
panel_stop
wait_until 5 bash -c '! gdbus introspect --session --dest org.kde.StatusNotifierWatcher --object-path / >/dev/null 2>&1' ||
    fail "the old panel did not go"
panel_start
wait_until 2 orbo_item >/dev/null || fail "the icon did not come back within 2 s after the panel restarted"
activate
wait_until 5 window_is_viewable || fail "Activate after the restart did not show the window"

# No notification service on this bus: a failure is told in a message box.
rm -f "$autostart"
rm -rf "$XDG_CONFIG_HOME/autostart"
touch "$XDG_CONFIG_HOME/autostart"
close_window
wait_until 5 window_is_hidden || fail "closing did not hide the window"
icon_menu Down Down Return
message_box() { xdotool search --onlyvisible --pid "$ORBO_PID" --name '^Pindel$' >/dev/null 2>&1; }
wait_until 5 message_box || fail "no message box told the failure"
grep -q "Autostart-Eintrag.*kann nicht geschrieben werden" "$E2E_TMP/orbo.log" || fail "the failure is not on stderr"
screenshot "message-box"
echo "ok"
