#!/usr/bin/env python3
"""Checks what a real host rendered with the instrument, using only the standard library.

  soundcheck.py midi MELODY OUT.mid
      Writes the melody as a standard MIDI file for `quorlin-host render`.
  soundcheck.py notes WAV (--melody MELODY | --lmms PROJECT.mmp) --tolerance-ms MS
      Finds each burst of sound in WAV and checks that its pitch, start and end
      match the expected notes.
  soundcheck.py compare WAV REFERENCE.wav --min-correlation R
      Aligns WAV to REFERENCE and checks their normalised correlation.

Each command prints what it measured and exits non-zero when a check fails.
"""

import argparse
import math
import struct
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / 'scripts'))
import smf  # noqa: E402

MELODY_BEATS_PER_MINUTE = 120.0
LMMS_TICKS_PER_BEAT = 48  # LMMS counts 192 ticks in a 4/4 bar
MIDI_TICKS_PER_BEAT = 480

# A semitone is about 5.9 %; one percent separates neighbouring notes safely
# while leaving room for the estimator's sub-sample error.
PITCH_TOLERANCE = 0.01
# Sound below this fraction of the file's peak counts as silence. The
# instrument's notes end without release, so the gaps between notes are
# digital silence and any small fraction separates them.
SILENCE_FRACTION = 0.02
# Near-zero samples inside a note (a waveform crossing zero) must not split it.
SHORTEST_GAP_SECONDS = 0.02


class Note:
    def __init__(self, start, end, pitch, velocity=None):
        self.start = start  # seconds
        self.end = end      # seconds
        self.pitch = pitch  # MIDI note number
        self.velocity = velocity

    def frequency(self):
        return 440.0 * 2.0 ** ((self.pitch - 69) / 12.0)


class CheckFailed(Exception):
    pass


# ---------------------------------------------------------------- expectations

def read_melody(path):
    """Notes of a melody file, 'start_beat length_beats note velocity' per line."""
    seconds_per_beat = 60.0 / MELODY_BEATS_PER_MINUTE
    notes = []
    with open(path) as melody:
        for number, line in enumerate(melody, 1):
            fields = line.split('#', 1)[0].split()
            if not fields:
                continue
            if len(fields) != 4:
                raise CheckFailed(f"{path}:{number}: expected 4 fields, found {len(fields)}")
            start, length = float(fields[0]), float(fields[1])
            notes.append(Note(start * seconds_per_beat, (start + length) * seconds_per_beat,
                              int(fields[2]), int(fields[3])))
    return notes


def read_lmms_project(path):
    """Notes an LMMS 1.2 song plays: the tempo from <head>, each pattern's
    notes offset by the pattern's position. LMMS hands a MIDI instrument its
    note key unchanged as the MIDI note number."""
    root = ElementTree.parse(path).getroot()
    seconds_per_tick = 60.0 / float(root.find('head').get('bpm')) / LMMS_TICKS_PER_BEAT
    notes = []
    for pattern in root.iter('pattern'):
        offset = int(pattern.get('pos'))
        for note in pattern.iter('note'):
            start = offset + int(note.get('pos'))
            notes.append(Note(start * seconds_per_tick,
                              (start + int(note.get('len'))) * seconds_per_tick,
                              int(note.get('key'))))
    return sorted(notes, key=lambda note: note.start)


# ---------------------------------------------------------------- files

def read_wav(path):
    """Sample rate and one list of floats per channel, for PCM 16/24/32-bit and
    32-bit float WAV files."""
    with open(path, 'rb') as wav:
        data = wav.read()
    if len(data) < 12 or data[0:4] != b'RIFF' or data[8:12] != b'WAVE':
        raise CheckFailed(f"{path}: not a RIFF WAVE file")
    layout = None
    frames = None
    position = 12
    while position + 8 <= len(data):
        chunk_id, size = struct.unpack_from('<4sI', data, position)
        body = data[position + 8: position + 8 + size]
        if chunk_id == b'fmt ':
            fmt, channels, rate = struct.unpack_from('<HHI', body, 0)
            bits = struct.unpack_from('<H', body, 14)[0]
            if fmt == 0xFFFE:  # WAVE_FORMAT_EXTENSIBLE: the real tag opens the sub-format GUID
                fmt = struct.unpack_from('<H', body, 24)[0]
            layout = (fmt, channels, rate, bits)
        elif chunk_id == b'data':
            frames = body
        position += 8 + size + (size & 1)
    if layout is None or frames is None:
        raise CheckFailed(f"{path}: no fmt or data chunk")
    fmt, channels, rate, bits = layout
    if fmt == 3 and bits == 32:
        values = struct.unpack(f'<{len(frames) // 4}f', frames[:len(frames) // 4 * 4])
    elif fmt == 1 and bits == 16:
        values = [v / 32768.0 for v in struct.unpack(f'<{len(frames) // 2}h', frames[:len(frames) // 2 * 2])]
    elif fmt == 1 and bits == 32:
        values = [v / 2147483648.0 for v in struct.unpack(f'<{len(frames) // 4}i', frames[:len(frames) // 4 * 4])]
    elif fmt == 1 and bits == 24:
        values = [int.from_bytes(frames[i:i + 3], 'little', signed=True) / 8388608.0
                  for i in range(0, len(frames) - 2, 3)]
    else:
        raise CheckFailed(f"{path}: unsupported WAV format {fmt} with {bits} bits")
    frame_count = len(values) // channels
    return rate, [list(values[c:frame_count * channels:channels]) for c in range(channels)]


def write_midi(notes, path):
    """A format-0 standard MIDI file at the melody's tempo, channel 1."""
    seconds_per_tick = 60.0 / MELODY_BEATS_PER_MINUTE / MIDI_TICKS_PER_BEAT
    microseconds_per_beat = round(60e6 / MELODY_BEATS_PER_MINUTE)
    events = [(0, -1, [0xFF, 0x51, 3] + list(microseconds_per_beat.to_bytes(3, 'big')))]
    for note in notes:
        events.append((round(note.start / seconds_per_tick), 1, [0x90, note.pitch, note.velocity]))
        events.append((round(note.end / seconds_per_tick), 0, [0x80, note.pitch, 0]))  # offs first at equal times
    end = max(tick for tick, _, _ in events)
    with open(path, 'wb') as midi:
        midi.write(smf.header(0, 1, MIDI_TICKS_PER_BEAT) + smf.track(events, end))


# ---------------------------------------------------------------- analysis

def mono(channels):
    return [sum(frame) for frame in zip(*channels)]


def find_bursts(samples, rate):
    """(first, last) sample indices of each stretch of sound."""
    peak = max((abs(v) for v in samples), default=0.0)
    if peak == 0.0:
        return []
    threshold = peak * SILENCE_FRACTION
    shortest_gap = int(SHORTEST_GAP_SECONDS * rate)
    bursts = []
    for index, value in enumerate(samples):
        if abs(value) <= threshold:
            continue
        if bursts and index - bursts[-1][1] <= shortest_gap:
            bursts[-1][1] = index
        else:
            bursts.append([index, index])
    return [tuple(burst) for burst in bursts]


def estimate_frequency(samples, rate):
    """Fundamental frequency of a steady stretch, or None when it has no clear one.

    A near-Nyquist resonance can ring after each edge of the waveform, so the
    stretch is first smoothed with two two-tap averages (zeros at Nyquist);
    then upward zero crossings of the result, interpolated between samples,
    give the period, which must also be where the stretch best repeats itself."""
    smooth = [(samples[i] + 2.0 * samples[i + 1] + samples[i + 2]) * 0.25
              for i in range(len(samples) - 2)]
    mean = sum(smooth) / len(smooth)
    smooth = [v - mean for v in smooth]
    level = math.sqrt(sum(v * v for v in smooth) / len(smooth))
    if level == 0.0:
        return None
    # Hysteresis: a crossing counts only after the signal was clearly negative.
    armed = False
    crossings = []
    for i in range(1, len(smooth)):
        if smooth[i] < -0.2 * level:
            armed = True
        elif armed and smooth[i - 1] < 0.0 <= smooth[i]:
            crossings.append(i - 1 + smooth[i - 1] / (smooth[i - 1] - smooth[i]))
            armed = False
    if len(crossings) < 4:
        return None
    intervals = sorted(b - a for a, b in zip(crossings, crossings[1:]))
    median = intervals[len(intervals) // 2]
    if any(abs(interval - median) > 0.1 * median for interval in intervals):
        return None
    period = (crossings[-1] - crossings[0]) / (len(crossings) - 1)
    lag = round(period)
    if repetition(smooth, lag) < 0.9 or repetition(smooth, round(period / 2)) > repetition(smooth, lag) - 0.1:
        return None
    return rate / period


def repetition(samples, lag):
    """Normalised correlation of a stretch with itself shifted by lag samples."""
    a, b = samples[:-lag], samples[lag:]
    energy = math.sqrt(sum(x * x for x in a) * sum(y * y for y in b))
    return sum(x * y for x, y in zip(a, b)) / energy if energy else 0.0


def check_notes(wav_path, expected, tolerance_seconds):
    rate, channels = read_wav(wav_path)
    samples = mono(channels)
    bursts = find_bursts(samples, rate)
    print(f"{wav_path}: {rate} Hz, {len(samples) / rate:.3f} s, {len(bursts)} bursts of sound, "
          f"{len(expected)} notes expected")
    failures = []
    if not bursts:
        failures.append("the file is silent")
    elif len(bursts) != len(expected):
        failures.append(f"{len(bursts)} bursts of sound instead of {len(expected)}")
    for number, (note, (first, last)) in enumerate(zip(expected, bursts), 1):
        start, end = first / rate, (last + 1) / rate
        # Measure the middle of the burst, clear of its edges.
        margin = (last - first) // 5
        frequency = estimate_frequency(samples[first + margin: last - margin], rate)
        shown = f"{frequency:8.2f} Hz" if frequency else "no pitch"
        print(f"  note {number}: expected {note.pitch:3d} ({note.frequency():8.2f} Hz) "
              f"{note.start:7.3f}-{note.end:7.3f} s; measured {shown} {start:7.3f}-{end:7.3f} s")
        if frequency is None or abs(frequency / note.frequency() - 1.0) > PITCH_TOLERANCE:
            failures.append(f"note {number}: wrong or no pitch")
        if abs(start - note.start) > tolerance_seconds or abs(end - note.end) > tolerance_seconds:
            failures.append(f"note {number}: starts or ends off time by more than "
                            f"{tolerance_seconds * 1000:g} ms")
    return failures


def first_sound(samples):
    peak = max((abs(v) for v in samples), default=0.0)
    return next((i for i, v in enumerate(samples) if abs(v) > peak * SILENCE_FRACTION), None)


def compare(wav_path, reference_path, min_correlation):
    rate, channels = read_wav(wav_path)
    reference_rate, reference = read_wav(reference_path)
    failures = []
    if rate != reference_rate or len(channels) != len(reference):
        return [f"{rate} Hz x {len(channels)} channels against the reference's "
                f"{reference_rate} Hz x {len(reference)}"]
    onset, reference_onset = first_sound(mono(channels)), first_sound(mono(reference))
    if onset is None or reference_onset is None:
        return ["one of the files is silent"]
    # The onsets give the offset to a few samples; the best correlation over
    # the first 0.3 s then pins it down.
    window = int(0.3 * rate)
    guess = onset - reference_onset

    def correlation(offset, length):
        dot = energy = reference_energy = 0.0
        for channel, reference_channel in zip(channels, reference):
            begin = max(0, -offset)
            end = min(len(reference_channel), len(channel) - offset, begin + length)
            for i in range(begin, end):
                a, b = channel[i + offset], reference_channel[i]
                dot += a * b
                energy += a * a
                reference_energy += b * b
        if energy == 0.0 or reference_energy == 0.0:
            return 0.0, 0.0
        return dot / math.sqrt(energy * reference_energy), math.sqrt(energy / reference_energy)

    near = range(guess - 32, guess + 33)
    offset = max(near, key=lambda o: correlation(o, reference_onset + window)[0])
    value, gain = correlation(offset, max(len(ch) for ch in reference))
    print(f"{wav_path} against {reference_path}: offset {offset} samples "
          f"({offset / rate * 1000:.2f} ms), level ratio {gain:.4f}, "
          f"normalised correlation {value:.6f}")
    if value < min_correlation:
        failures.append(f"normalised correlation {value:.6f} below {min_correlation}")
    return failures


# ---------------------------------------------------------------- command line

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest='command', required=True)
    midi = commands.add_parser('midi')
    midi.add_argument('melody')
    midi.add_argument('out')
    notes = commands.add_parser('notes')
    notes.add_argument('wav')
    source = notes.add_mutually_exclusive_group(required=True)
    source.add_argument('--melody')
    source.add_argument('--lmms')
    notes.add_argument('--tolerance-ms', type=float, required=True)
    comparison = commands.add_parser('compare')
    comparison.add_argument('wav')
    comparison.add_argument('reference')
    comparison.add_argument('--min-correlation', type=float, required=True)
    args = parser.parse_args()

    try:
        if args.command == 'midi':
            write_midi(read_melody(args.melody), args.out)
            return 0
        if args.command == 'notes':
            expected = read_melody(args.melody) if args.melody else read_lmms_project(args.lmms)
            failures = check_notes(args.wav, expected, args.tolerance_ms / 1000.0)
        else:
            failures = compare(args.wav, args.reference, args.min_correlation)
    except (OSError, CheckFailed, ElementTree.ParseError) as error:
        print(f"soundcheck: {error}", file=sys.stderr)
        return 2
    for failure in failures:
        print(f"  failed: {failure}")
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
