"""Scripted stand-ins for the end-to-end cases that need the service or the probe to misbehave, and a few
readings of the program's process from outside."""
import glob
import json
import os
import sys

import harness

SERVER = os.path.join(harness.HERE, "servers", "update_server.py")


def service(h, port, answers=None, default=None, name="update"):
    """update_server.py on `port` with these answers; returns the request log's path."""
    folder = os.path.join(h.work, f"{name}-{port}")
    os.makedirs(folder, exist_ok=True)
    script = os.path.join(folder, "script.json")
    with open(script, "w", encoding="utf-8") as f:
        json.dump({"answers": answers or [], "default": default or {"status": 200, "body": "{}"}}, f)
    log = os.path.join(folder, "requests.jsonl")
    port_file = os.path.join(folder, "port")
    h.spawn([sys.executable, SERVER, "--port", str(port), "--log", log, "--script", script, "--port-file",
             port_file, "--max-seconds", "600"], name)
    h.wait_until(f"{name} stand-in on port {port}", lambda: os.path.exists(port_file), timeout=10, interval=0.05)
    return log


def requests(log):
    if not os.path.exists(log):
        return []
    with open(log, encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip()]


def dialogs(h, top):
    """The shown dialog boxes (#32770) of the program that owns `top`."""
    return [w for w in h.inspect("windows", cls="#32770") if w["pid"] == top["pid"] and w["visible"]]


def vm(pid, field):
    """A /proc/<pid>/status figure in KiB (VmHWM: peak resident set, VmRSS: now)."""
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    raise harness.Failure(f"no {field} for pid {pid}")


def cmdline(pid):
    with open(f"/proc/{pid}/cmdline", "rb") as f:
        return f.read().replace(b"\0", b" ").decode(errors="replace").strip()


def crash_dumps():
    """Crash reports the program left in any temp folder of the prefix."""
    prefix = os.environ.get("WINEPREFIX", "")
    return glob.glob(os.path.join(prefix, "drive_c", "**", "Tempowave-crash-*.dmp"), recursive=True)


def ping(h, ms, interval=10):
    """The window's WM_NULL round-trips over `ms`: {samples, worst_us, mean_us, unanswered, gone}."""
    return h.inspect("ping", ms, interval, timeout_ms=10000)[0]


def stored_status(h):
    values = h.reg_query(r"HKCU\Software\Tempowave") or {}
    kind, data = values.get("status", (None, None))
    return None if data is None else int(data, 16) if data.lower().startswith("0x") else int(data)

