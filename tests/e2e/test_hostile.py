#!/usr/bin/env python3
"""A hostile update service: huge, dripping, looping, malformed answers and targets that are no web addresses.
Whatever it sends, the window keeps answering, memory stays bounded, nothing but http(s) reaches the browser
and the program closes normally."""
import os
import sys
import unicodedata

import harness
import scripted

UPDATE = "https://127.0.0.1:18080/get/setup.exe"
STRIP_ID = 0x5B01  # the notice strip's control id
MIB = 1024 * 1024
# Worst WM_NULL round-trip accepted while the service misbehaves.
WORST_ROUND_TRIP_US = 250_000
# Peak resident set of the program under Wine; an answer kept whole (100 MB) would pass it.
PEAK_RSS_KIB = 96 * 1024


def _run(h, answers=None, default=None, dwell_ms=3000, expect_dialog=False):
    """Starts the program against the scripted service, samples the window while the service does its worst
    and returns (process, main window, ping figures)."""
    scripted.service(h, harness.UPDATE_PORT, answers, default)
    scripted.service(h, harness.PROBE_PORT, name="probe")
    h.fake_browser()
    app = h.start_app()
    top = h.wait_window()
    figures = scripted.ping(h, dwell_ms)
    print(f"  round-trips: {figures}; peak RSS {scripted.vm(app.pid, 'VmHWM')} KiB of {scripted.cmdline(app.pid)}")
    h.check(app.running(), "the program ended while the service misbehaved")
    h.check(not figures["gone"], "the window went away while the service misbehaved")
    h.check(figures["unanswered"] == 0 and figures["worst_us"] < WORST_ROUND_TRIP_US,
            f"window did not answer within {WORST_ROUND_TRIP_US // 1000} ms: {figures}")
    peak = scripted.vm(app.pid, "VmHWM")
    h.check(peak < PEAK_RSS_KIB, f"peak resident set {peak} KiB, bound {PEAK_RSS_KIB} KiB")
    shown = scripted.dialogs(h, top)
    h.check(bool(shown) == expect_dialog, f"update offer shown: {shown}, expected {expect_dialog}")
    return app, top, figures


def _close(h, app):
    code = h.quit_app(app, 10)
    h.check(code == 0, f"exit code {code} after closing, expected 0")
    h.check(not scripted.crash_dumps(), f"crash reports left: {scripted.crash_dumps()}")


def _nothing_opened(h):
    log = os.path.join(h.work, "browser.log")
    opened = open(log, encoding="utf-8").read().splitlines() if os.path.exists(log) else []
    h.check(opened == [], f"addresses reached the browser: {opened}")


def case_huge_body(h):
    # 100 MB of JSON-looking text: the program reads at most its bound and keeps its memory.
    body = '{"notify":"http://127.0.0.1/n","update":"' + "A" * (MIB - 40)
    app, _, _ = _run(h, default={"body": body, "body_repeat": 100})
    h.check(scripted.requests(h.work + "/update-18080/requests.jsonl"), "the service was never asked")
    _nothing_opened(h)
    _close(h, app)


def case_dripping_body(h):
    # One byte every 0.2 s of an offer: the check waits on its own thread; closing does not wait for it.
    app, _, _ = _run(h, default={"body": '{"update":"%s","notify":"%s"}' % (UPDATE, UPDATE), "drip": 0.2},
                     dwell_ms=4000)
    _close(h, app)
    _nothing_opened(h)


def case_redirect_loop(h):
    # The service sends the program back to itself forever: the redirects are cut off and the check pauses.
    app, _, _ = _run(h, default={"status": 302, "headers": {"Location": "/api.init.php"}, "body": ""})
    asked = scripted.requests(h.work + "/update-18080/requests.jsonl")
    h.check(1 < len(asked) <= 12, f"{len(asked)} requests in the loop, expected the redirect bound")
    _close(h, app)


# Answers that must neither crash the program nor open anything: bad bytes, bad escapes, "}" inside the notice,
# and targets that are files, shares, scripts or programs.
MALFORMED = [
    ("invalid UTF-8", list(b'{"update":"file:\xff\xfe\xc0\xaf//x","notify":"\xed\xa0\x80javascript:1"}')),
    ("bad escapes", '{"update":"http://127.0.0.1/\\u12G4","notify":"http://127.0.0.1/\\u"}'),
    ("bad escape at the end", '{"update":"\\u00'),
    ("file target", '{"update":"file:///C:/windows/win.ini","notify":"file://127.0.0.1/c$/x"}'),
    ("UNC target", '{"update":"\\\\\\\\server\\\\share\\\\setup.exe","notify":"\\\\\\\\server\\\\share"}'),
    ("script target", '{"update":"javascript:alert(1)","notify":"JavaScript:alert(1)"}'),
    ("program target", '{"update":"C:\\\\windows\\\\system32\\\\calc.exe","notify":"calc.exe"}'),
    ("quoted arguments", '{"update":"http://x\\" /c calc","notify":"https://x calc.exe"}'),
]


def case_malformed_answers(h):
    for what, body in MALFORMED:
        print(f"- {what}")
        app, _, _ = _run(h, default={"body": body}, dwell_ms=1500)
        _close(h, app)
        _nothing_opened(h)
        h.cleanup()


# Web offers whose notice is hostile: a "}" inside the notice object, and links to a file, a share and a program.
# Clicking every text of the offer opens nothing (a web link, the control case, opens itself); Yes opens only the
# web address and ends the program.
NOTES = "http://127.0.0.1/notes"
NOTICES = [
    ("web link", '{"style":"note","text":"read me","url":"%s"}' % NOTES),
    ("brace in the text", '{"style":"note","text":"see } here","url":"file:///C:/windows/win.ini"}'),
    ("file link", '{"style":"note","text":"read me","url":"file:///C:/windows/win.ini"}'),
    ("share link", '{"style":"note","text":"read me","url":"\\\\\\\\server\\\\share"}'),
    ("program link", '{"style":"note","text":"read me","url":"C:\\\\windows\\\\system32\\\\calc.exe"}'),
    ("script link", '{"style":"note","text":"read me","url":"javascript:alert(1)","flag":"stayontop"}'),
]


def case_hostile_notice_in_offer(h):
    for what, info in NOTICES:
        print(f"- {what}")
        body = '{"update":"%s","info":%s,"notify":"\\\\server\\share"}' % (UPDATE, info)
        app, _, _ = _run(h, default={"body": body}, dwell_ms=1000, expect_dialog=True)
        controls = h.inspect("list", cls="#32770")[1:]
        texts = [c for c in controls if c["class"].lower() == "static" and c["visible"] and c["text"]]
        h.check(texts, f"no texts in the offer: {controls}")
        for text in texts:
            h.inspect("click", "hwnd=" + text["hwnd"], "mouse", cls="#32770")
        figures = scripted.ping(h, 500)
        h.check(figures["worst_us"] < WORST_ROUND_TRIP_US, f"window slow with the offer open: {figures}")
        by_link = [NOTES] if what == "web link" else []
        if by_link:
            h.check(h.browser_urls(1) == by_link, f"the link opened {h.browser_urls(1)}, expected {by_link}")
        else:
            _nothing_opened(h)
        watch = h.watch_exit(10)
        h.inspect("click", "id=6", cls="#32770")  # IDYES
        # An accepted offer closes the program by itself.
        code = h.exit_code(watch, app)
        h.check(code == 0, f"exit code {code} after the accepted offer, expected 0")
        want = by_link + [UPDATE]
        h.check(h.browser_urls(len(want)) == want, f"opened {h.browser_urls(1)}, expected {want}")
        h.cleanup()
        os.remove(os.path.join(h.work, "browser.log"))


# One piece of a hostile notice text, as it stands in the answer: a right-to-left override, a bell, an escaped
# isolate, an escaped line break, a zero-width space and a byte-order mark around the visible "evil" and "한".
HOSTILE_PIECE = "\u202eevil\x07\\u2066\u200b한\\r\\n\ufeff"
SHOWN_PIECE = "evil한  "
SHOWN_MAX = 256  # UTF-16 code units of a shown text


def _clean(text):
    return not any(unicodedata.category(c) in ("Cc", "Cf", "Zl", "Zp", "Cs") for c in text)


def case_hostile_notice_text(h):
    # A megabyte of notice text full of control and format characters: the offer shows it cut to its bound and
    # clean, the window keeps answering. A notice target with a bidirectional override, and a link target
    # longer than any address, are neither shown nor opened.
    long_url = "http://127.0.0.1/" + "a" * 4096
    for style, url in (("hold", ""), ("note", long_url)):
        print(f"- {style}")
        head = '{"update":"%s","notify":"https://127.0.0.1/\\u202Egpj.exe","info":{"style":"%s","url":"%s","text":"' % (
            UPDATE, style, url)
        count = (MIB - 1024 - len(head.encode())) // len(HOSTILE_PIECE.encode())
        body = head + HOSTILE_PIECE * count + '"}}'
        h.check(len(body.encode()) < MIB, "the answer fits the program's bound")
        app, top, _ = _run(h, default={"body": body}, dwell_ms=1500, expect_dialog=True)
        controls = h.inspect("list", cls="#32770")[1:]
        shown = [c for c in controls if c["visible"] and c["text"].startswith("evil")]
        h.check(len(shown) == 1, f"one notice control expected: {[c['text'][:40] for c in controls]}")
        text = shown[0]["text"]
        units = len(text.encode("utf-16-le")) // 2
        h.check(units <= SHOWN_MAX, f"notice text of {units} code units shown")
        h.check(_clean(text), f"control or format characters shown: {text[:80]!r}")
        h.check(text.startswith(SHOWN_PIECE * 3), f"notice text {text[:40]!r}")
        if style == "note":
            h.inspect("click", "hwnd=" + shown[0]["hwnd"], "mouse", cls="#32770")
        figures = scripted.ping(h, 500)
        h.check(figures["worst_us"] < WORST_ROUND_TRIP_US, f"window slow with the offer open: {figures}")
        h.inspect("click", "id=7", cls="#32770")  # IDNO
        h.wait_until("the offer to close", lambda: not scripted.dialogs(h, top), timeout=10)
        strips = [c for c in h.controls() if c["id"] == STRIP_ID]
        h.check(not strips, f"a strip for a target with a bidirectional override: {strips}")
        _close(h, app)
        _nothing_opened(h)
        h.cleanup()


if __name__ == "__main__":
    sys.exit(harness.main())
