#!/usr/bin/env python3
"""Run and Run again give back exactly what the machine had, with the real program and Wine's registry: the
machine's own values and types, a state reset behind the program's back, a network that never answers, a
connection that does not come back, and `Tempowave.exe /restore`."""
import os
import sys

import harness
import test_run as run

BOX = "#32770"
ON = {"TW_FAKE_NETSHELL_FAIL": ""}
CONNECT_REFUSED = {"TW_FAKE_NETSHELL_FAIL": "Connect=0x80004005"}
UNDONE = "네트워크가 응답하지 않아 변경 사항을 되돌렸습니다."
STAYED_OFF = "네트워크 연결을 다시 켜지 못했습니다. Windows 네트워크 설정에서 연결을 켜 주세요."

# The machine's own values before the first Run: other data, and one of another type.
OWN = {
    run.INTERFACE: {"TcpAckFrequency": ("REG_DWORD", "0x2")},
    run.MSMQ: {"TCPNoDelay": ("REG_SZ", "on")},
    run.PROFILE: {"NetworkThrottlingIndex": ("REG_DWORD", "0x14"), "SystemResponsiveness": ("REG_DWORD", "0x1e")},
}
TUNED = {
    run.INTERFACE: {"TcpAckFrequency": ("REG_DWORD", "0x1"), "TcpDelAckTicks": ("REG_DWORD", "0x0")},
    run.MSMQ: {"TCPNoDelay": ("REG_DWORD", "0x1")},
    run.PROFILE: {"NetworkThrottlingIndex": ("REG_DWORD", "0xffffffff"), "SystemResponsiveness": ("REG_DWORD", "0xa")},
}


def own_values(h):
    run.reset(h)
    for key, values in OWN.items():
        for name, (kind, data) in values.items():
            h.reg_add(key, name, int(data, 16) if kind == "REG_DWORD" else data, kind)


def values(h):
    """The five values as {key: {name: (type, data)}}, types included."""
    names = {run.INTERFACE: ("TcpAckFrequency", "TcpDelAckTicks"), run.MSMQ: ("TCPNoDelay",),
             run.PROFILE: ("NetworkThrottlingIndex", "SystemResponsiveness")}
    out = {}
    for key, wanted in names.items():
        found = h.reg_query(key, view=64) or {}
        out[key] = {n: (kind, data.lower()) for n, (kind, data) in found.items() if n in wanted}
    return out


def start(h, env=None, probe=True):
    """The program in Korean with the update service, the probe answering (from the first start that asks for it
    to the end of the case) and the netshell log."""
    started = vars(h).setdefault("undo_stand_ins", set())
    for name, port, wanted in (("update", harness.UPDATE_PORT, True), ("probe", harness.PROBE_PORT, probe)):
        if wanted and name not in started:
            run.stand_in(h, name, port)
            started.add(name)
    netcon_log = os.path.join(h.work, "netcon.log")
    app = h.start_app(lang=run.KOREAN,
                      env=dict(env or {}, TW_FAKE_NETSHELL_LOG=harness.wine_path(netcon_log)))
    h.wait_window()
    return app, netcon_log


def run_once(h, want, what):
    h.click_name("BtnStart")
    run.expect_look(h, want, what)


def box_texts(h, timeout=60):
    box = h.inspect("wait", cls=BOX, timeout_ms=timeout * 1000)[0]
    h.check(box["text"] == "템포웨이브", f"box caption {box['text']!r}")
    return [c["text"] for c in h.inspect("list", cls=BOX)[1:]]


def restore(h):
    """Tempowave.exe /restore, to its end; its exit code."""
    return h.spawn(["wine", h.exe, "/restore"], "Tempowave.exe", env=h.env(run.KOREAN)).wait(90)


def case_own_values_come_back_exactly(h):
    own_values(h)
    before = values(h)
    h.check(before == OWN, f"own values not in place: {before}")
    start(h)
    run_once(h, run.RUNNING, "the running look after Run")
    h.check(values(h) == TUNED, f"tuned values {values(h)}")
    h.check(len(run.record(h) or []) == 5, f"record {run.record(h)}")
    # Kept in the native view: a 32-bit build must not leave it in the redirected copy.
    h.check(run.record(h, view=32) is None, "the record landed in the 32-bit view")

    run_once(h, run.IDLE, "the idle look after Run again")
    h.check(values(h) == OWN, f"after Run again {values(h)}, want {OWN}")
    h.check(run.record(h) is None, f"record left: {run.record(h)}")
    h.check(run.stored(h, "status") == 0, f"status {run.stored(h, 'status')}")
    run.reset(h)


def case_values_reset_behind_its_back_open_idle(h):
    run.reset(h)
    app, _ = start(h)
    run_once(h, run.RUNNING, "the running look after Run")
    h.check(h.quit_app(app) == 0, "exit code after closing")
    # Still tuned: it opens running.
    app, _ = start(h, probe=False)
    h.check(run.look(h) == run.RUNNING, f"running look expected while tuned, saw {run.look(h)}")
    h.check(h.quit_app(app) == 0, "exit code after closing")

    # A system restore puts the defaults back behind the program's back.
    for key, names in ((run.INTERFACE, ["TcpAckFrequency", "TcpDelAckTicks"]), (run.MSMQ, ["TCPNoDelay"])):
        for name in names:
            h.reg_delete(key, name)
    h.reg_add(run.PROFILE, "NetworkThrottlingIndex", 10, "REG_DWORD")
    h.reg_add(run.PROFILE, "SystemResponsiveness", 20, "REG_DWORD")
    start(h, probe=False)
    h.check(run.look(h) == run.IDLE, f"idle look expected once the values were reset, saw {run.look(h)}")
    h.check(run.stored(h, "status") == 0, f"status {run.stored(h, 'status')} stored")
    run.reset(h)


def case_network_never_answers_after_run(h):
    own_values(h)
    _, netcon_log = start(h, probe=False)  # nothing on the probe's port: every attempt is refused
    h.click_name("BtnStart", "post")
    texts = box_texts(h, timeout=90)
    h.check(UNDONE in texts, f"box texts {texts}")
    # Given back before the box is shown.
    h.check(values(h) == OWN, f"values while the box is open {values(h)}, want {OWN}")
    h.inspect("close", cls=BOX)
    run.expect_look(h, run.IDLE, "the idle look after the box")
    h.check(run.stored(h, "status") == 0, f"status {run.stored(h, 'status')}")
    h.check(run.record(h) is None, f"record left: {run.record(h)}")
    ok = [f"Disconnect {run.GUID} hr=0x00000000", f"Connect {run.GUID} hr=0x00000000"]
    h.check(run.restarts(netcon_log) == ok * 2, f"restarts {run.restarts(netcon_log)}: once for Run, once more")
    run.reset(h)


def case_connection_refused_after_run(h):
    own_values(h)
    _, netcon_log = start(h, env=CONNECT_REFUSED)
    h.click_name("BtnStart", "post")  # the box is shown inside the click
    texts = box_texts(h)
    h.check(STAYED_OFF in texts, f"box texts {texts}")
    h.inspect("close", cls=BOX)
    run.expect_look(h, run.IDLE, "the idle look it had before Run")
    h.check(values(h) == OWN, f"values {values(h)}, want {OWN}")
    h.check(run.stored(h, "status") == 0, f"status {run.stored(h, 'status')}")
    refused = f"Connect {run.GUID} hr=0x80004005"
    h.check(run.restarts(netcon_log) == [f"Disconnect {run.GUID} hr=0x00000000"] + [refused] * 4,
            f"restarts {run.restarts(netcon_log)}: connect tried again three times")
    run.reset(h)


def case_connection_refused_after_run_again(h):
    own_values(h)
    app, _ = start(h, env=ON)
    run_once(h, run.RUNNING, "the running look after Run")
    h.check(h.quit_app(app) == 0, "exit code after closing")

    app, netcon_log = start(h, env=CONNECT_REFUSED)
    h.check(run.look(h) == run.RUNNING, f"running look expected at start, saw {run.look(h)}")
    h.click_name("BtnStart", "post")
    texts = box_texts(h)
    h.check(STAYED_OFF in texts, f"box texts {texts}")
    h.inspect("close", cls=BOX)
    # The values are back before the restart: the window says so by going idle, and the record goes.
    run.expect_look(h, run.IDLE, "the idle look once the values are back")
    h.check(run.stored(h, "status") == 0, f"status {run.stored(h, 'status')}")
    h.check(run.record(h) is None, f"record left: {run.record(h)}")
    h.check(values(h) == OWN, f"values after the refused Run again {values(h)}, want {OWN}")
    h.check(h.quit_app(app) == 0, "exit code after closing")

    # The connection this program switched off is still named in the marker: the next start switches it on.
    start(h, env=ON)
    h.check(run.restarts(netcon_log)[-1] == f"Connect {run.GUID} hr=0x00000000",
            f"restarts {run.restarts(netcon_log)}: switched back on at start")
    h.check(run.look(h) == run.IDLE, f"idle look expected at the next start, saw {run.look(h)}")
    run_once(h, run.RUNNING, "the running look after Run")
    run_once(h, run.IDLE, "the idle look after Run again")
    h.check(values(h) == OWN, f"values {values(h)}, want {OWN}")
    h.check(run.record(h) is None, f"record left: {run.record(h)}")
    run.reset(h)


def case_restore_from_the_command_line(h):
    own_values(h)
    app, _ = start(h)
    run_once(h, run.RUNNING, "the running look after Run")
    # A copy is running: nothing is changed.
    code = restore(h)
    h.check(code == 3, f"/restore beside a running copy ended with {code}")
    h.check(values(h) == TUNED and len(run.record(h) or []) == 5, f"changed by /restore: {values(h)}")
    h.check(h.quit_app(app) == 0, "exit code after closing")

    code = restore(h)
    h.check(code == 0, f"/restore ended with {code}")
    h.check(values(h) == OWN, f"values after /restore {values(h)}, want {OWN}")
    h.check(run.record(h) is None, f"record left: {run.record(h)}")
    h.check(run.stored(h, "status") == 0, f"status {run.stored(h, 'status')}")
    start(h, probe=False)
    h.check(run.look(h) == run.IDLE, f"idle look expected after /restore, saw {run.look(h)}")
    run.reset(h)


def case_restore_without_a_record_changes_nothing(h):
    """/restore run "to be safe" on a machine with its own values and no record: nothing is changed or
    restarted, and it ends 0."""
    own_values(h)
    netcon_log = os.path.join(h.work, "netcon.log")
    env = h.env(run.KOREAN, {"TW_FAKE_NETSHELL_LOG": harness.wine_path(netcon_log)})
    code = h.spawn(["wine", h.exe, "/restore"], "Tempowave.exe", env=env).wait(90)
    h.check(code == 0, f"/restore ended with {code}")
    h.check(values(h) == OWN, f"values after /restore {values(h)}, want {OWN}")
    h.check(run.restarts(netcon_log) == [], f"restarts {run.restarts(netcon_log)}")
    h.check(run.record(h) is None, f"a record appeared: {run.record(h)}")
    run.reset(h)


DAMAGED = "이전 값의 기록이 손상되었습니다."


def case_damaged_record_is_kept_and_told(h):
    """A record with a line that does not parse: the window opens running, Run again gives back what can be
    read, keeps the record byte for byte and says so; /restore does the same and ends 1."""
    own_values(h)
    for key, values_ in TUNED.items():
        for name, (kind, data) in values_.items():
            h.reg_add(key, name, int(data, 16), kind)
    h.reg_add(run.RECORD, "Snapshot", "NetworkThrottlingIndex||4|14000000\\0TCPNoDelay||4|0", "REG_MULTI_SZ")
    damaged = run.record(h)
    h.check(damaged == ["NetworkThrottlingIndex||4|14000000", "TCPNoDelay||4|0"], f"record {damaged}")
    app, _ = start(h)
    h.check(run.look(h) == run.RUNNING, f"running look expected over a damaged record, saw {run.look(h)}")
    h.click_name("BtnStart", "post")
    texts = box_texts(h, timeout=90)
    h.check(any(t.startswith(DAMAGED) for t in texts), f"box texts {texts}")
    h.inspect("close", cls=BOX)
    run.expect_look(h, run.RUNNING, "the running look: the record stays")
    h.check(values(h)[run.PROFILE]["NetworkThrottlingIndex"] == ("REG_DWORD", "0x14"), f"values {values(h)}")
    h.check(run.record(h) == damaged, f"record changed: {run.record(h)}")
    h.check(h.quit_app(app) == 0, "exit code after closing")
    code = restore(h)
    h.check(code == 1, f"/restore over a damaged record ended with {code}")
    h.check(run.record(h) == damaged, f"record changed by /restore: {run.record(h)}")
    run.reset(h)


def ended_at(h, point, shown, run_again=False):
    """The program ends at `point` (the loopback build's fault points) as a kill would end it. The next start
    shows the honest state with every connection on, and /restore then leaves the machine's own values exact."""
    own_values(h)
    if run_again:
        app, _ = start(h, env=ON)
        run_once(h, run.RUNNING, "the running look after Run")
        h.check(h.quit_app(app) == 0, "exit code after closing")
    app, netcon_log = start(h, env={"TEMPOWAVE_END_AT": point})
    h.click_name("BtnStart", "post")
    code = app.wait(60)
    h.check(code == 86, f"ended with {code} instead of at {point}")
    app, _ = start(h, env=ON)
    h.check(run.look(h) == shown, f"look at the next start {run.look(h)}, want {shown}")
    events = run.restarts(netcon_log)
    off = sum(e.startswith(f"Disconnect {run.GUID} hr=0x00000000") for e in events)
    on = sum(e.startswith(f"Connect {run.GUID} hr=0x00000000") for e in events)
    h.check(on >= off and (not events or events[-1].startswith("Connect ")),
            f"a connection left off: {events}")
    h.check(h.quit_app(app) == 0, "exit code after closing")
    code = restore(h)
    h.check(code == 0, f"/restore ended with {code}")
    h.check(values(h) == OWN, f"values after /restore {values(h)}, want {OWN}")
    h.check(run.record(h) is None, f"record left: {run.record(h)}")
    run.reset(h)


def case_ended_after_the_record(h):
    # Recorded, nothing written: the record is stale, the machine untuned.
    ended_at(h, "after-record", run.IDLE)


def case_ended_between_two_writes(h):
    ended_at(h, "between-writes", run.RUNNING)


def case_ended_while_the_connection_is_off(h):
    ended_at(h, "between-disconnect-and-connect", run.RUNNING)


def case_ended_during_the_wait(h):
    ended_at(h, "during-wait", run.RUNNING)


def case_ended_after_run_again_gave_back(h):
    ended_at(h, "after-give-back", run.IDLE, run_again=True)


if __name__ == "__main__":
    sys.exit(harness.main())
