"""The main window on a screen scaled by 2 (GDK_SCALE=2), under Xvfb and
openbox: the toolbar shows its buttons from the 2x pictures."""
import os
import subprocess

from gui_support import GuiTestCase, capture_screen, keep_screenshot, read_ppm, wait_for

MAIN = "Vantrel"
RES = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                   "res")
# The 2x strip: three 32 x 30 buttons (open, about, context help).
LARGE_STRIP = os.path.join(RES, "toolbar@2x.png")
CELL = (32, 30)
BUTTONS = 3


def opaque_pixels(path, index):
    """The opaque pixels of button `index` of the strip: [(dx, dy, rgb)]."""
    raw = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], capture_output=True,
                         check=True).stdout
    width = CELL[0] * BUTTONS
    assert len(raw) == width * CELL[1] * 4, len(raw)
    pixels = []
    for dy in range(CELL[1]):
        for dx in range(CELL[0]):
            i = (dy * width + index * CELL[0] + dx) * 4
            if raw[i + 3] == 255:
                pixels.append((dx, dy, bytes(raw[i:i + 3])))
    return pixels


def longest_run(pixels):
    """The longest row of side by side opaque pixels: (dx, dy, rgb bytes)."""
    runs = {}
    for dx, dy, colour in pixels:
        start = next((key for key in runs if key[1] == dy and key[0] + len(runs[key]) // 3 == dx),
                     None)
        if start is None:
            runs[(dx, dy)] = colour
        else:
            runs[start] += colour
    (dx, dy), run = max(runs.items(), key=lambda item: len(item[1]))
    return dx, dy, run


def best_match(screen, box, pixels):
    """The share of `pixels` that match the screen at the best place inside
    `box` (x, y, width, height), and that place relative to the box. Places
    are those where the picture's longest opaque row shows."""
    screen_width, screen_height, rgb = screen
    x0, y0, width, height = box
    run_dx, run_dy, run = longest_run(pixels)
    best = (0.0, None)
    found = rgb.find(run)
    while found >= 0:
        offset = found // 3
        x, y = offset % screen_width - run_dx, offset // screen_width - run_dy
        if (found % 3 == 0 and x0 <= x < x0 + width and y0 <= y < y0 + height
                and x + CELL[0] <= screen_width and y + CELL[1] <= screen_height):
            hits = sum(1 for dx, dy, colour in pixels
                       if rgb[((y + dy) * screen_width + x + dx) * 3:][:3] == colour)
            if hits / len(pixels) > best[0]:
                best = (hits / len(pixels), (x - x0, y - y0))
        found = rgb.find(run, found + 1)
    return best


class ScaledScreenTest(GuiTestCase):
    # The window is twice its usual size in screen pixels.
    SCREEN = (1600, 1200)

    def test_toolbar_shows_the_2x_pictures_when_the_screen_is_scaled_by_2(self):
        proc = self.start(extra_env={"GDK_SCALE": "2"})
        frame = self.session.wait_window(proc.pid, MAIN)
        x, y, width, height = self.assert_on_screen(frame)
        buttons = [opaque_pixels(LARGE_STRIP, index) for index in range(BUTTONS)]
        # The toolbar lies under the menu bar, within the top 200 screen
        # pixels of the window (both bars twice their usual height).
        area = (x, y, min(width, 400), 200)

        def all_found():
            screen = read_ppm(capture_screen(self.session))
            self.found = [best_match(screen, area, pixels) for pixels in buttons]
            return all(share == 1.0 for share, _ in self.found)
        try:
            wait_for(all_found, timeout=10, interval=0.5, what="the 2x buttons on the screen")
        finally:
            print("button: share of the 2x picture's opaque pixels matched, at (dx, dy):",
                  self.found)
        keep_screenshot(self.session, "toolbar-scaled-2x.png", [frame])
        # Side by side in one row, left to right in the strip's order.
        places = [place for _, place in self.found]
        self.assertEqual(len({dy for _, dy in places}), 1, places)
        self.assertEqual(places, sorted(places), places)
        self.session.key("alt+f", "x")
        self.assertEqual(self.finish(proc), 0)
