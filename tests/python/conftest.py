"""What the tests of the package quorlin share: where the build is, and
quorlin-host's renders read back as arrays to hold Python's against.

Run with the build's package first on the path, as scripts/test.sh does:
    PYTHONPATH=build/python /usr/bin/python3 -m pytest tests/python
"""
import struct
import subprocess
import sys
from pathlib import Path

import numpy as np

ROOT = Path(__file__).resolve().parents[2]
BUILD = ROOT / "build"
HOST = BUILD / "quorlin-host"
DEMO = ROOT / "examples" / "demo.mid"
sys.path.insert(0, str(ROOT / "scripts"))
import smf  # noqa: E402  (the project's MIDI file writer)

TICKS_PER_SECOND = 960  # 480 a quarter note at 120 beats a minute


def wav_samples(path):
    """A 32-bit float WAV file's samples, shaped (channels, frames) as render() gives them."""
    data = Path(path).read_bytes()
    channels = struct.unpack_from("<H", data, data.index(b"fmt ") + 10)[0]
    start = data.index(b"data")
    size = struct.unpack_from("<I", data, start + 4)[0]
    samples = np.frombuffer(data, dtype="<f4", count=size // 4, offset=start + 8)
    return np.ascontiguousarray(samples.reshape(-1, channels).T)


def host_render(tmp_path, *arguments):
    """quorlin-host render ARGUMENTS... into a WAV file, read back."""
    out = tmp_path / "host.wav"
    subprocess.run([str(HOST), "render", "--quiet", *map(str, arguments), str(out)], check=True)
    return wav_samples(out)


def write_song(path, notes, end_seconds):
    """A MIDI file of (note, velocity, start, duration) notes whose times fall on its ticks."""
    events = []
    for note, velocity, start, duration in notes:
        events.append((round(start * TICKS_PER_SECOND), 1, [0x90, note, velocity]))
        events.append((round((start + duration) * TICKS_PER_SECOND), 0, [0x80, note, 64]))
    path.write_bytes(smf.header(0, 1, 480) + smf.track(events, round(end_seconds * TICKS_PER_SECOND)))
    return path
