"""Several files at once, in a real window under Xvfb and openbox, driven
with xdotool: the command line and a drop run them in one batch window that
ends with one summary box, the stop button and Escape end the batch after
the file in progress; and --help and --version, which open no window."""
import os
import signal
import subprocess
import sys

from gui_support import (KELMORO, KELMORO_CLI, GuiTestCase, capture_screen, keep_screenshot,
                         make_wav, read_ppm, wait_for)

# The main window's helpers, taken by module so that its tests are not
# collected a second time from this one.
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_main_window  # noqa: E402

MAIN = test_main_window.MAIN

BATCH = "複数ﾌｧｲﾙの変換"
CONFIRM = "{} 個のﾌｧｲﾙをAUファイルに変換します"
MORE = "ほか {} 個"
HEADLINE = "{} / {} 個のﾌｧｲﾙをAUファイルに変換成功"
FAILED = "変換できなかったﾌｧｲﾙ:"
NO_WAV = '名前に ".wav" がないため変換しなかったﾌｧｲﾙ:'
STOPPED = "中止により変換しなかったﾌｧｲﾙ: {} 個"

# The batch window is 228 x 100 dialog units: the file's bar spans 6 to
# 221 across and 42 to 56 down, the stop button 171 to 221 and 80 to 94.
WINDOW_DU = (228, 100)
FILE_BAR_DU = (6, 221, 42, 56)
STOP_BUTTON_DU = (171, 221, 80, 94)


def engine_messages(path):
    """The engine's messages for a file, as kelmoro-cli prints them
    ("kelmoro-cli: PATH: MESSAGE"), without the tool's own no-".wav" line."""
    result = subprocess.run([KELMORO_CLI, path], capture_output=True, env={"LANG": "C.UTF-8"})
    prefix = f"kelmoro-cli: {path}: "
    lines = result.stderr.decode().splitlines()
    assert all(line.startswith(prefix) for line in lines), lines
    return [line[len(prefix):] for line in lines]


def summary(converted, total, failed=(), no_wav=(), stopped=0):
    """The summary box's text, as the trace writes it (line breaks as "\\n")."""
    lines = [HEADLINE.format(converted, total)]
    sections = []
    if failed:
        section = [FAILED]
        for path in failed:
            # A (path, messages) pair names messages the engine alone would not give.
            path, messages = path if isinstance(path, tuple) else (path, engine_messages(path))
            section += [path] + ["    " + message for message in messages]
        sections.append(section)
    if no_wav:
        sections.append([NO_WAV, *no_wav])
    if stopped:
        sections.append([STOPPED.format(stopped)])
    details = "\n\n".join("\n".join(section) for section in sections)
    return "\\n".join(lines + ([details.replace("\n", "\\n")] if details else []))


class BatchTest(GuiTestCase):

    def started_files(self):
        return [line[2] for line in self.session.boxes() if line[0] == "batch" and len(line) == 3]

    def du_point(self, window, x_du, y_du):
        x, y, width, height = self.session.geometry(window)
        return x + width * x_du // WINDOW_DU[0], y + height * y_du // WINDOW_DU[1]

    def file_bar_fraction(self, window, capture):
        """How far the file's bar is filled (GTK's blue) in a screenshot."""
        left, right, top, bottom = FILE_BAR_DU
        x0, y0 = self.du_point(window, left, top)
        x1, y1 = self.du_point(window, right, bottom)
        screen_width, _, pixels = read_ppm(capture)
        rightmost = x0 - 1
        for row in range(y0, y1):
            for column in range(x0, x1):
                i = (row * screen_width + column) * 3
                r, g, b = pixels[i], pixels[i + 1], pixels[i + 2]
                if b > 170 and r < 120 and 90 < g < 180:
                    rightmost = max(rightmost, column)
        return (rightmost + 1 - x0) / (x1 - x0)

    def test_command_line_batch_ends_with_one_summary_of_every_failure(self):
        good = [make_wav(os.path.join(self.dir, f"F{i:02d}.wav"), seconds=1) for i in range(1, 21)]
        empty = os.path.join(self.dir, "x.wav")
        open(empty, "wb").close()
        junk = os.path.join(self.dir, "junk.wav")
        with open(junk, "wb") as out:
            out.write(b"not a wave file, only text")
        missing = [os.path.join(self.dir, f"gone {i:02d}.wav") for i in range(1, 31)]
        raw = make_wav(os.path.join(self.dir, "tone.raw"), seconds=1)
        # Its AU file is F05.wav's, written earlier in the batch: not replaced.
        clash = make_wav(os.path.join(self.dir, "f05.WAV"), seconds=2)
        clash_message = (f"{self.dir}/f05.au was written for {good[4]} earlier in this run; "
                         "not replaced, nothing written")
        files = good[:10] + [empty, raw, junk, clash] + good[10:] + missing
        proc = self.start(*files)
        window = self.session.wait_window(proc.pid, BATCH)
        self.assert_on_screen(window)
        box = self.wait_box(proc)
        # One box for the whole batch, in the error style, naming every
        # failure with the engine's own messages, byte for byte.
        expected = summary(20, len(files), failed=[empty, junk, (clash, [clash_message]), *missing],
                           no_wav=[raw])
        self.assertEqual(self.box_lines(), [("box", "error", "Kelmoro", expected)])
        # The list is longer than the screen allows: the box still fits.
        wait_for(lambda: self.session.geometry(box)[3] > 200, what="the summary laid out")
        self.assert_on_screen(box)
        self.assertIn(window, self.session.windows(proc.pid))  # the batch window behind it
        keep_screenshot(self.session, "batch-summary.png", [box])
        self.session.key("Return")
        self.assertEqual(self.finish(proc), 1)
        self.assertEqual(len(self.box_lines()), 1)
        written = sorted(name for name in os.listdir(self.dir) if name.endswith(".au"))
        self.assertEqual(written, [f"f{i:02d}.au" for i in range(1, 21)])
        sizes = {os.path.getsize(os.path.join(self.dir, name)) for name in written}
        self.assertEqual(len(sizes), 1, sizes)  # f05.au is F05.wav's
        # Without a display, on the console, the same rule holds.
        env = dict(self.session.env)
        del env["DISPLAY"]
        console = subprocess.run([KELMORO, good[4], clash], env=env, capture_output=True,
                                 stdin=subprocess.DEVNULL, timeout=60)
        self.assertEqual((console.returncode, console.stderr.decode()),
                         (1, f"kelmoro: {clash}: {clash_message}\n"))

    def test_stop_button_and_escape_end_the_batch_after_the_file_in_progress(self):
        # An hour of 16-bit stereo under five names (hard links: one file's
        # worth of disk).
        long_wav = make_wav(os.path.join(self.dir, "L1.wav"), seconds=3600)
        files = [long_wav]
        for i in range(2, 6):
            files.append(os.path.join(self.dir, f"L{i}.wav"))
            os.link(long_wav, files[-1])
        for how in ("button", "Escape"):
            with self.subTest(how):
                self.session.run(["truncate", "-s", "0", self.session.trace])
                for name in os.listdir(self.dir):
                    if name.endswith(".au"):
                        os.remove(os.path.join(self.dir, name))
                proc = self.start(*files)
                window = self.session.wait_window(proc.pid, BATCH)
                self.assert_on_screen(window)

                # The second file part-way: the engine drives its bar. A file
                # takes well under a second, so the program is stopped while
                # the screen is read and stays stopped once the bar is seen
                # part-way; the stop made then waits in the X server for it.
                def second_part_way():
                    os.kill(proc.pid, signal.SIGSTOP)
                    if len(self.started_files()) == 2:
                        capture = capture_screen(self.session)
                        if 0.15 < self.file_bar_fraction(window, capture) < 0.8:
                            return capture
                    os.kill(proc.pid, signal.SIGCONT)
                    return None
                try:
                    capture = wait_for(second_part_way, timeout=60, interval=0.02,
                                       what="the second file's bar part-way")
                    if how == "button":
                        keep_screenshot(self.session, "batch-progress.png", [window], capture)
                        x, y = self.du_point(window, sum(STOP_BUTTON_DU[:2]) // 2,
                                             sum(STOP_BUTTON_DU[2:]) // 2)
                        self.session.run(["xdotool", "mousemove", str(x), str(y), "click", "1"])
                    else:
                        self.session.key("Escape")
                finally:
                    os.kill(proc.pid, signal.SIGCONT)
                wait_for(lambda: ("batch", "stop") in self.session.boxes(), what="the stop")
                box = self.wait_box(proc)
                self.assert_on_screen(box)
                # The file in progress when the stop came was finished, and no
                # file was started after it.
                trace = self.session.boxes()
                started = len(self.started_files())
                self.assertEqual(started, len([line for line in trace[:trace.index(
                    ("batch", "stop"))] if line[0] == "batch"]))
                self.assertGreaterEqual(started, 2)
                self.assertLess(started, 5)
                self.assertEqual(self.box_lines(), [
                    ("box", "error", "Kelmoro", summary(started, 5, stopped=5 - started))])
                self.session.key("Return")
                self.assertEqual(self.finish(proc), 1)
                sizes = {name: os.path.getsize(os.path.join(self.dir, name))
                         for name in os.listdir(self.dir) if not name.endswith(".wav")}
                self.assertEqual(sorted(sizes), [f"l{i}.au" for i in range(1, started + 1)])
                self.assertEqual(len(set(sizes.values())), 1, sizes)  # each one complete

    def test_help_and_version_print_on_stdout_without_a_window(self):
        cli_version = subprocess.run([KELMORO_CLI, "--version"], capture_output=True).stdout
        version = cli_version.replace(b"kelmoro-cli ", b"kelmoro ")
        self.assertRegex(version.decode(), r"^kelmoro \d+\.\d+\n$")
        for display in (True, False):
            env = dict(self.session.env)
            if not display:
                del env["DISPLAY"]
            usage = (lambda out: out.startswith(b"Usage: kelmoro ") and b"--version" in out)
            for args, check in [(["--help"], usage), (["--version"], lambda out: out == version),
                                (["-p", "--help"], usage)]:
                with self.subTest(display=display, args=args):
                    # A main window would keep the program running: it must end by itself.
                    result = subprocess.run([KELMORO, *args], env=env, capture_output=True,
                                            stdin=subprocess.DEVNULL, timeout=20)
                    self.assertEqual((result.returncode, result.stderr), (0, b""))
                    self.assertTrue(check(result.stdout), result.stdout)
        self.assertEqual(self.session.boxes(), [])


class BatchDropTest(GuiTestCase):
    """A drop of several files on the main window, dragged as the main
    window's own drop test drags: every helper of that test (not its tests)
    is borrowed below the class."""

    def test_drop_of_several_files_is_confirmed_once_and_summarised(self):
        self.proc, frame = self.start_main()
        names = ["Drop 声.WAV", "a.wav", "b.wav", "c.wav", "d.wav", "e.wav"]
        wavs = [make_wav(os.path.join(self.dir, name), seconds=1) for name in names]
        empty = os.path.join(self.dir, "x.wav")
        open(empty, "wb").close()
        folder = os.path.join(self.dir, "folder.wav")
        os.makedirs(folder)
        dropped = [wavs[0], folder, *wavs[1:], empty]
        source, outcome = self.drag_files(dropped, frame)
        # One confirmation: how many, the first five by name, how many more.
        box = self.wait_box(self.proc, 1)
        files = [wavs[0], *wavs[1:], empty]
        confirm = "\\n".join([CONFIRM.format(7), "", *files[:5], MORE.format(2)])
        self.assertEqual(self.box_lines(), [("box", "confirmation", "Kelmoro", confirm)])
        self.assert_on_screen(box)
        keep_screenshot(self.session, "batch-confirm.png", [frame, box])
        self.assertEqual(outcome(), "dropped")
        self.session.key("Return")
        batch = self.session.wait_window(self.proc.pid, BATCH)
        self.assert_on_screen(batch)
        box = self.wait_box(self.proc, 2)
        self.assert_on_screen(box)
        self.assertEqual(self.box_lines()[1],
                         ("box", "error", "Kelmoro", summary(6, 7, failed=[empty])))
        self.session.key("Return")
        wait_for(lambda: self.titles_on_screen() == [MAIN], what="only the main window")
        self.assertEqual(len(self.box_lines()), 2)
        self.assertEqual(sorted(n for n in os.listdir(self.dir) if n.endswith(".au")),
                         sorted(["drop 声.au", "a.au", "b.au", "c.au", "d.au", "e.au"]))


# The main window test's helpers, so that a drop is made exactly as there.
for _name, _helper in vars(test_main_window.MainWindowTest).items():
    if callable(_helper) and not _name.startswith(("test", "__")):
        setattr(BatchDropTest, _name, _helper)
