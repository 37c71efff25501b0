#!/usr/bin/env python3
"""Writes examples/demo.mid, Quorlin's demo song: "Eight Voices", about 31 s.

A minor, 92 beats per minute, slowing to 76 in the last bar. Chords under a
melody, a solo passage where the melody scoops, falls and sings with the
modulation wheel, volume and pan moves, and two closing bars whose chords take
all eight voices.

Quorlin has eight voices and no voice stealing: a note-on finds no voice while
eight are sounding or still releasing. So the parts are written on at most
eight lines, a line's note ends RELEASE + a margin before that line's next
note, and the script checks the voice count of the result. Pitch bend and
vibrato act on every sounding voice and every note-on clears both, so they are
used only where no other note starts.

Usage: scripts/make-demo-midi.py [OUT.mid]   (default: examples/demo.mid)
"""
import sys
from pathlib import Path

from smf import header, track

TICKS = 480  # per quarter note
BAR = 4 * TICKS
RELEASE = 0.15  # seconds: the release time examples/README recommends
MARGIN = 0.03  # seconds a released voice is given on top, so it is free again
TEMPO = [(0, 652174), (11 * BAR, 789474)]  # microseconds per quarter: 92, then 76 BPM
NOTE = {n: i for i, n in enumerate(["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"])}


def pitch(name):
    """'A4' -> 69."""
    return 12 * (int(name[-1]) + 1) + NOTE[name[:-1]]


def seconds(tick):
    total, last_tick, tempo = 0.0, 0, TEMPO[0][1]
    for change, value in TEMPO:
        if change >= tick:
            break
        total += (change - last_tick) * tempo / 1e6 / TICKS
        last_tick, tempo = change, value
    return total + (tick - last_tick) * tempo / 1e6 / TICKS


# Each line is a list of (start tick, length in ticks, note name, velocity).
def chord_line(chords, index, velocity):
    return [(start, length, notes[index], velocity) for start, length, notes in chords if index < len(notes)]


HARMONY = [  # bars 1-10: (start, length, notes low to high); the bass is the first note
    (0 * BAR, BAR, ["A2", "A3", "C4", "E4"]),
    (1 * BAR, BAR, ["F2", "A3", "C4", "F4"]),
    (2 * BAR, BAR, ["A2", "A3", "C4", "E4"]),
    (3 * BAR, BAR, ["F2", "A3", "C4", "F4"]),
    (4 * BAR, BAR, ["C3", "G3", "C4", "E4"]),
    (5 * BAR, BAR, ["G2", "G3", "B3", "D4"]),
    (6 * BAR, BAR, ["D3", "F3", "A3", "D4"]),
    (7 * BAR, BAR, ["E2", "G#3", "B3", "E4"]),
    (8 * BAR, 2 * TICKS, ["A2"]),  # the solo starts over a short bass note
]
CLOSE = [  # bars 11-12: every voice
    (10 * BAR, 2 * TICKS, ["F2", "C3", "F3", "A3", "C4", "F4", "A4", "C5"]),
    (10 * BAR + 2 * TICKS, 2 * TICKS, ["G2", "D3", "G3", "B3", "D4", "G4", "B4", "D5"]),
    (11 * BAR, BAR, ["A2", "E3", "A3", "C4", "E4", "A4", "C5", "E5"]),
]
q, e, h = TICKS, TICKS // 2, 2 * TICKS
MELODY = [  # (bar, beat offset in ticks, length, note); bars counted from 0
    (2, 0, q, "E5"), (2, q, e, "D5"), (2, q + e, e, "C5"), (2, 2 * q, q, "B4"), (2, 3 * q, q, "C5"),
    (3, 0, 3 * q, "A4"), (3, 3 * q, e, "G4"), (3, 3 * q + e, e, "A4"),
    (4, 0, q, "G4"), (4, q, q, "E5"), (4, 2 * q, e, "D5"), (4, 2 * q + e, e, "C5"), (4, 3 * q, q, "D5"),
    (5, 0, 3 * q, "B4"), (5, 3 * q, q, "G4"),
    (6, 0, q, "F5"), (6, q, e, "E5"), (6, q + e, e, "D5"), (6, 2 * q, q, "C5"), (6, 3 * q, q, "D5"),
    (7, 0, q, "B4"), (7, q, e, "C5"), (7, q + e, e, "B4"), (7, 2 * q, h, "G#4"),
    (8, 0, q, "A4"), (8, q, e, "C5"), (8, q + e, e, "D5"), (8, 2 * q, h, "E5"),  # solo
    (9, 0, e, "D5"), (9, e, e, "C5"), (9, q, 2 * q + e, "A4"),
]
melody = [(bar * BAR + offset, length, name, 96) for bar, offset, length, name in MELODY]

# The melody alternates between two lines so that its notes can sound legato;
# the last four lines sound only in the closing bars, where the melody rests.
LINES = [melody[0::2], melody[1::2], chord_line(HARMONY, 0, 84) + chord_line(CLOSE, 0, 80)]
LINES += [chord_line(HARMONY, i, 58) + chord_line(CLOSE, i, 60) for i in range(1, 4)]
LINES += [chord_line(CLOSE, i, 60) for i in range(4, 8)]


def ramp(controller, start, end, first, last, step=40):
    """Controller values moving in a straight line from first to last."""
    count = max(1, (end - start) // step)
    return [(start + i * (end - start) // count, controller, round(first + (last - first) * i / count))
            for i in range(count + 1)]


VOLUME, PAN, MOD = 7, 10, 1
VIBRATO = [  # (from, to, depth): delayed vibrato on long notes, ending before the next note-on
    (3 * BAR + q, 3 * BAR + 3 * q - 60, 30),      # the held A4 of bar 4
    (8 * BAR + 2 * q + e, 9 * BAR - 60, 40),      # the solo's E5
    (9 * BAR + q + e, 9 * BAR + 2 * q + e, 36),   # its last note
]
FALL = (9 * BAR + 2 * q + e, 9 * BAR + 3 * q + e)  # the last note falls off
SCOOP = (8 * BAR, 8 * BAR + e // 2)                # the solo's first note scoops up
SETTLED = 9 * BAR + 3 * q + e + 150                # the last solo note's release is over
CONTROLS = (ramp(VOLUME, 0, BAR, 30, 100) +
            ramp(PAN, 6 * BAR, 7 * BAR, 64, 34) + ramp(PAN, 7 * BAR, 8 * BAR, 34, 94) +
            ramp(PAN, 8 * BAR, 9 * BAR, 94, 64) +
            [event for begin, end, depth in VIBRATO for event in ramp(MOD, begin, end, 0, depth)] +
            [(end + 60, MOD, 0) for _, end, _ in VIBRATO[:1]] + [(SETTLED, MOD, 0)] +
            ramp(VOLUME, 11 * BAR + 2 * q, 12 * BAR, 100, 0))
# Quorlin clears bend and vibrato at every note-on; other instruments need them reset.
BENDS = ramp(None, *SCOOP, 40, 64, 30) + ramp(None, *FALL, 64, 22, 30) + [(SETTLED, None, 64)]


def note_events():
    events = []
    for line in LINES:
        line = sorted(line)
        for i, (start, length, name, velocity) in enumerate(line):
            end = start + length
            if i + 1 < len(line):  # free the voice before the line's next note
                next_start = line[i + 1][0]
                while seconds(next_start) - seconds(end) < RELEASE + MARGIN:
                    end -= 10
            assert end > start, f"note {name} at tick {start} has no room"
            events.append((start, 1, [0x90, pitch(name), velocity]))
            events.append((end, 0, [0x80, pitch(name), 0]))
    return events


def check_voices(events):
    """The instrument's own rule: a voice is busy from its note-on until its release has run out."""
    busy, most = [], 0
    for tick, kind, data in sorted(events):
        now = seconds(tick)
        busy = [(note, free) for note, free in busy if free is None or free > now]
        if kind == 1:
            assert len(busy) < 8, f"no free voice for note {data[1]} at tick {tick}"
            busy.append((data[1], None))
        else:
            held = next(i for i, (note, free) in enumerate(busy) if note == data[1] and free is None)
            busy[held] = (data[1], now + RELEASE + 1 / 44100)
        most = max(most, len(busy))
    assert most == 8, "the closing chords should take all eight voices"


def check_modulation(events):
    """No note starts while a bend or vibrato is under way: its note-on would clear it."""
    starts = sorted(tick for tick, kind, _ in events if kind == 1)
    for begin, end in [SCOOP, (FALL[0], SETTLED)] + [(begin, end) for begin, end, _ in VIBRATO]:
        assert not [t for t in starts if begin < t <= end], f"a note-on interrupts ticks {begin}-{end}"


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "examples" / "demo.mid"
    notes = note_events()
    check_voices(notes)
    check_modulation(notes)
    end = 12 * BAR + q
    title = b"Eight Voices"
    conductor = [(0, 0, [0xFF, 0x03, len(title)] + list(title)),
                 (0, 1, [0xFF, 0x58, 4, 4, 2, 24, 8])]  # 4/4
    conductor += [(tick, 2, [0xFF, 0x51, 3, tempo >> 16, (tempo >> 8) & 0xFF, tempo & 0xFF]) for tick, tempo in TEMPO]
    controls = [(tick, 0, [0xB0, controller, value]) for tick, controller, value in CONTROLS]
    bends = [(tick, 2, [0xE0, 0, value]) for tick, _, value in BENDS]
    # Note-offs before note-ons at the same tick; controllers after the notes they shape.
    tracks = [track(conductor, end), track(notes, end), track(controls + bends, end)]
    out.write_bytes(header(1, len(tracks), TICKS) + b"".join(tracks))
    print(f"{out}: {seconds(end):.1f} s, {sum(1 for _, kind, _ in notes if kind == 1)} notes")


if __name__ == "__main__":
    main()
