#!/usr/bin/python3
"""Drives the running terminal in its real X window as an operator would, through the desktop's
accessibility interface (AT-SPI) and real mouse clicks (xdotool), and checks what it shows:
START connects the engine, the demo contact fills the receive window, a macro sent with TX
comes back decoded through the demo loopback, and a frequency set on the radio shows in the
frequency read-out. Takes the pictures for the operator's guide when asked.

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


def terminal():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "tolmfsk":
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


app = wait_for("the terminal on the desktop", terminal, 20)
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

say("all checks passed")
