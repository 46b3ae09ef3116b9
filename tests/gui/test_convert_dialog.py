"""The conversion dialog and the command-line start-up, in a real
window under Xvfb and openbox, driven with xdotool."""
import os
import signal
import subprocess
import unittest

from gui_support import (KELMORO, KELMORO_CLI, GuiTestCase, bar_fraction, capture_screen,
                         keep_screenshot, make_wav, wait_for, wait_steady)

SUCCESS = "  AUファイルに変換成功"
CANNOT_OPEN = " ファイルを開けません"


class ConvertDialogTest(GuiTestCase):

    def test_success_shows_caption_then_one_plain_box_and_ends(self):
        os.makedirs(os.path.join(self.dir, "Sounds"))
        source = make_wav(os.path.join(self.dir, "Sounds", "Voice Take.WAV"), seconds=3)
        proc = self.start(source)
        # The caption is the input path as given, not the lower-cased output.
        dialog = self.session.wait_window(proc.pid, source)
        box = self.wait_box(proc)
        self.assertNotEqual(box, dialog)
        self.assertEqual(self.box_lines(), [("box", "plain", "Kelmoro", source + SUCCESS)])
        self.assertEqual(self.session.active_window(), box)
        # The dialog is still on the screen behind the box.
        self.assertIn(source, self.session.titles(proc.pid))
        keep_screenshot(self.session, "convert-success.png", [dialog, box])
        self.session.key("Return")
        self.assertEqual(self.finish(proc), 0)
        self.assertEqual(self.answer_lines(), [("answer", "OK")])
        self.assertEqual(len(self.box_lines()), 1)
        self.assertTrue(os.path.isfile(os.path.join(self.dir, "Sounds", "voice take.au")))

    def test_missing_file_shows_one_error_box_and_writes_nothing(self):
        source = os.path.join(self.dir, "Missing.wav")
        proc = self.start(source)
        self.session.wait_window(proc.pid, source)
        self.wait_box(proc)
        self.assertEqual(self.box_lines(), [("box", "error", "Kelmoro", source + CANNOT_OPEN)])
        self.session.key("Return")
        self.assertEqual(self.finish(proc), 1)
        self.assertEqual(len(self.box_lines()), 1)
        self.assertEqual(os.listdir(self.dir), [])

    def test_silent_case_shows_no_box(self):
        # A valid WAV stream whose name holds no ".wav": read, then nothing.
        source = make_wav(os.path.join(self.dir, "tone.raw"), seconds=2)
        proc = self.start(source)
        self.session.wait_window(proc.pid, source)
        self.assertEqual(self.finish(proc), 1)
        self.assertEqual(self.box_lines(), [])
        self.assertEqual(os.listdir(self.dir), ["tone.raw"])

    def close_before_first_tick(self, key):
        """Starts a conversion and presses key as soon as its dialog is on
        the screen; the program must end with status 1, no box, no file.
        The dialog's timer ticks 400 ms after it is initialised: should a
        loaded machine deliver the key later than that, the conversion has
        run (its success box says so), which tests nothing, so the start is
        made again."""
        source = make_wav(os.path.join(self.dir, "Quick.wav"), seconds=1)
        for attempt in range(5):
            self.session.run(["truncate", "-s", "0", self.session.trace])
            proc = self.start(source)
            wait_for(lambda: self.session.windows(proc.pid), timeout=10, interval=0.01,
                     what="the dialog")
            self.session.key(key)
            wait_for(lambda: proc.poll() is not None or self.box_lines(), timeout=30,
                     what="the end or a box")
            if proc.poll() is None:  # too late: the job ran
                self.session.key("Return")
                self.finish(proc)
                os.remove(os.path.join(self.dir, "quick.au"))
                continue
            self.assertEqual(self.finish(proc), 1)
            self.assertEqual(self.box_lines(), [])
            self.assertEqual(sorted(os.listdir(self.dir)), ["Quick.wav"])
            return
        self.fail(f"{key} never came before the first tick")

    def test_escape_before_first_tick_ends_without_converting(self):
        self.close_before_first_tick("Escape")

    def test_close_box_before_first_tick_ends_without_converting(self):
        self.close_before_first_tick("alt+F4")  # openbox's close: the window's close box

    def test_input_during_long_conversion_reaches_nothing(self):
        # An hour of 16-bit stereo: 635 MB, several seconds to convert.
        source = make_wav(os.path.join(self.dir, "Long.wav"), seconds=3600)
        proc = self.start(source)
        dialog = self.session.wait_window(proc.pid, source)
        # The bar really moves during the job: read it off a screenshot,
        # and keep that very screenshot. The program is stopped while the
        # screen is read, and stays stopped once the bar is seen part-way,
        # so that the input below surely comes while the job runs, however
        # slow the machine is.
        def part_way():
            os.kill(proc.pid, signal.SIGSTOP)
            capture = capture_screen(self.session)
            fraction = bar_fraction(self.session, dialog, capture)
            if 0.2 < fraction < 0.9:
                return fraction, capture
            os.kill(proc.pid, signal.SIGCONT)
            return None
        try:
            fraction, capture = wait_for(part_way, timeout=60, interval=0.02,
                                         what="the progress bar part-way along")
            keep_screenshot(self.session, "convert-progress.png", [dialog], capture)
            self.assertEqual(self.box_lines(), [], f"bar at {fraction:.2f}")
            # Keys and a click made while the job runs: the X server holds
            # them for the program until it goes on.
            self.session.key("Escape")
            self.session.key("Return")
            self.session.key("space")
            x, y, width, height = self.session.geometry(dialog)
            self.session.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2),
                              "click", "1"])
            self.session.key("alt+F4")
        finally:
            os.kill(proc.pid, signal.SIGCONT)
        box = self.wait_box(proc)
        # The box stays: none of that input answered it. The input was
        # drained before the box was made; once the box has the focus and
        # is drawn, anything left of it would have reached the box.
        wait_for(lambda: self.session.active_window() == box, what="the box active")
        wait_steady(lambda: self.session.run(["import", "-window", str(box), "ppm:-"],
                                             binary=True), what="the box drawn")
        self.assertEqual(self.answer_lines(), [])
        self.assertIn(box, self.session.windows(proc.pid))
        self.assertIsNone(proc.poll())
        self.session.key("Return")
        self.assertEqual(self.finish(proc), 0)
        self.assertEqual(self.answer_lines(), [("answer", "OK")])
        self.assertTrue(os.path.isfile(os.path.join(self.dir, "long.au")))

    def test_sigterm_while_writing_removes_the_temporary_file(self):
        # Ten minutes of 16-bit stereo: the AU file takes tens of
        # milliseconds to write; stop the program while its hidden
        # temporary file is there, then signal it.
        source = make_wav(os.path.join(self.dir, "Long.wav"), seconds=600)
        old_au = os.path.join(self.dir, "long.au")

        def temporary():
            return [n for n in os.listdir(self.dir) if n.startswith(".") and n.endswith(".tmp")]

        def stopped(proc):
            with open(f"/proc/{proc.pid}/stat") as stat:
                return stat.read().rsplit(")", 1)[1].split()[0] in ("T", "Z")

        # The program runs in short slices and is stopped between them to
        # look for the file. Should a loaded machine let a slice run through
        # the whole writing (the success box then says so), nothing was
        # tested, and the run is made again.
        for attempt in range(3):
            with open(old_au, "wb") as out:
                out.write(b".sndold!")
            self.session.run(["truncate", "-s", "0", self.session.trace])
            proc = self.start(source)

            def caught():
                os.kill(proc.pid, signal.SIGSTOP)
                wait_for(lambda: stopped(proc), interval=0.001, what="the program stopped")
                if temporary() or proc.poll() is not None or self.box_lines():
                    return True
                os.kill(proc.pid, signal.SIGCONT)
                return False
            wait_for(caught, timeout=150, interval=0.005, what="the temporary file")
            if not temporary() and self.box_lines():
                os.kill(proc.pid, signal.SIGCONT)
                self.wait_box(proc)
                self.session.key("Return")
                self.finish(proc)
                continue
            break
        self.assertIsNone(proc.poll(), "the conversion ended before it could be caught")
        os.kill(proc.pid, signal.SIGTERM)
        os.kill(proc.pid, signal.SIGCONT)
        self.assertEqual(self.finish(proc), -signal.SIGTERM)
        self.assertEqual(sorted(os.listdir(self.dir)), ["Long.wav", "long.au"])
        with open(old_au, "rb") as old:
            self.assertEqual(old.read(), b".sndold!")
        self.assertEqual(self.box_lines(), [])

    def test_japanese_file_name_without_lang(self):
        source = make_wav(os.path.join(self.dir, "音声ﾃｽﾄ Voice.WAV"), seconds=1)
        env = {"LANG": "", "LC_ALL": ""}
        proc = self.start(source, extra_env=env)
        self.session.wait_window(proc.pid, source)
        self.wait_box(proc)
        self.assertEqual(self.box_lines(), [("box", "plain", "Kelmoro", source + SUCCESS)])
        self.session.key("Return")
        self.assertEqual(self.finish(proc), 0)
        # The engine got the name byte for byte.
        self.assertIn("音声ﾃｽﾄ voice.au".encode(), os.listdir(self.dir.encode()))

    def test_shift_jis_locale_walks_and_shows_the_name_in_its_code_page(self):
        # 0x83 0x41 is "ア" in Shift-JIS; its second byte looks like "A",
        # which must not be lower-cased (as kelmoro-cli does under this locale).
        if subprocess.run("locale -a | grep -qi '^ja_JP.sjis$'", shell=True).returncode != 0:
            self.skipTest("no ja_JP.SJIS locale (tools/install-deps.sh makes one)")
        name = b"\x83\x41B.WAV"
        source = os.path.join(self.dir.encode(), name)
        make_wav(os.fsdecode(source), seconds=1)
        proc = self.start(source, extra_env={"LANG": "ja_JP.SJIS", "LC_ALL": ""})
        shown = self.dir + "/アB.WAV"
        self.session.wait_window(proc.pid, shown)
        self.wait_box(proc)
        self.assertEqual(self.box_lines(), [("box", "plain", "Kelmoro", shown + SUCCESS)])
        self.session.key("Return")
        self.assertEqual(self.finish(proc), 0)
        self.assertIn(b"\x83\x41b.au", os.listdir(self.dir.encode()))

    def test_shell_option_without_file_goes_on_to_the_main_window(self):
        proc = self.start("-p")
        self.session.wait_window(proc.pid, "Vantrel")
        self.assertEqual(self.session.titles(proc.pid), ["Vantrel"])
        self.assertEqual(self.box_lines(), [])


class NoDisplayTest(unittest.TestCase):
    """Without a display kelmoro converts on the console like kelmoro-cli."""

    def setUp(self):
        import tempfile
        self.dir = tempfile.mkdtemp(prefix="kelmoro-nodisplay-")
        self.addCleanup(subprocess.run, ["rm", "-rf", self.dir])

    def run_program(self, program, *args, display=None):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env["LANG"] = "C.UTF-8"
        if display:
            env["DISPLAY"] = display
        return subprocess.run([program, *args], cwd=self.dir, env=env, capture_output=True,
                              stdin=subprocess.DEVNULL, timeout=60)

    def test_converts_like_kelmoro_cli(self):
        for display in (None, ":65001"):
            for name in ("Song.WAV", "missing.wav"):
                source = os.path.join(self.dir, name)
                if name == "Song.WAV":
                    make_wav(source, seconds=1)
                gui = self.run_program(KELMORO, source, display=display)
                produced = sorted(os.listdir(self.dir))
                for path in produced:
                    if path.endswith(".au"):
                        os.remove(os.path.join(self.dir, path))
                cli = self.run_program(KELMORO_CLI, source)
                # Each error line starts with the program's own name.
                cli_errors = cli.stderr.replace(b"kelmoro-cli: ", b"kelmoro: ")
                self.assertEqual((gui.returncode, gui.stdout, gui.stderr),
                                 (cli.returncode, cli.stdout, cli_errors), (display, name))
                if name == "missing.wav":
                    self.assertTrue(gui.stderr.startswith(b"kelmoro: " + source.encode() + b": "))
                if name == "Song.WAV":
                    self.assertEqual(gui.returncode, 0)
                    self.assertIn("song.au", produced)
                else:
                    self.assertEqual(gui.returncode, 1)

    def test_silent_case_fails(self):
        make_wav(os.path.join(self.dir, "tone.raw"))
        result = self.run_program(KELMORO, "tone.raw")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(sorted(os.listdir(self.dir)), ["tone.raw"])

    def test_shift_jis_locale_like_kelmoro_cli(self):
        if subprocess.run("locale -a | grep -qi '^ja_JP.sjis$'", shell=True).returncode != 0:
            self.skipTest("no ja_JP.SJIS locale (tools/install-deps.sh makes one)")
        source = os.path.join(self.dir.encode(), b"\x83\x41B.WAV")
        make_wav(os.fsdecode(source))
        for program in (KELMORO, KELMORO_CLI):
            env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
            env.update({"LANG": "ja_JP.SJIS", "LC_ALL": ""})
            result = subprocess.run([program, source], cwd=self.dir, env=env, capture_output=True,
                                    stdin=subprocess.DEVNULL, timeout=60)
            self.assertEqual(result.returncode, 0, (program, result.stderr))
            self.assertEqual(sorted(os.listdir(self.dir.encode())),
                             [b"\x83\x41B.WAV", b"\x83\x41b.au"], program)
            os.remove(os.path.join(self.dir.encode(), b"\x83\x41b.au"))

    def test_options_and_double_dash(self):
        make_wav(os.path.join(self.dir, "-Dash.WAV"))
        result = self.run_program(KELMORO, "-p", "--", "-Dash.WAV")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("-dash.au", os.listdir(self.dir))

    def test_without_file_needs_a_display(self):
        for args in ((), ("-dde",)):
            result = self.run_program(KELMORO, *args)
            self.assertEqual(result.returncode, 1)
            self.assertEqual(result.stdout, b"")
            self.assertEqual(len(result.stderr.decode().splitlines()), 1)
            self.assertIn("display", result.stderr.decode())


if __name__ == "__main__":
    unittest.main()
