// The mute boxes and what the mix leaves out. As in the window, the mix is kept across files:
// channels stay muted by number whether or not the file shown plays them, and what a file is
// analysed without is said beside its results and in the status line.

function channelWords(bits) {
  const numbers = [];
  for (let c = 0; c < 16; ++c) if ((bits >> c) & 1) numbers.push(String(c + 1));
  return `${numbers.length === 1 ? 'channel' : 'channels'} ${numbers.join(', ')}`;
}

// Bits of the channels the file's analysis found notes on.
export function usedChannels(result) {
  return (result?.channels ?? []).reduce((bits, c) => bits | (1 << (c.channel - 1)), 0);
}

// The window's note on the channels left out of the used ones, and the transposition; empty
// when the mix changes nothing.
export function mixNote(used, muted, transpose) {
  const notes = [];
  const left = used & muted;
  if (left && left === used) return 'Every channel muted: nothing is heard or analysed';
  if (left) notes.push(`Muted: ${channelWords(left)} (not heard or analysed)`);
  if (transpose) {
    const size = Math.abs(transpose);
    notes.push(`Transposed by ${transpose > 0 ? '+' : '−'}${size} semitone${size === 1 ? '' : 's'} (heard and analysed)`);
  }
  return notes.join('. ');
}

// The mix with channel (1 to 16) muted or heard.
export function muteChannel(muted, channel, on) {
  const bit = 1 << (channel - 1);
  return on ? muted | bit : muted & ~bit;
}

// The channels muted are the page's state (state.muted); the boxes show them.
export class MuteBoxes {
  // onToggle(channel, on): a box ticked (on) or cleared.
  constructor(box, onToggle) {
    this.box = box;
    this.shown = null;
    box.addEventListener('change', (e) => onToggle(Number(e.target.value), e.target.checked));
  }

  // The boxes of the file's channels. The same channels keep their boxes, so that a box ticked
  // from the keyboard keeps the focus when the analysis comes back.
  show(channels, muted) {
    const list = channels ?? [];
    const shown = list.map((c) => `${c.channel}: ${c.instrument}`).join('\n');
    if (shown !== this.shown) {
      this.shown = shown;
      const focused = this.box.contains(document.activeElement) ? document.activeElement.value : null;
      this.box.replaceChildren(this.box.querySelector('legend'), ...list.map((c) => {
        const label = document.createElement('label');
        const input = document.createElement('input');
        input.type = 'checkbox';
        input.value = String(c.channel);
        label.append(input, ` ${c.channel}: ${c.instrument}`);
        return label;
      }));
      if (focused !== null) this.box.querySelector(`input[value="${focused}"]`)?.focus();
    }
    for (const input of this.box.querySelectorAll('input'))
      input.checked = ((muted >> (Number(input.value) - 1)) & 1) === 1;
  }
}
