#!/usr/bin/python3
"""A blind player's game: the built program under the Orca screen reader, played from the
keyboard alone against a scripted peer, checked by what Orca says.

Orca runs without a speech server; every utterance goes to its debug file as a line
"SPEECH OUTPUT: '...'", written as it is spoken. The program listens, the peer ("Bob")
connects, begins the first game and loses it to a held Enter; the second game fills a column
and Bob wins it while Enter is held again; Bob then leaves.

Usage: with_a11y_bus.sh /usr/bin/python3 orca_game.py PATH_TO_DROPSTONE
(needs DISPLAY, xdotool, orca; runs on the session and accessibility bus of with_a11y_bus.sh)
"""
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

PROGRAM = sys.argv[1]
STEP = 15  # seconds any one step may take

WORK = tempfile.mkdtemp(prefix="orca_game.")
PROCESSES = []

# Orca as /usr/bin/orca starts it, minus its check for other copies of itself, with a debug
# file written line by line and without speech, key echo or a settings dialog.
LAUNCHER = r'''
import sys
log, prefs = sys.argv[1], sys.argv[2]
sys.argv = ["orca"]
from orca import debug
debug.debugLevel = debug.LEVEL_INFO
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(log, "w", buffering=1)
from orca import orca
manager = orca.getSettingsManager()
manager.activate(prefs, {"enableSpeech": False, "enableBraille": False, "enableKeyEcho": False,
                         "enableEchoByCharacter": False, "enableEchoByWord": False,
                         "enableEchoBySentence": False, "showMainWindow": False})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
'''

ORCA_LOG = os.path.join(WORK, "orca.log")
UTTERANCE = re.compile(r" - SPEECH OUTPUT: '(.*)'(?: voice=\S+)? ?\{")


def cleanup():
    for process in reversed(PROCESSES):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
    if not os.environ.get("ORCA_GAME_KEEP"):
        shutil.rmtree(WORK, ignore_errors=True)


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    print("Orca said:\n  " + "\n  ".join(spoken()), file=sys.stderr)
    for name in ("program.log", "orca.out"):
        path = os.path.join(WORK, name)
        if os.path.exists(path) and os.path.getsize(path):
            print("--- " + name, file=sys.stderr)
            print(open(path, errors="replace").read()[-3000:], file=sys.stderr)
    cleanup()
    sys.exit(1)


def poll(predicate, what, timeout=STEP):
    deadline = time.monotonic() + timeout
    while not predicate():
        if time.monotonic() > deadline:
            fail(what)
        time.sleep(0.05)


def spoken():
    try:
        text = open(ORCA_LOG, encoding="utf-8", errors="replace").read()
    except FileNotFoundError:
        return []
    return [m.group(1) for m in UTTERANCE.finditer(text)]


def hear(phrase):
    """Waits until Orca has said the phrase (as a whole utterance or inside one)."""
    poll(lambda: any(phrase in line for line in spoken()), "Orca did not say %r" % phrase)


def xdo(*args):
    result = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=STEP)
    return result.stdout.split()


def windows(pid, name=None):
    """The program's visible windows, those whose title matches name if given. The titles
    are compared here: xdotool's own match is not reliable for titles beyond ASCII."""
    found = xdo("search", "--onlyvisible", "--pid", str(pid))
    if name is None:
        return found
    return [w for w in found if re.search(name, " ".join(xdo("getwindowname", w)))]


def focus_window(pid, name):
    poll(lambda: windows(pid, name), "the window %r did not show" % name)
    xdo("windowfocus", "--sync", windows(pid, name)[0])


def settle():
    """Waits until Orca has been quiet for a moment. The program hands every key to Orca and
    waits a short time for its answer; a key that comes while Orca is busy may be reordered."""
    last, since = -1, time.monotonic()
    deadline = since + STEP
    while time.monotonic() < deadline and os.path.exists(ORCA_LOG):
        size = os.path.getsize(ORCA_LOG)
        if size != last:
            last, since = size, time.monotonic()
        elif time.monotonic() - since > 0.3:
            return
        time.sleep(0.05)


def type_text(text):
    for ch in text:
        settle()
        xdo("type", ch)


def keys(*names):
    for name in names:
        settle()
        # The program hands every key to the screen reader before it acts on it, but a
        # shortcut at once: a modifier goes down well before its key.
        modifiers = name.split("+")[:-1]
        for modifier in modifiers:
            xdo("keydown", modifier)
            time.sleep(0.3)
        xdo("key", name.split("+")[-1])
        for modifier in reversed(modifiers):
            time.sleep(0.3)
            xdo("keyup", modifier)
        time.sleep(0.15)


def hold(key, seconds):
    xdo("keydown", key)
    time.sleep(seconds)
    xdo("keyup", key)


def packet(kind, text=b"", column=0):
    head = (b"\x06" + bytes([len(text)]) if len(text) <= 255
            else b"\x0c" + len(text).to_bytes(4, "little"))
    return (b"\x01\x06\x08DSIN1000\x02\x00\x02" + bytes([kind]) + b"\x02\x00" + head + text
            + b"\x02" + bytes([column]) + b"\x00")


MOVE, DISCONNECT, NEW_GAME, CHAT, NAME = range(5)


class Peer:
    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=STEP)
        self.sock.settimeout(0.05)
        self.received = b""

    def send(self, *packets):
        self.sock.sendall(b"".join(packets))

    def take(self):
        try:
            while True:
                data = self.sock.recv(65536)
                if not data:
                    break
                self.received += data
        except (BlockingIOError, socket.timeout):
            pass
        return self.received

    def moves(self):
        return self.take().count(packet(MOVE)[:-3])


def main():
    home = os.path.join(WORK, "home")
    os.makedirs(os.path.join(WORK, "prefs"))
    os.makedirs(home)
    with open(os.path.join(WORK, "program.log"), "w") as out:
        program = subprocess.Popen([PROGRAM], stdout=out, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL)
    PROCESSES.append(program)
    pid = program.pid
    focus_window(pid, "^Name$")
    type_text("Anna")
    keys("Return")
    focus_window(pid, "^Dropstone$")

    # The program listens on a free port, Bob connects.
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    keys("alt+v")
    poll(lambda: len(windows(pid)) > 1, "the connection menu did not open")
    keys("h", "Return")
    focus_window(pid, "^Hören$")
    keys("ctrl+a")
    type_text(str(port))
    keys("Return")

    # Orca comes once the program listens: a dialog that a key opens under Orca takes no
    # further keys (the toolkit's hand-over of keys to the reader stalls in its loop).
    poll(lambda: not windows(pid, "^Hören$"), "the listen dialog did not close")
    env = dict(os.environ, HOME=home, GSETTINGS_BACKEND="memory", PYTHONUNBUFFERED="1")
    with open(os.path.join(WORK, "orca.out"), "w") as out:
        PROCESSES.append(subprocess.Popen(
            ["/usr/bin/python3", "-u", "-c", LAUNCHER, ORCA_LOG, os.path.join(WORK, "prefs")],
            env=env, stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL))
    poll(lambda: os.path.exists(ORCA_LOG) and "Starting ATSPI registry" in open(ORCA_LOG).read(),
         "Orca did not start")

    def connect():
        try:
            return Peer(port)
        except OSError:
            return None
    peer = []
    poll(lambda: peer.append(connect()) or peer[-1], "the program does not listen")
    bob = peer[-1]
    mark = len(spoken())
    bob.send(packet(NAME, b"Bob"))
    hear("Du bist jetzt zu Bob verbunden.")
    bob.send(packet(NEW_GAME))
    hear("Neues Spiel, Bob beginnt")

    # From the chat input to the board.
    focus_window(pid, "^Dropstone$")
    keys("Tab")
    hear("Spielbrett")
    keys("Return")
    hear("Bob ist am Zug")
    bob.send(packet(MOVE, column=3))
    hear("Bob setzt in Spalte 3, Zeile 1")
    keys("Right")
    hear("Spalte 5, Stein fällt in Zeile 1")
    keys("3")
    hear("Spalte 3, Stein fällt in Zeile 2")
    keys("4")
    hear("Spalte 4, Stein fällt in Zeile 1")
    keys("Return")
    hear("Du setzt in Spalte 4, Zeile 1")
    bob.send(packet(CHAT, b"Bob: Hallo Anna"))
    hear("Bob: Hallo Anna")
    long_line = b"Bob: " + b"abcdefghi " * 40
    bob.send(packet(CHAT, long_line))
    hear(long_line[:200].decode() + "\u2026")
    for row in (2, 3):
        bob.send(packet(MOVE, column=3))
        hear("Bob setzt in Spalte 3, Zeile %d" % row)
        keys("Return")
        hear("Du setzt in Spalte 4, Zeile %d" % row)
    bob.send(packet(MOVE, column=1))
    hear("Bob setzt in Spalte 1, Zeile 1")

    # The winning drop from a held Enter: one piece, and the box stays for a fresh key.
    hold("Return", 1.2)
    hear("Du setzt in Spalte 4, Zeile 4")
    hear("Du hast gewonnen")
    if bob.moves() != 4:
        fail("a held Enter sent %d moves rather than 4" % bob.moves())
    time.sleep(0.5)
    if len(windows(pid)) < 2:
        fail("the repeats of a held Enter answered the box")
    box = [w for w in windows(pid, "^Dropstone$")]
    xdo("windowfocus", "--sync", box[-1])
    keys("Return")
    poll(lambda: len(windows(pid)) == 1, "the box did not close")

    # The second game: a full column, and a loss while Enter is held.
    focus_window(pid, "^Dropstone$")
    keys("alt+s")
    poll(lambda: len(windows(pid)) > 1, "the game menu did not open")
    keys("n")
    hear("Neues Spiel, du beginnst")
    focus_window(pid, "^Dropstone$")
    keys("1")
    hear("Spalte 1, Stein fällt in Zeile 1")
    for row in (1, 3, 5):
        keys("Return")
        hear("Du setzt in Spalte 1, Zeile %d" % row)
        bob.send(packet(MOVE, column=1))
        hear("Bob setzt in Spalte 1, Zeile %d" % (row + 1))
    keys("Return")
    hear("Spalte 1 ist voll")
    keys("2")
    hear("Spalte 2, Stein fällt in Zeile 1")
    for row in (1, 2, 3):
        keys("Return")
        hear("Du setzt in Spalte 2, Zeile %d" % row)
        bob.send(packet(MOVE, column=7))
        hear("Bob setzt in Spalte 7, Zeile %d" % row)
    keys("3", "Return")
    hear("Du setzt in Spalte 3, Zeile 1")
    sent = len(bob.take())
    xdo("keydown", "Return")
    hear("Bob ist am Zug")
    time.sleep(0.5)
    bob.send(packet(MOVE, column=7))
    hear("Bob setzt in Spalte 7, Zeile 4")
    hear("Du hast verloren")
    time.sleep(0.7)
    xdo("keyup", "Return")
    time.sleep(0.5)
    if not windows(pid, "^Nochmal spielen$"):
        fail("the repeats of a held Enter answered the play-again dialog")
    if len(bob.take()) != sent:
        fail("a held Enter sent something while the play-again dialog was open")
    focus_window(pid, "^Nochmal spielen$")
    keys("Return")
    hear("Neues Spiel, du beginnst")

    # Bob leaves; a drop then has no game.
    bob.send(packet(DISCONNECT))
    bob.sock.close()
    hear("Verbindung beendet")
    focus_window(pid, "^Dropstone$")
    keys("Return")
    hear("Kein Spiel")
    time.sleep(0.5)

    # What was heard of the game, in order; the board's and the boxes' own texts aside.
    ours = re.compile(r"Spalte|Neues Spiel|ist am Zug|Kein Spiel|Bob|Verbindung|gewonnen"
                      r"|verloren|abcdefghi")
    # Orca ends an utterance with a full stop where it has none.
    heard = [line.rstrip(".") for line in spoken()[mark:]
             if ours.search(line) and not line.startswith("Spielbrett")]
    expected = [
        "Du bist jetzt zu Bob verbunden",
        "Neues Spiel, Bob beginnt",
        "Bob ist am Zug",
        "Bob setzt in Spalte 3, Zeile 1",
        "Spalte 5, Stein fällt in Zeile 1",
        "Spalte 3, Stein fällt in Zeile 2",
        "Spalte 4, Stein fällt in Zeile 1",
        "Du setzt in Spalte 4, Zeile 1",
        "Bob: Hallo Anna",
        long_line[:200].decode() + "\u2026",
        "Bob setzt in Spalte 3, Zeile 2",
        "Du setzt in Spalte 4, Zeile 2",
        "Bob setzt in Spalte 3, Zeile 3",
        "Du setzt in Spalte 4, Zeile 3",
        "Bob setzt in Spalte 1, Zeile 1",
        "Du setzt in Spalte 4, Zeile 4",
        "Du hast gewonnen",  # the box, as it takes the focus
        "Neues Spiel, du beginnst",
        "Spalte 1, Stein fällt in Zeile 1",
        "Du setzt in Spalte 1, Zeile 1",
        "Bob setzt in Spalte 1, Zeile 2",
        "Du setzt in Spalte 1, Zeile 3",
        "Bob setzt in Spalte 1, Zeile 4",
        "Du setzt in Spalte 1, Zeile 5",
        "Bob setzt in Spalte 1, Zeile 6",
        "Spalte 1 ist voll",
        "Spalte 2, Stein fällt in Zeile 1",
        "Du setzt in Spalte 2, Zeile 1",
        "Bob setzt in Spalte 7, Zeile 1",
        "Du setzt in Spalte 2, Zeile 2",
        "Bob setzt in Spalte 7, Zeile 2",
        "Du setzt in Spalte 2, Zeile 3",
        "Bob setzt in Spalte 7, Zeile 3",
        "Spalte 3, Stein fällt in Zeile 1",
        "Du setzt in Spalte 3, Zeile 1",
        "Bob ist am Zug",
        "Bob setzt in Spalte 7, Zeile 4",
        "Nochmal spielen dialog Du hast verloren",
        "Neues Spiel, du beginnst",
        "Bob hat die Verbindung getrennt",
        "Verbindung beendet",
        "Kein Spiel",
    ]
    if heard != expected:
        fail("Orca said, of the game:\n  %s\nexpected:\n  %s"
             % ("\n  ".join(heard), "\n  ".join(expected)))
    print("orca_game: Orca said every phrase of the game once, in order")
    cleanup()


try:
    main()
except SystemExit:
    raise
except BaseException as error:
    fail("%s: %s" % (type(error).__name__, error))
