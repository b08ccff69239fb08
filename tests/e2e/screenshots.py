#!/usr/bin/env python3
"""Takes the README's pictures of the window with the end-to-end harness; run it through
scripts/make-screenshots.sh (private network namespace, throwaway Wine prefix, Xvfb)."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

import harness

KOREAN = "ko_KR.UTF-8"


def shrink(src, dst):
    """The capture as a small PNG: metadata stripped, at most 64 colours when that keeps it readable."""
    subprocess.run(["convert", src, "-strip", "-colors", "64", "-define", "png:compression-level=9",
                    "PNG8:" + dst], check=True)


def shot(h, out, name):
    bmp = os.path.join(h.work, name + ".bmp")
    h.screenshot(bmp)
    shrink(bmp, os.path.join(out, name + ".png"))
    print(f"{name}.png {os.path.getsize(os.path.join(out, name + '.png'))} bytes")


def settle(seconds=0.8):
    time.sleep(seconds)  # the window finishes painting


def stopped(h, app):
    h.close_window()
    app.wait(20)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp(prefix="screenshots-", dir=os.environ.get("TW_RUN_DIR"))
    h = harness.Harness(args.build, work)
    try:
        # The probe answers late, so the busy look stays long enough to be caught.
        probe_log = os.path.join(work, "probe.jsonl")
        script = os.path.join(work, "probe.json")
        with open(script, "w") as f:
            f.write('{"default": {"status": 200, "body": "", "delay": 4}}')
        h.spawn([sys.executable, os.path.join(harness.HERE, "servers", "update_server.py"), "--port",
                 str(harness.PROBE_PORT), "--log", probe_log, "--script", script], "probe")
        h.spawn([sys.executable, os.path.join(harness.HERE, "loopback_http.py"), "--port",
                 str(harness.UPDATE_PORT), "--body", "{}"], "update service")
        time.sleep(1)

        app = h.start_app(lang=KOREAN)
        h.wait_window()
        settle()
        shot(h, out, "home")
        h.click_name("BtnConfig")
        settle()
        shot(h, out, "settings")
        h.click_name("BtnHome")
        settle(0.3)
        h.click_name("BtnStart", "post")
        h.wait_until("the busy look", lambda: h.named()["Indicator"]["visible"], timeout=10)
        settle(0.5)
        shot(h, out, "busy")
        h.wait_until("the running look", lambda: not h.named()["Indicator"]["visible"], timeout=60)
        settle()
        shot(h, out, "running")
        # Back to idle, so that the next start begins idle.
        h.click_name("BtnStart", "post")
        h.wait_until("idle again", lambda: h.named()["BtnStart"]["enabled"]
                     and not h.named()["Indicator"]["visible"], timeout=60)
        time.sleep(6)
        stopped(h, app)

        app = h.start_app(lang="C.UTF-8")
        h.wait_window()
        settle()
        shot(h, out, "home-en")
        h.click_name("BtnConfig")
        settle()
        shot(h, out, "settings-en")
        stopped(h, app)
    finally:
        h.cleanup()
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
