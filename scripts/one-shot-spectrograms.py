#!/usr/bin/python3
"""Draws docs/one-shots.png: the spectrograms of sixteen one-shot sounds of
random patches, notes and velocities (a fixed seed), rendered by
quorlin.one_shots(), in a grid of four by four, each titled with its note
and its values.

Usage (after building the Python package, e.g. bash scripts/demo.sh):
    PYTHONPATH=build/python python3 scripts/one-shot-spectrograms.py [OUT.png]
"""
import sys
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import quorlin  # noqa: E402

ROOT = Path(__file__).resolve().parents[1]
RATE = 44100
NOTE_SECONDS, TAIL_SECONDS = 1.5, 0.5
SHAPES = ["square", "saw", "triangle"]


def shape_of(value):
    return SHAPES[0] if value < 0.33 else SHAPES[1] if value <= 0.66 else SHAPES[2]


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "docs" / "one-shots.png"
    rng = np.random.default_rng(16)
    params = rng.random((16, 8))
    params[:, [1, 3, 5]] *= 0.6  # attack, decay and release within the sound
    notes = rng.integers(36, 96, 16)
    velocities = rng.integers(60, 128, 16)
    sounds = quorlin.one_shots(params, notes, velocities, NOTE_SECONDS, TAIL_SECONDS, RATE)

    figure, axes = plt.subplots(4, 4, figsize=(12, 9), sharex=True, sharey=True)
    for index, axis in enumerate(axes.flat):
        axis.set_facecolor("black")  # silence, whose level has no logarithm
        with np.errstate(divide="ignore"):
                axis.specgram(sounds[index, 0], NFFT=1024, Fs=RATE, noverlap=768, cmap="magma", vmin=-140, vmax=-20,
                          scale="dB", mode="psd")
        axis.axvline(NOTE_SECONDS, color="white", linewidth=0.6, linestyle=":")
        axis.set_ylim(0, 12000)
        values = params[index]
        axis.set_title(f"{shape_of(values[0])}, note {notes[index]}, lowpass {values[6]:.2f}, "
                       f"resonance {values[7]:.2f}", fontsize=7.5)
    for axis in axes[-1]:
        axis.set_xlabel("seconds", fontsize=8)
    for axis in axes[:, 0]:
        axis.set_ylabel("Hz", fontsize=8)
    figure.suptitle("quorlin.one_shots(): sixteen random patches, each note released at the dotted line", fontsize=11)
    figure.tight_layout()
    figure.savefig(out, dpi=80)
    print(out)


if __name__ == "__main__":
    main()
