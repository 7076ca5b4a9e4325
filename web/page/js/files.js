// The files read as a table, one row each, from the page's state; the row of the entry shown
// is marked current. Files are read in the page and never leave it (actions.js reads them).
import { keyName, profileKeyName } from './core.js';
import { outcomeText } from './results.js';

export class FileTable {
  // onChoose(index): a row chosen by click or from the keyboard.
  constructor(table, onChoose) {
    this.table = table;
    this.body = table.tBodies[0];
    this.onChoose = onChoose;
  }

  // A table's rows take no selection; the row shown is the current one.
  mark(row, i, chosen) {
    if (i === chosen) row.setAttribute('aria-current', 'true');
    else row.removeAttribute('aria-current');
  }

  markAll(state) {
    [...this.body.rows].forEach((row, i) => this.mark(row, i, state.chosen));
  }

  render(state) {
    this.table.hidden = state.entries.length === 0;
    this.body.replaceChildren();
    state.entries.forEach((_, i) => this.renderRow(state, i));
  }

  renderRow(state, i) {
    const entry = state.entries[i], notation = state.notation;
    let row = this.body.rows[i];
    if (!row) {
      row = this.body.insertRow(i);
      row.tabIndex = 0;
      row.addEventListener('click', () => this.onChoose(i));
      row.addEventListener('keydown', (e) => {
        if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); this.onChoose(i); }
        if (e.key === 'ArrowDown') this.body.rows[i + 1]?.focus();
        if (e.key === 'ArrowUp') this.body.rows[i - 1]?.focus();
      });
    }
    this.table.hidden = false;
    this.mark(row, i, state.chosen);
    const r = entry.result;
    row.classList.toggle('refused', !!r && r.refusal !== null);
    const json = r ? JSON.parse(r.json) : null;
    const cells = [
      entry.name,
      !r ? 'reading…' : r.refusal !== null ? `Refused: ${r.refusal}` : r.keyCode > 0 ? keyName(r.keyCode, notation) : outcomeText(entry),
      r?.signature ?? '',
      json?.probability != null ? `${json.probability} %` : '',
      r?.profile && r.profile.keyCode > 0 ? profileKeyName(r.profile, notation) : '',
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
