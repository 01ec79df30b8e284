// The status page's style sheet and script, part of the program: no framework, nothing fetched
// from elsewhere, a few kilobytes each.
#include "exporter/status_page.h"

const char kStatusPageCss[] = R"CSS(:root {
  color-scheme: light dark; --line: #8884; --ok: #2a7d2e; --warn: #b07b00; --bad: #c0392b;
}
body { font: 15px/1.4 system-ui, sans-serif; margin: 0 auto; padding: 1rem; max-width: 80rem; }
h1 { font-size: 1.3rem; margin: 0; }
header p { margin: .2rem 0 1rem; color: GrayText; }
main { display: grid; grid-template-columns: repeat(auto-fill, minmax(19rem, 1fr)); gap: 1rem; }
.card { border: 1px solid var(--line); border-radius: .5rem; padding: .8rem 1rem; }
.card h2 { font-size: 1.1rem; margin: 0; overflow-wrap: anywhere; }
.id { font-family: ui-monospace, monospace; font-size: .85rem; margin: .1rem 0; overflow-wrap: anywhere; }
.state { margin: .1rem 0 .5rem; color: var(--ok); font-weight: 600; }
.down .state { color: var(--bad); }
.why { margin: -.4rem 0 .5rem; font-size: .85rem; overflow-wrap: anywhere; }
.why:empty { display: none; }
.down dl, .down .figure, .down .quality, .down meter, .down .spark { opacity: .45; }
dl { display: grid; grid-template-columns: auto 1fr; gap: .1rem .8rem; margin: 0 0 .5rem; }
dt { color: GrayText; }
dd { margin: 0; overflow-wrap: anywhere; }
.figure { margin: .3rem 0 .2rem; font-size: 1.05rem; }
.grade.excellent, .grade.good { color: var(--ok); }
.grade.fair { color: var(--warn); }
.grade.poor { color: var(--bad); }
meter { width: 100%; height: 1rem; }
.quality { margin: .2rem 0; }
.spark { width: 100%; height: 3rem; border-bottom: 1px solid var(--line); }
.spark path {
  fill: none; stroke: currentColor; stroke-width: 1.5; stroke-linecap: round; vector-effect: non-scaling-stroke;
}
.age { margin: .2rem 0 0; color: GrayText; font-size: .85rem; }
@media (max-width: 600px) { main { grid-template-columns: 1fr; } body { padding: .5rem; } }
@media print {
  body { max-width: none; font-size: 11pt; }
  header a { color: inherit; text-decoration: none; }
  main { grid-template-columns: repeat(2, 1fr); }
  .card { break-inside: avoid; border-color: #000; }
}
)CSS";

// Fills the server's card markup (the <template>) from /api/v1/modems; textContent and
// setAttribute only, so a modem's text is never read as markup.
const char kStatusPageScript[] = R"JS("use strict";
(() => {
  const NONE = "\u2014";
  const main = document.getElementById("modems");
  const template = document.getElementById("card");
  const updated = document.getElementById("updated");
  const seconds = parseInt(document.body.dataset.interval, 10) || 15;
  const num = (v) => String(Math.round(v * 10) / 10);
  const withUnit = (v, unit) => (v === null || v === undefined ? NONE : num(v) + " " + unit);
  const text = (v) => (v === null || v === undefined || v === "" ? NONE : String(v));
  const since = (s) => {
    const whole = Math.floor(s);
    return whole < 60 ? whole + " s" : whole < 3600 ? Math.floor(whole / 60) + " min" : Math.floor(whole / 3600) + " h";
  };
  const sparkline = (history, signal) => {
    if (!signal || history.length === 0) return "";
    const step = history.length > 1 ? 240 / (history.length - 1) : 0;
    const span = signal.bar_high - signal.bar_low;
    let path = "", drawing = false;
    history.forEach((point, i) => {
      const v = point[signal.figure];
      if (v === null || v === undefined) { drawing = false; return; }
      const y = Math.min(40, Math.max(0, 40 * (signal.bar_high - v) / span));
      path += (drawing ? "L" : "M") + (step * i).toFixed(1) + "," + y.toFixed(1) + (drawing ? "" : "h0");
      drawing = true;
    });
    return path;
  };
  const fill = (card, m) => {
    const f = (name) => card.querySelector('[data-f="' + name + '"]');
    const radio = m.radio || {};
    const signal = m.signal;
    card.dataset.id = m.identity.id;
    card.classList.toggle("down", !m.up);
    f("model").textContent = text(m.model);
    f("id").textContent = text(m.identity.id);
    f("state").textContent = m.up ? "answers" : "not answering";
    f("port").textContent = text(m.port);
    f("usb").textContent = text(m.identity.usb_path);
    f("tech").textContent = text(m.technology);
    f("operator").textContent = text(m.operator);
    f("band").textContent = text(radio.band);
    f("pci").textContent = text(radio.pci);
    const nr = radio.nr;
    const leg = nr ? [nr.band === null ? null : "n" + nr.band, nr.pci === null ? null : "PCI " + nr.pci,
      nr.rsrp === null ? null : "RSRP " + num(nr.rsrp) + " dBm"].filter((part) => part !== null) : [];
    f("nr").textContent = leg.length ? leg.join(" \u00b7 ") : NONE;
    const carriers = radio.carriers;
    f("carriers").textContent = carriers ? carriers.length + (carriers.length ? ": " : "") + carriers.map((c) =>
      (c.rat === "NR" ? "n" : "B") + (c.band === null ? "?" : c.band)).join(", ") : NONE;
    f("why").textContent = !m.up && m.failure ? m.failure.split("\n")[0] : "";
    f("label").textContent = signal ? signal.label : "RSRP";
    f("value").textContent = signal ? withUnit(signal.value, signal.unit) : NONE;
    const grade = f("grade");
    grade.className = "grade" + (signal && signal.grade ? " " + signal.grade : "");
    grade.textContent = signal && signal.grade_word ? signal.grade_word : "";
    const bar = f("bar");
    if (signal) {
      bar.setAttribute("min", signal.bar_low);
      bar.setAttribute("max", signal.bar_high);
      bar.setAttribute("low", signal.fair_from);
      bar.setAttribute("high", signal.good_from);
      bar.setAttribute("optimum", signal.bar_high);
    }
    bar.setAttribute("value", signal ? signal.value : bar.getAttribute("min"));
    f("rsrq").textContent = withUnit(radio.rsrq, "dB");
    f("sinr").textContent = withUnit(radio.sinr, "dB");
    f("spark").setAttribute("d", sparkline(m.history, signal));
    const age = m.last_good_reading_age_seconds;
    f("age").textContent = age === null ? (m.up ? "" : "no answer yet")
      : (m.up ? "read " : "no answer; last one ") + since(age) + " ago";
  };
  const show = (modems) => {
    const cards = new Map();
    for (const card of main.querySelectorAll(".card")) cards.set(card.dataset.id, card);
    modems.forEach((m) => {
      let card = cards.get(m.identity.id);
      cards.delete(m.identity.id);
      if (!card) card = template.content.firstElementChild.cloneNode(true);
      fill(card, m);
      main.appendChild(card);
    });
    cards.forEach((card) => card.remove());
    document.getElementById("none").hidden = modems.length > 0;
    updated.textContent = modems.length + " modems, updated " + new Date().toLocaleTimeString();
  };
  const refresh = () => {
    fetch("/api/v1/modems", { cache: "no-store" })
      .then((answer) => (answer.ok ? answer.json() : Promise.reject(new Error(answer.status))))
      .then(show)
      .catch(() => { updated.textContent = "the exporter does not answer"; });
  };
  setInterval(refresh, seconds * 1000);
})();
)JS";
