"""The desktop program on Wayland (weston, see WaylandSession): one table of
roads, each in a fresh session. Windows are read through AT-SPI; the window
each one names as its parent, on which compositors centre it, is read from
the program's own Wayland requests (WAYLAND_DEBUG)."""
import collections
import os
import re
import shutil
import subprocess
import sys

from gui_support import KELMORO_CLI, GuiTestCase, capture_screen, keep_screenshot, make_wav
from gui_support import wait_for, wait_steady

# The other tables' texts, taken by module so that their tests are not
# collected a second time from this one.
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_batch  # noqa: E402
import test_main_window as main  # noqa: E402

# A window shown, and the title of its parent (None: none); keys after it
# wait until it is active.
Window = collections.namedtuple("Window", "title parent")
# A node of the accessible tree on the screen (a menu's item).
Shown = collections.namedtuple("Shown", "role name")
# files: how many WAV files the command line names ("{1}": the first's
# path). steps: a key (None: none), then the Window, Shown node or trace line
# it brings. end: the keys that close the last window. status: the exit
# status then (None: the main window stays, alone).
Row = collections.namedtuple("Row", "files steps end status")
START = (None, Window(main.MAIN, None))
ROWS = {
    "plain start": Row(0, [START, ("Caps_Lock", ("status", "2", "CAP")),
                           ("Caps_Lock", ("status", "2", ""))], [], None),
    "file menu": Row(0, [START, ("alt+f", main.FILE_MENU),
                         (None, Shown("menu item", "Wavファイルを開く(O)..."))],
                     ["Escape", "Escape"], None),
    "ctrl+o, escape": Row(0, [START, ("ctrl+o", Window(main.CHOOSER, main.MAIN))], ["Escape"],
                          None),
    "one file": Row(1, [(None, Window("{1}", None)), (None, Window("Kelmoro", "{1}")),
                        (None, ("box", "plain", "Kelmoro", "{1}" + main.SUCCESS))], ["Return"], 0),
    "three files": Row(3, [(None, Window(test_batch.BATCH, None)),
                           (None, Window("Kelmoro", test_batch.BATCH)),
                           (None, ("box", "plain", "Kelmoro", test_batch.summary(3, 3)))],
                       ["Return"], 0),
    "version box": Row(0, [START, ("alt+h", main.HELP_MENU),
                           (None, Shown("menu item", "Kelmoro のﾊﾞｰｼﾞｮﾝ情報(A)...")),
                           ("a", Window(main.ABOUT, main.MAIN))], ["Return"], None),
}


class WaylandTest(GuiTestCase):
    WAYLAND = True

    def run_row(self, name):
        """Runs ROWS[name]; returns the program's process id."""
        row = ROWS[name]
        files = [make_wav(os.path.join(self.dir, f"Tone{i}.wav")) for i in range(1, row.files + 1)]
        pid = self.start_on_bus(*files, extra_env={"WAYLAND_DEBUG": "client"})
        fill = lambda text: text and text.replace("{1}", files[0] if files else "")  # noqa: E731
        boxes, title = [], None
        for key, expected in row.steps:
            # Held down until what it brings is there, as a user holds a key
            # until the window answers: weston grants a menu its keyboard
            # grab only while the key that opened it is the latest event. A
            # lock key takes effect as it is released.
            held = key and not key.endswith("_Lock")
            self.send("keydown" if held else "key", [key], pid, title)
            if isinstance(expected, Window):
                title = fill(expected.title)
                wait_for(lambda: title in dict(self.windows(pid)), timeout=60, what=title)
                self.assertEqual(self.parents().get(title, "none"), fill(expected.parent), title)
            elif isinstance(expected, Shown):
                wait_for(lambda: any(node["showing"] and (node["role"], node["name"]) == expected
                                     for node in self.tree(pid)), what=str(expected))
            else:
                line = tuple(map(fill, expected))
                wait_for(lambda: line in self.session.boxes(), timeout=60, what=str(line))
                boxes += [line] if line[0] == "box" else []
            if held:
                self.send("keyup", [key])
        self.send("key", row.end, pid, title)
        if row.status is None:
            wait_for(lambda: self.windows(pid) == [(main.MAIN, True)], what="the main window")
        else:
            self.assertEqual(self.finish(self.bus_proc), row.status)
        self.assertEqual([line for line in self.session.boxes() if line[0] == "box"], boxes)
        for path in files:  # the AU file is byte for byte kelmoro-cli's
            copy = shutil.copy(path, os.path.join(self.dir, "cli.wav"))
            subprocess.run([KELMORO_CLI, "-q", copy], check=True)
            au = os.path.basename(path).lower().replace(".wav", ".au")
            with open(os.path.join(self.dir, au), "rb") as ours, \
                    open(os.path.join(self.dir, "cli.au"), "rb") as cli:
                self.assertEqual(ours.read(), cli.read(), au)
        return pid

    def send(self, action, keys, pid=None, window=None):
        """xdotool's action (key, keydown, keyup) on keys, once the window
        named is active (it has the keyboard)."""
        keys = list(filter(None, keys))
        if keys and window:
            wait_for(lambda: (window, True) in self.windows(pid), timeout=60, what=f"{window} active")
        for key in keys:
            self.session.run(["xdotool", action, key])

    def windows(self, pid):
        """(title, active) of each top-level window on the screen."""
        return [(node["name"], node["active"]) for node in self.tree(pid)
                if node["depth"] == 1 and node["showing"]]

    def parents(self):
        """Each window's title -> its parent's title (None: none). A row
        makes no window after one has closed, so no number is used twice."""
        titles, parent, found = {}, {}, {}
        for window, request, argument in re.findall(
                r"-> xdg_toplevel@(\d+)\.(set_title|set_parent)\((.*)\)$",
                self.session.log_text(), re.MULTILINE):
            if request == "set_title":
                titles[window] = argument[1:-1]
            else:
                parent[window] = argument.partition("@")[2]
            if window in titles:
                found[titles[window]] = titles.get(parent.get(window))
        return found

    def view_and_status_bar(self, pid):
        nodes = self.tree(pid)
        return [[node["extents"] for node in nodes if node["role"] == role][0]
                for role in ("image", "status bar")]

    # ------------------------------------------------------------------------

    def test_plain_start(self):
        pid = self.run_row("plain start")
        view, status = self.view_and_status_bar(pid)
        self.assertLessEqual(view[1] + view[3], status[1])  # the banner above the status bar
        keep_screenshot(self.session, "main-window-wayland.png",
                        capture=wait_steady(lambda: capture_screen(self.session), what="drawn"))
        # The banner's view is as large as in the same program on X11.
        x11 = self.start_on_bus(extra_env={"GDK_BACKEND": "x11"})
        wait_for(lambda: main.MAIN in dict(self.windows(x11)), what="the main window on X11")
        self.assertEqual(view[2:], self.view_and_status_bar(x11)[0][2:])

    def test_file_menu(self):
        self.run_row("file menu")

    def test_ctrl_o_then_escape(self):
        self.run_row("ctrl+o, escape")

    def test_one_file(self):
        self.run_row("one file")

    def test_three_files(self):
        self.run_row("three files")

    def test_version_box(self):
        self.run_row("version box")
