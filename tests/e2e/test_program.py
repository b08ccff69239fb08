#!/usr/bin/env python3
"""The whole program as a user meets it: its texts in each language, an error at start, the update service's
offer and notice."""
import json
import os
import sys
import time

import harness

KOREAN = "ko_KR.UTF-8"
DIALOG = "#32770"
IDOK, IDYES = 1, 6
STRIP_ID = 0x5B01
STRIP_HEIGHT = 28
CLIENT_HEIGHT = 426

# locale, window caption, title label, Home, Config, Run, the three group boxes, the word before the version.
CAPTIONS = [
    ("C.UTF-8", "Tempowave", "Tempowave", "Home", "Config", "Run",
     ("Network Adapter", "Disable Nagle's algorithm", "Network Throttling Index"), "Version"),
    (KOREAN, "템포웨이브", "템포웨이브", "처음화면", "환경설정", "실행하기",
     ("네트워크 아답터 정보", "네이글 알고리즘 해제", "네트워크 쓰로틀링"), "버전"),
    ("ja_JP.UTF-8", "Tempowave", "テンポウェーブ", "ホーム", "設定", "実行する",
     ("ネットワークアダプタ", "ネイグルアルゴリズムを無効にする", "ネットワークスロットリング指数"), "バージョン"),
]
# Spot checks of the other languages: locale, window caption, Home, Run, the first group box, the version word.
SPOT_CHECKS = [
    ("zh_CN.UTF-8", "Tempowave", "主页", "运行", "网络适配器", "版本"),
    ("ru_RU.UTF-8", "Tempowave", "Главная", "Запустить", "Сетевой адаптер", "Версия"),
    ("it_IT.UTF-8", "Tempowave", "Home", "Avvia", "Scheda di rete", "Versione"),
    ("fr_FR.UTF-8", "Tempowave", "Accueil", "Exécuter", "Adaptateur réseau", "Version"),
]


def _version():
    return os.environ.get("TW_PROJECT_VERSION", "1.0.0.0")


def _title_ink(h, named):
    """The columns of the title label that carry text pixels, as (first, last) in the label, and its width."""
    left, top, width, height = named["LblTitle"]["rect"]
    pixel = h.client_pixels()
    background = pixel(left, top)
    ink = [x for x in range(left, left + width)
           if any(max(abs(a - b) for a, b in zip(pixel(x, y), background)) > 96 for y in range(top, top + height))]
    return (ink[0] - left, ink[-1] - left) if ink else None, width


def _check_start(h, lang, want, problems):
    """Starts the program in `lang`, compares the texts in `want` and closes it again."""
    app = h.start_app(lang=lang)
    top = h.wait_window()
    named = h.named()
    seen = {"caption": top["text"]}
    seen.update({name: named[name]["text"] for name in want if name != "caption"})
    for name, text in want.items():
        if seen[name] != text:
            problems.append(f"{lang}: {name} reads {seen[name]!r}, expected {text!r}")
    if named["BtnDonate"]["visible"]:
        problems.append(f"{lang}: Donate is visible")
    ink, width = _title_ink(h, named)
    # The fitted title leaves a margin on both sides: text cut off by the label would run up to its edges.
    if not ink or ink[0] < 2 or ink[1] > width - 3 or ink[1] - ink[0] < width // 4:
        problems.append(f"{lang}: title text spans columns {ink} of a {width}-pixel label")
    code = h.quit_app(app)
    if code != 0:
        problems.append(f"{lang}: exit code {code} after closing the window")


def case_captions_in_english_korean_japanese(h):
    problems = []
    for lang, caption, title, home, config, run, groups, word in CAPTIONS:
        want = {"caption": caption, "LblTitle": title, "BtnHome": home, "BtnConfig": config, "BtnStart": run,
                "GroupBox1": groups[0], "GroupBox2": groups[1], "GroupBox3": groups[2],
                "LblVersion": f"{word}: {_version()}"}
        _check_start(h, lang, want, problems)
    h.check(not problems, "\n".join(problems))


def case_captions_spot_checks(h):
    problems = []
    for lang, caption, home, run, group, word in SPOT_CHECKS:
        want = {"caption": caption, "LblTitle": "Tempowave", "BtnHome": home, "BtnStart": run, "GroupBox1": group,
                "LblVersion": f"{word}: {_version()}"}
        _check_start(h, lang, want, problems)
    h.check(not problems, "\n".join(problems))


def _expect_page(h, page, when):
    def shown():
        named = h.named()
        return named["Card1"]["visible"] == (page == 0) and named["Card2"]["visible"] == (page == 1)
    h.wait_until(f"page {page} {when}", shown, timeout=5)


def case_wrongly_typed_option_reported_and_window_usable(h):
    h.reg_add(r"HKCU\Software\Tempowave", "tcpnodelay", "1", "REG_SZ")
    try:
        _error_then_usable(h)
    finally:
        h.reg_delete(r"HKCU\Software\Tempowave", "tcpnodelay")


def _error_then_usable(h):
    log = _update_service(h, [])
    app = h.start_app(lang="C.UTF-8")
    box = h.inspect("list", cls=DIALOG, timeout_ms=20000)
    texts = [c["text"] for c in box[1:] if c["class"].lower() == "static"]
    h.check(any("Invalid data type for 'tcpnodelay'" in t for t in texts),
            f"error box texts {texts}, expected the wrongly typed value named")
    h.check(box[0]["text"] == "Tempowave", f"error box caption {box[0]['text']!r}")
    h.inspect("click", f"id={IDOK}", cls=DIALOG)

    top = h.wait_window()
    h.check(top["pid"] == box[0]["pid"], f"error box of process {box[0]['pid']}, window of {top['pid']}")
    h.check(app.running(), "the program ended after the error")
    _expect_page(h, 0, "after the error")
    for button, page in (("BtnConfig", 1), ("BtnHome", 0)):
        h.click_name(button, "mouse")
        _expect_page(h, page, f"after a click on {button}")
    # The steps before the failing one have run; the update check after it has not started.
    version = h.named()["LblVersion"]["text"]
    h.check(version == f"Version: {_version()}", f"version label {version!r}")
    time.sleep(1)
    h.check(not _requests(log), f"{len(_requests(log))} update requests after the failed start")
    h.check(h.quit_app(app) == 0, "exit code after closing the window")


def _update_service(h, answers):
    """The update service on its loopback port with scripted answers; returns the request log's path."""
    script = os.path.join(h.work, "answers.json")
    with open(script, "w", encoding="utf-8") as f:
        json.dump({"answers": answers}, f)
    log = os.path.join(h.work, "update-requests.jsonl")
    ready = os.path.join(h.work, "update-server", "port")
    os.makedirs(os.path.dirname(ready))
    h.spawn([sys.executable, os.path.join(harness.HERE, "servers", "update_server.py"), "--port",
             str(harness.UPDATE_PORT), "--log", log, "--script", script, "--port-file", ready], "update service")
    h.wait_until("the update service to listen", lambda: os.path.exists(ready), timeout=10)
    return log


def _answer(**values):
    # The program cuts values out by their exact markers: no space after the colon.
    return json.dumps(values, separators=(",", ":"))


def _requests(log):
    if not os.path.exists(log):
        return []
    with open(log, encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip()]


def case_accepted_update_opens_target_and_exits(h):
    target = "https://example.test/get/tempowave-setup.exe"
    log = _update_service(h, [{"body": _answer(update=target, notify="")}])
    h.fake_browser()
    app = h.start_app(lang="ja_JP.UTF-8")
    offer = h.inspect("list", cls=DIALOG, timeout_ms=20000)
    buttons = {c["id"]: c["text"] for c in offer[1:] if c["class"].lower() == "button"}
    h.check(buttons.get(IDYES) == "はい", f"offer buttons {buttons}")
    watch = h.watch_exit()
    h.inspect("click", f"id={IDYES}", cls=DIALOG)

    h.check(h.browser_urls(1) == [target], f"browser opened {h.browser_urls(1)}")
    code = h.exit_code(watch, app)
    h.check(code == 0, f"exit code {code} after the accepted offer")

    requests = _requests(log)
    h.check(len(requests) == 1, f"{len(requests)} requests to the update service")
    req = requests[0]
    h.check(req["method"] == "GET" and req["target"] == "/api.init.php", f"request line {req['raw'][:60]!r}")
    # User-Agent is the HTTP client's own.
    custom = [(name, value) for name, value in req["headers"]
              if name.lower().startswith("user-") and name.lower() != "user-agent"]
    names = [name for name, _ in custom]
    h.check(names == ["User-Version", "User-Language", "User-Debug", "User-Union"], f"custom headers {custom}")
    values = dict(custom)
    h.check(values["User-Version"] == _version(), f"User-Version {values['User-Version']!r}")
    h.check(values["User-Language"] == "ja", f"User-Language {values['User-Language']!r}")
    h.check(values["User-Debug"] == "false", f"User-Debug {values['User-Debug']!r}")
    union = values["User-Union"]
    h.check(len(union) == 32 and all(c in "0123456789ABCDEF" for c in union), f"User-Union {union!r}")
    stored = h.reg_query(r"HKCU\Software\Vantorel")
    h.check(stored and stored.get("VUID") == ("REG_SZ", union), f"stored identifier {stored}, sent {union}")


def case_notice_adds_status_strip(h):
    notice = "https://example.test/news"
    # The answer comes late, so the window is seen before and after.
    _update_service(h, [{"body": _answer(update="", notify=notice), "delay": 3}])
    h.fake_browser()
    h.start_app(lang=KOREAN)
    before = h.wait_window()
    width, height = before["rect"][2:]
    h.check(height == CLIENT_HEIGHT, f"client height {height} before the notice")

    def strip():
        return next((c for c in h.controls() if c["id"] == STRIP_ID and c["visible"]), None)
    bar = h.wait_until("the status strip", strip, timeout=20)
    h.check(bar["text"] == "업데이트 가능", f"strip reads {bar['text']!r}")
    after = h.wait_window()
    h.check(after["rect"][2:] == [width, height + STRIP_HEIGHT],
            f"client area {after['rect'][2:]}, expected {[width, height + STRIP_HEIGHT]}")
    h.check(bar["rect"] == [0, height, width, STRIP_HEIGHT], f"strip at {bar['rect']}")
    # The page above keeps its size.
    h.check(h.named()["PnlMain"]["rect"][3] == 374, f"body {h.named()['PnlMain']['rect']}")
    pixel = h.client_pixels()
    red = sum(1 for x in range(width) for y in range(height, height + STRIP_HEIGHT)
              if pixel(x, y)[0] > 160 and max(pixel(x, y)[1:]) < 100)
    h.check(red > 20, f"only {red} red text pixels in the strip")

    h.click(bar, "mouse")
    h.check(h.browser_urls(1) == [notice], f"strip click opened {h.browser_urls(1)}")


if __name__ == "__main__":
    sys.exit(harness.main())
