#!/usr/bin/env python3
"""The exporter's status page in a real browser (Debian's chromium-headless-shell) against
simulated modems, one simulator process each so that one can be stopped alone:

- with scripts off, the page as the server renders it already holds every modem's card with
  its figures and one SVG each;
- with scripts on (the browser driven over the DevTools protocol on a pipe), the same cards;
  a model text that is markup shows as text and runs nothing; no Content-Security-Policy
  violation, no script error; then, without a reload, a drifting modem's figure changes and
  a stopped modem's card says it no longer answers.

Waits for events with generous bounds, never for a fixed time. Everything on 127.0.0.1.
Exits 77 (skipped) where chromium-headless-shell is not installed.
  status-page-test.py VESMARIN-CLI MODEMSIM
"""
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

ROOT = os.path.realpath(os.path.join(os.path.dirname(__file__), "..", ".."))
BROWSER = shutil.which("chromium-headless-shell")
# As root, as CI runs, the browser's sandbox cannot start.
BROWSER_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--mute-audio"]


def fail(text):
    print("status-page-test: " + text, file=sys.stderr)
    sys.exit(1)


def wait_for(what, done, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = done()
        if value:
            return value
        time.sleep(0.25)
    value = done()
    if not value:
        fail("gave up waiting for " + what)
    return value


class Browser:
    """Chromium on --remote-debugging-pipe: JSON messages ending in a NUL byte, on fds 3 and 4."""

    def __init__(self, work):
        to_r, self.to_w = os.pipe()
        self.from_r, from_w = os.pipe()
        self.process = subprocess.Popen(
            ["bash", "-c", 'exec "$0" "$@" 3<&%d 4>&%d' % (to_r, from_w), BROWSER, *BROWSER_FLAGS,
             "--remote-debugging-pipe", "--user-data-dir=" + os.path.join(work, "profile"), "about:blank"],
            pass_fds=(to_r, from_w), start_new_session=True, stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "browser.log"), "w"))
        os.close(to_r)
        os.close(from_w)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.session = None

    def open(self, scripts):
        """A new tab, which the calls after it address; its events alone are kept."""
        self.session = None
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        self.events = []
        if not scripts:
            self.call("Emulation.setScriptExecutionDisabled", value=True)
        for domain in ("Runtime.enable", "Log.enable", "Page.enable"):
            self.call(domain)

    def loaded(self):
        self._drain()
        return any(event.get("method") == "Page.loadEventFired" and event.get("sessionId") == self.session
                   for event in self.events)

    def close(self):
        # The package's command is a shell script around the browser: its whole group goes.
        os.killpg(self.process.pid, signal.SIGKILL)
        self.process.wait()

    def _drain(self):
        """Keeps the events that arrived without a call."""
        while select.select([self.from_r], [], [], 0.05)[0]:
            chunk = os.read(self.from_r, 65536)
            if not chunk:
                fail("the browser ended")
            self.buffer += chunk
            while b"\0" in self.buffer:
                line, self.buffer = self.buffer.split(b"\0", 1)
                self.events.append(json.loads(line))

    def _message(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.from_r, 65536)
            if not chunk:
                fail("the browser ended")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(line)

    def call(self, method, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if self.session and not method.startswith("Target."):
            message["sessionId"] = self.session
        os.write(self.to_w, json.dumps(message).encode() + b"\0")
        while True:
            answer = self._message()
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    fail("%s: %s" % (method, answer["error"]))
                return answer["result"]
            self.events.append(answer)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        if "exceptionDetails" in result:
            fail("evaluating %s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def problems(self):
        """CSP violations, script errors and failed loads the page has met so far."""
        found = []
        for event in self.events:
            method = event.get("method")
            if method == "Runtime.exceptionThrown":
                found.append(event["params"]["exceptionDetails"].get("text"))
            elif method == "Log.entryAdded" and event["params"]["entry"]["level"] in ("error", "warning"):
                found.append(event["params"]["entry"]["text"])
        return found


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    cli, modemsim = sys.argv[1:]
    if BROWSER is None:
        print("status-page-test: skipped: chromium-headless-shell is not installed "
              "(scripts/install-deps.sh installs it)")
        return 77
    work = tempfile.mkdtemp()
    processes = []
    browser = None
    try:
        for folder in ("ports", "locks", "logs"):
            os.mkdir(os.path.join(work, folder))
        env = dict(os.environ, VESMARIN_PORTS=os.path.join(work, "ports"),
                   VESMARIN_LOCK_DIR=os.path.join(work, "locks"))
        profiles = os.path.join(ROOT, "tools", "modemsim", "profiles")
        modems = {
            5: os.path.join(profiles, "full-stick.profile"),
            8: os.path.join(profiles, "lte-drifting.profile"),
            9: os.path.join(profiles, "old-stick.profile"),
            3: os.path.join(ROOT, "tests", "cli", "profiles", "script-model.profile"),
        }
        simulators = {}
        for number, profile in modems.items():
            sim = subprocess.Popen([modemsim, "--ports", env["VESMARIN_PORTS"], "--log",
                                    os.path.join(work, "logs"), "%d=%s" % (number, profile)],
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
            processes.append(sim)
            simulators[number] = sim
            if sim.stdout.readline().strip() != b"ready":
                fail("simulator %d did not start" % number)
        serve = subprocess.Popen([cli, "serve", "--listen", "127.0.0.1:0", "--interval", "1", "--rescan", "30"],
                                 stdout=subprocess.PIPE, stderr=open(os.path.join(work, "serve.err"), "w"), env=env)
        processes.append(serve)
        found = re.search(rb"http://127\.0\.0\.1:(\d+)/", serve.stdout.readline())
        if not found:
            fail("serve printed no address")
        url = "http://127.0.0.1:%s/" % found.group(1).decode()

        def api():
            with urllib.request.urlopen(url + "api/v1/modems", timeout=10) as answer:
                return json.load(answer)

        def settled():
            modems_now = api()
            good = [m for m in modems_now if m["up"] and m["signal"] and len(m["history"]) >= 2]
            return modems_now if len(modems_now) == 4 and len(good) == 4 else None

        modems_read = wait_for("four modems read twice", settled, 150)
        ids = {m["identity"]["id"]: m for m in modems_read}
        lte = next(m for m in modems_read if m["signal"]["figure"] == "rsrp")["identity"]["id"]
        for wanted in ("imei:351111111111111", "imei:352222222222222", "imei:356666666666666"):
            if wanted not in ids:
                fail("no modem %s in %s" % (wanted, sorted(ids)))

        # The first paint, scripts off: the server's page alone, read through the DOM domain
        # (Runtime.evaluate is a script too).
        browser = Browser(work)
        browser.open(scripts=False)
        browser.call("Page.navigate", url=url)
        wait_for("the page without scripts to load", lambda: browser.loaded(), 60)
        root = browser.call("DOM.getDocument")["root"]["nodeId"]
        dom = browser.call("DOM.getOuterHTML", nodeId=root)["outerHTML"]
        cards = dom.split("<template")[0].split('<article class="card')[1:]
        if len(cards) != 4:
            fail("scripts off: %d cards, not 4:\n%s" % (len(cards), dom))
        # Every fifth reading of the drifting LTE stick has no measurement: its figure may be
        # unknown at any moment, the others' never.
        for card in cards:
            if card.count("<svg") != 1 or ' d="M' not in card:
                fail("scripts off: a card without its one SVG or its sparkline:\n" + card)
        with_value = [card for card in cards if re.search(r'data-f="value">-?\d+(\.\d)? dBm<', card)]
        if len(with_value) < 3:
            fail("scripts off: cards without their figure:\n" + dom)
        for needed in ("imei:351111111111111", ">E173<", "Zentra Mobile", "RSRP", "&lt;script&gt;window.pwned"):
            if needed not in dom:
                fail("scripts off: %r missing:\n%s" % (needed, dom))

        # The live page, scripts on.
        browser.open(scripts=True)
        browser.call("Page.navigate", url=url)
        wait_for("the page to load", lambda: browser.loaded(), 60)
        shown = browser.evaluate("""[...document.querySelectorAll('#modems .card')].map(card => ({
            id: card.querySelector('[data-f=id]').textContent,
            model: card.querySelector('[data-f=model]').textContent,
            value: card.querySelector('[data-f=value]').textContent,
            grade: card.querySelector('[data-f=grade]').textContent,
            svgs: card.querySelectorAll('svg').length,
            spark: card.querySelector('svg path').getAttribute('d')}))""")
        if sorted(card["id"] for card in shown) != sorted(ids):
            fail("cards %s, modems %s" % ([c["id"] for c in shown], sorted(ids)))
        for card in shown:
            unknown = card["value"] == "\u2014" or not card["grade"]
            if card["svgs"] != 1 or not card["spark"].startswith("M") or (unknown and card["id"] != lte):
                fail("a card without its figure, grade or sparkline: %s" % card)
        hostile = next(card for card in shown if card["id"] == "imei:356666666666666")
        if not hostile["model"].startswith("<script>window.pwned=1</script><img"):
            fail("the markup model is not shown as text: %r" % hostile["model"])
        if browser.evaluate("typeof window.pwned") != "undefined" or browser.evaluate(
                "document.querySelectorAll('img, #modems script').length") != 0:
            fail("the model text ran or made elements")

        # Live: the drifting stick's figure changes and a stopped stick says so, in the same
        # document (a reload would drop the mark).
        browser.evaluate("window.sameDocument = true")
        select = "document.querySelector('.card[data-id=\"%s\"] [data-f=%s]').textContent"
        first = browser.evaluate(select % (lte, "value"))
        wait_for("the LTE stick's figure to change",
                 lambda: browser.evaluate(select % (lte, "value")) not in (first, None), 60)
        simulators[9].terminate()
        simulators[9].wait()
        wait_for("the stopped stick's card to say so", lambda: browser.evaluate(
            select % ("imei:352222222222222", "state")) == "not answering", 90)
        if not browser.evaluate(select.replace("textContent", "getAttribute('d')") % ("imei:352222222222222", "spark")):
            fail("the stopped stick's card lost its history")
        if browser.evaluate("window.sameDocument") is not True:
            fail("the page reloaded")
        if browser.evaluate("document.querySelectorAll('#modems .card').length") != 4:
            fail("a card was dropped")
        problems = browser.problems()
        if problems:
            fail("the browser reported: %s" % problems)
        print("status-page-test: 4 cards, live updates, markup shown as text, no policy violation")
        return 0
    finally:
        if browser:
            browser.close()
        for process in reversed(processes):
            if process.poll() is None:
                process.terminate()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
