"""Boxes that fit the screen and command lines with several files, in a
real window under Xvfb and openbox, driven with xdotool."""
import os
import unittest

from gui_support import GuiTestCase, keep_screenshot, make_wav, wait_for, wait_steady

MAIN = "Vantrel"
CHOOSER = "ファイルを開く"
ABOUT = "Kelmoroのﾊﾞｰｼﾞｮﾝ情報"
SUCCESS = "  AUファイルに変換成功"
CANNOT_OPEN = " ファイルを開けません"
BATCH = "複数ﾌｧｲﾙの変換"


class FitTest(GuiTestCase):
    SCREEN = (1280, 800)

    def long_folder(self):
        """Three nested folders of 90 characters each, without a blank."""
        folder = self.dir
        for letter in "abc":
            folder = os.path.join(folder, letter * 30 + "_LongFolderName" + letter * 45)
        os.makedirs(folder)
        return folder

    def test_long_path_boxes_wrap_and_fit_the_screen(self):
        folder = self.long_folder()
        cases = [
            ("success", make_wav(os.path.join(folder, "Voice.wav"), seconds=1), "plain", SUCCESS),
            ("error", os.path.join(folder, "Missing.wav"), "error", CANNOT_OPEN),
        ]
        for name, source, style, suffix in cases:
            with self.subTest(name):
                self.session.run(["truncate", "-s", "0", self.session.trace])
                proc = self.start(source)
                # No owner on a command-line start: the dialog is centred on the screen.
                dialog = self.session.wait_window(proc.pid, source)
                x, y, width, height = self.assert_on_screen(dialog)
                self.assertLess(abs(x + width / 2 - self.SCREEN[0] / 2), 30)
                box = self.wait_box(proc)
                self.assertEqual(self.box_lines(), [("box", style, "Kelmoro", source + suffix)])
                wait_steady(lambda: self.session.geometry(box), what="the box laid out")
                x, y, width, height = self.assert_on_screen(box)
                # About two thirds of the screen at most, and several lines high.
                self.assertLessEqual(width, self.SCREEN[0] * 0.7)
                self.assertGreater(height, 120)
                if name == "success":
                    keep_screenshot(self.session, "long-path-wrapped.png", [box])
                self.session.key("Return")
                self.finish(proc)

    def test_several_files_convert_in_one_window_with_one_summary(self):
        first = make_wav(os.path.join(self.dir, "First.wav"), seconds=1)
        second = make_wav(os.path.join(self.dir, "Second.wav"), seconds=1)
        missing = os.path.join(self.dir, "Missing.wav")
        cases = [
            ("all converted", [first, second], "plain", "2 / 2 個のﾌｧｲﾙをAUファイルに変換成功", 0),
            ("one missing", [first, missing, second], "error",
             "2 / 3 個のﾌｧｲﾙをAUファイルに変換成功\\n変換できなかったﾌｧｲﾙ:\\n"
             f"{missing}\\n    {missing}{CANNOT_OPEN}", 1),
        ]
        for name, sources, style, text, status in cases:
            with self.subTest(name):
                self.session.run(["truncate", "-s", "0", self.session.trace])
                for au in ("first.au", "second.au"):
                    if os.path.exists(os.path.join(self.dir, au)):
                        os.remove(os.path.join(self.dir, au))
                proc = self.start(*sources)
                self.assert_on_screen(self.session.wait_window(proc.pid, BATCH))
                self.assert_on_screen(self.wait_box(proc))
                self.assertEqual(self.box_lines(), [("box", style, "Kelmoro", text)])
                self.session.key("Return")
                self.assertEqual(self.finish(proc), status)
                self.assertEqual(len(self.box_lines()), 1)
                self.assertTrue(os.path.isfile(os.path.join(self.dir, "first.au")))
                self.assertTrue(os.path.isfile(os.path.join(self.dir, "second.au")))


class NoWindowManagerTest(GuiTestCase):
    """Bare Xvfb: no window manager keeps windows on the screen, so the
    program must size and place each one itself."""
    SCREEN = (1280, 800)
    WINDOW_MANAGER = False

    def test_every_window_fits_the_screen_without_a_window_manager(self):
        source = make_wav(os.path.join(self.dir, "Voice.wav"), seconds=1)
        with self.subTest("main window, file chooser, version dialog"):
            proc = self.start()
            self.addCleanup(proc.kill)
            frame = self.session.wait_window(proc.pid, MAIN)
            self.assert_on_screen(frame)
            # No window manager gives the focus: the pointer over the window
            # does. A key sent before GTK has taken the focus in is lost, so
            # each command's key is pressed again until its window comes.
            self.session.point_at(frame)
            chooser = self.press_until(proc, ["ctrl+o"], CHOOSER)
            # The chooser sizes itself once it has loaded.
            wait_steady(lambda: self.session.geometry(chooser), what="the chooser laid out")
            self.assert_on_screen(chooser)
            keep_screenshot(self.session, "chooser-without-window-manager.png", [chooser])
            self.session.key("Escape")
            wait_for(lambda: chooser not in self.session.windows(proc.pid), what="chooser closed")
            self.session.point_at(frame)
            about = self.press_until(proc, ["alt+h", "a"], ABOUT)
            self.assert_on_screen(about)
            self.session.key("Return")
            wait_for(lambda: about not in self.session.windows(proc.pid), what="about closed")
        proc.kill()
        proc.wait()
        with self.subTest("progress dialog and message box"):
            proc = self.start(source)
            self.assert_on_screen(self.session.wait_window(proc.pid, source))
            box = self.wait_box(proc)
            wait_steady(lambda: self.session.geometry(box), what="the box laid out")
            self.assert_on_screen(box)
            self.session.point_at(box)
            self.press_until_answered(["Return"])
            self.assertEqual(self.finish(proc), 0)

    def press_until(self, proc, keys, title):
        """Presses keys (each after the menu a previous one opened, if it
        did) until the window titled title is on the screen."""
        def pressed():
            for key in keys:
                menus = len([line for line in self.session.boxes() if line[0] == "menu"])
                self.session.key(key)
                if key.startswith("alt+"):
                    try:
                        wait_for(lambda: len([line for line in self.session.boxes()
                                              if line[0] == "menu"]) > menus,
                                 timeout=2, what="the menu")
                    except AssertionError:
                        return None
            try:
                return self.session.wait_window(proc.pid, title, timeout=2)
            except AssertionError:
                return None
        return wait_for(pressed, timeout=30, what=f"{title!r} opened by {keys}")

    def press_until_answered(self, keys):
        answers = len(self.answer_lines())

        def pressed():
            self.session.key(*keys)
            try:
                return wait_for(lambda: len(self.answer_lines()) > answers, timeout=2,
                                what="the answer")
            except AssertionError:
                return False
        wait_for(pressed, timeout=30, what=f"a box answered by {keys}")


if __name__ == "__main__":
    unittest.main()
