"""kelmoro.exe under Wine in a private X session (Xvfb and openbox, as the
Linux GUI tests use), and its installer. The windows are found by their
titles with xdotool and read with window_texts.exe, which reads what each
one shows on the screen; the trace the program writes when
KELMORO_TRACE_BOXES names a file says in which order its boxes came.
Everything waits on a condition, never for a fixed time.

usage: python3 -m unittest test_windows_desktop, with paths in the
environment: WINE, WINEPREFIX, KELMORO_EXE, KELMORO_SETUP, WINDOW_TEXTS,
LINUX_KELMORO, LINUX_KELMORO_CLI, MAKE_WAV and, for the README's pictures,
KELMORO_SCREENSHOTS.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
from gui_support import (XSession, keep_screenshot, make_wav, read_ppm, wait_for,  # noqa: E402
                         wait_steady)

WINE = os.environ["WINE"]
MAIN = "Vantrel"
ABOUT = "Kelmoroのﾊﾞｰｼﾞｮﾝ情報"
SUCCESS = "  AUファイルに変換成功"
READ_ERROR = "データ読込みエラー"
OPEN_TITLE = "ファイルを開く"
BANNER_YELLOW = (255, 251, 214)  # the banner's ground
# What Wine's own tools print, in the prefix's ANSI code page.
ANSI = "cp932"
SETTINGS_KEY = r"HKCU\Software\Local AppWizard-Generated Applications\Kelmoro\Settings"
INSTALLED = r"C:\Program Files\Kelmoro"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelmoro"
VERB_KEY = r"HKLM\Software\Classes\SystemFileAssociations\.wav\shell\Kelmoro.ConvertToAU"


def windows_path(path):
    """The Unix path as Wine's drive Z: names it."""
    return "Z:" + path.replace("/", "\\")


class WindowsDesktopTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # One session for every test: Wine's desktop process keeps to the
        # display it first opened.
        cls.session = XSession()
        # A Japanese locale, code page 932 in Wine, as the prefix was made.
        cls.session.env.update(LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8",
                               WINEPREFIX=os.environ["WINEPREFIX"], WINEDEBUG="-all",
                               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        # The server and its desktop process are started anew on this
        # session's display: one that Wine started before (wineboot, the
        # console tests) has none, and windows made there are never shown.
        subprocess.run(["wineserver", "-k"], env=cls.session.env, check=False)
        subprocess.run(["wineserver", "-w"], env=cls.session.env, check=False)

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["wineserver", "-k"], env=cls.session.env, check=False)
        cls.session.close()

    def setUp(self):
        self.dir = tempfile.mkdtemp(dir=self.session.tmp)
        if os.path.exists(self.session.trace):
            os.remove(self.session.trace)

    def start(self, *args):
        proc = self.session.start([WINE, os.environ["KELMORO_EXE"], *args], cwd=self.dir)
        self.addCleanup(lambda: proc.poll() is None and os.killpg(proc.pid, 9))
        return proc

    def wine(self, *args, **options):
        return subprocess.run([WINE, *args], env=self.session.env, capture_output=True,
                              timeout=120, **options)

    def shown(self, title):
        return self.session.run(["xdotool", "search", "--onlyvisible", "--name",
                                 "^" + re.escape(title) + "$"], check=False).split()

    def window(self, title):
        return wait_for(lambda: self.shown(title), 30, what=f"window {title!r}")[0]

    def texts(self, title):
        """The (class, text) of each window inside the shown one titled title."""
        out = self.wine(os.environ["WINDOW_TEXTS"], title).stdout.decode()
        return [tuple(line.split("\t", 1)) for line in out.splitlines()[1:]]

    def boxes(self):
        return [line for line in self.session.boxes() if line[0] == "box"]

    def capture(self, window):
        x, y, width, height = self.session.geometry(window)
        shot = self.session.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}",
                                 "+repage", "-depth", "8", "ppm:-"], binary=True)
        return read_ppm(shot)

    def banner_top(self, window):
        """The first row of the window that shows the banner's ground at its
        right end (None when the banner is not in sight)."""
        width, height, pixels = wait_steady(lambda: self.capture(window), what="window drawn")
        column = min(width, 560) - 8
        for row in range(height):
            i = (row * width + column) * 3
            if tuple(pixels[i:i + 3]) == BANNER_YELLOW:
                return row
        return None

    # ------------------------------------------------------------------------

    def test_started_with_a_file_converts_it_as_linux_does(self):
        source = make_wav(os.path.join(self.dir, "Song.WAV"), seconds=2)
        reference = os.path.join(self.session.tmp, "reference")
        os.makedirs(reference)
        shutil.copy(source, reference)
        subprocess.run([os.environ["LINUX_KELMORO_CLI"], "-q", os.path.join(reference, "Song.WAV")],
                       check=True)
        shown = windows_path(source)
        proc = self.start(shown)
        self.window(shown)  # the dialog, captioned with the path as given
        box = self.window("Kelmoro")
        self.assertIn(("Static", shown + SUCCESS), self.texts("Kelmoro"))
        self.assertEqual(self.boxes(), [("box", "plain", "Kelmoro", shown + SUCCESS)])
        keep_screenshot(self.session, "windows-convert-success.png", [box])
        self.session.key("Return")
        self.assertEqual(proc.wait(timeout=60), 0)
        with open(os.path.join(self.dir, "song.au"), "rb") as au, \
                open(os.path.join(reference, "song.au"), "rb") as expected:
            self.assertEqual(au.read(), expected.read())

    def test_a_broken_file_says_so_and_ends(self):
        path = os.path.join(self.dir, "broken.wav")
        with open(path, "wb") as broken:
            broken.write(b"RIFF\x10\x00\x00\x00WAVEjunkjunk")
        proc = self.start(windows_path(path))
        self.window("Kelmoro")
        self.assertIn(("Static", READ_ERROR), self.texts("Kelmoro"))
        self.assertEqual(self.boxes(), [("box", "error", "Kelmoro", READ_ERROR)])
        self.session.key("Return")
        self.assertEqual(proc.wait(timeout=60), 1)
        self.assertEqual(os.listdir(self.dir), ["broken.wav"])

    def test_main_window_is_the_linux_one_and_remembers_the_folder(self):
        # The Linux program first, in the same session, for its measures.
        linux = self.session.start([os.environ["LINUX_KELMORO"]], cwd=self.dir)
        linux_frame = self.session.wait_window(linux.pid, MAIN)
        _, _, linux_width, linux_height = self.session.geometry(linux_frame)
        linux_banner = self.banner_top(linux_frame)
        os.killpg(linux.pid, 9)
        linux.wait()

        source = make_wav(os.path.join(self.dir, "tone.wav"), seconds=2)
        self.wine("reg", "delete", SETTINGS_KEY, "/f")
        proc = self.start()
        frame = self.window(MAIN)
        _, _, width, height = self.session.geometry(frame)
        self.assertAlmostEqual(width, linux_width, delta=linux_width / 4)
        self.assertAlmostEqual(height, linux_height, delta=linux_height / 4)
        # The banner is in sight below a toolbar of one row: it starts no
        # lower than on Linux, where menu and toolbar take one row each.
        banner = self.banner_top(frame)
        self.assertIsNotNone(banner)
        self.assertLessEqual(banner, linux_banner * 1.25)
        keep_screenshot(self.session, "windows-main-window.png", [frame])

        self.session.run(["xdotool", "windowactivate", "--sync", str(frame)])
        self.session.key("ctrl+o")
        self.window(OPEN_TITLE)
        self.session.key("ctrl+a")
        self.session.type_text(windows_path(source))
        self.session.key("Return")
        self.window("Kelmoro")
        confirmation = windows_path(source) + "をAUファイルに変換します"
        self.assertEqual(self.boxes()[-1][1:], ("confirmation", "Kelmoro", confirmation))
        self.session.key("Escape")
        wait_for(lambda: self.session.boxes()[-1] == ("answer", "CANCEL"), what="the box answered")
        # The folder the file was chosen from is remembered in the registry.
        settings = self.wine("reg", "query", SETTINGS_KEY, "/v", "OpenFolder").stdout.decode(ANSI)
        self.assertIn(windows_path(self.dir), settings)

        self.session.key("alt+h")
        wait_for(lambda: [line for line in self.session.boxes()
                          if line[:2] == ("menu", "ﾍﾙﾌﾟ(&H)")], what="the Help menu open")
        self.session.key("a")
        about = self.window(ABOUT)
        self.assertEqual([text for kind, text in self.texts(ABOUT) if kind in ("Static", "Button")],
                         ["", "Kelmoro Version 2.1", "WAV を Sun AU に変換します", "OK"])
        keep_screenshot(self.session, "windows-about.png", [about])
        self.session.key("Return")
        wait_for(lambda: not self.shown(ABOUT), what="the version box closed")
        self.assertIsNone(proc.poll())

    def test_installer_puts_everything_in_place_and_takes_it_away(self):
        program_files = self.wine("winepath", "-u", INSTALLED).stdout.decode(ANSI).strip()
        shortcut = self.wine("winepath", "-u", r"C:\ProgramData\Microsoft\Windows\Start Menu"
                                               r"\Programs\Kelmoro.lnk").stdout.decode(ANSI).strip()
        installed = ["LICENSE.txt", "README.txt", "kelmoro-cli.exe", "kelmoro.exe", "uninstall.exe"]

        def registered(key):
            return self.wine("reg", "query", key).returncode == 0

        self.assertEqual(self.wine(os.environ["KELMORO_SETUP"], "/S").returncode, 0)
        self.assertEqual(sorted(os.listdir(program_files)), installed)
        self.assertTrue(os.path.exists(shortcut))
        self.assertIn("Kelmoro", self.wine("reg", "query", UNINSTALL_KEY, "/v", "DisplayName")
                      .stdout.decode(ANSI))
        self.assertIn(f'"{INSTALLED}\\kelmoro.exe" "%1"',
                      self.wine("reg", "query", VERB_KEY + r"\command").stdout.decode(ANSI))
        # Both programs run from there; each says its version where its
        # output goes (a pipe here), as on Linux with Windows' line ends.
        for program in ("kelmoro-cli", "kelmoro"):
            linux = subprocess.run([os.environ["LINUX_" + program.upper().replace("-", "_")],
                                    "--version"], capture_output=True, check=True).stdout
            version = self.wine(INSTALLED + "\\" + program + ".exe", "--version")
            self.assertEqual(version.stdout, linux.replace(b"\n", b"\r\n"))

        # The uninstaller copies itself away and returns at once.
        self.assertEqual(self.wine(INSTALLED + r"\uninstall.exe", "/S").returncode, 0)
        wait_for(lambda: not os.path.exists(program_files), timeout=30, what="the folder removed")
        self.assertFalse(os.path.exists(shortcut))
        self.assertFalse(registered(UNINSTALL_KEY))
        self.assertFalse(registered(VERB_KEY))


if __name__ == "__main__":
    unittest.main(verbosity=2)
