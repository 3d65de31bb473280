#!/usr/bin/python3
"""mkgameart: draws every picture the game's scenes name (title, town map, journal, rooms and
the things hidden in them, suspects, dialogs, puzzles, tutorials, particle sprites) with Cairo
and writes them as PNG files under FOLDER/images/, laid out as the scenes' resources files
name them. The build runs it into its generated data (never into the checkout).
Usage: /usr/bin/python3 tools/mkgameart.py FOLDER   (Debian's python3 with python3-cairo)"""
import os
import sys

import cairo

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from gameart import faces, rooms, screens  # noqa: E402
from gameart.draw import BURGUNDY, NAVY, Writer, canvas  # noqa: E402
from gameart.things import THINGS, draw_thing  # noqa: E402

ICON_SIZE = 32
# Buttons of the journal: name, icon.
JOURNAL_BUTTONS = (("search", screens.icon_magnifier), ("suspects", screens.icon_people),
                   ("checklist", screens.icon_clipboard))


def icon(name):
    """A thing drawn small, for the journal's theory and clue icons."""
    width, height, _ = THINGS[name]
    picture = draw_thing(name)
    s, ctx = canvas(ICON_SIZE, ICON_SIZE)
    scale = (ICON_SIZE - 2) / max(width, height)
    ctx.translate((ICON_SIZE - width * scale) / 2, (ICON_SIZE - height * scale) / 2)
    ctx.scale(scale, scale)
    ctx.set_source_surface(picture, 0, 0)
    ctx.get_source().set_filter(cairo.FILTER_BEST)
    ctx.paint()
    return s


def ui(out):
    for state in ("n", "h"):
        out.save(screens.button(260, 56, state), "images/ui/button_%s.png" % state)
        out.save(screens.button(150, 44, state), "images/ui/smallbutton_%s.png" % state)
        out.save(screens.button(150, 44, state, NAVY, screens.icon_map), "images/ui/mapbutton_%s.png" % state)
        out.save(screens.button(170, 44, state, NAVY, screens.icon_letter),
                 "images/ui/letterbutton_%s.png" % state)
    out.save(screens.ribbon(560, 56), "images/ui/ribbon.png")
    out.save(screens.veil(0.55), "images/ui/veil.png")
    out.save(screens.panel(600, 360), "images/ui/dialog_panel.png")
    out.save(screens.panel(480, 92), "images/ui/note_panel.png")
    out.save(screens.panel(700, 140), "images/ui/wide_note.png")
    out.save(screens.tutorial_bubble(380, 150, 70, True), "images/ui/tutorial_down.png")


def title_and_map(out):
    out.save(screens.title_backdrop(), "images/title/title.png")
    out.save(screens.town_map(), "images/map/town.png")
    for kind in ("museum", "library", "restaurant"):
        out.save(screens.place_icon(kind, True), "images/map/%s_on.png" % kind)
        out.save(screens.place_icon(kind, False), "images/map/%s_off.png" % kind)
    out.save(screens.map_pin(), "images/map/pin.png")


def journal(out):
    out.save(screens.book(), "images/journal/book.png")
    for name, drawing in JOURNAL_BUTTONS:
        for state in ("n", "h", "f", "d"):
            out.save(screens.button(180, 56, state, BURGUNDY, drawing),
                     "images/journal/btn_%s_%s.png" % (name, state))
    for state in ("n", "h", "d"):
        # Its disabled picture is the faded one: there is nothing done about a map.
        out.save(screens.button(130, 48, "f" if state == "d" else state, NAVY, screens.icon_map),
                 "images/journal/btn_map_%s.png" % state)
        out.save(screens.arrow_button("right", state), "images/journal/next_%s.png" % state)
        out.save(screens.arrow_button("left", state), "images/journal/prev_%s.png" % state)
    out.save(screens.ribbon_bookmark(), "images/journal/assembly.png")
    out.save(screens.stamp("CASE SOLVED", 460, 180), "images/journal/solved_stamp.png")
    for state in ("n", "h"):
        out.save(screens.button(200, 56, state), "images/journal/continue_%s.png" % state)
    out.save(screens.veil(0.55), "images/journal/veil.png")
    # The round's page.
    out.save(screens.page_lines(), "images/journal/page_lines.png")
    out.save(screens.photo_frame(False), "images/journal/foto.png")
    out.save(screens.photo_frame(True), "images/journal/foto_empty.png")
    out.save(screens.parcel(), "images/journal/parcel.png")
    out.save(screens.big_cross(96), "images/journal/cross.png")
    for kind in ("museum", "library"):
        out.save(screens.case_picture(kind), "images/journal/case_%s.png" % kind)


def suspects(out):
    for suspect in faces.SUSPECTS:
        out.save(faces.draw_face(suspect, 80, 93), "images/suspects/%s_n.png" % suspect.frame)
        out.save(faces.draw_face(suspect, 80, 93, highlight=True), "images/suspects/%s_h.png" % suspect.frame)
        out.save(faces.draw_face(suspect, 150, 174), "images/suspects/%s_big.png" % suspect.frame)


def search_rooms(out):
    out.save(rooms.museum(), "images/rooms/museum.png")
    out.save(rooms.library(), "images/rooms/library.png")
    out.save(rooms.kitchen(), "images/rooms/kitchen.png")
    out.save(rooms.search_panel(), "images/rooms/panel.png")
    for name in THINGS:
        out.save(draw_thing(name), "images/things/%s.png" % name)
        out.save(icon(name), "images/icons/%s.png" % name)


def puzzles(out):
    out.save(screens.corkboard(), "images/puzzles/corkboard.png")
    for state in ("n", "h", "c", "w"):
        out.save(screens.card(state), "images/puzzles/card_%s.png" % state)
    for state in ("n", "h"):
        out.save(screens.suspect_card(state), "images/puzzles/suspect_card_%s.png" % state)
    out.save(screens.big_cross(170), "images/puzzles/innocent.png")
    out.save(screens.stamp("GUILTY", 220, 110, angle=-0.2), "images/puzzles/guilty.png")
    for index in range(4):
        out.save(screens.letter_piece(index), "images/puzzles/letter_%d.png" % (index + 1))
    out.save(screens.letter_outline(), "images/puzzles/letter_outline.png")


def particles(out):
    for kind in ("dust", "sparkle", "steam"):
        out.save(screens.sprite(kind), "images/particles/%s.png" % kind)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: mkgameart.py FOLDER\n")
        return 2
    out = Writer(sys.argv[1])
    for part in (ui, title_and_map, journal, suspects, search_rooms, puzzles, particles):
        part(out)
    # The build's witness that every picture was written.
    with open(os.path.join(sys.argv[1], "images", "gameart.stamp"), "w") as stamp:
        stamp.write("\n".join(out.written) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
