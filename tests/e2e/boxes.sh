#!/usr/bin/env bash
# Boxes as a window manager sees them: a verbose list taller than the screen keeps its buttons
# on the screen, and the print boxes have an empty title, not the program's name.
#   boxes.sh PROGRAM
set -euo pipefail

program=$1
[ -x /usr/sbin/cupsd ] || { echo "SKIP: cupsd is not installed"; exit 77; }
screen=1280x1024x24
. "$(dirname "$0")/x11_session.sh"

# A hundred pages: the verbose list of files to display has a hundred lines, one of them wider
# than the screen, which the box wraps rather than grow.
mkdir "$work/motd"
for i in $(seq 100); do
  printf 'Message %d\n' "$i" >"$work/motd/message_number_$i.txt"
done
mv "$work/motd/message_number_100.txt" "$work/motd/message_number_100_$(printf 'x%.0s' $(seq 200))"
start_program /v /f /@ "$work/motd"
box=$(window_of "Information")
eval "$(xwininfo -id "$box" | awk '/Absolute upper-left X:/ {print "left=" $4}
  /Absolute upper-left Y:/ {print "top=" $4} /Width:/ {print "width=" $2} /Height:/ {print "height=" $2}')"
[ "$left" -ge 0 ] && [ $((left + width)) -le 1280 ] && [ "$top" -ge 0 ] && [ $((top + height)) -le 1024 ] ||
  fail "the list box runs off the 1280 x 1024 screen: at $left,$top, $width x $height"
# Its OK button is on the screen and has the focus.
xdotool windowfocus --sync "$box" key Return
window_of "Information Page 1 of 100" >/dev/null
kill "$program_pid"

# Clicks the print button, at 358,293 in the window.
print_page() {
  start_program /f "$work/motd/message_number_1.txt"
  window=$(window_of "Information")
  xdotool mousemove --window "$window" 368 303 click 1
}
print_box() { xdotool search --onlyvisible --pid "$program_pid" | grep -vx "$window" | head -n1; }

# Printing without a printer: the print service and the window's own printing both fail.
CUPS_SERVER="$work/no-cups-here" print_page
wait_for eval '[ -n "$(print_box)" ]' || fail "no print box: $(cat "$work/program.log")"
names=$(xprop -id "$(print_box)" _NET_WM_NAME WM_NAME)
grep -Eqx '_NET_WM_NAME\(UTF8_STRING\) = ("")?' <<<"$names" &&
  grep -Eqx 'WM_NAME\(STRING\) = ("")?' <<<"$names" || fail "the print box has a title: $names"
kill "$program_pid"

# A private CUPS server whose one queue is the default: the print service sends the file there
# under its own name, and nothing more is said.
cups="$work/cups"
mkdir -p "$cups/etc" "$cups/spool" "$cups/log"
printf 'Listen %s\nLogLevel info\nBrowsing No\n<Location />\nAllow all\n</Location>\n' "$cups/sock" \
  >"$cups/etc/cupsd.conf"
printf '%s %s\n' ServerRoot "$cups/etc" RequestRoot "$cups/spool" TempDir "$cups/spool" \
  CacheDir "$cups/spool" StateDir "$cups/spool" ErrorLog "$cups/log/error" FileDevice Yes \
  >"$cups/etc/cups-files.conf"
printf '<DefaultPrinter out>\nDeviceURI file:///dev/null\nState Idle\nAccepting Yes\n</Printer>\n' \
  >"$cups/etc/printers.conf"
/usr/sbin/cupsd -f -c "$cups/etc/cupsd.conf" -s "$cups/etc/cups-files.conf" &
server_pids="$server_pids $!"
# Its socket is there a moment before it listens on it: wait until it says it does.
wait_for grep -q "Listening to $cups/sock" "$cups/log/error" ||
  fail "the private CUPS server did not start: $(cat "$cups/log/error")"
CUPS_SERVER="$cups/sock" print_page
wait_for grep -qa "message_number_1.txt" "$cups/spool/c00001" || fail "no print job"
[ -z "$(print_box)" ] || fail "a print box came up although CUPS took the job"
# Once the window is closed the printing is over: the window did not print the page itself too.
press_in "Information" Return
expect_program_exit 0
[ ! -e "$cups/spool/c00002" ] || fail "the page was printed twice"
echo "PASS: a 100-line box fits a 1024-pixel screen; the print boxes and CUPS"
