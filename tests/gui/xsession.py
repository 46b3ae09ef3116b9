"""A private X session for GUI tests: Xvfb on a free display, openbox on it
(or no window manager at all),
and the real `kelmoro` started inside, driven with xdotool.

Everything waits by polling with a deadline; nothing sleeps for long. Every
process started here is killed at the end, whatever happened.
"""
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time


class Timeout(AssertionError):
    pass


def wait_for(predicate, timeout=10.0, interval=0.05, what="condition"):
    """Polls predicate until it returns a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def wait_steady(read, timeout=10.0, quiet=0.2, what="a steady value"):
    """Polls read until it has returned the same value for quiet seconds
    (a window laid out, a picture drawn), which is returned."""
    deadline = time.monotonic() + timeout
    value = read()
    since = time.monotonic()
    while True:
        time.sleep(0.05)
        current = read()
        now = time.monotonic()
        if current != value:
            value, since = current, now
        elif now - since >= quiet:
            return value
        if now > deadline:
            raise Timeout(f"timed out after {timeout} s waiting for {what}")


class XSession:
    def __init__(self, width=1024, height=768, window_manager=True):
        self.procs = []
        self.tmp = tempfile.mkdtemp(prefix="kelmoro-gui-")
        self.home = os.path.join(self.tmp, "home")
        os.makedirs(self.home)
        self.trace = os.path.join(self.tmp, "boxes.txt")
        self.log = os.path.join(self.tmp, "output.log")
        try:
            self.display = self._start_xvfb(width, height)
            if window_manager:
                self._start_openbox()
            else:
                self._environment()
        except BaseException:
            self.close()  # nothing may outlive a failed start
            raise

    def _environment(self):
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "DISPLAY": self.display,
            "HOME": self.home,
            "LANG": "C.UTF-8",
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_RUNTIME_DIR": self.tmp,
            # No accessibility bus, no dconf: nothing may outlive a test.
            "NO_AT_BRIDGE": "1",
            "GSETTINGS_BACKEND": "memory",
            "DBUS_SESSION_BUS_ADDRESS": "disabled:",
            "KELMORO_TRACE_BOXES": self.trace,
        }

    # -- set-up and tear-down -------------------------------------------------

    def _start_xvfb(self, width, height):
        read_fd, write_fd = os.pipe()
        proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-dpi", "96"],
            pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True)
        self.procs.append(proc)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_fd], [], [], 0.5)
            if time.monotonic() > deadline or proc.poll() is not None:
                os.close(read_fd)
                raise Timeout("Xvfb did not start")
            if not ready:
                continue
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_fd)
        return ":" + number.decode().strip()

    def _start_openbox(self):
        """openbox, ready once it has claimed the screen; started again if it
        has not within a few seconds (seen once on a loaded machine)."""
        self._environment()
        for attempt in range(3):
            with open(os.path.join(self.tmp, "openbox.log"), "ab") as log:
                proc = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                        start_new_session=True)
            self.procs.append(proc)
            try:
                wait_for(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.run(
                    ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False),
                    timeout=8, what="openbox")
                return
            except Timeout:
                if proc.poll() is None:
                    os.killpg(proc.pid, signal.SIGKILL)
                    proc.wait()
        with open(os.path.join(self.tmp, "openbox.log"), errors="replace") as log:
            raise Timeout("openbox did not start: " + log.read()[-2000:])

    def close(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                try:
                    os.killpg(proc.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                proc.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # -- tools ------------------------------------------------------------------

    def run(self, args, check=True, binary=False):
        result = subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=30)
        if check and result.returncode != 0:
            raise AssertionError(f"{args} failed: {result.stderr.decode(errors='replace')}")
        return result.stdout if binary else result.stdout.decode("utf-8", errors="replace")

    def start(self, args, cwd=None, extra_env=None):
        """Starts a program in the session; its output goes to self.log.
        extra_env adds to the session's environment; a None value removes
        that variable."""
        env = dict(self.env)
        for name, value in (extra_env or {}).items():
            if value is None:
                env.pop(name, None)
            else:
                env[name] = value
        with open(self.log, "ab") as log:
            proc = subprocess.Popen(args, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                    stdout=log, stderr=log, start_new_session=True)
        self.procs.append(proc)
        return proc

    def log_text(self):
        if not os.path.exists(self.log):
            return ""
        with open(self.log, encoding="utf-8", errors="replace") as log:
            return log.read()

    def key(self, *keys):
        self.run(["xdotool", "key", "--clearmodifiers"] + list(keys))

    def lock_key(self, key):
        """Caps_Lock, Num_Lock: without --clearmodifiers, which would undo
        the lock it toggles."""
        self.run(["xdotool", "key", key])

    def type_text(self, text):
        self.run(["xdotool", "type", "--delay", "20", text])

    def windows(self, pid, name="."):
        # --all: xdotool's default joins the conditions with "or", which
        # would list every named window of every program on the display.
        out = self.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid),
                        "--name", name], check=False)
        return [int(w) for w in out.split()]

    def window_name(self, window):
        return self.run(["xdotool", "getwindowname", str(window)], check=False).rstrip("\n")

    def titles(self, pid):
        return [self.window_name(w) for w in self.windows(pid)]

    def wait_window(self, pid, title, timeout=10.0):
        """A visible window of pid whose title is exactly title."""
        pattern = "^" + re.escape(title) + "$"

        def find():
            for window in self.windows(pid, pattern):
                if self.window_name(window) == title:
                    return window
            return None
        return wait_for(find, timeout, what=f"window {title!r}")

    def pointer(self):
        """(x, y) of the pointer on the screen."""
        out = self.run(["xdotool", "getmouselocation", "--shell"], check=False)
        values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return int(values.get("X", -1)), int(values.get("Y", -1))

    def point_at(self, window):
        """Moves the pointer to the middle of window and waits until the
        server has it there (without a window manager, keys go to the
        window under the pointer)."""
        x, y, width, height = self.geometry(window)
        self.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2)])
        wait_for(lambda: self.pointer() == (x + width // 2, y + height // 2),
                 what=f"the pointer on {window}")

    def active_window(self):
        out = self.run(["xdotool", "getactivewindow"], check=False).strip()
        return int(out) if out else None

    def geometry(self, window):
        """(x, y, width, height) of the window's inside on the screen.
        xwininfo, not xdotool: xdotool counts the frame offset twice under a
        reparenting window manager."""
        out = self.run(["xwininfo", "-id", str(window)])
        values = {}
        for line in out.splitlines():
            if ":" in line:
                key, _, value = line.strip().partition(":")
                values[key] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def screenshot(self, path):
        self.run(["import", "-window", "root", path])
        return path

    def boxes(self):
        """The trace lines: ('box', style, caption, text) and ('answer', result)."""
        if not os.path.exists(self.trace):
            return []
        with open(self.trace, "rb") as trace:
            data = trace.read()
        # Only whole lines: the program may be half way through writing one
        # (even through one character's bytes).
        text = data[:data.rfind(b"\n") + 1].decode("utf-8")
        return [tuple(line.split("\t")) for line in text.split("\n") if line.strip()]


class WaylandSession(XSession):
    """A Wayland desktop: weston (its desktop shell, X11 back end) in a private
    Xvfb, which gives it a seat. Keys sent with xdotool reach the focused
    client through weston's window; `import` on the Xvfb captures the desktop.
    GDK_BACKEND stays unset, so GTK picks Wayland as in a desktop session.
    xdotool cannot see Wayland clients' windows: tests read them through
    AT-SPI."""
    BACKGROUND = (0x3c, 0x50, 0x64)  # the desktop's plain colour

    def __init__(self, width=1024, height=768):
        super().__init__(width, height, window_manager=False)
        try:
            self._start_weston(width, height)
        except BaseException:
            self.close()
            raise

    def _start_weston(self, width, height):
        # The socket lies in the session's own runtime folder (mode 700),
        # under a name no other run on the machine uses.
        socket = "kelmoro-" + os.path.basename(self.tmp)
        config = os.path.join(self.tmp, "weston.ini")
        with open(config, "w") as out:
            # No key repeat: a test may hold a key down as long as it needs.
            out.write("[keyboard]\nrepeat-rate=0\n[shell]\npanel-position=none\nlocking=false\n"
                      "startup-animation=none\nclose-animation=none\n"
                      "background-color=0xff%02x%02x%02x\n" % self.BACKGROUND)
        with open(os.path.join(self.tmp, "weston.log"), "ab") as log:
            self.procs.append(subprocess.Popen(
                ["weston", "--backend=x11-backend.so", f"--socket={socket}", f"--width={width}",
                 f"--height={height}", "--idle-time=0", f"--config={config}"],
                env=self.env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                start_new_session=True))
        self.env["WAYLAND_DISPLAY"] = socket
        window = wait_for(lambda: self.run(["xdotool", "search", "--class", "^Weston Compositor$"],
                                           check=False).split(), timeout=30, what="weston's window")
        # Weston's window takes the keys; the pointer waits in its lower right
        # corner, where the cursor weston draws covers no window.
        self.run(["xdotool", "mousemove", str(width - 1), str(height - 1),
                  "windowfocus", "--sync", window[0]])
        centre = ["import", "-window", "root", "-crop", f"1x1+{width // 2}+{height // 2}",
                  "-depth", "8", "ppm:-"]
        wait_for(lambda: read_ppm(self.run(centre, binary=True))[2] == bytes(self.BACKGROUND),
                 timeout=30, what="weston's desktop drawn")


def read_ppm(data):
    """(width, height, rgb bytes) of a binary PPM."""
    parts = []
    index = 0
    while len(parts) < 4:
        while data[index:index + 1].isspace():
            index += 1
        if data[index:index + 1] == b"#":
            index = data.index(b"\n", index)
            continue
        end = index
        while not data[end:end + 1].isspace():
            end += 1
        parts.append(data[index:end])
        index = end
    assert parts[0] == b"P6" and parts[3] == b"255", parts
    width, height = int(parts[1]), int(parts[2])
    return width, height, data[index + 1:]
