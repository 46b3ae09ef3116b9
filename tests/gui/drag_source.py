"""A small GTK window that offers files for dragging, as a file manager
does: its whole area is a drag source of text/uri-list. The GUI tests drag
from it with xdotool's mouse onto the program, a real XDND drop.

Usage: /usr/bin/python3 drag_source.py PATH...
Prints "ready" once on the screen, then "dropped" or "failed" when a drag
ends; stays on the screen until it is killed."""
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import GLib, Gdk, Gtk  # noqa: E402

TITLE = "drag source"


def main(paths):
    uris = [GLib.filename_to_uri(path, None) for path in paths]
    window = Gtk.Window(title=TITLE)
    window.set_default_size(160, 100)
    window.move(820, 40)
    area = Gtk.EventBox()
    area.add(Gtk.Label(label=f"{len(uris)} file(s)"))
    window.add(area)
    area.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [], Gdk.DragAction.COPY)
    area.drag_source_add_uri_targets()

    def on_get(_widget, _context, data, _info, _time):
        data.set_uris(uris)

    outcome = ["dropped"]

    def on_failed(_widget, _context, _result):
        outcome[0] = "failed"
        return False

    def on_end(_widget, _context):
        print(outcome[0], flush=True)

    area.connect("drag-data-get", on_get)
    area.connect("drag-failed", on_failed)  # comes before drag-end
    area.connect("drag-end", on_end)
    window.connect("destroy", Gtk.main_quit)
    window.connect("map-event", lambda *_: print("ready", flush=True))
    window.show_all()
    Gtk.main()


if __name__ == "__main__":
    main(sys.argv[1:])
