#!/usr/bin/env python3
"""Closing at any moment, and many copies started at once.

Each closing case makes TW_LIFECYCLE_RUNS runs (default 3) that post WM_CLOSE at a random moment of one phase;
the moments come from TW_LIFECYCLE_SEED (printed, default: the clock). A longer run, e.g.
    TW_LIFECYCLE_RUNS=13 scripts/run-wine-tests.sh build/win32-test -- -R e2e.lifecycle --timeout 900
Every run: the program ends within a few seconds with exit code 0, leaves no crash report and the stored
"status" is 0 or 1."""
import os
import random
import sys
import time

import harness
import scripted

RUNS = int(os.environ.get("TW_LIFECYCLE_RUNS", "3"))
SEED = int(os.environ.get("TW_LIFECYCLE_SEED", str(int(time.time()))))
EXIT_SECONDS = 5
OFFER = '{"update":"https://127.0.0.1:18080/get/setup.exe"}'


def _runs(name):
    rnd = random.Random(f"{SEED}-{name}")
    print(f"{name}: {RUNS} runs, TW_LIFECYCLE_SEED={SEED}")
    for run in range(RUNS):
        yield run, rnd


def _close_at(h, app, pause, what):
    """Waits `pause` seconds, posts WM_CLOSE and checks how the program ended."""
    time.sleep(pause)
    t0 = time.monotonic()
    code = h.quit_app(app, EXIT_SECONDS)
    took = time.monotonic() - t0
    print(f"  {what}: closed after {pause:.2f} s, ended in {took:.2f} s with {code}")
    h.check(code == 0, f"{what}: exit code {code} after WM_CLOSE, expected 0")
    h.check(not scripted.crash_dumps(), f"{what}: crash reports {scripted.crash_dumps()}")
    status = scripted.stored_status(h)
    h.check(status in (0, 1), f"{what}: stored status {status}, expected 0 or 1")


def _start(h, update_answer="{}", probe_delay=0, refuse_update=False):
    if not refuse_update:
        scripted.service(h, harness.UPDATE_PORT, default={"body": update_answer})
    scripted.service(h, harness.PROBE_PORT, default={"status": 200, "delay": probe_delay}, name="probe")
    app = h.start_app()
    return app, h.wait_window()


def case_close_right_after_start(h):
    for run, rnd in _runs("start"):
        app, _ = _start(h)
        _close_at(h, app, rnd.uniform(0, 0.4), f"run {run}, just started")
        h.cleanup()


def case_close_while_busy(h):
    # The probe answers after 3 s, so the busy look lasts; the click is posted so that nothing waits on it.
    for run, rnd in _runs("busy"):
        app, top = _start(h, probe_delay=3)
        h.click_name("BtnStart", "post")
        h.wait_until("the busy look after Run", lambda: not h.named()["BtnStart"]["enabled"], timeout=5)
        _close_at(h, app, rnd.uniform(0, 1.5), f"run {run}, busy after Run")
        h.cleanup()


def case_close_while_offer_open(h):
    for run, rnd in _runs("offer"):
        app, top = _start(h, update_answer=OFFER)
        h.wait_until("the update offer", lambda: scripted.dialogs(h, top), timeout=15)
        _close_at(h, app, rnd.uniform(0, 0.5), f"run {run}, offer open")
        h.cleanup()


def case_close_while_check_pauses(h):
    # Nothing listens on the service's port: each refused attempt is followed by a 10 s pause.
    for run, rnd in _runs("pause"):
        app, _ = _start(h, refuse_update=True)
        _close_at(h, app, 0.5 + rnd.uniform(0, 3), f"run {run}, check pausing")
        h.cleanup()


def case_twenty_copies_at_once(h):
    scripted.service(h, harness.UPDATE_PORT)
    scripted.service(h, harness.PROBE_PORT, name="probe")
    copies = [h.start_app() for _ in range(20)]
    h.wait_window(timeout=60)
    deadline = time.monotonic() + 90
    while sum(c.running() for c in copies) > 1 and time.monotonic() < deadline:
        time.sleep(0.2)
    running = [c for c in copies if c.running()]
    codes = [c.popen.returncode for c in copies if not c.running()]
    print(f"  still running: {len(running)}, exit codes of the others: {codes}")
    h.check(len(running) == 1, f"{len(running)} copies still running, expected exactly one")
    h.check(codes == [0] * 19, f"exit codes of the other copies {codes}, expected 19 zeros")
    windows = [w for w in h.windows() if w["visible"]]
    h.check(len(windows) == 1, f"{len(windows)} windows shown, expected one: {windows}")
    h.check(h.quit_app(running[0], EXIT_SECONDS) == 0, "the remaining copy did not end with 0 after closing")


if __name__ == "__main__":
    sys.exit(harness.main())
