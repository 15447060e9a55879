#!/usr/bin/python3
"""The console as a screen reader or a GUI test tool sees it over AT-SPI: find the main window,
read the controller's display, the record count and the status bar, press Online and a key of the
keypad, open the About window from the Help menu with the keyboard and read it, and leave through
File, Exit. Runs inside a D-Bus session with the accessibility bus (see with-accessibility-bus) on
an X server of its own (see with-private-x-server).

Every step waits for what it needs to see, never for a length of time: on a loaded machine the
console may take seconds for what takes milliseconds alone.

    console-accessibility.py AQLREMOTE AQLSIM RESOURCES_DIR
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, predicate, seconds=60.0):
    """The predicate's first true value. A call over the bus can fail while the console builds or
    tears down a window; that counts as not yet."""
    end = time.monotonic() + seconds
    last_error = None
    while time.monotonic() < end:
        try:
            value = predicate()
        except Exception as error:  # the bus answered with an error: look again
            value, last_error = None, error
        if value:
            return value
        time.sleep(0.1)
    fail("timed out waiting for " + what + ("" if last_error is None else " (%s)" % last_error))


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def find(root, role, name=None, description=None, name_prefix=None):
    for node in walk(root):
        try:
            if node.getRole() != role:
                continue
            if name is not None and node.name != name:
                continue
            if name_prefix is not None and not node.name.startswith(name_prefix):
                continue
            # A description may say more after what is looked for (the display's stale note).
            if description is not None and not node.description.startswith(description):
                continue
            return node
        except Exception:
            continue
    return None


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for wanted in ("press", "click", "toggle", "activate"):
        if wanted in names:
            action.doAction(names.index(wanted))
            return
    if not names:
        fail("%s offers no action" % node.name)
    action.doAction(0)


def keys(*names):
    """Typed on the X server's keyboard, into the window that has the focus."""
    subprocess.run(["xdotool", "key", "--clearmodifiers"] + list(names), check=True)


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def main():
    console, simulator, resources = sys.argv[1:4]
    work = tempfile.mkdtemp()
    sim = None
    app = None
    try:
        program = os.path.join(work, "program")
        os.makedirs(program)
        shutil.copy(console, os.path.join(program, "aqlremote"))
        for language in ("English.lng", "Nederlands.lng"):
            shutil.copy(os.path.join(resources, language), program)

        sim_err = open(os.path.join(work, "sim.log"), "w")
        sim = subprocess.Popen([simulator, "--port", "0", "--records", "20"],
                               stdout=subprocess.PIPE, stderr=sim_err, text=True)
        match = re.match(r"listening on 127\.0\.0\.1:(\d+)", sim.stdout.readline())
        if not match:
            fail("the simulated controller did not start")
        port = match.group(1)
        with open(os.path.join(program, "config.xml"), "w", newline="") as f:
            f.write('<?xml version="1.0" encoding="ISO-8859-1"?>\r\n'
                    '<aqlRemoteConfig version="1.0"><siteName>Site</siteName><managedSystems>'
                    '<system address="1" ipaddress="127.0.0.1" port="%s" name="Main pool"/>'
                    '</managedSystems></aqlRemoteConfig>\r\n' % port)

        env = dict(os.environ, AQL_SETTINGS=os.path.join(work, "settings.ini"),
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        env.pop("AQL_DEMO", None)
        app = subprocess.Popen([os.path.join(program, "aqlremote")], env=env)

        desktop = pyatspi.Registry.getDesktop(0)
        application = wait_for("the console on the accessibility bus", lambda: next(
            (a for a in desktop if a is not None and a.name == "aqlremote"), None))
        window = wait_for("the main window", lambda: find(
            application, pyatspi.ROLE_FRAME, name="AQL Remote Console"))

        display = wait_for("the display", lambda: find(
            window, pyatspi.ROLE_LABEL,
            description="Controller display, 4 lines of 20 characters"))
        offline_text = text_of(display)
        if offline_text.count("\n") != 3 or offline_text.strip():
            fail("the display should read four blank lines while Offline: %r" % offline_text)

        online = wait_for("the Online button",
                          lambda: find(window, pyatspi.ROLE_RADIO_BUTTON, name="Online"))
        phase = wait_for("the status bar's phase", lambda: find(
            window, pyatspi.ROLE_LABEL, name="Offline"))
        press(online)
        wait_for("Online to be chosen",
                 lambda: online.getState().contains(pyatspi.STATE_CHECKED))
        shown = wait_for("the controller's display", lambda: text_of(display).strip())
        print("display:\n" + shown)

        wait_for("the record count to read 0, described as records held", lambda: find(
            window, pyatspi.ROLE_LABEL, name="0", description="records held"))

        # The status bar says the same as the window: Online, with the lines it has received.
        wait_for("the status bar to read Online", lambda: phase.name == "Online")
        lines = wait_for("the status bar's line count", lambda: find(
            window, pyatspi.ROLE_LABEL, name_prefix="Lines received: "))
        print("status bar: %s, %s" % (phase.name, lines.name))

        # Accept opens the controller's settings menu: its display shows that the key went out
        # and the controller took it.
        accept = wait_for("the Accept key", lambda: find(
            window, pyatspi.ROLE_PUSH_BUTTON, name="Accept (V)"))
        press(accept)
        menu = wait_for("the controller's settings menu on the display",
                        lambda: "setpoint" in text_of(display) and text_of(display))
        print("after Accept:\n" + menu)

        # Help, About by keyboard alone: Alt+H opens the menu, Enter takes its first entry.
        focus = subprocess.run(["xdotool", "search", "--name", "^AQL Remote Console$"],
                               capture_output=True, text=True).stdout.split()
        if not focus:
            fail("the main window is not on the X server")
        subprocess.run(["xdotool", "windowfocus", "--sync", focus[0]], check=True)
        # Typed keys reach the menu bar only once the console has taken the activation in.
        wait_for("the main window to be active",
                 lambda: window.getState().contains(pyatspi.STATE_ACTIVE))
        keys("alt+h")
        wait_for("the Help menu", lambda: find(
            application, pyatspi.ROLE_MENU_ITEM, name="About AQL Remote Console...") and showing(
            find(application, pyatspi.ROLE_MENU_ITEM, name="About AQL Remote Console...")))
        keys("Return")
        about = wait_for("the About window", lambda: next(
            (d for d in [find(application, pyatspi.ROLE_DIALOG,
                              name="About AQL Remote Console...")] if d and showing(d)), None))
        version = wait_for("the About window to read the version 2.0.41", lambda: find(
            about, pyatspi.ROLE_LABEL, name="2.0.41"))
        wait_for("the About window's OK button", lambda: find(
            about, pyatspi.ROLE_PUSH_BUTTON, name="OK"))
        keys("Escape")
        wait_for("the About window to close", lambda: not showing(about))
        print("About read through AT-SPI: version " + version.name)

        exit_entry = wait_for("the Exit entry", lambda: find(
            application, pyatspi.ROLE_MENU_ITEM, name="Exit"))
        press(exit_entry)
        try:
            status = app.wait(timeout=60)
        except subprocess.TimeoutExpired:
            fail("the console did not end after File, Exit")
        if status != 0:
            fail("the console ended with status %d" % status)
        app = None

        sim.send_signal(signal.SIGTERM)
        sim.wait(timeout=10)
        sim_err.close()
        report = open(os.path.join(work, "sim.log")).read()
        accepted = int(re.search(r"^frames accepted: (\d+)$", report, re.M).group(1))
        polls = int(re.search(r"^polls: (\d+)$", report, re.M).group(1))
        if accepted - polls != 1:
            fail("the controller should have received exactly one key besides %d polls, "
                 "got %d frames" % (polls, accepted))
        print("Online through AT-SPI; the controller took the key and %d polls" % polls)
    finally:
        for process in (app, sim):
            if process is not None and process.poll() is None:
                process.kill()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
