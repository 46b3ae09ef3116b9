"""What a screen reader finds in the program: its windows read through
AT-SPI (at-spi2-core, pyatspi) on a session bus of its own from
dbus-run-session, while the real windows are on the screen."""
import json
import os
import subprocess

from gui_support import KELMORO, GuiTestCase, make_wav, wait_for

ATSPI_PYTHON = "/usr/bin/python3"  # Debian's, which has pyatspi
READER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_tree.py")
MAIN = "Vantrel"
ABOUT = "Kelmoroのﾊﾞｰｼﾞｮﾝ情報"
IDLE = "ﾍﾙﾌﾟを表示するには [F1] を押してください。"
WAIT_TEXT = "変換中暫らくお待ちください"
SUCCESS = "  AUファイルに変換成功"


class AccessibilityTest(GuiTestCase):

    def start_on_bus(self, *args):
        """kelmoro under dbus-run-session, with the accessibility bridge on;
        returns its process id once it runs."""
        started = os.path.join(self.dir, "bus.txt")
        script = 'echo "$$ $DBUS_SESSION_BUS_ADDRESS" > "$0.new" && mv "$0.new" "$0" && exec "$@"'
        self.bus_proc = self.session.start(
            ["dbus-run-session", "--", "sh", "-c", script, started, KELMORO, *args],
            cwd=self.dir, extra_env={"NO_AT_BRIDGE": None, "DBUS_SESSION_BUS_ADDRESS": None})
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
        self.assertEqual(result.returncode, 0, result.stderr)
        return [json.loads(line) for line in result.stdout.splitlines()]

    def children(self, nodes, parent):
        """The nodes one level under nodes[parent]."""
        depth = nodes[parent]["depth"]
        found = []
        for node in nodes[parent + 1:]:
            if node["depth"] <= depth:
                break
            if node["depth"] == depth + 1:
                found.append(node)
        return found

    def named(self, nodes, role):
        return [node["name"] for node in nodes if node["role"] == role and node["showing"]]

    def test_main_window_tells_its_toolbar_buttons_banner_and_status(self):
        pid = self.start_on_bus()
        self.session.wait_window(pid, MAIN)
        nodes = self.tree(pid)
        bars = [i for i, node in enumerate(nodes) if node["role"] == "tool bar"]
        self.assertEqual(len(bars), 1, nodes)
        buttons = [(node["role"], node["name"], node["showing"])
                   for node in self.children(nodes, bars[0])]
        self.assertEqual(buttons, [("push button", "開く", True),
                                   ("push button", "ﾊﾞｰｼﾞｮﾝ情報", True),
                                   ("push button", "ﾍﾙﾌﾟ", True)])
        self.assertEqual(self.named(nodes, "image"), ["WAV→AU 変換"])
        self.assertEqual(self.named(nodes, "status bar"), [IDLE])
        # A button pressed through its action does what a click does.
        pressed = self.reader(pid, "--press", "ﾊﾞｰｼﾞｮﾝ情報")
        self.assertEqual(pressed.returncode, 0, pressed.stderr)
        self.session.wait_window(pid, ABOUT)

    def test_conversion_dialog_names_its_progress_bar_and_box_text(self):
        source = make_wav(os.path.join(self.dir, "Tone.wav"), seconds=1)
        pid = self.start_on_bus(source)
        self.session.wait_window(pid, source)
        self.session.wait_window(pid, "Kelmoro")
        nodes = self.tree(pid)
        self.assertEqual(self.named(nodes, "progress bar"), [WAIT_TEXT])
        texts = [node["text"] for node in nodes if node["role"] == "label" and node["showing"]]
        self.assertIn(WAIT_TEXT, texts)
        self.assertIn(source + SUCCESS, texts)
        self.session.key("Return")
        self.assertEqual(self.finish(self.bus_proc), 0)
