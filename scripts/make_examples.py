#!/usr/bin/env python3
"""Writes the example MIDI files in examples/ from public-domain tunes encoded below.

Each file is format 1 with a tempo track first and the music in the tracks after it, the
layout Tunedeck reads. Run it again after changing a tune: python3 scripts/make_examples.py
"""
import os
import re
import struct

TPQ = 480
NAMES = {'C': 0, 'D': 2, 'E': 4, 'F': 5, 'G': 7, 'A': 9, 'B': 11}


def pitch(name):
    """'C4' is middle C (60); '#' and 'b' after the letter raise or lower it."""
    pc = NAMES[name[0]]
    rest = name[1:]
    while rest and rest[0] in '#b':
        pc += 1 if rest[0] == '#' else -1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + pc


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def chunk(kind, body):
    return kind + struct.pack('>I', len(body)) + body


def track(events):
    """events: (tick, bytes) pairs; note-offs sort before note-ons at one tick."""
    body = b''
    now = 0
    for tick, data in sorted(events, key=lambda e: (e[0], e[1][0] & 0xF0 != 0x80)):
        body += vlq(tick - now) + data
        now = tick
    return chunk(b'MTrk', body + b'\x00\xff\x2f\x00')


def meta(kind, data):
    return bytes([0xFF, kind]) + vlq(len(data)) + data


def conductor(title, bpm, numerator, denominator_power):
    return [(0, meta(0x03, title.encode())),
            (0, meta(0x58, bytes([numerator, denominator_power, 24, 8]))),
            (0, meta(0x51, struct.pack('>I', 60000000 // bpm)[1:]))]


def part(name, channel, program, notes, velocity=80, start=0):
    """notes: (pitch name or None for a rest, length in eighths) pairs, or chords as lists."""
    events = [(0, meta(0x03, name.encode())), (0, bytes([0xC0 | channel, program]))]
    tick = start
    for item, eighths in notes:
        length = int(eighths * TPQ / 2)
        for n in ([] if item is None else item if isinstance(item, list) else [item]):
            key = pitch(n)
            events.append((tick, bytes([0x90 | channel, key, velocity])))
            events.append((tick + length - 10, bytes([0x80 | channel, key, 0])))
        tick += length
    return events


TOKEN = re.compile(r'\[([^\]]+)\]:([\d.]+)|(\S+?):([\d.]+)')


def parse(text):
    """'E4:2 F#4:1 -:2 [D3 A3]:4' -> notes: '-' is a rest, brackets hold a chord."""
    notes = []
    for chord, chord_length, single, single_length in re.findall(TOKEN, text):
        length = chord_length or single_length
        if chord:
            notes.append((chord.split(), float(length)))
        else:
            notes.append((None if single == '-' else single, float(length)))
    return notes


def transpose(notes, semitones):
    def shift(n):
        if n is None:
            return None
        if isinstance(n, list):
            return [shift(x) for x in n]
        key = pitch(n) + semitones
        return f'{["C","C#","D","D#","E","F","F#","G","G#","A","A#","B"][key % 12]}{key // 12 - 1}'
    return [(shift(n), d) for n, d in notes]


def write(path, title, bpm, meter, parts):
    numerator, power = meter
    tracks = [track(conductor(title, bpm, numerator, power))] + [track(p) for p in parts]
    header = chunk(b'MThd', struct.pack('>HHH', 1, len(tracks), TPQ))
    with open(path, 'wb') as f:
        f.write(header + b''.join(tracks))


# Beethoven, "Ode to Joy" (Symphony No. 9), in D major.
ODE = parse('''
F#4:2 F#4:2 G4:2 A4:2 A4:2 G4:2 F#4:2 E4:2 D4:2 D4:2 E4:2 F#4:2 F#4:3 E4:1 E4:4
F#4:2 F#4:2 G4:2 A4:2 A4:2 G4:2 F#4:2 E4:2 D4:2 D4:2 E4:2 F#4:2 E4:3 D4:1 D4:4
E4:2 E4:2 F#4:2 D4:2 E4:2 F#4:1 G4:1 F#4:2 D4:2 E4:2 F#4:1 G4:1 F#4:2 E4:2 D4:2 E4:2 A3:4
F#4:2 F#4:2 G4:2 A4:2 A4:2 G4:2 F#4:2 E4:2 D4:2 D4:2 E4:2 F#4:2 E4:3 D4:1 D4:4
''')
ODE_BASS = parse('''
[D3 F#3 A3]:8 [A2 C#3 E3]:4 [D3 F#3 A3]:4 [D3 F#3 A3]:4 [G2 B2 D3]:4 [A2 C#3 E3]:8
[D3 F#3 A3]:8 [A2 C#3 E3]:4 [D3 F#3 A3]:4 [G2 B2 D3]:4 [D3 F#3 A3]:2 [A2 C#3 E3]:2 [D3 F#3 A3]:8
[A2 C#3 E3]:4 [D3 F#3 A3]:4 [A2 C#3 E3]:4 [D3 F#3 A3]:4 [A2 C#3 E3]:4 [B2 D3 F#3]:4 [E3 G#3 B3]:4 [A2 C#3 E3]:4
[D3 F#3 A3]:8 [A2 C#3 E3]:4 [D3 F#3 A3]:4 [G2 B2 D3]:4 [D3 F#3 A3]:2 [A2 C#3 E3]:2 [D3 F#3 A3]:8
''')

# "Greensleeves" (traditional English), in A minor with its natural-minor F, 6/8.
GREEN = parse('''
A4:1 C5:2 D5:1 E5:1.5 F5:0.5 E5:1 D5:2 B4:1 G4:1.5 A4:0.5 B4:1 C5:2 A4:1 A4:1.5 G#4:0.5 A4:1
B4:2 G#4:1 E4:2 A4:1 C5:2 D5:1 E5:1.5 F5:0.5 E5:1 D5:2 B4:1 G4:1.5 A4:0.5 B4:1
C5:1.5 B4:0.5 A4:1 G#4:1.5 F4:0.5 G#4:1 A4:3 A4:2
G5:1 G5:3 G5:1.5 F5:0.5 E5:1 D5:2 B4:1 G4:1.5 A4:0.5 B4:1 C5:2 A4:1 A4:1.5 G#4:0.5 A4:1
B4:2 G#4:1 E4:3 G5:3 G5:1.5 F5:0.5 E5:1 D5:2 B4:1 G4:1.5 A4:0.5 B4:1
C5:1.5 B4:0.5 A4:1 G#4:1.5 F4:0.5 G#4:1 A4:3 A4:3
''')
GREEN_BASS = parse('''
-:1 [A2 E3 A3 C4]:6 [D3 A3 D4 F4]:6 [A2 E3 A3 C4]:6 [E2 B2 E3 G#3]:6
[A2 E3 A3 C4]:6 [D3 A3 D4 F4]:6 [A2 E3 A3 C4]:3 [E2 B2 E3 G#3]:3 [A2 E3 A3 C4]:5
[A2 E3 A3 C4]:6 [E2 B2 E3 G#3]:6 [A2 E3 A3 C4]:6 [E2 B2 E3 G#3]:6
[A2 E3 A3 C4]:6 [D3 A3 D4 F4]:6 [A2 E3 A3 C4]:3 [E2 B2 E3 G#3]:3 [A2 E3 A3 C4]:6
''')

# "Twinkle, Twinkle, Little Star" (traditional), in C major, then G major, then back to C.
TWINKLE = parse('''
C4:2 C4:2 G4:2 G4:2 A4:2 A4:2 G4:4 F4:2 F4:2 E4:2 E4:2 D4:2 D4:2 C4:4
G4:2 G4:2 F4:2 F4:2 E4:2 E4:2 D4:4 G4:2 G4:2 F4:2 F4:2 E4:2 E4:2 D4:4
C4:2 C4:2 G4:2 G4:2 A4:2 A4:2 G4:4 F4:2 F4:2 E4:2 E4:2 D4:2 D4:2 C4:4
''')
TWINKLE_BASS = parse('''
[C3 E3 G3]:8 [F3 A3 C4]:4 [C3 E3 G3]:4 [F3 A3 C4]:4 [C3 E3 G3]:4 [G2 B2 D3 F3]:4 [C3 E3 G3]:4
[C3 E3 G3]:4 [F3 A3 C4]:4 [C3 E3 G3]:4 [G2 B2 D3]:4 [C3 E3 G3]:4 [F3 A3 C4]:4 [C3 E3 G3]:4 [G2 B2 D3]:4
[C3 E3 G3]:8 [F3 A3 C4]:4 [C3 E3 G3]:4 [F3 A3 C4]:4 [C3 E3 G3]:4 [G2 B2 D3 F3]:4 [C3 E3 G3]:4
''')
DRUMS = parse(' '.join(['C2:2 F#2:2 D2:2 F#2:2'] * 36))


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'examples')
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, 'ode-to-joy.mid'), 'Ode to Joy', 112, (4, 2),
          [part('Melody', 0, 73, ODE, 90), part('Strings', 1, 48, ODE_BASS, 60)])
    write(os.path.join(out, 'greensleeves.mid'), 'Greensleeves', 80, (6, 3),
          [part('Melody', 0, 71, GREEN, 90), part('Guitar', 1, 24, GREEN_BASS, 60)])
    g = lambda notes: transpose(notes, 7)
    write(os.path.join(out, 'twinkle-modulating.mid'), 'Twinkle, Twinkle (C - G - C)', 120, (4, 2),
          [part('Melody', 0, 0, TWINKLE + g(TWINKLE) + TWINKLE, 90),
           part('Piano', 1, 0, TWINKLE_BASS + g(TWINKLE_BASS) + TWINKLE_BASS, 60),
           part('Drums', 9, 0, DRUMS, 70)])


if __name__ == '__main__':
    main()
