#!/usr/bin/python3
"""Drives the running terminal in its real X window as an operator would, through the desktop's
accessibility interface (AT-SPI) and real mouse clicks (xdotool), and checks what it shows:
START connects the engine, the demo contact fills the receive window, a macro sent with TX
comes back decoded through the demo loopback, and a frequency set on the radio shows in the
frequency read-out. Then what an operator's session must survive: a 6,000-character message
sent at once, the engine's settings window opened and closed, a second start of the terminal,
and the window destroyed from outside, which must end the terminal and its engine. Takes the
pictures for the operator's guide when asked.

    drive-station.py RIGCTL_PORT [PICTURE_DIR]
"""
import os
import subprocess
import sys
import time

import pyatspi

RIG = sys.argv[1]
PICTURES = sys.argv[2] if len(sys.argv) > 2 else None


def say(text):
    print("e2e: " + text, flush=True)


def fail(text):
    say("FAILED: " + text)
    sys.exit(1)


def wait_for(what, check, seconds):
    end = time.time() + seconds
    while time.time() < end:
        value = check()
        if value:
            return value
        time.sleep(0.25)
    fail(what)


def application(name):
    """The running program of that name on the desktop, or None."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name:
            return app
    return None


def nodes(root):
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        yield node
        try:
            stack.extend(node.getChildAtIndex(i) for i in range(node.childCount))
        except Exception:
            pass


def find(app, name, role=None):
    for node in nodes(app):
        try:
            if node.name == name and (role is None or node.getRoleName() == role):
                return node
        except Exception:
            continue
    return None


def press(app, name):
    node = wait_for("a control named %r" % name, lambda: find(app, name), 10)
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click", "Toggle", "SetFocus"):
            action.doAction(i)
            return
    click(node)


def click(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                    str(box.y + box.height // 2), "click", "1"], check=True)


def receive_window_text(app):
    # The multi-line texts of the window, the receive window's the one that grows with what is
    # received: the one that holds the most lines.
    best = ""
    for node in nodes(app):
        try:
            if node.getRoleName() != "text":
                continue
            t = node.queryText()
            text = t.getText(0, t.characterCount)
        except Exception:
            continue
        if "STARTING" in text:  # the operating help
            continue
        if text.count("\n") > best.count("\n") or (not best and text):
            best = text
    return best


def label_texts(app):
    out = []
    for node in nodes(app):
        try:
            if node.getRoleName() == "label":
                out.append(node.name)
        except Exception:
            continue
    return out


def our_pids(name):
    """The processes of this run (by its runtime folder) whose program is called name."""
    mark = ("XDG_RUNTIME_DIR=" + os.environ["XDG_RUNTIME_DIR"]).encode() + b"\0"
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                program = f.read().split(b"\0")[0].decode(errors="replace")
            with open("/proc/%s/environ" % pid, "rb") as f:
                environment = f.read()
        except OSError:
            continue
        if os.path.basename(program) == name and mark in environment:
            found.append(int(pid))
    return found


def status_panel(app):
    return [l for l in label_texts(app) if l.startswith("Connected") or "MMTTY" in l]


def message_field(app):
    # The Messages page's one-line field: beside the ">" button, on the same page.
    send = find(app, ">")
    page = send.parent if send is not None else None
    for node in nodes(page):
        try:
            if node is not send and node.getRoleName() in ("text", "entry"):
                node.queryEditableText()
                return node
        except Exception:
            continue
    return None


def picture(name):
    if not PICTURES:
        return
    window = subprocess.run(["xdotool", "search", "--name", "TOLM FSK 1.0"], capture_output=True,
                            text=True).stdout.split()
    if window:
        subprocess.run(["import", "-window", window[0], os.path.join(PICTURES, name)], check=True)
        say("picture " + name)


def rigctl(*command):
    subprocess.run(["rigctl", "-m", "2", "-r", "127.0.0.1:" + RIG] + list(command), check=True)


# A loaded machine may take a while to bring the desktop, the terminal and its host up.
app = wait_for("the terminal on the desktop", lambda: application("tolmfsk"), 45)
say("the terminal is up")
wait_for("the host's frequency", lambda: "14.0853" in label_texts(app), 15)
say("the radio's frequency is shown: 14.0853")

press(app, "START")
wait_for("the engine's connection", lambda: any(l.startswith("Connected to MMTTY ")
                                                 for l in label_texts(app)), 10)
connected = [l for l in label_texts(app) if l.startswith("Connected")][0]
say("engine connected: " + connected)
# A new user's settings on a machine with no sound server: the demo, and the panel says so in
# full (a text too wide for the panel would show cut, with an ellipsis).
if connected != "Connected to MMTTY DEMO, engine 1.0":
    sys.exit("the status panel should say the engine plays its demo: " + connected)
wait_for("the demo contact in the receive window",
         lambda: "ZZ1DX" in receive_window_text(app), 30)
say("received: " + " ".join(receive_window_text(app).split())[:60])
picture("station-receiving.png")

click(wait_for("the TX button", lambda: find(app, "TX"), 5))
press(app, "DE")
wait_for("the macro decoded back through the loopback",
         lambda: "DE ZZ9ZZZ" in receive_window_text(app), 30)
say("macro came back: DE ZZ9ZZZ")
click(wait_for("the TX OFF button", lambda: find(app, "TX OFF"), 5))

rigctl("F", "7040000", "M", "LSB", "2400")
started = time.time()
wait_for("the new frequency in the read-out", lambda: "7.0400" in label_texts(app), 5)
say("frequency set on the radio shows as 7.0400 after %.1f s" % (time.time() - started))

click(wait_for("the TS2000 Settings tab", lambda: find(app, "TS2000 Settings", "page tab"), 5))
time.sleep(0.5)
wait_for("the mode on the TS2000 page", lambda: "LSB" in label_texts(app), 5)
picture("station-ts2000.png")

# A long message from the Messages page, sent with ">" while transmitting: the engine takes it
# whole and goes on running and transmitting.
engine = wait_for("the engine's process", lambda: our_pids("tolmfsk-engine"), 5)
if len(engine) != 1:
    fail("one engine should run, not %d" % len(engine))
click(wait_for("the Messages tab", lambda: find(app, "Messages", "page tab"), 5))
field = wait_for("the message field", lambda: message_field(app), 5)
message = ("THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 " * 120)[:6000]
field.queryEditableText().setTextContents(message)
heard_before = receive_window_text(app).count("QUICK BROWN FOX")
click(wait_for("the TX button", lambda: find(app, "TX"), 5))
press(app, ">")
time.sleep(6)
if our_pids("tolmfsk-engine") != engine:
    fail("the engine did not survive the long message: %s" % our_pids("tolmfsk-engine"))
if not any(l.startswith("Connected to MMTTY") for l in label_texts(app)):
    fail("the status panel says: %s" % status_panel(app))
wait_for("the long message going out (heard back through the demo loopback)",
         lambda: receive_window_text(app).count("QUICK BROWN FOX") > heard_before, 20)
say("a 6000-character message goes out; the same engine runs")
press(app, "Stop")

# The engine's settings window, opened from the terminal and closed: the engine runs on.
click(wait_for("the RTTY Settings tab", lambda: find(app, "RTTY Settings", "page tab"), 5))
press(app, "Set Up Ports etc")
settings = wait_for("the engine's settings window", lambda: application("tolmfsk-engine"), 10)
press(settings, "Close")
time.sleep(2)
if our_pids("tolmfsk-engine") != engine:
    fail("closing the engine's settings window ended the engine")
if not any(l.startswith("Connected to MMTTY") for l in label_texts(app)):
    fail("after closing the settings window the status panel says: %s" % status_panel(app))
say("the engine's settings window closed; the engine runs on")

# A second start of the terminal brings the first forward and starts nothing.
terminal_pid = our_pids("tolmfsk")
program = os.readlink("/proc/%d/exe" % terminal_pid[0])
second = subprocess.run([program], capture_output=True, text=True, timeout=15)
if second.returncode != 0 or "already running" not in second.stderr:
    fail("a second start: status %d, %r" % (second.returncode, second.stderr))
if our_pids("tolmfsk") != terminal_pid or our_pids("tolmfsk-engine") != engine:
    fail("a second start left %s terminals and %s engines" % (our_pids("tolmfsk"),
                                                           our_pids("tolmfsk-engine")))
say("a second start handed over to the running terminal")

# The window destroyed from outside (not closed): the terminal ends as on Exit, and its engine
# with it, and the host it started, which lets go of the radio; the TCP link's port is free
# again.
if not our_pids("tolmfsk-host"):
    fail("the terminal started no host")
window = subprocess.run(["xdotool", "search", "--name", "TOLM FSK 1.0"], capture_output=True,
                        text=True).stdout.split()[0]
subprocess.run(["xdotool", "windowclose", window], check=True)
wait_for("the terminal, its engine and its host to end",
         lambda: not our_pids("tolmfsk") and not our_pids("tolmfsk-engine")
         and not our_pids("tolmfsk-host"), 10)
import socket
probe = socket.socket()
try:
    probe.connect(("127.0.0.1", 52741))
    fail("the TCP link's port is still held")
except OSError:
    pass
finally:
    probe.close()
say("the window destroyed from outside: the terminal, its engine and its host ended")

say("all checks passed")
