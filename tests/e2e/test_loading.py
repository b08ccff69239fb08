#!/usr/bin/env python3
"""The program runs as administrator from wherever it was saved: no library may come from that folder or from the
current one. A copy of the program is put into a Downloads folder, which is also the current folder, together with
stand-ins named like the libraries that it loads (imported, delay-loaded or loaded by name: the
network-connections component, the dump helper), that those load in turn, and that the system loads for it in
these flows under Wine (adapter discovery, printing and crypto providers), as far as they are not KnownDLLs,
which Windows always takes from its system folder. A stand-in that is loaded leaves "<name>.loaded" behind and
refuses to load. Wine prefers its own copies of system libraries, so these names are set to load native copies
first (WINEDLLOVERRIDES "n,b"): the real ones then still come from the prefix's system folder, where the
network-connections stand-in of the tests is installed too. Start, Run, Run again and a crash leave no note.

Not planted: libraries that only Wine's own system libraries delay-load (msimg32 for uxtheme, crypt32 and bcrypt
for winhttp). Wine resolves those imports with the search path the process started with, whatever the process
restricted since, so no program can keep them out of its folder under Wine; Windows applies the restriction."""
import glob
import os
import re
import shutil
import sys

import harness
import scripted
import test_run

PLANTED = ["version", "winhttp", "iphlpapi", "comctl32", "uxtheme", "gdiplus", "dwmapi", "netshell", "dbghelp",
           "dnsapi", "jsproxy", "dxgi", "opengl32", "rsaenh", "compstui", "winspool.drv"]
STAND_IN = os.path.join("tests", "fakes", "planted", "planted_library.dll")
CRASH = 0xC0000005  # the fault the inspector's crash causes
# qemu-i386 reports every memory fault as an illegal instruction: under it (the 32-bit build on a host that runs
# no 32-bit programs) the code is that one.
EMULATED = os.environ.get("TW_WINE32_EMULATED") == "1"
CRASH_CODES = {CRASH, 0xC000001D} if EMULATED else {CRASH}
CRASH_SECONDS = 150


def _downloads(h):
    folder = os.path.join(h.work, "Downloads")
    os.makedirs(folder)
    exe = os.path.join(folder, "Tempowave.exe")
    shutil.copy(h.exe, exe)
    for name in PLANTED:
        shutil.copy(os.path.join(h.build, STAND_IN), os.path.join(folder, name if "." in name else name + ".dll"))
    return folder, exe


def _native_first():
    return f"{os.environ.get('WINEDLLOVERRIDES', '')};{','.join(PLANTED)}=n,b"


def _start(h, **env):
    """The copy in Downloads, started from there; returns it, its window and a function listing the notes."""
    folder, exe = _downloads(h)
    env["WINEDLLOVERRIDES"] = _native_first()
    loaded = lambda: sorted(f for f in os.listdir(folder) if f.endswith(".loaded"))
    app = h.start_app(lang=test_run.KOREAN, exe=exe, cwd=folder, env=env)
    try:
        top = h.wait_window()
    except harness.Failure as e:
        raise harness.Failure(f"no window ({e}); planted libraries loaded: {loaded()}")
    return app, top, loaded


def case_not_at_start_run_or_run_again(h):
    test_run.reset(h)
    test_run.stand_in(h, "update", harness.UPDATE_PORT)
    netcon_log = os.path.join(h.work, "netcon.log")
    _, _, loaded = _start(h, TW_FAKE_NETSHELL_LOG=harness.wine_path(netcon_log))
    h.check(loaded() == [], f"planted libraries loaded at start: {loaded()}")
    h.click_name("BtnStart")
    test_run.stand_in(h, "probe", harness.PROBE_PORT)
    test_run.expect_look(h, test_run.RUNNING, "the running look after Run")
    h.click_name("BtnStart")
    test_run.expect_look(h, test_run.IDLE, "the idle look after Run again")
    # The adapter was restarted twice, through the network-connections component of the system folder.
    h.check(len(test_run.restarts(netcon_log)) == 4, f"restarts {test_run.restarts(netcon_log)}")
    h.check(loaded() == [], f"planted libraries loaded by Run and Run again: {loaded()}")
    test_run.reset(h)


def case_not_for_a_crash_report(h):
    """The report also goes where a standard user cannot redirect it: a new folder in the Windows folder's Temp.
    Wine's dump helper takes from half a minute to well over a minute here (it reads every library mapped)."""
    temp = os.path.join(os.environ["WINEPREFIX"], "drive_c", "windows", "temp")
    before = set(glob.glob(os.path.join(temp, "Tempowave-crash-*")))
    app, top, loaded = _start(h)
    watch = h.watch_exit(timeout=CRASH_SECONDS + 30)
    h.inspect("crash")
    h.wait_until("the crash message", lambda: scripted.dialogs(h, top), timeout=CRASH_SECONDS)
    text = " ".join(c["text"] for c in h.inspect("list", cls="#32770")[1:])
    h.inspect("close", cls="#32770")
    code = h.exit_code(watch, app)
    made = sorted(set(glob.glob(os.path.join(temp, "Tempowave-crash-*"))) - before)
    dumps = [os.path.relpath(f, temp) for d in made for f in glob.glob(os.path.join(d, "*"))]
    for d in made:
        shutil.rmtree(d)  # other cases check that no crash left a dump
    h.check(code in CRASH_CODES, f"exit code {code:#x} after the crash, expected {CRASH:#x}")
    h.check(loaded() == [], f"planted libraries loaded by the crash report: {loaded()}")
    if EMULATED and not dumps:
        # Wine's dump helper fails for every 32-bit process under qemu; the message must still come.
        h.check("stopped unexpectedly" in text, f"the crash message: {text!r}")
        print("  note: no dump under qemu-i386, as every dump there")
        return
    h.check(len(dumps) == 1 and dumps[0].endswith(".dmp"), f"dumps made in the Windows folder's Temp: {dumps}")
    want = "C:\\windows\\Temp\\" + dumps[0].replace("/", "\\")
    h.check(want.lower() in text.lower(), f"the message does not name the dump {want}: {text!r}")


def _loaded_by(trace, exe):
    """The libraries one process loaded, from Wine's load trace (WINEDEBUG=+pid,+loaddll): the process is the one
    whose first line loads `exe`; every line starts with its process and thread ids."""
    loads = re.findall(r'^([0-9a-f]+):[0-9a-f]+:trace:loaddll:\w+ Loaded L"(.*?)"', trace, re.M)
    name = exe.lower().rsplit("/", 1)[-1]
    pids = [pid for pid, path in loads if path.lower().replace("\\\\", "\\").endswith("\\" + name)]
    if not pids:
        raise harness.Failure(f"the load trace never shows {name}: {trace[-2000:]!r}")
    return [path.replace("\\\\", "\\") for pid, path in loads if pid == pids[0]]


def _common_controls_folders():
    """The side-by-side folders of the common controls in the prefix (x86 and amd64), as the loader names them."""
    winsxs = os.path.join(os.environ["WINEPREFIX"], "drive_c", "windows", "winsxs")
    return sorted(d for d in os.listdir(winsxs) if "microsoft.windows.common-controls_" in d.lower())


def case_refused_with_a_local_redirection_beside_it(h):
    """A "Tempowave.exe.local" folder or file beside the program would let that folder supply the common controls
    of its manifest: the program says so and ends before it shows a window or loads a planted library. Its notice
    comes up without the common controls too: nothing up to the end of the process loads a comctl32.dll, neither
    the side-by-side one that the folder would replace nor a copy from the folder. The folder holds a stand-in in
    a folder named after each side-by-side assembly of the common controls, where the loader would look."""
    for kind in ("folder", "file"):
        folder = os.path.join(h.work, f"Downloads-{kind}")
        os.makedirs(folder)
        exe = os.path.join(folder, "Tempowave.exe")
        shutil.copy(h.exe, exe)
        for name in PLANTED:
            shutil.copy(os.path.join(h.build, STAND_IN), os.path.join(folder, name if "." in name else name + ".dll"))
        local = exe + ".local"
        if kind == "folder":
            os.makedirs(local)
            for assembly in _common_controls_folders():
                os.makedirs(os.path.join(local, assembly))
                shutil.copy(os.path.join(h.build, STAND_IN), os.path.join(local, assembly, "comctl32.dll"))
        else:
            open(local, "wb").close()
        trace_path = os.path.join(h.work, f"loaddll-{kind}.txt")
        with open(trace_path, "wb") as trace:
            env = {"WINEDLLOVERRIDES": _native_first(), "WINEDEBUG": "+pid,+loaddll"}
            app = h.start_app(lang="C.UTF-8", exe=exe, cwd=folder, env=env, stderr=trace)
            box = h.inspect("list", cls="#32770", timeout_ms=30000)
            texts = [c["text"] for c in box[1:] if c["id"] != 1]
            h.check(any("Tempowave.exe.local" in t for t in texts), f"{kind}: message texts {texts}")
            h.check(box[0]["text"] == "Tempowave", f"{kind}: message caption {box[0]['text']!r}")
            h.check(not [w for w in h.windows() if w.get("pid") == box[0]["pid"]],
                    f"{kind}: the main window came up behind the message")
            h.inspect("click", "id=1", cls="#32770")
            code = app.wait(30)
        h.check(code == 1, f"{kind}: exit status {code}, expected 1")
        loaded = sorted(os.path.relpath(os.path.join(d, f), folder)
                        for d, _, files in os.walk(folder) for f in files if f.endswith(".loaded"))
        h.check(loaded == [], f"{kind}: planted libraries loaded: {loaded}")
        with open(trace_path, encoding="utf-8", errors="replace") as trace:
            libraries = _loaded_by(trace.read(), exe)
        common_controls = [p for p in libraries if p.lower().endswith("\\comctl32.dll")]
        h.check(common_controls == [], f"{kind}: the refusal loaded {common_controls}")


if __name__ == "__main__":
    sys.exit(harness.main())
