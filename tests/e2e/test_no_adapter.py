#!/usr/bin/env python3
"""The program on a machine whose only adapter in the local address's prefix is a virtual one: the placeholder
adapter, and Run shows the error box before staying idle. Runs in a namespace and prefix of its own
(tests/e2e/CMakeLists.txt)."""
import sys

import harness

KOREAN = "ko_KR.UTF-8"
BOX = "#32770"


def case_no_active_adapter(h):
    h.start_app(lang=KOREAN)
    h.wait_window(timeout=60)
    named = h.named()
    h.check(named["LblAdapter"]["text"] == "알수없음", f"adapter label {named['LblAdapter']['text']!r}")
    h.check(named["LblIPAddress"]["text"] == "IP: ", f"address label {named['LblIPAddress']['text']!r}")
    # Posted: the box is modal and the click returns only once it is closed.
    h.click_name("BtnStart", "post")
    box = h.inspect("wait", cls=BOX)[0]
    h.check(box["text"] == "템포웨이브", f"box caption {box['text']!r}")
    texts = [c["text"] for c in h.inspect("list", cls=BOX)[1:]]
    h.check("활성중인 네트워크가 없습니다." in texts, f"box texts {texts}")
    # Owned by the hidden application window: the main window stays usable while the box is open.
    h.check(h.named()["BtnStart"]["enabled"], "Run button disabled while the box is open")
    h.inspect("close", cls=BOX)
    run = h.named()["BtnStart"]
    h.check(run["text"] == "실행하기" and run["enabled"] and run["check"] == 0, f"Run button after the box {run}")
    values = h.reg_query(r"HKCU\Software\Tempowave") or {}
    h.check(values.get("status") == ("REG_DWORD", "0x0"), f"stored status {values.get('status')}")
    h.check(h.reg_query(r"HKLM\SOFTWARE\Microsoft\MSMQ\Parameters") is None, "a tuning value was written")


if __name__ == "__main__":
    sys.exit(harness.main())
