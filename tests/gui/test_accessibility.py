"""What a screen reader finds in the program: its windows read through
AT-SPI (at-spi2-core, pyatspi) on a session bus of its own from
dbus-run-session, while the real windows are on the screen."""
import os

from gui_support import GuiTestCase, make_wav

MAIN = "Vantrel"
ABOUT = "Kelmoroのﾊﾞｰｼﾞｮﾝ情報"
IDLE = "ﾍﾙﾌﾟを表示するには [F1] を押してください。"
WAIT_TEXT = "変換中暫らくお待ちください"
SUCCESS = "  AUファイルに変換成功"


class AccessibilityTest(GuiTestCase):

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
