"""Shared pieces of the GUI tests: paths from CTest, WAV files, the
progress-bar reading of a screenshot."""
import json
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import WaylandSession, XSession, read_ppm, wait_for, wait_steady  # noqa: E402,F401

KELMORO = os.environ.get("KELMORO", "kelmoro")
KELMORO_CLI = os.environ.get("KELMORO_CLI", "kelmoro-cli")
MAKE_WAV = os.environ.get("MAKE_WAV", "tools/make_wav.py")
SCREENSHOTS = os.environ.get("KELMORO_SCREENSHOTS", "")
ATSPI_PYTHON = "/usr/bin/python3"  # Debian's, which has pyatspi
READER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_tree.py")

# The progress dialog is 228 dialog units wide, its bar spans 6 to 221.
DIALOG_DU_WIDTH = 228
BAR_DU_LEFT = 6
BAR_DU_RIGHT = 221


def make_wav(path, seconds=1.0, **options):
    args = [sys.executable, MAKE_WAV, path, "--seconds", str(seconds)]
    for name, value in options.items():
        args += [f"--{name}", str(value)]
    subprocess.run(args, check=True)
    return path


def capture_screen(session):
    """One screenshot of the whole screen, as binary PPM bytes."""
    return session.run(["import", "-window", "root", "-depth", "8", "ppm:-"], binary=True)


def keep_screenshot(session, name, windows=(), capture=None):
    """Saves a screenshot (a new one, or the given capture) for the README
    when the build asks for them, cropped to the given windows with their
    frames, or on a Wayland desktop to what it shows (its plain colour
    trimmed away, the pointer's corner first), or the whole screen."""
    if not SCREENSHOTS:
        return
    os.makedirs(SCREENSHOTS, exist_ok=True)
    if capture is None:
        capture = capture_screen(session)
    crop = []
    if isinstance(session, WaylandSession):
        crop = ["-gravity", "SouthEast", "-chop", "16x16", "+gravity", "-trim", "+repage"]
    elif windows:
        boxes = [session.geometry(window) for window in windows]
        # Room for the title bar and borders the window manager adds.
        left = max(0, min(x for x, _, _, _ in boxes) - 12)
        top = max(0, min(y for _, y, _, _ in boxes) - 34)
        right = max(x + w for x, _, w, _ in boxes) + 12
        bottom = max(y + h for _, y, _, h in boxes) + 12
        crop = ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
    subprocess.run(["convert", "ppm:-", *crop, os.path.join(SCREENSHOTS, name)],
                   input=capture, check=True)


def bar_fraction(session, window, capture):
    """How far along the dialog's progress bar is in a screenshot: the
    rightmost column of the bar's fill colour (GTK's blue) between the bar's
    ends, as a fraction; 0.0 when no fill shows."""
    x, y, width, height = session.geometry(window)
    screen_width, screen_height, pixels = read_ppm(capture)
    left = width * BAR_DU_LEFT / DIALOG_DU_WIDTH
    right = width * BAR_DU_RIGHT / DIALOG_DU_WIDTH
    rightmost = None
    for row in range(y + height // 2, min(y + height, screen_height)):
        for column in range(x, min(x + width, screen_width)):
            i = (row * screen_width + column) * 3
            r, g, b = pixels[i], pixels[i + 1], pixels[i + 2]
            if b > 170 and r < 120 and 90 < g < 180 and (rightmost is None or column > rightmost):
                rightmost = column
    if rightmost is None:
        return 0.0
    return (rightmost - x + 1 - left) / (right - left)


class GuiTestCase(unittest.TestCase):
    """Each test gets its own X session and a scratch folder."""
    SCREEN = (1024, 768)
    WINDOW_MANAGER = True  # openbox on the screen; False: bare Xvfb
    WAYLAND = False  # True: a Wayland desktop (weston) instead

    def setUp(self):
        if self.WAYLAND:
            self.session = WaylandSession(*self.SCREEN)
        else:
            self.session = XSession(*self.SCREEN, window_manager=self.WINDOW_MANAGER)
        self.addCleanup(self.session.close)
        self.dir = tempfile.mkdtemp(prefix="kelmoro-files-")
        self.addCleanup(subprocess.run, ["rm", "-rf", self.dir])

    def start(self, *args, extra_env=None):
        return self.session.start([KELMORO, *args], cwd=self.dir, extra_env=extra_env)

    def finish(self, proc, timeout=30):
        """Exit status of proc, once it has ended."""
        try:
            return proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail(f"kelmoro did not end; windows: {self.session.titles(proc.pid)}; "
                      f"output: {self.session.log_text()}")

    def box_lines(self):
        return [line for line in self.session.boxes() if line[0] == "box"]

    def answer_lines(self):
        return [line for line in self.session.boxes() if line[0] == "answer"]

    def assert_on_screen(self, window, within=None):
        """The window's inside lies wholly on the screen (or inside the
        given (x, y, width, height)); returns its geometry."""
        x, y, width, height = geometry = self.session.geometry(window)
        left, top, area_width, area_height = within or (0, 0, *self.SCREEN)
        self.assertGreaterEqual(x, left, geometry)
        self.assertGreaterEqual(y, top, geometry)
        self.assertLessEqual(x + width, left + area_width, geometry)
        self.assertLessEqual(y + height, top + area_height, geometry)
        return geometry

    def wait_box(self, proc, count=1, timeout=60):
        """Waits for the count-th traced box and its window on the screen."""
        wait_for(lambda: len(self.box_lines()) >= count, timeout, what="a message box")
        return self.session.wait_window(proc.pid, "Kelmoro")

    def start_on_bus(self, *args, extra_env=None):
        """kelmoro under dbus-run-session, with the accessibility bridge on
        (and extra_env as in XSession.start); returns its process id once it
        runs."""
        started = os.path.join(self.dir, "bus.txt")
        if os.path.exists(started):
            os.remove(started)
        script = 'echo "$$ $DBUS_SESSION_BUS_ADDRESS" > "$0.new" && mv "$0.new" "$0" && exec "$@"'
        self.bus_proc = self.session.start(
            ["dbus-run-session", "--", "sh", "-c", script, started, KELMORO, *args],
            cwd=self.dir, extra_env={"NO_AT_BRIDGE": None, "DBUS_SESSION_BUS_ADDRESS": None,
                                     **(extra_env or {})})
        wait_for(lambda: os.path.exists(started), what="the session bus")
        with open(started) as line:
            pid, self.bus = line.read().split(maxsplit=1)
        return int(pid)

    def reader(self, pid, *args):
        env = dict(self.session.env)
        env["DBUS_SESSION_BUS_ADDRESS"] = self.bus.strip()
        env.pop("NO_AT_BRIDGE")
        return subprocess.run([ATSPI_PYTHON, READER, str(pid), "20", *args], env=env,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=60,
                              text=True)

    def tree(self, pid):
        result = self.reader(pid)
        if result.returncode != 0 and self.bus_proc.poll() is not None:
            self.fail(f"kelmoro ended with status {self.bus_proc.returncode}; output ends: "
                      + self.session.log_text()[-1000:])
        self.assertEqual(result.returncode, 0, result.stderr)
        return [json.loads(line) for line in result.stdout.splitlines()]
