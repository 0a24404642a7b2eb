#!/usr/bin/env python3
"""kelvow32 on an X server of its own, driven as a technician would drive it.

Each case starts Xvfb on a free display, kelvo-sim --pace on a link, and
kelvow32 from a scratch copy of the program's folder whose kelvow32.ini maps
COM1 to the link. Clicks and keys go through the X server (xdotool); what the
program did is read back from its probe file (kelvow32 --probe=FILE: one line
per click, key, tab change, box and document window, stamped with the
monotonic clock this script reads too).

    x11_session.py --bin DIR CASE

Exit 0 passed, 1 failed, 77 skipped (no X server could be started).
"""

import argparse
import configparser
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

SKIP = 77
EFFECT_LIMIT_S = 2.0  # an input that has no effect by then counts as lost
WITHIN_MS = 200.0


class Failure(Exception):
    pass


def now_ms():
    return time.monotonic() * 1000.0


class Probe:
    """The program's probe file, read as it grows."""

    def __init__(self, path):
        self.path = path
        self.lines = []
        self._offset = 0

    def poll(self):
        try:
            with open(self.path, "r", encoding="utf-8", errors="replace") as f:
                f.seek(self._offset)
                data = f.read()
        except FileNotFoundError:
            return
        if not data:
            return
        complete = data.rfind("\n") + 1
        self._offset += len(data[:complete].encode("utf-8", errors="replace"))
        for raw in data[:complete].splitlines():
            stamp, _, rest = raw.partition(" ")
            try:
                self.lines.append((float(stamp), rest))
            except ValueError:
                pass

    def find(self, prefix, since=0.0):
        for stamp, text in self.lines:
            if stamp >= since and text.startswith(prefix):
                return stamp, text
        return None

    def wait(self, prefix, since=0.0, timeout=10.0, alive=None):
        deadline = time.monotonic() + timeout
        while True:
            self.poll()
            hit = self.find(prefix, since)
            if hit:
                return hit
            if alive and not alive():
                raise Failure("the program ended while waiting for %r" % prefix)
            if time.monotonic() > deadline:
                raise Failure("no %r within %.1f s; last lines:\n  %s" % (
                    prefix, timeout, "\n  ".join(t for _, t in self.lines[-12:])))
            time.sleep(0.005)

    def last(self, prefix):
        self.poll()
        for stamp, text in reversed(self.lines):
            if text.startswith(prefix):
                return stamp, text
        return None


class Session:
    def __init__(self, bin_dir, scratch):
        self.bin_dir = bin_dir
        self.scratch = scratch
        self.xvfb = None
        self.sim = None
        self.program = None
        self.display = None
        self.probe = None
        self.runs = 0
        self.prog_dir = os.path.join(scratch, "program")
        self.link = os.path.join(scratch, "kelvo-port")
        self.state = os.path.join(scratch, "state")
        self.env = dict(os.environ)
        for key in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SESSION_MANAGER"):
            self.env.pop(key, None)
        self.env.update({
            "HOME": os.path.join(scratch, "home"),
            "XDG_STATE_HOME": self.state,
            "XDG_DATA_HOME": os.path.join(scratch, "data"),
            "XDG_CONFIG_HOME": os.path.join(scratch, "config"),
            "XDG_RUNTIME_DIR": os.path.join(scratch, "runtime"),
            "QT_QPA_PLATFORM": "xcb",
        })
        for key in ("HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"):
            os.makedirs(self.env[key], mode=0o700, exist_ok=True)
        # Under AddressSanitizer: the X keyboard library hands strndup buffers
        # that end at the length it gives, which the strict string checks take
        # for an overflow. The program's own strings are checked everywhere else.
        if "ASAN_OPTIONS" in self.env:
            self.env["ASAN_OPTIONS"] = self.env["ASAN_OPTIONS"].replace(
                "strict_string_checks=1", "strict_string_checks=0")

    # --- the X server -----------------------------------------------------
    def start_x(self):
        xvfb = shutil.which("Xvfb")
        if not xvfb:
            return "Xvfb is not installed"
        read_end, write_end = os.pipe()
        try:
            self.xvfb = subprocess.Popen(
                [xvfb, "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except OSError as e:
            return "Xvfb cannot be started: %s" % e
        finally:
            os.close(write_end)
        number = b""
        deadline = time.monotonic() + 10
        os.set_blocking(read_end, False)
        while time.monotonic() < deadline and not number.endswith(b"\n"):
            try:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
            except BlockingIOError:
                if self.xvfb.poll() is not None:
                    break
                time.sleep(0.01)
        os.close(read_end)
        if not number.strip().isdigit():
            return "Xvfb did not start"
        self.display = ":" + number.strip().decode()
        self.env["DISPLAY"] = self.display
        return None

    def stop_x(self):
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()

    def xdo(self, *args):
        result = subprocess.run(["xdotool", *args], env=self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True, timeout=10)
        if result.returncode != 0:
            raise Failure("xdotool %s: %s" % (" ".join(args), result.stderr.strip()))
        return result.stdout

    # --- the virtual device -----------------------------------------------
    def start_sim(self):
        out = os.path.join(self.scratch, "sim.out")
        with open(out, "w") as log:
            self.sim = subprocess.Popen(
                [os.path.join(self.bin_dir, "kelvo-sim"), "--link", self.link, "--pace"],
                stdout=log, stderr=subprocess.STDOUT, env=self.env)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            with open(out) as f:
                if any(line.startswith("ready ") for line in f):
                    return
            if self.sim.poll() is not None:
                break
            time.sleep(0.02)
        raise Failure("kelvo-sim did not start: " + open(out).read())

    # --- the program --------------------------------------------------------
    def prepare_program(self, auto_connect=True):
        """A scratch copy of the program's folder: the program and its data."""
        os.makedirs(self.prog_dir, exist_ok=True)
        target = os.path.join(self.prog_dir, "kelvow32")
        if not os.path.exists(target):
            source = os.path.join(self.bin_dir, "kelvow32")
            try:
                os.link(source, target)
            except OSError:
                shutil.copy2(source, target)
            for name in os.listdir(self.bin_dir):
                path = os.path.join(self.bin_dir, name)
                if name.endswith(".ini"):
                    continue
                if os.path.isdir(path):
                    shutil.copytree(path, os.path.join(self.prog_dir, name), dirs_exist_ok=True)
                elif not os.access(path, os.X_OK):
                    shutil.copy2(path, os.path.join(self.prog_dir, name))
        ini = configparser.RawConfigParser()
        ini.optionxform = str
        ini.read(self.ini_path(), encoding="utf-8")
        for section in ("Ports", "KelvoWin"):
            if not ini.has_section(section):
                ini.add_section(section)
        ini.set("Ports", "COM1", self.link)
        ini.set("KelvoWin", "AutoConnect", "1" if auto_connect else "0")
        ini.set("KelvoWin", "LastCOM", "1")
        with open(self.ini_path(), "w", encoding="utf-8") as f:
            ini.write(f, space_around_delimiters=False)

    def ini_path(self):
        return os.path.join(self.prog_dir, "kelvow32.ini")

    def start_program(self, *args):
        self.runs += 1
        probe = os.path.join(self.scratch, "probe-%d.txt" % self.runs)
        self.probe = Probe(probe)
        self.program_out = os.path.join(self.scratch, "program-%d.out" % self.runs)
        with open(self.program_out, "w") as out:
            # KELVO_X11_WRAP="gdb -batch -ex run -ex bt --args" runs it under a debugger.
            wrap = os.environ.get("KELVO_X11_WRAP", "").split()
            self.program = subprocess.Popen(
                [*wrap, os.path.join(self.prog_dir, "kelvow32"), "--probe=" + probe, *args],
                cwd=self.scratch, env=self.env, stdout=out, stderr=subprocess.STDOUT)
        self.probe.wait("start", timeout=15, alive=self.alive)
        return self.probe

    def alive(self):
        return self.program is not None and self.program.poll() is None

    def program_output(self):
        try:
            return open(self.program_out).read()
        except OSError:
            return ""

    def wait_end(self, timeout):
        try:
            return self.program.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop_all(self):
        if self.program and self.program.poll() is None:
            self.program.kill()
            self.program.wait()
        if self.sim and self.sim.poll() is None:
            self.sim.terminate()
            try:
                self.sim.wait(5)
            except subprocess.TimeoutExpired:
                self.sim.kill()
                self.sim.wait()
        self.stop_x()

    def recovery_files(self):
        folder = os.path.join(self.state, "kelvo", "recovery")
        if not os.path.isdir(folder):
            return []
        return sorted(n for n in os.listdir(folder) if not n.startswith("."))

    # --- common steps -------------------------------------------------------
    def key(self, *keys):
        self.xdo("key", "--clearmodifiers", *keys)

    def refocus(self):
        """The main window takes the keyboard again after a box closed. Without
        a window manager nobody else gives it back: the X server lets the focus
        fall to the root window."""
        found = self.xdo("search", "--onlyvisible", "--name", "^KelvoW32").split()
        if found:
            self.xdo("windowfocus", "--sync", found[0])

    def answer_box(self, key, title):
        shown = self.probe.last("box " + title + "|")
        # Keys go to the box once it is the active window.
        self.probe.wait("active " + title, since=shown[0] if shown else 0, timeout=5,
                        alive=self.alive)
        self.key(key)

    def close_box(self, key, title):
        t = now_ms()
        self.answer_box(key, title)
        self.probe.wait("boxclosed " + title, since=t - 1, timeout=5, alive=self.alive)
        self.refocus()

    def go_online_and_answer(self):
        """The auto-connect window downloads the dialog; its box is answered.
        On a machine under load the virtual device can miss the line's
        deadlines: as a technician would, the program is told to try again
        (Go Online On Last COM)."""
        probe = self.probe
        since = 0.0
        for attempt in range(5):
            stamp, box = probe.wait("box Go Online|", since=since, timeout=20, alive=self.alive)
            t = now_ms()
            self.close_box("Return", "Go Online")
            if "successful" in box:
                # Online: the status text shows the message rate.
                probe.wait("status ", since=t - 1, timeout=5, alive=self.alive)
                return
            print("going online, attempt %d: %s" % (attempt + 1, box), flush=True)
            since = now_ms()
            self.key("ctrl+shift+l")
        raise Failure("the program could not go online")

    def tabs(self):
        hit = self.probe.last("tabs ")
        if not hit:
            raise Failure("no tab positions in the probe")
        tabs = {}
        for part in hit[1][5:].split("|"):
            index, name, x, y, w, h = part.split(" ")
            tabs[name] = (int(x) + int(w) // 2, int(y) + int(h) // 2)
        return tabs

    def modify_a_value(self):
        """F2 on the lines until one opens its value dialog, then OK: the
        document is modified."""
        probe = self.probe
        for _ in range(30):
            t = now_ms()
            self.key("F2")
            _, box = probe.wait("box Edit Value|", since=t, timeout=5, alive=self.alive)
            if box == "box Edit Value|":
                self.close_box("Return", "Edit Value")
                return
            # "This line can't be changed!": the next line.
            self.close_box("Return", "Edit Value")
            self.key("Down")
        raise Failure("no line could be edited")


# --- the cases ----------------------------------------------------------------

def nudge_until(session, prefix, since, timeout=10.0):
    """Small mouse moves until the probe shows prefix: an input held back
    without end goes on with the next event of the window system."""
    deadline = time.monotonic() + timeout
    step = 1
    while time.monotonic() < deadline:
        session.xdo("mousemove_relative", "--", str(step), "0")
        step = -step
        time.sleep(0.1)
        session.probe.poll()
        if session.probe.find(prefix, since):
            return
    raise Failure("%r never came, even with the mouse moving" % prefix)


def current_tab(session):
    hit = session.probe.last("tab ")
    return hit[1][4:] if hit else "Display"


def measure(session, label, count, press):
    """count inputs on the tabs, each to the tab not shown; each must change
    the tab. Answers the delays in ms (None for an input without effect)."""
    probe = session.probe
    tabs = session.tabs()
    delays = []
    for i in range(count):
        name = "Display" if current_tab(session) == "About" else "About"
        x, y = tabs[name]
        session.xdo("mousemove", str(x), str(y))
        time.sleep(0.02 + (i % 7) * 0.011)  # lands anywhere in the refresh cycle
        t = now_ms()
        press()
        try:
            stamp, _ = probe.wait("tab " + name, since=t, timeout=EFFECT_LIMIT_S,
                                  alive=session.alive)
            delays.append(stamp - t)
        except Failure:
            if not session.alive():
                raise
            delays.append(None)
            nudge_until(session, "tab " + name, t)
    report(label, delays)
    return delays


def report(label, delays):
    done = [d for d in delays if d is not None]
    within = sum(1 for d in done if d <= WITHIN_MS)
    text = "%s: %d of %d took effect, %d within %d ms" % (
        label, len(done), len(delays), within, WITHIN_MS)
    if done:
        text += ", median %.0f ms, slowest %.0f ms" % (statistics.median(done), max(done))
    print(text, flush=True)


def case_input_online(session):
    session.prepare_program()
    session.start_program()
    session.go_online_and_answer()
    lost = 0
    taps = measure(session, "quick taps", 40,
                   lambda: session.xdo("mousedown", "1", "mouseup", "1"))
    held = measure(session, "held clicks (80 ms)", 40,
                   lambda: session.xdo("mousedown", "1", "sleep", "0.08", "mouseup", "1"))
    lost += taps.count(None) + held.count(None)

    # F2 on the list: the value dialog (or the box of a line that cannot be
    # changed) opens; Escape closes it again.
    probe = session.probe
    x, y = session.tabs()["Display"]
    if current_tab(session) != "Display":
        t = now_ms()
        session.xdo("mousemove", str(x), str(y), "click", "1")
        try:
            probe.wait("tab Display", since=t, timeout=EFFECT_LIMIT_S, alive=session.alive)
        except Failure:
            nudge_until(session, "tab Display", t)
    keys = []
    for i in range(20):
        time.sleep(0.02 + (i % 7) * 0.011)
        t = now_ms()
        session.key("F2")
        try:
            stamp, _ = probe.wait("box Edit Value|", since=t, timeout=EFFECT_LIMIT_S,
                                  alive=session.alive)
            keys.append(stamp - t)
        except Failure:
            if not session.alive():
                raise
            keys.append(None)
            nudge_until(session, "box Edit Value|", t)
        session.close_box("Escape", "Edit Value")
    report("F2", keys)
    lost += keys.count(None)
    if lost:
        raise Failure("%d inputs took no effect within %.1f s" % (lost, EFFECT_LIMIT_S))


def case_program_shortcut(session):
    """Ctrl+Shift+F5 online programs the device (the editor's shortcut)."""
    session.prepare_program()
    session.start_program()
    session.go_online_and_answer()
    t = now_ms()
    session.key("ctrl+shift+F5")
    _, box = session.probe.wait("box Program KELVO Device|", since=t, timeout=5,
                                alive=session.alive)
    if "Success!" not in box:
        raise Failure(box)
    session.close_box("Return", "Program KELVO Device")


def case_menu_mnemonics(session):
    """Right after start with an editor window, every menu of the bar opens by
    its mnemonic, the editor's merged Edit and View menus too."""
    session.prepare_program()
    session.start_program()
    session.go_online_and_answer()
    for letter, title in (("f", "File"), ("e", "Edit"), ("v", "View"), ("w", "Window"),
                          ("h", "Help")):
        t = now_ms()
        session.key("alt+" + letter)
        session.probe.wait("menu " + title, since=t, timeout=5, alive=session.alive)
        session.key("Escape")
        session.key("Escape")
        session.refocus()


def close_program_asks(session):
    """Alt+F4 asks the close question of a modified document."""
    t = now_ms()
    session.key("alt+F4")
    session.probe.wait("box Close File|Cancel pending modifications?", since=t, timeout=5,
                       alive=session.alive)


def case_close_question(session):
    session.prepare_program()
    session.start_program()
    session.go_online_and_answer()
    session.modify_a_value()
    close_program_asks(session)
    # Cancel keeps the program.
    session.close_box("Escape", "Close File")
    time.sleep(0.3)
    if not session.alive():
        raise Failure("Cancel on the close question ended the program")
    close_program_asks(session)
    session.answer_box("Return", "Close File")
    code = session.wait_end(5)
    if code != 0:
        raise Failure("the program did not end normally after OK: %r" % code)
    if session.recovery_files():
        raise Failure("a normal close left recovery copies: %r" % session.recovery_files())


def settings_written(session, before):
    text = open(session.ini_path(), encoding="utf-8").read()
    return text != before and "Language=" in text


def strip_settings(session):
    """The settings the program writes itself, taken out of its INI file."""
    ini = configparser.RawConfigParser()
    ini.optionxform = str
    ini.read(session.ini_path(), encoding="utf-8")
    if ini.has_option("KelvoWin", "Language"):
        ini.remove_option("KelvoWin", "Language")
    with open(session.ini_path(), "w", encoding="utf-8") as f:
        ini.write(f, space_around_delimiters=False)
    return open(session.ini_path(), encoding="utf-8").read()


def check_ended(session, code, started, what):
    took = now_ms() - started
    if code is None:
        raise Failure("%s: the program still runs after 3 s" % what)
    if code < 0:
        raise Failure("%s: the program died of signal %d\n%s" % (
            what, -code, session.program_output()))
    print("%s: ended with %d after %.0f ms" % (what, code, took), flush=True)
    if took > 2000 + 250:  # the polling of this script adds a little
        raise Failure("%s: ending took %.0f ms" % (what, took))


def case_sigterm_recovery(session):
    session.prepare_program()
    session.start_program()
    session.go_online_and_answer()
    session.modify_a_value()
    before = strip_settings(session)
    close_program_asks(session)
    started = now_ms()
    session.program.send_signal(signal.SIGTERM)
    check_ended(session, session.wait_end(3), started, "SIGTERM with a box open")
    if len(session.recovery_files()) != 1:
        raise Failure("recovery copies: %r" % session.recovery_files())
    if not settings_written(session, before):
        raise Failure("the settings were not written")

    # The next start offers the copy; Yes opens it as a new untitled,
    # modified document.
    session.start_program()
    probe = session.probe
    probe.wait("box Recover Documents|Recovered 1 document(s) after an unexpected end. "
               "Open them?", timeout=15, alive=session.alive)
    t = now_ms()
    session.close_box("Return", "Recover Documents")
    probe.wait("child Kelvo New", since=t, timeout=5)
    # The copies go once every one of them is open, a moment after the first
    # window shows.
    deadline = time.monotonic() + 5
    while session.recovery_files() and time.monotonic() < deadline:
        time.sleep(0.05)
    if session.recovery_files():
        raise Failure("the copies stayed after they were opened")
    session.go_online_and_answer()  # the auto-connect window of this start
    # Both windows are documents; the recovered one is modified and asks.
    close_program_asks(session)
    session.answer_box("Return", "Close File")
    code = session.wait_end(5)
    if code != 0:
        raise Failure("the program did not end after the close question: %r" % code)


def case_lost_display(session):
    session.prepare_program()
    session.start_program()
    session.go_online_and_answer()
    session.modify_a_value()
    before = strip_settings(session)
    started = now_ms()
    session.xvfb.kill()
    session.xvfb.wait()
    check_ended(session, session.wait_end(3), started, "display lost")
    if len(session.recovery_files()) != 1:
        raise Failure("recovery copies: %r" % session.recovery_files())
    if not settings_written(session, before):
        raise Failure("the settings were not written")


CASES = {
    "input_online": case_input_online,
    "program_shortcut": case_program_shortcut,
    "menu_mnemonics": case_menu_mnemonics,
    "close_question": case_close_question,
    "sigterm_recovery": case_sigterm_recovery,
    "lost_display": case_lost_display,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="the build's program folder")
    parser.add_argument("--keep", action="store_true", help="keep the scratch folder")
    parser.add_argument("case", choices=sorted(CASES))
    args = parser.parse_args()
    scratch = tempfile.mkdtemp(prefix="kelvo-x11-")
    session = Session(os.path.abspath(args.bin), scratch)
    try:
        why = session.start_x()
        if why:
            print("SKIPPED: no X server for this test: " + why, flush=True)
            return SKIP
        if not shutil.which("xdotool"):
            raise Failure("xdotool is not installed (./scripts/test installs it)")
        session.start_sim()
        CASES[args.case](session)
        print("passed", flush=True)
        return 0
    except Failure as e:
        print("FAILED: %s" % e, flush=True)
        out = session.program_output()
        if out.strip():
            print("program output:\n" + out, flush=True)
        return 1
    finally:
        session.stop_all()
        if args.keep:
            print("scratch folder: " + scratch)
        else:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
