#!/usr/bin/env python3
"""The window's look as the screen shows it: the button family's colours at 96 and 144 DPI."""
import sys

import harness

KOREAN = "ko_KR.UTF-8"
ACCENT = (0x3D, 0x84, 0xDD)
WHITE = (0xFF, 0xFF, 0xFF)
BLACK = (0, 0, 0)
DESKTOP = r"HKCU\Control Panel\Desktop"


def _hex(p):
    return "#%02X%02X%02X" % p


def _count(pixel, rect, pred, inset=4, skip=None):
    """Pixels of `rect` (less `inset` on every side, and less the rectangle `skip`) that satisfy `pred`."""
    left, top, width, height = rect

    def skipped(x, y):
        return skip and skip[0] <= x < skip[0] + skip[2] and skip[1] <= y < skip[1] + skip[3]
    return sum(1 for x in range(left + inset, left + width - inset) for y in range(top + inset, top + height - inset)
               if not skipped(x, y) and pred(pixel(x, y)))


def _expect(h, pixel, where, want, what):
    seen = [pixel(x, y) for x, y in where]
    wrong = [(xy, _hex(p)) for xy, p in zip(where, seen) if p != want]
    h.check(not wrong, f"{what}: expected {_hex(want)}, saw {wrong}")


def _edges(rect):
    """A point in the middle of each of the four edges of a face."""
    left, top, width, height = rect
    return [(left, top + height // 2), (left + width - 1, top + height // 2), (left + width // 2, top),
            (left + width // 2, top + height - 1)]


def _faces(h, scale=1.0):
    """Checks the Run button's and the header buttons' looks at start; returns the window description."""
    top = h.wait_window()
    named = h.named()
    pixel = h.client_pixels()

    run = named["BtnStart"]["rect"]
    _expect(h, pixel, _edges(run), ACCENT, "Run button border")
    left, t, width, height = run
    _expect(h, pixel, [(left + 6, t + height // 2), (left + width - 7, t + 6)], WHITE, "Run button inside (no fill)")
    # The spinner, when shown, sits on the button's middle and hides that part of the caption.
    spinner = named["Indicator"]["rect"] if named["Indicator"]["visible"] else None
    dark = _count(pixel, run, lambda p: max(p) < 160, inset=8, skip=spinner)
    h.check(dark > 15 * scale * scale, f"Run button caption: only {dark} dark text pixels")

    # Home is the pressed page button: filled with the accent, white caption, no border of its own.
    home = named["BtnHome"]["rect"]
    left, t, width, height = home
    _expect(h, pixel, _edges(home) + [(left + 4, t + 4)], ACCENT, "pressed Home button fill")
    white = _count(pixel, home, lambda p: min(p) > 200)
    h.check(white > 15 * scale * scale, f"pressed Home button caption: only {white} white text pixels")
    # Config is not pressed: black outline, no fill.
    config = named["BtnConfig"]["rect"]
    left, t, width, height = config
    _expect(h, pixel, _edges(config), BLACK, "Config button border")
    _expect(h, pixel, [(left + 4, t + height // 2)], WHITE, "Config button inside")
    return top, pixel


def case_button_faces_at_start(h):
    h.start_app(lang=KOREAN)
    _faces(h)


def _strip(pixel, client_width, rows):
    return [pixel(x, y) for x in (0, client_width // 2, client_width - 1) for y in range(rows)]


def _wait_strip(h, width, what, want):
    """Waits until the strip's two rows are all of one colour that `want` accepts; fails with what it saw."""
    seen = []

    def matches():
        seen[:] = _strip(h.client_pixels(), width, 2)
        return len(set(seen)) == 1 and want(seen[0])
    try:
        h.wait_until(what, matches)
    except harness.Failure:
        raise harness.Failure(f"{what}: strip shows {sorted(set(map(_hex, seen)))}")


def case_strip_follows_activation(h):
    h.start_app(lang=KOREAN)
    top = h.wait_window()
    width = top["rect"][2]
    _wait_strip(h, width, "the active window's strip in the accent colour", lambda p: p == ACCENT)
    pixel = h.client_pixels()
    below = [pixel(x, 2) for x in (0, width // 2, width - 1)]
    h.check(all(p == WHITE for p in below), f"the strip is two pixels high; row 2 shows {list(map(_hex, below))}")
    h.check(h.named()["PnlHead"]["rect"][1] == 2, f"header at {h.named()['PnlHead']['rect']}, expected top 2")

    decoy = h.decoy()
    h.wait_until("the covering window to take the front",
                 lambda: h.inspect("foreground", cls=None)[0]["hwnd"] == decoy["hwnd"])
    _wait_strip(h, width, "an inactive window's strip in the system's grey text colour",
                lambda p: p != ACCENT and p[0] == p[1] == p[2])
    h.click_name("LblTitle", "mouse")  # clicking back into the window activates it (WA_CLICKACTIVE)
    _wait_strip(h, width, "the strip in the accent colour again after a click", lambda p: p == ACCENT)


def case_window_scales_to_144_dpi(h):
    h.reg_add(DESKTOP, "LogPixels", 144, "REG_DWORD")
    try:
        h.start_app(lang=KOREAN)
        top, pixel = _faces(h, scale=1.5)
    finally:
        h.reg_add(DESKTOP, "LogPixels", 96, "REG_DWORD")
    width, height = top["rect"][2:]
    h.check((width, height) == (747, 639), f"client area {width}x{height} at 144 DPI, expected 747x639")
    strip = _strip(pixel, width, 3)
    h.check(all(p == ACCENT for p in strip), f"strip at 144 DPI: {sorted(set(map(_hex, strip)))}")
    below = [pixel(x, 3) for x in (0, width // 2, width - 1)]
    h.check(all(p == WHITE for p in below), f"the strip is 3 pixels high at 144 DPI; row 3 shows {below}")
    named = h.named()
    by_hwnd = {c["hwnd"]: c for c in named.values()}
    problems = []
    for name, ctl in named.items():
        # The stored layout itself makes the slogan label 2 pixels wider than its page; its text is centred.
        if not ctl["visible"] or name == "LblContent":
            continue
        parent = by_hwnd.get(ctl["parent"])
        bounds = parent["rect"] if parent else [0, 0, width, height]
        l, t, w, hh = ctl["rect"]
        pl, pt, pw, ph = bounds
        if l < pl or t < pt or l + w > pl + pw or t + hh > pt + ph:
            problems.append(f"{name} at {ctl['rect']} leaves its parent's {bounds}")
    h.check(not problems, "\n".join(problems))
    sizes = {"BtnStart": (243, 102), "BtnHome": (105, 45), "BtnConfig": (105, 45), "LblTitle": (726, 122),
             "PnlHead": (747, 75), "Indicator": (48, 48)}
    wrong = {n: named[n]["rect"][2:] for n, want in sizes.items() if tuple(named[n]["rect"][2:]) != want}
    h.check(not wrong, f"sizes at 144 DPI {wrong}, expected {sizes}")


if __name__ == "__main__":
    sys.exit(harness.main())
