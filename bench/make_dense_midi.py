#!/usr/bin/env python3
"""Writes bench/dense.mid, the file bench/compare renders: 60 seconds that keep
all eight of Quorlin's voices busy.

120 beats per minute, a new eight-note chord on every beat, each note held
until one tick before the next beat (Quorlin has no voice stealing, and with
its default program's zero release a released voice is free again after one
sample). After each chord's note-ons, which clear bend and vibrato in Quorlin,
the beat gets the mod wheel (vibrato) and a pitch bend that swings up and
down in steps of 30 ticks. Volume and pan are left alone.

Usage: bench/make_dense_midi.py [OUT.mid]   (default: bench/dense.mid beside this script)
"""
import math
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "scripts"))
from smf import header, track  # noqa: E402

TICKS = 480        # per quarter note, one beat
TEMPO = 500000     # microseconds per quarter: 120 BPM
BEATS = 120        # 60 seconds
BEND_STEP = 30     # ticks between pitch-bend messages
VOICES = 8

# Chord roots wander through a cycle of fifths; every chord is spread over
# three octaves so that the eight voices play eight different pitches.
ROOTS = [36, 43, 38, 45, 40, 47, 42, 37, 44, 39, 46, 41]
SHAPE = [0, 7, 12, 16, 19, 24, 28, 31]


def chord(beat):
    root = ROOTS[beat % len(ROOTS)]
    return [root + interval for interval in SHAPE]


def beat_events(beat):
    """(tick, order, bytes) for one beat; at equal ticks lower order comes first."""
    start, end = beat * TICKS, (beat + 1) * TICKS - 1
    notes = chord(beat)
    velocity = 70 + (beat * 7) % 50
    events = [(start, 1, [0x90, note, velocity]) for note in notes]
    events += [(end, 0, [0x80, note, 0]) for note in notes]
    events.append((start, 2, [0xB0, 1, 40 + (beat * 13) % 88]))  # mod wheel after the note-ons
    for tick in range(start, end, BEND_STEP):
        swing = math.sin(2 * math.pi * (tick - start) / TICKS)
        events.append((tick, 3, [0xE0, 0, 64 + round(60 * swing)]))
    return events


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent / "dense.mid"
    events = [(0, 0, [0xFF, 0x51, 3, TEMPO >> 16, (TEMPO >> 8) & 0xFF, TEMPO & 0xFF])]
    for beat in range(BEATS):
        events += beat_events(beat)
    # Ends at exactly 60 s.
    out.write_bytes(header(0, 1, TICKS) + track(events, BEATS * TICKS))
    notes = sum(1 for _, _, payload in events if payload[0] == 0x90)
    print(f"{out}: {BEATS * TEMPO / 1e6:.0f} s, {notes} notes, {len(events)} events")


if __name__ == "__main__":
    main()
