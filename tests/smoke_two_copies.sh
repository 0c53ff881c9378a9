#!/usr/bin/env bash
# Two copies of the built program on one X display, connected over loopback through a relay
# that records both directions. Driven from outside with synthetic input: names, listen,
# connect, one move and one chat line each way. Checked from outside: the packets on the wire
# and the colour of the moved pieces on each board.
#
# Usage: smoke_two_copies.sh PATH_TO_DROPSTONE   (needs DISPLAY, xdotool, xwd, python3)
# Run through with_a11y_bus.sh, it also reads both boards as a screen reader does (pyatspi).
set -uo pipefail

PROGRAM=${1:?usage: $0 PATH_TO_DROPSTONE}
STEP_TIMEOUT=20

fail() {
    echo "FAIL: $*" >&2
    local log
    for log in "${WORK:-/nonexistent}"/*.log; do
        [ -s "$log" ] && { echo "--- ${log##*/}" >&2; cat "$log" >&2; }
    done
    exit 1
}

[ -n "${DISPLAY:-}" ] || fail "no DISPLAY"
for tool in xdotool xwd python3; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done
[ -x "$PROGRAM" ] || fail "$PROGRAM is not an executable"

WORK=$(mktemp -d)
PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

# Every call is bounded: a window that never comes must not hang the test.
xdo() {
    timeout $STEP_TIMEOUT xdotool "$@"
}

# poll SECONDS COMMAND...: runs the command until it succeeds or the time is up.
poll() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

# The relay: accepts one connection, connects it to the target port and copies both ways,
# appending what crosses to b2a.bin (connecting copy to listening copy) and a2b.bin.
cat >"$WORK/relay.py" <<'EOF'
import os, socket, sys, threading

target, work = int(sys.argv[1]), sys.argv[2]
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(1)
with open(os.path.join(work, "relay.tmp"), "w") as f:
    f.write(str(server.getsockname()[1]))
os.rename(os.path.join(work, "relay.tmp"), os.path.join(work, "relay.port"))
down, _ = server.accept()
server.close()
up = socket.create_connection(("127.0.0.1", target))
for s in (down, up):
    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

def pump(source, sink, name):
    with open(os.path.join(work, name), "ab", buffering=0) as record:
        while True:
            try:
                data = source.recv(65536)
            except OSError:
                break
            if not data:
                break
            record.write(data)
            sink.sendall(data)
    try:
        sink.shutdown(socket.SHUT_WR)
    except OSError:
        pass

threads = [threading.Thread(target=pump, args=(down, up, "b2a.bin")),
           threading.Thread(target=pump, args=(up, down, "a2b.bin"))]
for t in threads:
    t.start()
for t in threads:
    t.join()
EOF

# Helpers in python: free port, listening check, packet bytes, packet search, pixel colour.
cat >"$WORK/util.py" <<'EOF'
import os, socket, struct, sys

def packet_prefix(kind, text=b""):
    # List, tag, Id 0, Kind, Origin 0, Text: everything before Column.
    return (b"\x01\x06\x08DSIN1000\x02\x00\x02" + bytes([kind]) + b"\x02\x00\x06"
            + bytes([len(text)]) + text)

def cell_centre(column, row, width=398, height=353):
    # The board's cells at its stored size, as the program lays them out.
    cw, rh = round((width - 5) / 7), round((height - 5) / 6)
    left, right = (column - 1) * cw + 5, column * cw
    top, bottom = (6 - row) * rh + 5, (7 - row) * rh
    return (left + right) // 2, (top + bottom) // 2

def xwd_pixel(path, x, y):
    data = open(path, "rb").read()
    h = struct.unpack(">25I", data[:100])
    size, byte_order, bpp, bpl, ncolors = h[0], h[7], h[11], h[12], h[19]
    masks = h[14:17]
    n = (bpp + 7) // 8
    at = size + 12 * ncolors + y * bpl + x * n
    value = int.from_bytes(data[at:at + n], "little" if byte_order == 0 else "big")
    return tuple((value & m) >> ((m & -m).bit_length() - 1) for m in masks)

command = sys.argv[1]
if command == "free-port":
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    print(s.getsockname()[1])
elif command == "listening":
    port = "%04X" % int(sys.argv[2])
    lines = open("/proc/net/tcp").read().splitlines()[1:]
    sys.exit(0 if any(l.split()[1].endswith(":" + port) and l.split()[3] == "0A"
                      for l in lines) else 1)
elif command == "has-move":
    record, column = sys.argv[2], int(sys.argv[3])
    wanted = packet_prefix(0) + b"\x02" + bytes([column]) + b"\x00"
    try:
        sys.exit(0 if wanted in open(record, "rb").read() else 1)
    except FileNotFoundError:
        sys.exit(1)
elif command == "has-packet":
    text = os.fsencode(sys.argv[4]).decode("utf-8").encode("cp1252")
    record, kind = sys.argv[2], int(sys.argv[3])
    try:
        sys.exit(0 if packet_prefix(kind, text) in open(record, "rb").read() else 1)
    except FileNotFoundError:
        sys.exit(1)
elif command == "cell-centre":
    print(*cell_centre(int(sys.argv[2]), int(sys.argv[3])))
elif command == "pixel":
    print(*xwd_pixel(sys.argv[2], int(sys.argv[3]), int(sys.argv[4])))
EOF
util() { python3 "$WORK/util.py" "$@"; }

# start_copy NAME: starts a copy, answers its name question, sets WIN to its main window.
start_copy() {
    local name=$1 pid dialog
    "$PROGRAM" >"$WORK/$name.log" 2>&1 &
    pid=$!
    PIDS+=("$pid")
    dialog=$(xdo search --sync --all --onlyvisible --pid "$pid" \
        --name '^Name$' | head -1)
    [ -n "$dialog" ] || fail "$name: the name dialog did not show"
    xdo windowfocus --sync "$dialog" || fail "$name: could not focus the name dialog"
    xdo type --delay 30 "$name"
    xdo key Return
    WIN=$(xdo search --sync --all --onlyvisible --pid "$pid" \
        --name '^Dropstone$' | head -1)
    [ -n "$WIN" ] || fail "$name: the main window did not show"
    PID=$pid
}

# dialog_of PID TITLE: waits for the copy's dialog and focuses it.
dialog_of() {
    local dialog
    dialog=$(xdo search --sync --all --onlyvisible --pid "$1" \
        --name "^$2\$" | head -1)
    [ -n "$dialog" ] || fail "the dialog '$2' did not show"
    xdo windowfocus --sync "$dialog" || fail "could not focus the dialog '$2'"
}

# Whether the copy shows a window besides its main window (a menu or a dialog).
shows_more() {
    [ "$(xdo search --onlyvisible --pid "$1" 2>/dev/null | wc -l)" -gt 1 ]
}

# menu PID WINDOW KEY...: opens the connection menu with Alt+V and, once it shows, presses
# the keys.
menu() {
    local pid=$1 window=$2
    shift 2
    xdo windowfocus --sync "$window" || fail "could not focus the main window"
    xdo key alt+v
    poll $STEP_TIMEOUT shows_more "$pid" || fail "the menu did not open"
    xdo key "$@"
}

# The board's top-left in the window is below the menu bar, whose height is what the window
# has beyond its stored client height.
menu_height() {
    local height
    height=$(xdo getwindowgeometry --shell "$1" | sed -n 's/^HEIGHT=//p')
    echo $((height - 374))
}

# click_cell WINDOW COLUMN ROW
click_cell() {
    local x y
    read -r x y < <(util cell-centre "$2" "$3")
    xdo windowraise "$1"
    xdo mousemove --window "$1" $((1 + x)) $(($(menu_height "$1") + 1 + y)) click 1
}

# play WINDOW COLUMN RECORD: clicks the lowest cell of the column until the move is on the
# wire; a click before the copy has its turn does nothing.
play() {
    local tries=0
    until util has-move "$3" "$2"; do
        [ $tries -lt 50 ] || return 1
        click_cell "$1" "$2" 1
        tries=$((tries + 1))
        poll 1 util has-move "$3" "$2" && return 0
    done
}

# chat WINDOW TEXT: types the line into the chat input at the window's bottom right.
chat() {
    local width
    width=$(xdo getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p')
    xdo windowraise "$1"
    xdo windowfocus --sync "$1"
    xdo mousemove --window "$1" $((width - 80)) $(($(menu_height "$1") + 324)) click 1
    xdo type --delay 30 "$2"
    xdo key Return
}

# board_pixel WINDOW COLUMN ROW: the colour in the middle of the cell, as "r g b".
board_pixel() {
    local x y
    read -r x y < <(util cell-centre "$2" "$3")
    xdo windowraise "$1"
    sleep 0.3
    timeout $STEP_TIMEOUT xwd -id "$1" -silent >"$WORK/shot.xwd" || fail "xwd failed"
    util pixel "$WORK/shot.xwd" $((1 + x)) $(($(menu_height "$1") + 1 + y))
}

start_copy Anna
A_PID=$PID A_WIN=$WIN
start_copy Bert
B_PID=$PID B_WIN=$WIN

# Anna listens.
PORT=$(util free-port)
menu "$A_PID" "$A_WIN" h Return
dialog_of "$A_PID" "Hören"
xdo key ctrl+a
xdo type "$PORT"
xdo key Return
poll $STEP_TIMEOUT util listening "$PORT" || fail "Anna does not listen on port $PORT"

python3 "$WORK/relay.py" "$PORT" "$WORK" &
PIDS+=($!)
poll $STEP_TIMEOUT test -s "$WORK/relay.port" || fail "the relay did not start"
RELAY_PORT=$(cat "$WORK/relay.port")

# Bert connects through the relay and so starts the game.
menu "$B_PID" "$B_WIN" v
dialog_of "$B_PID" "Verbinden..."
xdo key ctrl+a
xdo type "127.0.0.1"
xdo key Tab ctrl+a
xdo type "$RELAY_PORT"
xdo key Return
poll $STEP_TIMEOUT util has-packet "$WORK/b2a.bin" 4 "Bert" || fail "Bert's name did not cross"
poll $STEP_TIMEOUT util has-packet "$WORK/b2a.bin" 2 "" || fail "no new game from Bert"
poll $STEP_TIMEOUT util has-packet "$WORK/a2b.bin" 4 "Anna" || fail "Anna's name did not cross"

# Anna's board takes the focus from a click while it is not her turn; she then plays from the
# keyboard alone.
click_cell "$A_WIN" 1 1
play "$B_WIN" 4 "$WORK/b2a.bin" || fail "Bert's move into column 4 did not cross"
xdo windowfocus --sync "$A_WIN"
xdo key 3 Return
poll $STEP_TIMEOUT util has-move "$WORK/a2b.bin" 3 || fail "Anna's move by keyboard did not cross"

chat "$B_WIN" "Grüße, Anna"
poll $STEP_TIMEOUT util has-packet "$WORK/b2a.bin" 3 "Bert: Grüße, Anna" ||
    fail "Bert's chat line did not cross"
chat "$A_WIN" "Hallo Bert"
poll $STEP_TIMEOUT util has-packet "$WORK/a2b.bin" 3 "Anna: Hallo Bert" ||
    fail "Anna's chat line did not cross"

# Own pieces yellow, the opponent's red, on both boards.
status=0
check_cell() {
    local who=$1 window=$2 column=$3 want=$4 got
    got=$(board_pixel "$window" "$column" 1)
    if [ "$got" != "$want" ]; then
        echo "FAIL: $who's board shows $got in column $column, row 1; expected $want" >&2
        status=1
    fi
}
check_cell Bert "$B_WIN" 4 "255 255 0"
check_cell Bert "$B_WIN" 3 "255 0 0"
check_cell Anna "$A_WIN" 3 "255 255 0"
check_cell Anna "$A_WIN" 4 "255 0 0"
# Both boards as a screen reader reads them, over the accessibility bus.
if [ -n "${QT_LINUX_ACCESSIBILITY_ALWAYS_ON:-}" ]; then
    timeout $STEP_TIMEOUT /usr/bin/python3 - <<'EOF' || status=1
import pyatspi, sys

def find(node, role, depth=0):
    if node is None or depth > 25:
        return None
    if node.getRole() == role:
        return node
    for i in range(node.childCount):
        found = find(node.getChildAtIndex(i), role, depth + 1)
        if found:
            return found
    return None

expected = {"Bert": ["Spalte 4, Zeile 1: dein Stein", "Spalte 3, Zeile 1: Stein des Gegners"],
            "Anna": ["Spalte 4, Zeile 1: Stein des Gegners", "Spalte 3, Zeile 1: dein Stein"]}
desktop = pyatspi.Registry.getDesktop(0)
seen = {}
for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
    bar, board = find(app, pyatspi.ROLE_STATUS_BAR), find(app, pyatspi.ROLE_TABLE)
    if not bar or not board:
        continue
    player = bar.getChildAtIndex(1).name.split(" ")[0]
    table = board.queryTable()
    seen[player] = [table.getAccessibleAt(5, 3).name, table.getAccessibleAt(5, 2).name]
if seen != expected:
    print("FAIL: the boards read %s; expected %s" % (seen, expected), file=sys.stderr)
    sys.exit(1)
EOF
fi
[ $status -eq 0 ] && echo "smoke_two_copies: both moves and both chat lines crossed"
exit $status
