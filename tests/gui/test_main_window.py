"""The main window, its menu commands and its start-up road, in a
real window under Xvfb and openbox, driven with xdotool."""
import os
import random
import re
import stat
import subprocess
import time
import unittest

from gui_support import (KELMORO, GuiTestCase, capture_screen, keep_screenshot, make_wav, read_ppm,
                         wait_for, wait_steady)

MAIN = "Vantrel"
CHOOSER = "ファイルを開く"
ABOUT = "Kelmoroのﾊﾞｰｼﾞｮﾝ情報"
CONFIRM = "をAUファイルに変換します"
SUCCESS = "  AUファイルに変換成功"
IDLE = "ﾍﾙﾌﾟを表示するには [F1] を押してください。"
HELP_MODE = "ﾍﾙﾌﾟを使用するｵﾌﾞｼﾞｪｸﾄを選択"
OPEN_PROMPT = "既存のﾌｧｲﾙを開く"
EXIT_PROMPT = "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示"
NO_HELP = "ﾍﾙﾌﾟ ﾌｧｲﾙはｲﾝｽﾄｰﾙされていません。Kelmoro にはﾍﾙﾌﾟがありません。"
# The installed README, beside the program's bin/.
HOME_PAGE = "file://" + os.path.dirname(os.path.dirname(os.path.realpath(KELMORO))) + \
    "/share/doc/kelmoro/README.md"
NO_BROWSER = "Web ﾌﾞﾗｳｻﾞを起動できません。" + HOME_PAGE + " を開いてください。"

# Menu 128, byte for byte, as the trace reports each popup when it opens.
FILE_MENU = ("menu", "ﾌｧｲﾙ(&F)", "Wavファイルを開く(&O)...\\tCtrl+O", "-", "Kelmoro 終了(&X)")
VIEW_MENU = ("menu", "表示(&V)", "ﾂｰﾙ ﾊﾞｰ(&T) [x]", "ｽﾃｰﾀｽ ﾊﾞｰ(&S) [x]")
HELP_MENU = ("menu", "ﾍﾙﾌﾟ(&H)", "ﾄﾋﾟｯｸの検索(&H)", "-", "Kelmoro のﾊﾞｰｼﾞｮﾝ情報(&A)...",
             "作者のホームページへ")


class MainWindowTest(GuiTestCase):

    def start_main(self, *args, extra_env=None):
        proc = self.start(*args, extra_env=extra_env)
        frame = self.session.wait_window(proc.pid, MAIN)
        self.frame = frame
        self.wait_frame_active()
        return proc, frame

    def wait_frame_active(self):
        """Keys go to the active window: after a dialog closes, the main
        window gets the focus back a moment later."""
        wait_for(lambda: self.session.active_window() == self.frame,
                 what="the main window active")

    def menus(self):
        return [line for line in self.session.boxes() if line[0] == "menu"]

    def visible_windows(self):
        out = self.session.run(["xdotool", "search", "--onlyvisible", "--classname", "kelmoro"],
                               check=False)
        return set(int(w) for w in out.split())

    def open_menu(self, keys, expected):
        """Opens a menu by keyboard; returns the popup window on the screen."""
        self.wait_frame_active()
        before = self.visible_windows()
        count = len(self.menus())
        self.session.key(keys)
        wait_for(lambda: len(self.menus()) > count, what=f"menu {keys}")
        self.assertEqual(self.menus()[-1], expected)
        popups = wait_for(lambda: self.visible_windows() - before, what="the menu on the screen")
        return popups.pop()

    def pick_all_files_filter(self, chooser):
        """Switches the chooser to its second filter, "全て(*.*)", through the
        filter button at its lower right, and waits until the file list has
        changed on the screen."""
        x, y, width, height = self.session.geometry(chooser)
        list_area = ["import", "-window", "root", "-crop", f"{width // 2}x{height // 2}+{x}+{y}",
                     "+repage", "-depth", "8", "ppm:-"]
        before = self.session.run(list_area, binary=True)
        windows = self.visible_windows()
        self.session.run(["xdotool", "mousemove", str(x + width - 68), str(y + height - 70),
                          "click", "1"])
        wait_for(lambda: self.visible_windows() - windows, what="the filter list open")
        self.session.key("Down", "Return")
        wait_for(lambda: self.session.run(list_area, binary=True) != before, timeout=5,
                 what="the file list under the all-files filter")

    def choose_file(self, path, all_files=False):
        """Ctrl+O, then the path typed into the chooser's location entry.
        GTK's entry completes names as they are typed, and a Return that
        arrives while it does is swallowed: Return is pressed again until
        the chooser closes. Should the path itself get lost, the chooser is
        cancelled (which does nothing further: tested elsewhere) and the
        whole choice made again."""
        def closed(chooser, timeout):
            try:
                wait_for(lambda: chooser not in self.session.windows(self.proc.pid),
                         timeout=timeout, what="the chooser closed")
                return True
            except AssertionError:
                return False

        boxes = len(self.box_lines())
        for attempt in range(3):
            self.wait_frame_active()
            self.session.key("ctrl+o")
            chooser = self.session.wait_window(self.proc.pid, CHOOSER)
            wait_for(lambda: self.session.active_window() == chooser, what="the chooser active")
            self.wait_drawn(chooser, "the chooser's folder loaded")
            if all_files:
                self.pick_all_files_filter(chooser)
            before = self.window_capture(chooser)
            self.session.key("ctrl+l")
            wait_for(lambda: self.window_capture(chooser) != before, timeout=5,
                     what="the location entry")
            self.session.type_text(path)
            for _ in range(3):
                self.wait_drawn(chooser, "the path typed and completed")
                if len(self.box_lines()) > boxes:
                    return  # closed late: this Return must not answer the box
                self.session.key("Return")
                if closed(chooser, 2):
                    return
            while not closed(chooser, 0.5):
                self.session.key("Escape")
        self.fail("the file chooser never took the path")

    def window_capture(self, window):
        """The window's pixels as the screen shows them (b"" while it closes)."""
        x, y, width, height = self.session.geometry(window)
        return self.session.run(["import", "-window", "root", "-crop",
                                 f"{width}x{height}+{x}+{y}", "+repage", "-depth", "8", "ppm:-"],
                                binary=True, check=False)

    def wait_drawn(self, window, what):
        """Until the window's pixels stop changing."""
        wait_steady(lambda: self.window_capture(window), what=what)

    def frame_capture(self, frame):
        x, y, width, height = self.session.geometry(frame)
        _, _, pixels = read_ppm(self.session.run(
            ["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
             "-depth", "8", "ppm:-"], binary=True))
        return width, height, pixels

    def assert_alive_with_only_main(self):
        self.assertIsNone(self.proc.poll())
        wait_for(lambda: self.session.titles(self.proc.pid) == [MAIN],
                 what="only the main window")

    # ------------------------------------------------------------------------

    def test_startup_shows_the_main_window_captioned_vantrel(self):
        self.proc, frame = self.start_main()
        self.assertEqual(self.session.titles(self.proc.pid), [MAIN])
        x, y, width, height = self.session.geometry(frame)
        # Shrunk to fit form 101, never below the banner's width by much.
        self.assertLess(width, 800)
        self.assertLess(height, 600)
        self.wait_drawn(frame, "the main window drawn")
        keep_screenshot(self.session, "main-window.png", [frame])
        self.assertEqual(self.box_lines(), [])

    def test_window_carries_the_application_icon_at_every_size(self):
        self.proc, frame = self.start_main()
        self.assertIn(frame, self.session.windows(self.proc.pid))
        icons = self.session.run(["xprop", "-len", "1000000", "-id", str(frame), "_NET_WM_ICON"])
        sizes = sorted(set(int(size) for size in re.findall(r"Icon \((\d+) x \1\)", icons)))
        self.assertEqual(sizes, [16, 32, 48, 64, 128, 256])

    def test_shell_option_without_file_goes_on_to_the_main_window(self):
        for option in ("-p", "-dde", "-embedding"):
            with self.subTest(option=option):
                proc = self.start(option)
                self.session.wait_window(proc.pid, MAIN)
                self.assertEqual(self.session.titles(proc.pid), [MAIN])
                proc.kill()
                proc.wait()

    def test_menus_open_by_keyboard_and_show_their_items(self):
        self.proc, frame = self.start_main()
        popup = self.open_menu("alt+f", FILE_MENU)
        keep_screenshot(self.session, "main-window-menu.png", [frame, popup])
        self.session.key("Escape")
        self.session.key("Escape")
        self.open_menu("alt+v", VIEW_MENU)
        self.session.key("Escape")
        self.session.key("Escape")
        self.open_menu("alt+h", HELP_MENU)
        self.session.key("Escape")
        self.session.key("Escape")
        self.assert_alive_with_only_main()

    def test_settings_keep_a_recent_file_list_never_shown_or_filled(self):
        folder = os.path.join(self.session.home, ".config", "Local AppWizard-Generated Applications")
        os.makedirs(folder)
        settings = os.path.join(folder, "Kelmoro.conf")
        with open(settings, "w") as out:
            out.write("[Recent File List]\nfile1=/music/old.wav\n")
        self.proc, frame = self.start_main()
        self.open_menu("alt+f", FILE_MENU)  # no recent-file entry
        self.session.key("Escape")
        self.session.key("Escape")
        source = make_wav(os.path.join(self.dir, "New.wav"), seconds=1)
        self.choose_file(source)
        self.wait_box(self.proc, 1)
        self.session.key("Return")
        self.wait_box(self.proc, 2)
        self.session.key("Return")
        wait_for(lambda: len(self.answer_lines()) == 2, what="the success box answered")
        self.open_menu("alt+f", FILE_MENU)
        self.session.key("x")
        self.assertEqual(self.finish(self.proc), 0)
        # Neither the conversion nor the exit touched the list; the chooser's
        # folder is all that was added.
        with open(settings) as current:
            self.assertEqual(current.read(), "[Recent File List]\nfile1=/music/old.wav\n"
                             f"[Settings]\nOpenFolder={self.dir}\n")
        self.assertEqual(os.listdir(folder), ["Kelmoro.conf"])

    def test_file_chooser_opens_in_the_folder_last_chosen_from(self):
        folder = os.path.join(self.dir, "録音 chosen")
        os.makedirs(folder)
        first = make_wav(os.path.join(folder, "first.wav"), seconds=1)
        second = make_wav(os.path.join(folder, "second.wav"), seconds=1)
        self.proc, frame = self.start_main()
        self.choose_file(first)
        self.wait_box(self.proc, 1)
        self.session.key("Escape")
        wait_for(lambda: len(self.answer_lines()) == 1, what="the confirmation answered")
        self.open_menu("alt+f", FILE_MENU)
        self.session.key("x")
        self.assertEqual(self.finish(self.proc), 0)
        # Started again (in another folder): a bare name typed into the
        # chooser is taken from the remembered folder.
        os.remove(self.session.trace)
        self.proc, frame = self.start_main()
        self.choose_file("second.wav")
        self.wait_box(self.proc, 1)
        self.assertEqual(self.box_lines(), [("box", "confirmation", "Kelmoro", second + CONFIRM)])
        self.session.key("Escape")
        wait_for(lambda: len(self.answer_lines()) == 1, what="the confirmation answered")
        self.assert_alive_with_only_main()

    def test_damaged_settings_file_is_read_quietly_and_replaced_on_save(self):
        # 3,000 random bytes with one readable setting after them.
        folder = os.path.join(self.session.home, ".config", "Local AppWizard-Generated Applications")
        os.makedirs(folder)
        settings = os.path.join(folder, "Kelmoro.conf")
        damaged = random.Random(7).randbytes(3000) + b"\n[Recent File List]\nfile1=/music/old.wav\n"
        with open(settings, "wb") as out:
            out.write(damaged)
        # A command-line start: its dialog and success box, no other window,
        # and the program ends; nothing saved.
        source = make_wav(os.path.join(self.dir, "Tone.wav"), seconds=1)
        self.proc = self.start(source)
        self.wait_box(self.proc)
        self.assertEqual(sorted(self.session.titles(self.proc.pid)), sorted([source, "Kelmoro"]))
        self.session.key("Return")
        self.assertEqual(self.finish(self.proc, timeout=10), 0)
        with open(settings, "rb") as current:
            self.assertEqual(current.read(), damaged)
        # The main window alone; choosing a file saves the settings: what
        # was readable, the new folder, and nothing else.
        os.remove(self.session.trace)
        self.proc, frame = self.start_main()
        self.assertEqual(self.session.titles(self.proc.pid), [MAIN])
        self.choose_file(source)
        self.wait_box(self.proc, 1)
        self.session.key("Escape")
        wait_for(lambda: len(self.answer_lines()) == 1, what="the confirmation answered")
        with open(settings, "rb") as current:
            lines = current.read().decode("utf-8").splitlines()
        malformed = [line for line in lines if not re.fullmatch(r"\[[^\]]*\]|[^=\[]+=.*", line)]
        self.assertEqual(malformed, [])
        for group, entry in (("[Recent File List]", "file1=/music/old.wav"),
                             ("[Settings]", f"OpenFolder={self.dir}")):
            self.assertEqual(lines[lines.index(group) + 1], entry)
        self.assert_alive_with_only_main()

    def test_nothing_is_written_to_the_settings_by_a_plain_run(self):
        self.proc, frame = self.start_main()
        self.open_menu("alt+f", FILE_MENU)
        self.session.key("x")
        self.assertEqual(self.finish(self.proc), 0)
        self.assertFalse(os.path.exists(os.path.join(self.session.home, ".config",
                                                     "Local AppWizard-Generated Applications")))

    def test_exit_ends_the_program(self):
        self.proc, frame = self.start_main()
        self.open_menu("alt+f", FILE_MENU)
        self.session.key("x")
        self.assertEqual(self.finish(self.proc), 0)

    def test_ctrl_o_then_cancel_does_nothing_further(self):
        self.proc, frame = self.start_main()
        self.session.key("ctrl+o")
        chooser = self.session.wait_window(self.proc.pid, CHOOSER)
        self.session.key("Escape")
        wait_for(lambda: chooser not in self.session.windows(self.proc.pid),
                 what="the chooser gone")
        self.wait_frame_active()
        self.assert_alive_with_only_main()
        self.assertEqual(self.box_lines(), [])

    def test_chosen_wav_is_confirmed_then_cancel_or_ok(self):
        self.proc, frame = self.start_main()
        source = make_wav(os.path.join(self.dir, "声 Voice.WAV"), seconds=2)
        output = os.path.join(self.dir, "声 voice.au")
        # Cancel in the confirmation box: nothing further.
        self.choose_file(source)
        self.wait_box(self.proc, 1)
        self.assertEqual(self.box_lines(), [("box", "confirmation", "Kelmoro", source + CONFIRM)])
        self.session.key("Escape")
        wait_for(lambda: self.answer_lines() == [("answer", "CANCEL")], what="the answer")
        self.wait_frame_active()
        self.assert_alive_with_only_main()
        self.assertFalse(os.path.exists(output))
        # OK converts it in the progress dialog.
        self.choose_file(source)
        self.wait_box(self.proc, 2)
        self.assertEqual(self.box_lines()[1], ("box", "confirmation", "Kelmoro", source + CONFIRM))
        self.session.key("Return")
        box = self.wait_box(self.proc, 3)
        self.assertEqual(self.box_lines()[2], ("box", "plain", "Kelmoro", source + SUCCESS))
        self.assertIn(source, self.session.titles(self.proc.pid))  # the dialog behind it
        self.session.key("Return")
        wait_for(lambda: len(self.answer_lines()) == 3, what="the success box answered")
        self.assert_alive_with_only_main()
        self.assertTrue(os.path.isfile(output))
        self.assertNotIn(box, self.session.windows(self.proc.pid))

    def test_file_without_wav_in_its_name_converts_nothing_silently(self):
        self.proc, frame = self.start_main()
        source = make_wav(os.path.join(self.dir, "tone.raw"), seconds=1)
        self.choose_file(source, all_files=True)
        self.wait_box(self.proc, 1)
        self.assertEqual(self.box_lines(), [("box", "confirmation", "Kelmoro", source + CONFIRM)])
        self.session.key("Return")
        self.session.wait_window(self.proc.pid, source)  # the dialog ran
        # Gone without a box: a box would have come while it was open.
        self.assert_alive_with_only_main()
        self.assertEqual(len(self.box_lines()), 1)
        self.assertEqual(os.listdir(self.dir), ["tone.raw"])

    def test_version_dialog_opens_and_closes(self):
        self.proc, frame = self.start_main()
        self.open_menu("alt+h", HELP_MENU)
        self.session.key("a")
        about = self.session.wait_window(self.proc.pid, ABOUT)
        keep_screenshot(self.session, "about.png", [about])
        self.session.key("Return")
        wait_for(lambda: about not in self.session.windows(self.proc.pid), what="about closed")
        self.assert_alive_with_only_main()

    def test_view_items_hide_and_show_the_bars(self):
        self.proc, frame = self.start_main()
        self.wait_drawn(frame, "the main window drawn")
        width, height, shown = self.frame_capture(frame)

        def first_changed_row(pixels):
            for row in range(height):
                start = row * width * 3
                if pixels[start:start + width * 3] != shown[start:start + width * 3]:
                    return row
            return None

        def toggle(keys, menu):
            self.open_menu("alt+v", menu)
            self.session.key(keys)

        def settled_change():
            return first_changed_row(self.frame_capture(frame)[2])

        def bottom_is_plain(pixels):
            """The frame's lowest 20 rows inside its edges are one colour:
            the status bar (text and pane borders) is not there."""
            first = pixels[((height - 20) * width + 2) * 3:((height - 20) * width + 2) * 3 + 3]
            for row in range(height - 20, height - 2):
                for column in range(2, width - 2):
                    i = (row * width + column) * 3
                    if pixels[i:i + 3] != first:
                        return False
            return True

        self.assertFalse(bottom_is_plain(shown))

        # The toolbar goes: the picture changes from just under the menu bar.
        toggle("t", VIEW_MENU)
        row = wait_for(settled_change, what="the toolbar hidden")
        self.assertLess(row, 90)
        # The status bar goes: the check marks follow.
        toggle("s", ("menu", "表示(&V)", "ﾂｰﾙ ﾊﾞｰ(&T) [ ]", "ｽﾃｰﾀｽ ﾊﾞｰ(&S) [x]"))
        wait_for(lambda: bottom_is_plain(self.frame_capture(frame)[2]),
                 what="the status bar hidden")
        toggle("t", ("menu", "表示(&V)", "ﾂｰﾙ ﾊﾞｰ(&T) [ ]", "ｽﾃｰﾀｽ ﾊﾞｰ(&S) [ ]"))
        # With the toolbar back, only the bottom differs: the status bar.
        row = wait_for(lambda: (lambda r: r if r is not None and r > height - 60 else None)(
            settled_change()), what="toolbar back, status bar hidden")
        self.assertGreater(row, height - 60)
        toggle("s", ("menu", "表示(&V)", "ﾂｰﾙ ﾊﾞｰ(&T) [x]", "ｽﾃｰﾀｽ ﾊﾞｰ(&S) [ ]"))
        wait_for(lambda: settled_change() is None, what="both bars back as at first")
        self.open_menu("alt+v", VIEW_MENU)
        self.session.key("Escape")
        self.session.key("Escape")

    def test_ctrl_n_makes_a_new_document_in_the_same_frame(self):
        self.proc, frame = self.start_main()
        self.session.key("ctrl+n")
        wait_for(lambda: self.session.window_name(frame) == "無題 - Kelmoro",
                 what="the new document's title")
        self.assertEqual(self.session.windows(self.proc.pid), [frame])
        self.assertEqual(self.box_lines(), [])

    def test_help_commands_say_no_help_is_installed(self):
        self.proc, frame = self.start_main()
        self.session.key("F1")
        self.wait_box(self.proc, 1)
        self.assertEqual(self.box_lines(), [("box", "plain", "Kelmoro", NO_HELP)])
        self.session.key("Return")
        wait_for(lambda: len(self.answer_lines()) == 1, what="the box answered")
        self.open_menu("alt+h", HELP_MENU)
        self.session.key("h")
        self.wait_box(self.proc, 2)
        self.session.key("Return")
        wait_for(lambda: len(self.answer_lines()) == 2, what="the box answered")
        # Context help: help mode until a click, which asks for help.
        self.session.key("shift+F1")
        wait_for(lambda: ("helpmode", "on") in self.session.boxes(), what="help mode")
        x, y, width, height = self.session.geometry(frame)
        self.session.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2),
                          "click", "1"])
        self.wait_box(self.proc, 3)
        self.assertEqual(self.box_lines()[2], ("box", "plain", "Kelmoro", NO_HELP))
        self.session.key("Return")
        wait_for(lambda: ("helpmode", "off") in self.session.boxes(), what="help mode left")
        # Escape leaves help mode without a box.
        self.session.key("shift+F1")
        wait_for(lambda: self.session.boxes().count(("helpmode", "on")) == 2, what="help mode")
        self.session.key("Escape")
        wait_for(lambda: self.session.boxes().count(("helpmode", "off")) == 2, what="left")
        self.assertEqual(len(self.box_lines()), 3)
        self.assert_alive_with_only_main()

    def status(self, pane):
        """The text of a status-bar pane, as the trace last reported it."""
        texts = [line[2] for line in self.session.boxes()
                 if line[0] == "status" and line[1] == str(pane)]
        return texts[-1] if texts else ""

    def wait_status(self, pane, text):
        wait_for(lambda: self.status(pane) == text, what=f"status pane {pane}: {text!r}")

    def move(self, point):
        self.session.run(["xdotool", "mousemove", str(point[0]), str(point[1])])

    def neutral_point(self, frame):
        """A spot on the banner, away from the toolbar: the idle text."""
        x, y, width, height = self.session.geometry(frame)
        return x + width // 2, y + height - 60

    def shows_prompt(self, point, prompt, neutral, timeout=3):
        """Whether the pointer at point brings prompt to the status bar, moved
        there from the neutral spot once that shows the idle text."""
        self.leave_toolbar(neutral)
        self.move(point)
        try:
            wait_for(lambda: self.status(0) == prompt, timeout=timeout, interval=0.01)
            return True
        except AssertionError:
            return False

    def leave_toolbar(self, neutral):
        """The pointer to the neutral spot, and the idle text and no tooltip
        shown (a tooltip still on the screen would take the next move)."""
        self.move(neutral)
        self.wait_status(0, IDLE)
        windows = set(self.session.windows(self.proc.pid))
        wait_for(lambda: self.visible_windows() <= windows, what="no tooltip")

    def prompt_at(self, point, start, neutral):
        """The prompt the pointer at point shows, read in order: from start (a
        button, its prompt shown) to point, then to the neutral spot. The idle
        text the neutral spot brings tells that the program has handled both
        moves; a prompt before it is point's. IDLE for no button, and for
        start's own button (whose prompt does not change)."""
        self.leave_toolbar(neutral)
        self.move(start)
        wait_for(lambda: self.status(0) not in ("", IDLE), interval=0.01, what="a prompt")
        mark = len(self.status_lines())
        self.move(point)
        self.move(neutral)
        wait_for(lambda: self.status_lines()[mark:][-1:] == [IDLE], interval=0.01,
                 what="the idle text")
        lines = self.status_lines()[mark:]
        return lines[-2] if len(lines) >= 2 else IDLE

    def status_lines(self):
        return [line[2] for line in self.session.boxes() if line[0] == "status" and line[1] == "0"]

    def find_button(self, window, rows, neutral, prompt=None):
        """A point on a toolbar button of window (the one with prompt, if
        given) and its prompt: the mouse sweeps rows (offsets from the
        window's top) until the status bar has shown a prompt. The status
        bar lags the mouse, so the prompt may come a few points later, or
        be gone again when read: the points passed since are each checked
        from the neutral spot, the latest first."""
        x, y, width, _ = self.session.geometry(window)
        passed = []
        mark = len(self.status_lines())
        for dy in rows:
            for dx in range(4, min(width, 80), 4):
                passed.append((x + dx, y + dy))
                self.move(passed[-1])
                shown = [line for line in self.status_lines()[mark:]
                         if line != IDLE and (prompt is None or line == prompt)]
                if not shown:
                    continue
                for point in reversed(passed[-8:]):
                    if self.shows_prompt(point, shown[0], neutral, timeout=1):
                        return point, shown[0]
                passed.clear()
                mark = len(self.status_lines())
        self.fail(f"no toolbar button gave {prompt or 'a prompt'}")

    def find_open_button(self, frame):
        """Where the open button is, relative to the frame."""
        x, y, _, _ = self.session.geometry(frame)
        point, _ = self.find_button(frame, range(24, 64, 4), self.neutral_point(frame),
                                    OPEN_PROMPT)
        return point[0] - x, point[1] - y

    def drag(self, start, end, steps=12):
        self.move(start)
        self.session.run(["xdotool", "mousedown", "1"])
        for i in range(1, steps + 1):
            point = (start[0] + (end[0] - start[0]) * i // steps,
                     start[1] + (end[1] - start[1]) * i // steps)
            self.move(point)
            wait_for(lambda: self.session.pointer() == point, what="the pointer moved")
        self.session.run(["xdotool", "mouseup", "1"])

    def test_toolbar_floats_by_its_gripper(self):
        self.proc, frame = self.start_main()
        self.wait_status(0, IDLE)
        dx, dy = self.find_open_button(frame)
        x, y, width, height = self.session.geometry(frame)
        # The gripper is the toolbar's left edge.
        self.drag((x + 3, y + dy), (x + width // 2, y + height + 120))
        floating = wait_for(lambda: set(self.session.windows(self.proc.pid)) - {frame},
                            what="the floating toolbar").pop()
        fx, fy, fwidth, fheight = self.session.geometry(floating)
        self.assertGreater(fy, y + height)  # where it was dropped, outside the frame
        self.assertLess(fwidth, width)
        # A small tool window: titled, its title drawn in the strip above
        # the buttons (not an empty strip of one colour).
        self.assertEqual(self.session.window_name(floating), "ﾂｰﾙ ﾊﾞｰ")
        self.assert_on_screen(floating)
        fwidth, fheight, pixels = self.frame_capture(floating)
        strip = {pixels[i:i + 3] for row in range(2, 14)
                 for i in range(row * fwidth * 3, (row + 1) * fwidth * 3, 3)}
        self.assertGreater(len(strip), 4, "the strip above the buttons is empty")
        keep_screenshot(self.session, "toolbar-floating.png", [frame, floating])
        # Its tooltips come up under its buttons there.
        others = self.visible_windows()
        # Hovered from off the bar, the program seen to have the pointer
        # there (its prompt shown) before the tooltip is looked for.
        prompt, span = list(self.toolbar_buttons(floating, fheight // 2,
                                                 self.neutral_point(frame)).items())[-1]

        def hover():
            self.assertTrue(self.shows_prompt((sum(span) // 2, fy + fheight // 2), prompt,
                                              self.neutral_point(frame)))
        hover()
        # A hover the floating bar lost on a loaded machine is made once more.
        self.assert_tooltip_under(span, fy + fheight // 2, others, again=hover)
        # The View item hides and shows it where it floats.
        self.open_menu("alt+v", VIEW_MENU)
        self.session.key("t")
        wait_for(lambda: floating not in self.session.windows(self.proc.pid), what="hidden")
        self.open_menu("alt+v", ("menu", "表示(&V)", "ﾂｰﾙ ﾊﾞｰ(&T) [ ]", "ｽﾃｰﾀｽ ﾊﾞｰ(&S) [x]"))
        self.session.key("t")
        wait_for(lambda: floating in self.session.windows(self.proc.pid), what="shown again")
        # A double click away from its buttons (on the separator: gripper 8
        # pixels, one 16-pixel button with its margins, then the separator)
        # docks it again at the top.
        fx, fy, fwidth, fheight = self.session.geometry(floating)
        self.session.run(["xdotool", "mousemove", str(fx + 44), str(fy + fheight // 2),
                          "click", "--repeat", "2", "--delay", "80", "1"])
        wait_for(lambda: floating not in self.session.windows(self.proc.pid), what="docked")
        # In the top row again: the open button where it was.
        self.assertTrue(self.shows_prompt((x + dx, y + dy), OPEN_PROMPT, self.neutral_point(frame)))

    def toolbar_buttons(self, window, dy, neutral):
        """Each toolbar button's prompt and the screen columns it spans, along
        the row dy pixels below the window's top, each column read with
        prompt_at: once from a first button found, then from another for the
        columns of the first."""
        x, y, width, _ = self.session.geometry(window)
        row = y + dy
        columns = range(x, x + min(width, 120), 2)
        first, first_prompt = self.find_button(window, [dy], neutral)
        prompts = {column: self.prompt_at((column, row), first, neutral) for column in columns}
        other = next(column for column in columns if prompts[column] != IDLE)
        for column in columns:
            if prompts[column] == IDLE and \
                    self.prompt_at((column, row), (other, row), neutral) == first_prompt:
                prompts[column] = first_prompt
        spans = {}
        for column in columns:
            if prompts[column] != IDLE:
                spans.setdefault(prompts[column], []).append(column)
        return {prompt: (min(c), max(c)) for prompt, c in spans.items()}

    def assert_tooltip_under(self, span, row, others, again=None):
        """A tooltip window comes up centred under the columns span, below
        the screen row the pointer is on, and lies on the screen. With again,
        a hover that brought no tooltip at all is made once more."""
        seen = []

        def placed():
            for tip in self.visible_windows() - others:
                tip_x, tip_y, tip_width, _ = geometry = self.session.geometry(tip)
                seen.append(geometry)
                if span[0] - 2 <= tip_x + tip_width / 2 <= span[1] + 2 and tip_y > row:
                    return tip
            return None
        try:
            tip = wait_for(placed, timeout=5, what="the tooltip")
        except AssertionError:
            if again is None or seen:
                self.fail(f"no tooltip under columns {span}, below row {row}; last seen {seen[-1:]}")
            again()
            try:
                tip = wait_for(placed, timeout=5, what="the tooltip")
            except AssertionError:
                self.fail(f"no tooltip under columns {span}, below row {row}; last seen {seen[-1:]}")
        self.assert_on_screen(tip)

    def test_toolbar_tooltips_come_up_under_their_buttons(self):
        self.proc, frame = self.start_main()
        self.wait_status(0, IDLE)
        others = self.visible_windows()
        _, dy = self.find_open_button(frame)
        row = self.session.geometry(frame)[1] + dy + 4
        prompts = self.toolbar_buttons(frame, dy + 4, self.neutral_point(frame))
        buttons = list(prompts.values())
        self.assertEqual(len(buttons), 3)
        # Each button from off the bar (the program seen to have the pointer
        # on it: its prompt shown), then from one to the next.
        for prompt, span in prompts.items():
            self.assertTrue(self.shows_prompt((sum(span) // 2, row), prompt,
                                              self.neutral_point(frame)))
            self.assert_tooltip_under(span, row, others)
        keep_screenshot(self.session, "toolbar-tooltip.png", [frame])
        for span in reversed(buttons[:-1]):
            self.session.run(["xdotool", "mousemove", str(sum(span) // 2), str(row)])
            self.assert_tooltip_under(span, row, others)

    def test_banner_is_never_scaled_and_is_clipped_by_a_smaller_view(self):
        self.proc, frame = self.start_main()
        self.wait_drawn(frame, "the main window drawn")
        width, height, first = self.frame_capture(frame)

        def region(pixels, row_width, columns, rows):
            return b"".join(pixels[(r * row_width) * 3:(r * row_width + columns) * 3]
                            for r in range(rows))

        # Smaller than the banner: its upper-left part, pixel for pixel.
        self.session.run(["xdotool", "windowsize", str(frame), "300", "170"])
        wait_for(lambda: self.session.geometry(frame)[2] <= 320, what="the frame narrower")
        self.wait_drawn(frame, "the narrower frame drawn")
        small_width, small_height, small = self.frame_capture(frame)
        rows = small_height - 40  # above the status bar
        self.assertEqual(region(small, small_width, small_width - 20, rows),
                         region(first, width, small_width - 20, rows))
        # Larger: the banner keeps its size.
        self.session.run(["xdotool", "windowsize", str(frame), "900", "400"])
        wait_for(lambda: self.session.geometry(frame)[2] >= 880, what="the frame wider")
        self.wait_drawn(frame, "the wider frame drawn")
        big_width, big_height, big = self.frame_capture(frame)
        rows = height - 40
        self.assertEqual(region(big, big_width, width - 20, rows),
                         region(first, width, width - 20, rows))

    def test_status_bar_prompts_tooltips_and_indicators(self):
        self.proc, frame = self.start_main()
        self.wait_status(0, IDLE)
        # Fly-by prompt: the mouse over the open button (found by sweeping
        # the toolbar row), and its tooltip window on the screen.
        x, y, width, height = self.session.geometry(frame)
        before = self.visible_windows()
        self.find_open_button(frame)
        wait_for(lambda: self.visible_windows() - before, what="the tooltip")
        self.session.run(["xdotool", "mousemove", str(x + width // 2), str(y + height - 60)])
        self.wait_status(0, IDLE)
        # Menu prompts, then the idle message again.
        self.open_menu("alt+f", FILE_MENU)
        self.wait_status(0, OPEN_PROMPT)
        self.session.key("Down")
        self.wait_status(0, EXIT_PROMPT)
        self.session.key("Escape")
        self.session.key("Escape")
        self.wait_status(0, IDLE)
        # The indicators follow the keyboard.
        self.session.lock_key("Caps_Lock")
        self.wait_status(2, "CAP")
        self.session.lock_key("Caps_Lock")
        self.wait_status(2, "")
        self.session.lock_key("Num_Lock")
        self.wait_status(3, "NUM")
        self.session.lock_key("Num_Lock")
        self.wait_status(3, "")
        # Help mode's message.
        self.session.key("shift+F1")
        self.wait_status(0, HELP_MODE)
        self.session.key("Escape")
        self.wait_status(0, IDLE)
        self.assertEqual(self.box_lines(), [])

    def fake_browser(self, status):
        bin_dir = os.path.join(self.dir, "bin")
        os.makedirs(bin_dir, exist_ok=True)
        record = os.path.join(self.dir, "opened.txt")
        script = os.path.join(bin_dir, "xdg-open")
        with open(script, "w") as out:
            out.write(f'#!/bin/sh\necho "$1" >> "{record}"\nexit {status}\n')
        os.chmod(script, stat.S_IRWXU)
        empty = os.path.join(self.dir, "no-apps")
        os.makedirs(empty, exist_ok=True)
        # No desktop database: GIO knows no browser, so wx falls back to
        # xdg-open, which is ours.
        env = {"PATH": bin_dir + ":" + os.environ.get("PATH", "/usr/bin:/bin"),
               "XDG_DATA_DIRS": empty, "XDG_DATA_HOME": empty, "BROWSER": ""}
        return env, record

    def titles_on_screen(self):
        """Titles of the program's windows that lie on the screen; None while
        a window closes under the reading."""
        try:
            return [self.session.window_name(w) for w in self.session.windows(self.proc.pid)
                    if all(value >= 0 for value in self.session.geometry(w)[:2])]
        except AssertionError:
            return None

    def drag_files(self, paths, target):
        """Drags paths from a GTK drag source (drag_source.py, as a file
        manager offers files) with the mouse onto the middle of the target
        window: a real XDND drop. Returns the source's window, still on the
        screen, and a function that waits for the drop's outcome as the
        source saw it ("dropped" or "failed")."""
        out = os.path.join(self.dir, "drag-source.out")
        helper = os.path.join(os.path.dirname(os.path.abspath(__file__)), "drag_source.py")
        with open(out, "wb") as stdout:
            proc = subprocess.Popen(["/usr/bin/python3", helper, *paths], env=self.session.env,
                                    stdout=stdout, stderr=subprocess.STDOUT,
                                    start_new_session=True)
        self.session.procs.append(proc)

        def said(word):
            with open(out) as text:
                return word in text.read().split()
        wait_for(lambda: said("ready"), what="the drag source")
        source = self.session.wait_window(proc.pid, "drag source")
        sx, sy, swidth, sheight = self.session.geometry(source)
        tx, ty, twidth, theight = self.session.geometry(target)
        self.wait_drawn(source, "the drag source drawn")
        self.drag((sx + swidth // 2, sy + sheight // 2), (tx + twidth // 2, ty + theight // 2),
                  steps=20)

        def outcome():
            wait_for(lambda: said("dropped") or said("failed"), what="the drag's end")
            return "dropped" if said("dropped") else "failed"
        return source, outcome

    def test_one_dropped_file_is_confirmed_and_converted_as_if_opened(self):
        self.proc, frame = self.start_main()
        wav = make_wav(os.path.join(self.dir, "Drop 声.WAV"), seconds=1)
        folder = os.path.join(self.dir, "folder.wav")
        os.makedirs(folder)
        source, outcome = self.drag_files([wav, folder], frame)
        # The folder is left out; the one file as if chosen with File > Open:
        # its confirmation box, then the progress dialog and the success box.
        box = self.wait_box(self.proc, 1)
        self.assertEqual(self.box_lines(), [("box", "confirmation", "Kelmoro", wav + CONFIRM)])
        self.assertEqual(outcome(), "dropped")  # the drop ended before the boxes
        keep_screenshot(self.session, "drop-confirm.png", [frame, box, source])
        self.session.key("Return")
        self.wait_box(self.proc, 2)
        self.assertEqual(self.box_lines()[1], ("box", "plain", "Kelmoro", wav + SUCCESS))
        self.assertIn(wav, self.session.titles(self.proc.pid))  # the dialog behind it
        self.session.key("Return")
        # GTK keeps a 1x1 helper window of the drop mapped off the screen at
        # (-99, -99); only what lies on the screen counts.
        wait_for(lambda: self.titles_on_screen() == [MAIN], what="only the main window")
        self.assertEqual(len(self.box_lines()), 2)
        self.assertEqual(sorted(os.listdir(self.dir)),
                         sorted(["Drop 声.WAV", "drop 声.au", "folder.wav", "drag-source.out"]))

    def test_author_home_page_opens_in_the_browser(self):
        env, record = self.fake_browser(0)
        self.proc, frame = self.start_main(extra_env=env)
        self.open_menu("alt+h", HELP_MENU)
        self.session.key("Up", "Return")
        wait_for(lambda: os.path.exists(record), what="the browser started")
        with open(record) as opened:
            self.assertEqual(opened.read().split(), [HOME_PAGE])
        self.assert_alive_with_only_main()
        self.assertEqual(self.box_lines(), [])

    def test_author_home_page_failing_says_no_browser_started(self):
        env, record = self.fake_browser(1)
        self.proc, frame = self.start_main(extra_env=env)
        self.open_menu("alt+h", HELP_MENU)
        self.session.key("Up", "Return")
        wait_for(lambda: os.path.exists(record), what="the browser tried")
        box = self.wait_box(self.proc, 1)
        self.assertEqual(self.box_lines(), [("box", "error", "Kelmoro", NO_BROWSER)])
        keep_screenshot(self.session, "no-browser.png", [box])
        self.session.key("Return")
        wait_for(lambda: len(self.answer_lines()) == 1, what="the box answered")
        self.assert_alive_with_only_main()

    def convert_from_open(self, seconds):
        """File › Open, OK in the confirmation box; returns the progress
        dialog and the path."""
        count = len(self.box_lines()) + 1
        source = make_wav(os.path.join(self.dir, f"Take{count}.wav"), seconds=seconds)
        self.choose_file(source)
        self.wait_box(self.proc, count)
        self.session.key("Return")
        return self.session.wait_window(self.proc.pid, source), source

    def test_accelerators_work_after_a_conversion_and_without_the_toolbar(self):
        self.proc, frame = self.start_main()

        def after_conversion():
            self.convert_from_open(seconds=1)
            count = len(self.box_lines()) + 1
            self.wait_box(self.proc, count)  # the success box
            self.session.key("Return")
            wait_for(lambda: len(self.answer_lines()) == count, what="the success box answered")

        def toolbar_off():
            self.open_menu("alt+v", VIEW_MENU)
            self.session.key("t")

        for situation in (after_conversion, toolbar_off):
            with self.subTest(situation.__name__):
                situation()
                self.assert_alive_with_only_main()
                # F1: the no-help box, on the screen.
                self.wait_frame_active()
                boxes = len(self.box_lines())
                self.session.key("F1")
                box = self.wait_box(self.proc, boxes + 1, timeout=5)
                self.assertEqual(self.box_lines()[-1], ("box", "plain", "Kelmoro", NO_HELP))
                self.assert_on_screen(box)
                self.session.key("Return")
                wait_for(lambda: len(self.answer_lines()) == boxes + 1, what="answered")
                # Shift+F1: help mode, left with Escape.
                self.wait_frame_active()
                modes = self.session.boxes().count(("helpmode", "on"))
                self.session.key("shift+F1")
                wait_for(lambda: self.session.boxes().count(("helpmode", "on")) > modes,
                         timeout=5, what="help mode")
                self.session.key("Escape")
                wait_for(lambda: self.session.boxes().count(("helpmode", "off")) > modes,
                         timeout=5, what="help mode left")
        # Ctrl+N: a new document in the same frame, without the toolbar.
        self.wait_frame_active()
        self.session.key("ctrl+n")
        wait_for(lambda: self.session.window_name(frame) == "無題 - Kelmoro", timeout=5,
                 what="the new document's title")

    def test_dialogs_open_centred_on_the_main_window(self):
        self.proc, frame = self.start_main()
        self.session.run(["xdotool", "windowmove", str(frame), "0", "0"])
        wait_for(lambda: self.session.geometry(frame)[0] < 40, what="the frame moved")
        self.wait_frame_active()

        def centre(window):
            x, y, width, height = self.session.geometry(window)
            return x + width / 2, y + height / 2

        def assert_centred_on_frame(window):
            self.assert_on_screen(window)
            (fx, fy), (dx, dy) = centre(frame), centre(window)
            # The title bar the window manager adds shifts a window down a little.
            self.assertLess(abs(fx - dx), 30, (centre(frame), centre(window)))
            self.assertLess(abs(fy - dy), 30, (centre(frame), centre(window)))

        self.open_menu("alt+h", HELP_MENU)
        self.session.key("a")
        about = self.session.wait_window(self.proc.pid, ABOUT)
        assert_centred_on_frame(about)
        self.session.key("Return")
        wait_for(lambda: about not in self.session.windows(self.proc.pid), what="about closed")
        boxes = len(self.box_lines())
        dialog, _ = self.convert_from_open(seconds=3)
        assert_centred_on_frame(dialog)
        self.wait_box(self.proc, boxes + 2)  # the confirmation, then the success box
        self.session.key("Return")
        self.assert_alive_with_only_main()


if __name__ == "__main__":
    unittest.main()
