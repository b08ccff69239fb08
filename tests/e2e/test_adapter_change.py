#!/usr/bin/env python3
"""Run on one adapter, Run again after it has gone and another one is active: the first adapter's own values
come back and the new adapter's are left alone. Runs in a namespace with two adapters and a prefix of its own
(tests/e2e/CMakeLists.txt), into which it installs the test stand-in of the network-connections component."""
import os
import subprocess
import sys

import harness
import test_run as run

FIRST = "{0000000A-0000-0000-0000-4E6574446576}"   # eth0, index 10
SECOND = "{0000000B-0000-0000-0000-4E6574446576}"  # eth1, index 11
PREFIX = r"HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces" + "\\"


def interface(h, guid):
    found = h.reg_query(PREFIX + guid, view=64) or {}
    return {n: v for n, v in found.items() if n in ("TcpAckFrequency", "TcpDelAckTicks")}


def start(h, connections, netcon_log):
    app = h.start_app(lang=run.KOREAN, env={"TW_FAKE_NETSHELL_LOG": harness.wine_path(netcon_log),
                                            "TW_FAKE_NETSHELL_CONNECTIONS": connections})
    h.wait_window(timeout=60)
    return app


def case_adapter_change(h):
    netshell = os.path.join(h.build, "tests", "fakes", "netshell", "netshell.dll")
    subprocess.run([os.path.join(harness.HERE, "..", "..", "scripts", "install-fake-netshell.sh"), netshell],
                   check=True, stdin=subprocess.DEVNULL)
    run.reset(h)
    h.reg_add(PREFIX + FIRST, "TcpAckFrequency", 2, "REG_DWORD")
    h.reg_add(PREFIX + SECOND, "TcpAckFrequency", 5, "REG_DWORD")
    run.stand_in(h, "update", harness.UPDATE_PORT)
    run.stand_in(h, "probe", harness.PROBE_PORT)
    log = os.path.join(h.work, "netcon.log")

    app = start(h, f"{FIRST}|eth0;{SECOND}|eth1", log)
    h.check(h.named()["LblAdapter"]["text"] == "eth0", f"adapter {h.named()['LblAdapter']['text']!r}")
    h.click_name("BtnStart")
    run.expect_look(h, run.RUNNING, "the running look after Run")
    h.check(interface(h, FIRST) == {"TcpAckFrequency": ("REG_DWORD", "0x1"), "TcpDelAckTicks": ("REG_DWORD", "0x0")},
            f"first adapter after Run {interface(h, FIRST)}")
    h.check(h.quit_app(app) == 0, "exit code after closing")

    # The first adapter goes away; the second one, in the same network, is the active one now.
    subprocess.run(["ip", "link", "del", "eth0"], check=True)
    app = start(h, f"{SECOND}|eth1", log)
    h.check(h.named()["LblAdapter"]["text"] == "eth1", f"adapter {h.named()['LblAdapter']['text']!r}")
    h.check(run.look(h) == run.RUNNING, f"running look expected (the first adapter is still tuned), saw {run.look(h)}")
    before = len(run.restarts(log))
    h.click_name("BtnStart")
    run.expect_look(h, run.IDLE, "the idle look after Run again")
    h.check(interface(h, FIRST) == {"TcpAckFrequency": ("REG_DWORD", "0x2")},
            f"first adapter after Run again {interface(h, FIRST)}")
    h.check(interface(h, SECOND) == {"TcpAckFrequency": ("REG_DWORD", "0x5")},
            f"second adapter touched: {interface(h, SECOND)}")
    # The gone adapter has no connection to restart; the active one is restarted.
    h.check(run.restarts(log)[before:] == [f"Disconnect {SECOND} hr=0x00000000", f"Connect {SECOND} hr=0x00000000"],
            f"restarts {run.restarts(log)[before:]}")
    h.check(run.record(h) is None, f"record left: {run.record(h)}")
    h.check(h.quit_app(app) == 0, "exit code after closing")


if __name__ == "__main__":
    sys.exit(harness.main())
