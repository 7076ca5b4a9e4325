// The page's General MIDI synthesizer: FluidSynth compiled for the web (js-synthesizer) on an
// AudioWorklet, with Debian's TimGM6mb soundfont copied beside the page. Loaded on the first
// play, since an AudioContext may only start after the user asks for sound.

let loading = null;

function loadScript(src) {
  return new Promise((resolve, reject) => {
    const s = document.createElement('script');
    s.src = src;
    s.onload = resolve;
    s.onerror = () => reject(new Error(`could not load ${src}`));
    document.head.append(s);
  });
}

export class Synth {
  constructor(context, synth) {
    this.context = context;
    this.synth = synth;
  }

  // The audio clock in ms.
  now() {
    return this.context.currentTime * 1000;
  }

  send(status, data1, data2) {
    const ch = status & 0x0f, s = this.synth;
    switch (status & 0xf0) {
      case 0x80: s.midiNoteOff(ch, data1); break;
      case 0x90: if (data2 > 0) s.midiNoteOn(ch, data1, data2); else s.midiNoteOff(ch, data1); break;
      case 0xa0: s.midiKeyPressure(ch, data1, data2); break;
      case 0xb0: s.midiControl(ch, data1, data2); break;
      case 0xc0: s.midiProgramChange(ch, data1); break;
      case 0xd0: s.midiChannelPressure(ch, data1); break;
      case 0xe0: s.midiPitchBend(ch, data1 | (data2 << 7)); break;
      default: break;
    }
  }

  allOff() {
    this.synth.midiAllNotesOff();
  }

  reset() {
    this.synth.midiAllSoundsOff();
    this.synth.midiSystemReset();
  }
}

// The synthesizer, or an Error saying why there is none (no Web Audio, no soundfont...).
export function loadSynth() {
  if (!loading) loading = start().catch((e) => { loading = null; throw e; });
  return loading;
}

async function start() {
  if (!window.AudioContext || !window.AudioWorkletNode) throw new Error('this browser has no AudioWorklet');
  const context = new AudioContext();
  const [font] = await Promise.all([
    fetch('sounds/TimGM6mb.sf2').then((r) => {
      if (!r.ok) throw new Error('the soundfont is missing from the page');
      return r.arrayBuffer();
    }),
    loadScript('vendor/js-synthesizer.min.js'),
    context.audioWorklet.addModule('vendor/libfluidsynth.js')
      .then(() => context.audioWorklet.addModule('vendor/js-synthesizer.worklet.min.js')),
  ]);
  const synth = new window.JSSynth.AudioWorkletNodeSynthesizer();
  synth.init(context.sampleRate);
  synth.createAudioNode(context).connect(context.destination);
  await synth.loadSFont(font);
  if (context.state !== 'running') await context.resume();
  return new Synth(context, synth);
}
