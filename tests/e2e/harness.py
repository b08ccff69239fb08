#!/usr/bin/env python3
"""End-to-end harness: drives the real Tempowave.exe under Wine from outside.

How to write an end-to-end test
-------------------------------
1. Put the cases in tests/e2e/test_<topic>.py, one function per case named `case_<what>(h)`; `h` is a Harness.
   End the file with:   if __name__ == "__main__": sys.exit(harness.main())
   tests/e2e/CMakeLists.txt registers every `def case_` it finds as the ctest entry e2e.<topic>.<what>
   (re-run cmake after adding a file to the list there). Cases run one at a time: the stand-in ports are fixed.
2. Start the program with `app = h.start_app(lang="ko_KR.UTF-8")`, then `top = h.wait_window()`.
   `h.controls()` lists every child window (dicts: hwnd, parent, id, class, text, rect = left/top/width/height in
   the window's client coordinates, local = the same in the parent's, visible, enabled, check = BM_GETCHECK).
   `h.named()` maps component names ("BtnHome", ...) to them; `h.control(text=...)` picks exactly one by text.
   `h.click_name("BtnConfig", how)` / `h.click(ctl, how)` click by BM_CLICK ("send"/"post") or a real mouse
   click at the control's centre ("mouse").
3. Fail with `assert` or `h.check(cond, message)`; state what was expected and what was seen.
4. Everything started through the harness (the program, stand-in servers, helper windows) is stopped by PID
   when the case ends, pass or fail. Use `h.work` (a fresh folder per case) for files.
5. Other helpers: `h.servers()` (update service answering "{}" on 18080, probe answering HEAD 200 on 18081,
   request logs in h.work), `h.fake_browser()` then `h.browser_urls(n)` (addresses the program opened through
   the shell), `h.reg_query(key, view=64)`, `h.reg_export(key, view=64)` (non-ASCII values), `h.reg_add`,
   `h.reg_delete` (the Wine prefix is shared by every case of a run: undo what you store), `h.screenshot(path)`,
   `h.pixel(x, y)`, `h.client_pixels()` (all of them at once), `h.decoy()` (a window of our own in front),
   `h.inspect(...)` for any inspector command (tests/e2e/inspector.cpp lists them; `crash` makes the program
   fault). `h.start_app(exe=..., cwd=...)` starts a copy of the program from another folder.
The program runs only inside the run's private network namespace: run the tests through
scripts/run-wine-tests.sh, e.g.  scripts/run-wine-tests.sh build/win32-test -- -R e2e.
"""
import argparse
import json
import os
import shlex
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
WINDOW_CLASS = "TFrmTempowave"
UPDATE_PORT = 18080
PROBE_PORT = 18081
# How much longer every wait may take: the 32-bit build on a host that runs no 32-bit programs runs through
# qemu, where each program start takes about a minute (scripts/run-wine-tests.sh sets it).
TIME_SCALE = float(os.environ.get("TW_TIME_SCALE") or 1)


# The window's controls in stored order; the program gives each the control id 100 + its position, which is how
# they are found by name from outside.
CONTROLS = ["PnlMain", "Card1", "Indicator", "Card2", "GroupBox1", "LblTitle", "LblContent", "GroupBox2",
            "ChkTcpNoDelay", "ChkTCPAckFrequency", "LblAdapter", "LblIPAddress", "ChkTcpDelAckTick", "GroupBox3",
            "ChkNetworkThrottlingIndex", "ChkSystemResponsiveness", "PnlHead", "BtnHead", "BtnHome", "BtnConfig",
            "BtnDonate", "PnlLogo", "ImgLogo", "BtnStart", "LblVersion"]


class Failure(AssertionError):
    pass


def wine_path(path):
    """A Unix path as the program sees it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Process:
    """A process the harness started; stopped by its PID."""

    def __init__(self, popen, name):
        self.popen = popen
        self.name = name

    @property
    def pid(self):
        return self.popen.pid

    def running(self):
        return self.popen.poll() is None

    def wait(self, timeout):
        timeout *= TIME_SCALE
        try:
            return self.popen.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"{self.name} (pid {self.pid}) still running after {timeout} s")

    def stop(self, sig=signal.SIGTERM):
        if self.running():
            os.kill(self.pid, sig)
            try:
                self.popen.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.kill(self.pid, signal.SIGKILL)
                self.popen.wait(timeout=5)


class Harness:
    def __init__(self, build, work):
        self.build = os.path.abspath(build)
        self.exe = os.path.join(self.build, "Tempowave.exe")
        # The inspector may come from another build (TW_HELPERS_BUILD): a 64-bit one drives a 32-bit program
        # too, and under qemu each 32-bit process would cost its minute of start-up.
        helpers = os.environ.get("TW_HELPERS_BUILD") or self.build
        self.inspector = os.path.join(helpers, "tests", "e2e", "inspector.exe")
        self.work = work
        self._started = []
        self._browser_log = None

    # ---- processes -------------------------------------------------------------------------------------------

    def _require_sandbox(self):
        # The program makes reverse-DNS lookups and knows public hosts: it runs only in the run's namespace.
        if not os.environ.get("TW_NETNS") or not os.environ.get("WINEPREFIX"):
            raise Failure("run through scripts/run-wine-tests.sh (private network namespace and Wine prefix)")

    def env(self, lang=None, extra=None):
        env = dict(os.environ)
        if lang:
            env["LC_ALL"] = env["LANG"] = lang
        env.update(extra or {})
        return env

    def spawn(self, argv, name, env=None, stdout=subprocess.DEVNULL, cwd=None, stderr=subprocess.DEVNULL):
        self._require_sandbox()
        popen = subprocess.Popen(argv, env=env or self.env(), stdin=subprocess.DEVNULL, stdout=stdout,
                                 stderr=stderr, cwd=cwd)
        proc = Process(popen, name)
        self._started.append(proc)
        return proc

    def start_app(self, lang=None, env=None, exe=None, cwd=None, stderr=subprocess.DEVNULL):
        """Starts Tempowave.exe (or a copy of it at `exe`, from the current folder `cwd`); `wine` execs, so the
        PID is the program's own. `stderr` (a file) takes Wine's debug output, e.g. with WINEDEBUG=+pid,+loaddll."""
        return self.spawn(["wine", exe or self.exe], "Tempowave.exe", env=self.env(lang, env), cwd=cwd,
                          stderr=stderr)

    def run_app(self, lang=None, timeout=20):
        """Runs a copy to its end and returns its exit code."""
        return self.start_app(lang).wait(timeout)

    def cleanup(self):
        for proc in reversed(self._started):
            proc.stop(signal.SIGKILL if proc.name == "Tempowave.exe" else signal.SIGTERM)
        self._started.clear()

    # ---- the window, from outside ----------------------------------------------------------------------------

    def inspect(self, *args, cls=WINDOW_CLASS, timeout_ms=10000, check=True):
        """Runs one inspector command against the program's window; returns its JSON lines."""
        timeout_ms = int(timeout_ms * TIME_SCALE)
        argv = ["wine", self.inspector, "--timeout", str(timeout_ms)]
        if cls:
            argv += ["--class", cls]
        res = self._run_wine(argv + [str(a) for a in args], timeout_ms / 1000 + 30)
        lines = [json.loads(line) for line in res.stdout.decode("utf-8").splitlines() if line.strip()]
        if check and res.returncode != 0:
            raise Failure(f"inspector {' '.join(map(str, args))}: exit {res.returncode} {lines}")
        return lines

    def _run_wine(self, argv, timeout):
        """Runs a Wine command to its end. Output goes through files, not pipes: a Wine system process that
        the command happens to start (explorer.exe for the desktop) inherits its handles and would hold a
        pipe open long after the command has ended."""
        self._require_sandbox()
        with tempfile.TemporaryFile(dir=self.work) as out, tempfile.TemporaryFile(dir=self.work) as err:
            proc = subprocess.run(argv, stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(argv, proc.returncode, out.read(), err.read())

    def wait_window(self, timeout=20):
        return self.inspect("wait", timeout_ms=int(timeout * 1000))[0]

    def windows(self):
        """Every top-level window of the program's class, shown or not."""
        return self.inspect("windows")

    def controls(self):
        return self.inspect("list")[1:]

    def control(self, text=None, parent=None, local=None, controls=None):
        """Exactly one control by its text, or by its parent's hwnd and its rectangle in the parent."""
        found = [c for c in (controls or self.controls())
                 if (text is None or c["text"] == text) and (parent is None or c["parent"] == parent)
                 and (local is None or c["local"] == list(local))]
        if len(found) != 1:
            raise Failure(f"expected one control text={text!r} parent={parent} local={local}, found {found}")
        return found[0]

    def named(self, controls=None):
        """{component name: control} for every control that carries its id."""
        by_id = {c["id"]: c for c in (controls or self.controls())}
        return {name: by_id[100 + i] for i, name in enumerate(CONTROLS) if 100 + i in by_id}

    def click_name(self, name, how="send"):
        return self.inspect("click", f"id={100 + CONTROLS.index(name)}", how)[0]

    def click(self, ctl, how="send"):
        return self.inspect("click", "hwnd=" + ctl["hwnd"], how)[0]

    def caption(self):
        return self.inspect("caption")[0]["text"]

    def close_window(self):
        self.inspect("close")

    def quit_app(self, app, timeout=20):
        """Posts WM_CLOSE to the program's window and returns the exit code the program ended with, as Windows
        reports it, once its process is gone on the Unix side as well (within `timeout` either way). Wine's server
        kills a process that has ended on the Windows side but not yet finished its Unix exit after about half a
        second; that SIGKILL is Wine's, the program had ended already, so it is only reported."""
        code = self.inspect("quit", timeout_ms=int(timeout * 1000))[0]["exit_code"]
        return self._ended(app, code, timeout)

    def watch_exit(self, timeout=20):
        """Starts watching the program's process from inside Wine, for a program that is about to end by itself
        or by keys; exit_code(watch, app) then gives what it ended with, as quit_app does."""
        fd, path = tempfile.mkstemp(dir=self.work, suffix=".watch")
        with os.fdopen(fd, "wb") as out:
            proc = self.spawn(["wine", self.inspector, "--timeout", str(int(timeout * 1000 * TIME_SCALE)), "--class",
                               WINDOW_CLASS, "watch"], "watch", stdout=out)
        deadline = time.monotonic() + 30
        while not self._watch_lines(path) and proc.running():
            if time.monotonic() > deadline:
                raise Failure("the exit watch did not start")
            time.sleep(0.05)
        if not any(line.get("watching") for line in self._watch_lines(path)):
            raise Failure(f"the exit watch failed: {self._watch_lines(path)}")
        return proc, path, timeout

    def exit_code(self, watch, app):
        proc, path, timeout = watch
        proc.wait(timeout + 30)
        ended = [line for line in self._watch_lines(path) if "exit_code" in line]
        if not ended:
            raise Failure(f"the program did not end within {timeout} s: {self._watch_lines(path)}")
        return self._ended(app, ended[0]["exit_code"], timeout)

    @staticmethod
    def _watch_lines(path):
        """The watch's complete lines so far; a line still being written is left for the next look."""
        with open(path, encoding="utf-8") as f:
            return [json.loads(line) for line in f.read().split("\n")[:-1] if line.strip()]

    def _ended(self, app, code, timeout):
        unix = app.wait(timeout)
        if unix == -signal.SIGKILL:
            print(f"  note: Unix side of the ended process killed by Wine's server; it ended with {code}")
        elif unix != (code & 0xFF or (1 if code else 0)):  # how Wine turns an exit code into a Unix status
            raise Failure(f"exit code {code} as Windows reports it, {unix} on the Unix side")
        return code

    def pixel(self, x, y):
        return self.inspect("pixel", x, y)[0]["rgb"]

    def screenshot(self, path):
        """The window's pixels as the screen shows them; PNG through ImageMagick when the name asks for it."""
        bmp = path if path.endswith(".bmp") else os.path.join(self.work, "capture.bmp")
        self.inspect("capture", wine_path(bmp))
        if bmp != path:
            subprocess.run(["convert", bmp, path], check=True)
        return path

    def client_pixels(self):
        """The window's client area as the screen shows it: a function (x, y) -> (r, g, b)."""
        top = self.inspect("wait")[0]
        bmp = os.path.join(self.work, "pixels.bmp")
        self.inspect("capture", wine_path(bmp))
        with open(bmp, "rb") as f:
            data = f.read()
        offset, = struct.unpack_from("<I", data, 10)
        width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
        if bits != 24:
            raise Failure(f"capture has {bits} bits per pixel")
        stride = (width * 3 + 3) & ~3
        dx = top["client_origin"][0] - top["screen"][0]
        dy = top["client_origin"][1] - top["screen"][1]

        def pixel(x, y):
            row = height - 1 - (y + dy)  # bottom-up rows
            at = offset + row * stride + (x + dx) * 3
            b, g, r = data[at:at + 3]
            return r, g, b
        return pixel

    def decoy(self, title="tw-decoy", ms=30000):
        """A window of the inspector's own, shown in front; returns its description once it is up."""
        proc = self.spawn(["wine", self.inspector, "decoy", title, str(ms)], "decoy", stdout=subprocess.PIPE)
        line = proc.popen.stdout.readline()
        if not line:
            raise Failure("decoy window did not come up")
        return json.loads(line)

    def wait_until(self, what, predicate, timeout=10, interval=0.2):
        timeout *= TIME_SCALE
        end = time.monotonic() + timeout
        while True:
            value = predicate()
            if value:
                return value
            if time.monotonic() > end:
                raise Failure(f"timed out after {timeout} s waiting for {what}")
            time.sleep(interval)

    # ---- registry --------------------------------------------------------------------------------------------

    def _reg(self, *args):
        return self._run_wine(["wine", "reg", *args], 60)

    def reg_query(self, key, view=64):
        """Values of a key as {name: (type, data)}; None when the key does not exist. ASCII only: wine's
        reg query prints '?' for other characters, use reg_export for them."""
        res = self._reg("query", key, f"/reg:{view}")
        if res.returncode != 0:
            return None
        values = {}
        for line in res.stdout.decode("utf-8", "replace").splitlines():
            # "    name    REG_TYPE    data": four spaces apart, so that names and data may hold spaces.
            parts = line[4:].rstrip("\r").split("    ", 2) if line.startswith("    ") else []
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
        return values

    def reg_export(self, key, view=64):
        """The key as .reg text (decoded from UTF-16), or None when it does not exist."""
        out = os.path.join(self.work, "export.reg")
        res = self._reg("export", key, wine_path(out), "/y", f"/reg:{view}")
        if res.returncode != 0 or not os.path.exists(out):
            return None
        with open(out, "rb") as f:
            return f.read().decode("utf-16")

    def reg_delete(self, key, name=None, view=64):
        """Deletes one value, or the whole key when no name is given; absent ones are no error."""
        self._reg("delete", key, *(["/v", name] if name else []), "/f", f"/reg:{view}")

    def reg_add(self, key, name, data, kind="REG_SZ", view=64):
        res = self._reg("add", key, "/v", name, "/t", kind, "/d", str(data), "/f", f"/reg:{view}")
        if res.returncode != 0:
            raise Failure(f"reg add {key} {name}: {res.stderr.decode(errors='replace')}")

    # ---- stand-ins -------------------------------------------------------------------------------------------

    def servers(self):
        """The update service with nothing pending and the reachability probe, on their loopback ports."""
        logs = {}
        for name, port, body in (("update", UPDATE_PORT, "{}"), ("probe", PROBE_PORT, "")):
            logs[name] = os.path.join(self.work, f"{name}-requests.jsonl")
            proc = self.spawn([sys.executable, os.path.join(HERE, "loopback_http.py"), "--port", str(port),
                               "--body", body, "--log", logs[name]], name, stdout=subprocess.PIPE)
            if not proc.popen.stdout.readline().startswith(b"ready"):
                raise Failure(f"{name} stand-in did not start on port {port}")
        return logs

    def fake_browser(self):
        """Routes the shell's web addresses to a logger instead of a browser. The program asks the desktop's
        shell to open them, so the browser starts in the environment of Wine's explorer, not the program's:
        the log's path is written into a small launcher of the case's own."""
        self._browser_log = os.path.join(self.work, "browser.log")
        launcher = os.path.join(self.work, "fake_browser")
        with open(launcher, "w") as f:
            f.write("#!/bin/sh\nTW_BROWSER_LOG=%s exec %s \"$@\"\n"
                    % (shlex.quote(self._browser_log), shlex.quote(os.path.join(HERE, "fake_browser.sh"))))
        os.chmod(launcher, 0o755)
        self.reg_add(r"HKCU\Software\Wine\WineBrowser", "Browsers", launcher)
        return self._browser_log

    def browser_urls(self, count=1, timeout=10):
        """The addresses opened so far, once there are at least `count`."""
        def read():
            if not os.path.exists(self._browser_log):
                return None
            with open(self._browser_log, encoding="utf-8") as f:
                urls = f.read().splitlines()
            return urls if len(urls) >= count else None
        return self.wait_until(f"{count} browser launch(es)", read, timeout)

    def check(self, cond, message):
        if not cond:
            raise Failure(message)


# ---- reading the executable ----------------------------------------------------------------------------------

class PeFile:
    """Just enough of a PE reader to get at the resources."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise Failure(f"{path} is not a PE file")
        nsections, = struct.unpack_from("<H", self.data, pe + 6)
        opt_size, = struct.unpack_from("<H", self.data, pe + 20)
        opt = pe + 24
        magic, = struct.unpack_from("<H", self.data, opt)
        dirs = opt + (96 if magic == 0x10B else 112)
        self.rsrc_rva, _ = struct.unpack_from("<II", self.data, dirs + 2 * 8)
        self.sections = []
        for i in range(nsections):
            s = opt + opt_size + 40 * i
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", self.data, s + 8)
            self.sections.append((va, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise Failure(f"RVA {rva:#x} outside every section")

    def _entries(self, dir_off):
        named, ids = struct.unpack_from("<HH", self.data, dir_off + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", self.data, dir_off + 16 + 8 * i)
            yield name, target

    def resources(self, rtype):
        """{(name or id, language): bytes} of one resource type (ids as ints)."""
        if not self.rsrc_rva:
            return {}
        base = self.offset(self.rsrc_rva)
        found = {}
        for tid, tdir in self._entries(base):
            if tid != rtype:
                continue
            for nid, ndir in self._entries(base + (tdir & 0x7FFFFFFF)):
                for lang, leaf in self._entries(base + (ndir & 0x7FFFFFFF)):
                    rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset(rva)
                    found[(nid, lang)] = self.data[start:start + size]
        return found


RT_VERSION, RT_MANIFEST = 16, 24


def file_version(pe):
    """FILEVERSION and PRODUCTVERSION of the version resource, as "a.b.c.d" texts."""
    blobs = list(pe.resources(RT_VERSION).values())
    if not blobs:
        raise Failure("no version resource")
    at = blobs[0].find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        raise Failure("version resource without VS_FIXEDFILEINFO")
    fms, fls, pms, pls = struct.unpack_from("<IIII", blobs[0], at + 8)
    text = lambda ms, ls: f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    return text(fms, fls), text(pms, pls)


# ---- runner ----------------------------------------------------------------------------------------------------

def main():
    """Runs one case (or all) of the calling test file: test_x.py --build DIR [--case NAME]."""
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--case")
    args = ap.parse_args()
    module = sys.modules["__main__"]
    cases = {n[5:]: f for n, f in vars(module).items() if n.startswith("case_") and callable(f)}
    names = [args.case] if args.case else sorted(cases)
    failed = 0
    for name in names:
        if name not in cases:
            print(f"no case {name!r}; have {sorted(cases)}")
            return 2
        base = os.environ.get("TW_RUN_DIR") or tempfile.gettempdir()
        work = tempfile.mkdtemp(prefix=f"e2e-{name}-", dir=base)
        h = Harness(args.build, work)
        t0 = time.monotonic()
        try:
            cases[name](h)
            print(f"PASS {name} ({time.monotonic() - t0:.1f} s)")
        except Exception:
            failed += 1
            traceback.print_exc()
            print(f"FAIL {name} ({time.monotonic() - t0:.1f} s); files kept in {work}")
        finally:
            h.cleanup()
        if not failed:
            shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit("harness.py is a library; run a test_*.py file")
