#!/usr/bin/env python3
"""The main window seen from outside: its controls and their places, header navigation, the two links."""
import os
import sys

import harness

KOREAN = "ko_KR.UTF-8"

# name, parent, left/top/width/height in the parent at 96 DPI, caption (None: set at creation or none shown).
# The 2-pixel activation strip along the top moves the header down and shortens the body under it.
LAYOUT = [
    ("PnlMain", None, (0, 52, 498, 374), None),
    ("Card1", "PnlMain", (0, 0, 498, 374), None),
    ("LblTitle", "Card1", (8, 40, 484, 81), "템포웨이브"),
    ("LblContent", "Card1", (0, 188, 500, 33), None),
    ("BtnStart", "Card1", (176, 264, 162, 68), "실행하기"),
    ("Indicator", "Card1", (241, 282, 32, 32), None),
    ("Card2", "PnlMain", (0, 0, 498, 374), None),
    ("LblVersion", "Card2", (15, 344, 100, 15), None),
    ("GroupBox1", "Card2", (15, 6, 474, 67), "네트워크 아답터 정보"),
    ("LblAdapter", "GroupBox1", (17, 32, 304, 15), None),
    ("LblIPAddress", "GroupBox1", (344, 32, 109, 15), None),
    ("GroupBox2", "Card2", (15, 87, 474, 98), "네이글 알고리즘 해제"),
    ("ChkTcpNoDelay", "GroupBox2", (17, 64, 200, 17), "TcpNoDelay"),
    ("ChkTCPAckFrequency", "GroupBox2", (17, 32, 200, 17), "TcpAckFrequency"),
    ("ChkTcpDelAckTick", "GroupBox2", (243, 32, 200, 17), "TcpDelAckTick"),
    ("GroupBox3", "Card2", (15, 199, 474, 66), "네트워크 쓰로틀링"),
    ("ChkNetworkThrottlingIndex", "GroupBox3", (17, 32, 200, 17), "NetworkThrottlingIndex"),
    ("ChkSystemResponsiveness", "GroupBox3", (243, 32, 200, 17), "SystemResponsiveness"),
    ("PnlHead", None, (0, 2, 498, 50), None),
    ("BtnHead", "PnlHead", (10, 10, 358, 30), None),
    ("BtnHome", "BtnHead", (10, 0, 70, 30), "처음화면"),
    ("BtnConfig", "BtnHead", (80, 0, 70, 30), "환경설정"),
    ("BtnDonate", "BtnHead", None, "후원하기"),  # hidden at creation: no place of its own
    ("PnlLogo", "PnlHead", (378, 0, 120, 50), None),
    ("ImgLogo", "PnlLogo", (3, 0, 112, 50), None),
]

WS_THICKFRAME, WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_SYSMENU = 0x40000, 0x10000, 0x20000, 0x80000


def case_window_frame(h):
    h.start_app(lang=KOREAN)
    top = h.wait_window()
    h.check(top["class"] == "TFrmTempowave", f"class {top['class']}")
    h.check(top["text"] == "템포웨이브", f"caption {top['text']!r}")
    h.check(top["rect"][2:] == [498, 426], f"client size {top['rect'][2:]}, expected 498x426")
    style = int(top["style"], 16)
    for flag, want, what in ((WS_MINIMIZEBOX, True, "minimise box"), (WS_SYSMENU, True, "system menu"),
                             (WS_MAXIMIZEBOX, False, "maximise box"), (WS_THICKFRAME, False, "sizing border")):
        h.check(bool(style & flag) == want, f"{what} {'missing' if want else 'present'} (style {top['style']})")
    left, t, w, hgt = top["screen"]
    dw, dh = top["desktop"]
    h.check(abs(left - (dw - w) // 2) <= 1 and abs(t - (dh - hgt) // 2) <= 1,
            f"window at {top['screen']} is not centred on a {dw}x{dh} screen")
    # The home page's empty band between the title and the slogan shows the window's colour.
    h.check(h.pixel(250, 160) == "#FFFFFF", f"background {h.pixel(250, 160)}, expected white")


SUBSTITUTES = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes"
SANS_FACES = ["Segoe UI", "Microsoft Sans Serif", "MS Sans Serif", "Arial", "Tahoma"]


def _logo_drawn(h):
    left, top, width, height = h.named()["ImgLogo"]["rect"]
    pixel = h.client_pixels()
    seen = [pixel(x, y) for x in range(left, left + width) for y in range(top, top + height)]
    accent = sum(1 for r, g, b in seen if abs(r - 0x3D) < 24 and abs(g - 0x84) < 24 and abs(b - 0xDD) < 24)
    white = sum(1 for p in seen if min(p) > 235)
    # A rounded blue shape with white lettering on the white header.
    h.check(accent > len(seen) // 4, f"only {accent} of {len(seen)} logo pixels in the accent colour")
    h.check(white > len(seen) // 50, f"only {white} of {len(seen)} logo pixels white")


def case_logo_drawn(h):
    h.start_app(lang=KOREAN)
    h.wait_window()
    _logo_drawn(h)


def case_logo_without_a_sans_serif_family(h):
    """Where GDI+ finds neither the logo's face nor a generic sans-serif family (a system without the faces, or
    Wine without font substitutes for them), the window still paints, the logo with its lettering in a face
    that is there, and the program closes normally."""
    saved = {}
    for view in (64, 32):
        values = h.reg_query(SUBSTITUTES, view=view) or {}
        saved[view] = {face: values[face][1] for face in SANS_FACES if face in values}
        for face in saved[view]:
            h.reg_delete(SUBSTITUTES, face, view=view)
    try:
        app = h.start_app(lang=KOREAN)
        h.wait_window()
        _logo_drawn(h)
        h.check(h.quit_app(app) == 0, "exit code after closing")
    finally:
        for view, faces in saved.items():
            for face, target in faces.items():
                h.reg_add(SUBSTITUTES, face, target, view=view)


def case_controls_in_stored_places(h):
    h.start_app(lang=KOREAN)
    top = h.wait_window()
    named = h.named()
    missing = [name for name, *_ in LAYOUT if name not in named]
    h.check(not missing, f"controls not found by id: {missing}")
    problems = []
    for name, parent, local, caption in LAYOUT:
        ctl = named[name]
        parent_hwnd = named[parent]["hwnd"] if parent else top["hwnd"]
        if ctl["parent"] != parent_hwnd:
            problems.append(f"{name}: parent {ctl['parent']}, expected {parent or 'the window'} {parent_hwnd}")
        if local and ctl["local"] != list(local):
            problems.append(f"{name}: at {ctl['local']}, expected {list(local)}")
        if caption is not None and ctl["text"] != caption:
            problems.append(f"{name}: text {ctl['text']!r}, expected {caption!r}")
    h.check(not problems, "\n".join(problems))
    # Window order among siblings follows the stored order.
    ids = [c["id"] for c in h.controls() if c["id"] >= 100]
    for siblings in (["Card1", "Card2"], ["GroupBox1", "GroupBox2", "GroupBox3"], ["BtnHome", "BtnConfig"]):
        order = [ids.index(100 + harness.CONTROLS.index(n)) for n in siblings]
        h.check(order == sorted(order), f"{siblings} not in stored order")


def case_check_box_captions_in_every_language(h):
    boxes = [(name, caption) for name, _, _, caption in LAYOUT if name.startswith("Chk")]
    for lang in (KOREAN, "C.UTF-8", "ja_JP.UTF-8", "fr_FR.UTF-8"):
        app = h.start_app(lang=lang)
        h.wait_window()
        named = h.named()
        wrong = [(name, named[name]["text"]) for name, caption in boxes if named[name]["text"] != caption]
        h.check(not wrong, f"{lang}: check box captions changed: {wrong}")
        h.close_window()
        app.wait(20)


def _page_state(h):
    named = h.named()
    return {"home page": named["Card1"]["visible"], "settings page": named["Card2"]["visible"],
            "Home pressed": named["BtnHome"]["check"] == 1, "Config pressed": named["BtnConfig"]["check"] == 1,
            "Run pressed": named["BtnStart"]["check"] == 1}


def _expect_page(h, page, when):
    want = {"home page": page == 0, "settings page": page == 1, "Home pressed": page == 0,
            "Config pressed": page == 1, "Run pressed": False}
    seen = {}

    def matches():
        seen.update(_page_state(h))
        return seen == want
    try:
        h.wait_until(when, matches, timeout=5)
    except harness.Failure:
        raise harness.Failure(f"{when}: expected {want}, saw {seen}")


# (button, how) clicked in turn, and the page shown afterwards.
NAVIGATION = [
    ("BtnConfig", "send", 1),
    ("BtnConfig", "send", 1),  # the pressed button stays pressed
    ("BtnHome", "mouse", 0),
    ("BtnConfig", "mouse", 1),
    ("BtnHome", "post", 0),
    ("BtnHome", "send", 0),
]


def case_header_navigation(h):
    h.start_app(lang=KOREAN)
    h.wait_window()
    _expect_page(h, 0, "at start")
    for i, (button, how, page) in enumerate(NAVIGATION):
        h.click_name(button, how)
        _expect_page(h, page, f"step {i}: {button} clicked ({how})")


def case_links_open_in_the_browser(h):
    host = os.environ["TW_LINK_HOST"]
    h.fake_browser()
    h.start_app(lang=KOREAN)
    h.wait_window()
    h.click_name("BtnConfig")
    _expect_page(h, 1, "before the links")

    h.click_name("ImgLogo", "mouse")
    h.check(h.browser_urls(1) == [host + "/tempowave"], f"logo opened {h.browser_urls(1)}")
    _expect_page(h, 1, "after the logo click")

    h.click_name("BtnDonate")
    urls = h.browser_urls(2)
    h.check(urls == [host + "/tempowave", host + "/donate?tempowave"], f"donate opened {urls[1:]}")
    _expect_page(h, 1, "after the donate click")


if __name__ == "__main__":
    sys.exit(harness.main())
