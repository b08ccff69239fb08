#!/usr/bin/env python3
"""One copy per logon session: later copies end silently with exit code 0 and leave the first alone."""
import signal
import sys

import harness


def _foreground(h):
    return h.inspect("foreground", cls=None)[0]["hwnd"]


def _second_copy_leaves_first_alone(h, arrange):
    """Arranges the first copy's window, starts a second copy and checks that nothing about the window changed."""
    h.start_app()
    h.wait_window()
    cover = arrange(h)
    before = h.windows()
    front = _foreground(h)

    code = h.run_app(timeout=20)
    h.check(code == 0, f"second copy exit code {code}, expected 0")

    after = h.windows()
    h.check([w["hwnd"] for w in after] == [w["hwnd"] for w in before],
            f"windows of the program before {before}, after the second copy {after}")
    for key in ("screen", "iconic", "visible"):
        h.check(after[0][key] == before[0][key], f"first window's {key} changed: {before[0][key]} -> {after[0][key]}")
    h.check(_foreground(h) == front, "the second copy changed the foreground window")
    if cover:
        cover_now = h.inspect("windows", cls=cover["class"])[0]
        h.check(after[0]["zorder"] > cover_now["zorder"],
                "the first window was brought in front of the window that covered it")


def _behind_another_window(h):
    decoy = h.decoy()
    h.wait_until("the covering window to take the front", lambda: _foreground(h) == decoy["hwnd"])
    return decoy


def _minimised(h):
    h.check(h.inspect("show", "minimize")[0]["iconic"], "could not minimise the first window")
    return None


def case_second_copy_refused_while_first_runs(h):
    _second_copy_leaves_first_alone(h, _behind_another_window)


def case_second_copy_does_not_restore_minimised_first(h):
    _second_copy_leaves_first_alone(h, _minimised)


def case_copy_after_first_was_killed_runs(h):
    first = h.start_app()
    h.wait_window()
    first.stop(signal.SIGKILL)
    h.inspect("gone")
    second = h.start_app()
    h.wait_window()
    h.check(second.running(), "a copy started after the first was killed did not keep running")
    code = h.quit_app(second)
    h.check(code == 0, f"exit code after closing the window {code}, expected 0")


# Ways to close the window: the close message, and real key presses.
CLOSE_WAYS = [("WM_CLOSE", lambda h: h.close_window()), ("Alt+F4", lambda h: h.inspect("keys", "alt+f4"))]


def case_closing_the_window_ends_the_program(h):
    for way, close in CLOSE_WAYS:
        app = h.start_app()
        h.wait_window()
        watch = h.watch_exit()
        close(h)
        code = h.exit_code(watch, app)
        h.check(code == 0, f"closed by {way}: exit code {code}, expected 0")
    # The mutex died with the process: the next copy runs.
    h.start_app()
    h.wait_window()


if __name__ == "__main__":
    sys.exit(harness.main())
