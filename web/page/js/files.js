// The files read: one row each, analysed in turn with the page's choices; the chosen row's
// results are shown. Files are read in the page and never leave it.
import { core, keyName, profileKeyName } from './core.js';
import { outcomeText } from './results.js';

export class FileList {
  // onAnalysed(entry): after each analysis, which resets the page's one engine.
  constructor(table, onChosen, onAnalysed) {
    this.table = table;
    this.body = table.tBodies[0];
    this.onChosen = onChosen;
    this.onAnalysed = onAnalysed;
    this.entries = [];
    this.chosen = 0;
    this.generation = 0;
  }

  get current() {
    return this.entries[this.chosen] ?? null;
  }

  // New files replace the list; the first is shown as soon as it is analysed. Returns the
  // read's generation: another read or analysis since then makes it stale.
  async read(files, choices, notation) {
    const generation = ++this.generation;
    this.entries = [];
    this.chosen = 0;
    this.render(notation);
    for (const file of files) {
      const bytes = new Uint8Array(await file.arrayBuffer());
      if (generation !== this.generation) return generation;
      this.entries.push({ name: file.name, bytes, result: null, choices: null, ms: 0 });
    }
    await this.analyseAll(choices, notation, generation);
    return generation;
  }

  async reanalyse(choices, notation) {
    await this.analyseAll(choices, notation, ++this.generation);
  }

  async analyseAll(choices, notation, generation) {
    for (let i = 0; i < this.entries.length; ++i) {
      const entry = this.entries[i];
      const t0 = performance.now();
      entry.result = core().analyse(entry.bytes, choices, entry.name);
      entry.ms = performance.now() - t0;
      this.onAnalysed(entry);
      entry.choices = { ...choices };
      this.renderRow(i, notation);
      if (i === this.chosen) this.onChosen(entry);
      // Lets the page draw between files.
      await new Promise((resolve) => setTimeout(resolve, 0));
      if (generation !== this.generation) return;
    }
  }

  choose(index) {
    if (index < 0 || index >= this.entries.length) return;
    this.chosen = index;
    [...this.body.rows].forEach((row, i) => this.mark(row, i));
    this.onChosen(this.entries[index]);
  }

  // A table's rows take no selection; the row shown is the current one.
  mark(row, i) {
    if (i === this.chosen) row.setAttribute('aria-current', 'true');
    else row.removeAttribute('aria-current');
  }

  // The files read and those refused, once analysed.
  counts() {
    const refused = this.entries.filter((e) => e.result && e.result.refusal !== null).length;
    return { read: this.entries.length - refused, refused };
  }

  render(notation) {
    this.table.hidden = this.entries.length === 0;
    this.body.replaceChildren();
    this.entries.forEach((_, i) => this.renderRow(i, notation));
  }

  renderRow(i, notation) {
    const entry = this.entries[i];
    let row = this.body.rows[i];
    if (!row) {
      row = this.body.insertRow(i);
      row.tabIndex = 0;
      row.addEventListener('click', () => this.choose(i));
      row.addEventListener('keydown', (e) => {
        if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); this.choose(i); }
        if (e.key === 'ArrowDown') this.body.rows[i + 1]?.focus();
        if (e.key === 'ArrowUp') this.body.rows[i - 1]?.focus();
      });
    }
    this.table.hidden = false;
    this.mark(row, i);
    const r = entry.result;
    row.classList.toggle('refused', !!r && r.refusal !== null);
    const json = r ? JSON.parse(r.json) : null;
    const cells = [
      entry.name,
      !r ? 'reading…' : r.refusal !== null ? `Refused: ${r.refusal}` : r.keyCode > 0 ? keyName(r.keyCode, notation) : outcomeText(entry),
      r?.signature ?? '',
      json?.probability != null ? `${json.probability} %` : '',
      r?.profile && r.profile.keyCode > 0 ? profileKeyName(r.profile.keyCode, notation) : '',
    ];
    row.replaceChildren(...cells.map((text, c) => {
      const cell = document.createElement(c === 0 ? 'th' : 'td');
      if (c === 0) cell.scope = 'row';
      // A refusal wraps rather than push the other columns out of sight.
      if (c === 1 && r?.refusal != null) cell.className = 'reason';
      cell.textContent = text;
      return cell;
    }));
  }
}

// The command's JSON for the file: an array of one object, its keys sorted, four spaces.
export function commandJson(entry) {
  const object = { ...JSON.parse(entry.result.json), file: entry.name };
  const sorted = Object.fromEntries(Object.entries(object).sort(([a], [b]) => (a < b ? -1 : a > b ? 1 : 0)));
  return `${JSON.stringify([sorted], null, 4)}\n`;
}

export function download(name, blob) {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(blob);
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}
