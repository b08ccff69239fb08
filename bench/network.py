"""The benchmark's second half, run by bench/run.sh inside its namespace and Wine session: Run->Running latency
against the probe's own round-trip, handles and GDI/USER objects across Run/Stop cycles and across update
dialogs, and the window's worst round-trip while network work waits and while a slow adapter restarts."""
import json
import os
import statistics
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
build, cycles = sys.argv[1], int(sys.argv[2])
inspector = os.path.join(build, "tests", "e2e", "inspector.exe")

BUTTON = "id=123"  # BtnStart: 100 + its stored index


def inspector_command(args, timeout_ms):
    return ["wine", inspector, "--timeout", str(timeout_ms), "--class", "TFrmTempowave"] + [str(a) for a in args]


def inspector_lines(args, returncode, stdout):
    lines = [json.loads(line) for line in stdout.decode().splitlines() if line.strip()]
    if returncode != 0:
        sys.exit(f"inspector {' '.join(map(str, args))}: {lines}")
    return lines


def inspect(*args, timeout_ms=20000):
    res = subprocess.run(inspector_command(args, timeout_ms), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         timeout=timeout_ms / 1000 + 600)
    return inspector_lines(args, res.returncode, res.stdout)


def standins(slow=0.0):
    proc = subprocess.Popen([sys.executable, os.path.join(here, "standins.py"), "--slow", str(slow)],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    proc.stdout.readline()
    return proc


def start_app(env=None):
    app = subprocess.Popen(["wine", os.path.join(build, "Tempowave.exe")], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, env=dict(os.environ, **(env or {})))
    inspect("wait")
    return app


def wait_button(checked, seconds=30):
    """Until the Run button is enabled again with this pressed state: the busy phase is over."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        button = next(c for c in inspect("list")[1:] if c["id"] == 123)
        if button["enabled"] and button["check"] == checked:
            return
        time.sleep(0.2)
    sys.exit(f"the button did not come back {'down' if checked else 'up'}")


def ping_around_click(ms):
    """The window's round-trips, sampled from just before a posted click of Run for `ms` ms. The sampling runs
    in a process of its own, started first: the inspector's click itself asks the window about the button, and
    a window that does not answer would otherwise hold the sampling back until it answers again."""
    args = ("ping", ms, 5)
    ping = subprocess.Popen(inspector_command(args, 20000), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    time.sleep(0.3)
    inspect("click", BUTTON, "post")
    out, _ = ping.communicate(timeout=ms / 1000 + 600)
    return inspector_lines(args, ping.returncode, out)[0]


def close_app(app):
    inspect("close")
    app.wait(30)


def objects():
    r = inspect("resources", "types")[0]
    return {k: r[k] for k in ("handles", "gdi", "user", "gdi_by_type")}


def ms(us_list, q):
    return statistics.quantiles(us_list, n=100)[q - 1] / 1000 if len(us_list) > 1 else us_list[0] / 1000


server = standins()
app = start_app()
probe_rtt = [r["us"] for r in inspect("head", "http://127.0.0.1:18081/", 31)[1:] if "error" not in r]
inspect("cycles", BUTTON, 10)
before = objects()
lines = inspect("cycles", BUTTON, cycles, timeout_ms=60000)
after = objects()
runs = [line["run_us"] for line in lines]
stops = [line["stop_us"] for line in lines]
close_app(app)
server.terminate()
server.wait()

# The window's thread while the update check waits on a slow answer, and while the connectivity wait runs.
server = standins(slow=4.0)
app = start_app()
during_check = inspect("ping", 3000, 5)[0]
inspect("click", BUTTON, "post")
during_wait = inspect("ping", 3000, 5)[0]
close_app(app)
server.terminate()
server.wait()

# The window's thread while an adapter that takes 2 s over its disconnect and 2 s over its connect restarts:
# sampled from just after the click for most of the 4 s, during Run and during Run again.
SLOW_MS = 2000
server = standins()
app = start_app({"TW_FAKE_NETSHELL_DELAY_MS": str(SLOW_MS)})
during_restart_run = ping_around_click(2 * SLOW_MS - 300)
wait_button(1)
during_restart_stop = ping_around_click(2 * SLOW_MS - 300)
wait_button(0)
close_app(app)
server.terminate()
server.wait()

dialogs = subprocess.run(["wine", os.path.join(build, "tests", "win_tests.exe"),
                          "--gtest_filter=UpdateDialogTest.FiftyDialogsGiveBackWhatTheyTook"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.decode(errors="replace")
dialog_line = next((line.strip() for line in dialogs.splitlines() if line.startswith("after 50 dialogs")),
                   "not measured")

median_run, median_rtt = statistics.median(runs) / 1000, statistics.median(probe_rtt) / 1000
print(f"\n{cycles} Run/Stop cycles against an instant loopback probe, {len(probe_rtt)} probe round-trips")
print(f"{'figure':<44}{'value':>12}")
print(f"{'probe round-trip (WinHTTP HEAD), median':<44}{median_rtt:>9.1f} ms")
print(f"{'Run->Running, median':<44}{median_run:>9.1f} ms")
print(f"{'Run->Running, 90th percentile':<44}{ms(runs, 90):>9.1f} ms")
print(f"{'Run->Running, worst':<44}{max(runs) / 1000:>9.1f} ms")
print(f"{'Run->Running over the probe, median':<44}{median_run - median_rtt:>9.1f} ms")
print(f"{'Run again->idle, median':<44}{statistics.median(stops) / 1000:>9.1f} ms")
print(f"{'worst UI round-trip, update check waiting':<44}{during_check['worst_us'] / 1000:>9.1f} ms"
      f"  ({during_check['samples']} samples, {during_check['unanswered']} unanswered)")
print(f"{'worst UI round-trip, connectivity wait':<44}{during_wait['worst_us'] / 1000:>9.1f} ms"
      f"  ({during_wait['samples']} samples, {during_wait['unanswered']} unanswered)")
for label, figures in (("Run", during_restart_run), ("Run again", during_restart_stop)):
    print(f"{'worst UI round-trip, 2 s + 2 s restart, ' + label:<44}{figures['worst_us'] / 1000:>9.1f} ms"
          f"  ({figures['samples']} samples, {figures['unanswered']} unanswered)")
for key in ("handles", "gdi", "user"):
    print(f"{key + ' before -> after the cycles':<44}{before[key]:>6} -> {after[key]}")
grown = [f"{name} {n - before['gdi_by_type'][name]:+d}" for name, n in after["gdi_by_type"].items()
         if n != before["gdi_by_type"][name]]
print(f"{'GDI objects that changed, by type':<44}{', '.join(grown) or 'none':>12}")
print(f"update dialog (in-process): {dialog_line}")
