"""Renders: the same samples as quorlin-host's, bit for bit, whatever came
before them and on whatever thread. Every comparison is exact (the float32
samples of the WAV file against the array's); nothing here is a tolerance."""
import os
import random
import signal
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import quorlin
from conftest import BUILD, DEMO, host_render, write_song

# The demo's values (examples/README) by the LV2 ports' names.
DEMO_VALUES = {"waveform": 0.5, "attack_time": 0.01, "attack_level": 0.26, "decay_time": 0.25,
               "sustain_level": 0.15, "release_time": 0.15, "lowpass": 0.18, "resonance": 0.35}
DEMO_PARAMS = [f"--param={name}={value}" for name, value in DEMO_VALUES.items()]
NOTES = [(60, 100, 0.0, 1.5), (64, 90, 0.5, 1.0), (67, 80, 1.5, 0.25), (60, 70, 1.5, 0.5)]
SYNTHV1 = "/usr/lib/lv2/synthv1.lv2"
LV2 = ["--plugin", BUILD / "quorlin.lv2"]


def events_of(notes):
    """The notes as (time, message) pairs, ends before starts at one time, as the MIDI file has them."""
    timed = [(start + length, 0, bytes([0x80, note, 64])) for note, _, start, length in notes]
    timed += [(start, 1, bytes([0x90, note, velocity])) for note, velocity, start, _ in notes]
    return [(time, message) for time, _, message in sorted(timed, key=lambda event: event[:2])]


def song(tmp_path):
    return write_song(tmp_path / "notes.mid", NOTES, 2.0)


# (name, Instrument arguments, what is set first, render arguments, quorlin-host arguments)
CASES = [
    ("Quorlin, demo values, blocks of 100", {"block": 100}, {"values": DEMO_VALUES},
     lambda tmp: {"song": DEMO}, lambda tmp: [*LV2, "--block", "100", *DEMO_PARAMS, DEMO]),
    ("Quorlin at 96 kHz, tail until quiet", {"rate": 96000}, {"values": {"lowpass": 0.3}},
     lambda tmp: {"song": DEMO, "tail": "auto"}, lambda tmp: [*LV2, "--rate", "96000", "--param", "lowpass=0.3",
                                                            "--tail", "auto", DEMO]),
    ("notes, to a length in seconds", {}, {}, lambda tmp: {"notes": NOTES, "seconds": 3.0},
     lambda tmp: [*LV2, song(tmp)]),
    ("MIDI messages, to a length in seconds", {}, {}, lambda tmp: {"events": events_of(NOTES), "seconds": 3.0},
     lambda tmp: [*LV2, song(tmp)]),
    ("an LV2 preset", {}, {"preset": ("urn:quorlin:instrument:preset:warm-pad", None)},
     lambda tmp: {"song": DEMO, "tail": 0.5},
     lambda tmp: [*LV2, "--preset", "urn:quorlin:instrument:preset:warm-pad", "--tail", "0.5", DEMO]),
    ("the VST 2 module, a bank's program and a value by number", {"path": BUILD / "quorlin.so"},
     {"preset": (BUILD / "quorlin-factory.fxb", 2), "values": {"6": 0.3}}, lambda tmp: {"song": DEMO},
     lambda tmp: ["--plugin", BUILD / "quorlin.so", "--preset", BUILD / "quorlin-factory.fxb", "--program", "2",
                  "--param", "6=0.3", DEMO]),
    ("synthv1, a Debian LV2 synthesizer", {"path": SYNTHV1}, {"values": {"DCF1_CUTOFF": 0.3}},
     lambda tmp: {"notes": NOTES, "seconds": 3.0},
     lambda tmp: ["--plugin", SYNTHV1, "--param", "DCF1_CUTOFF=0.3", song(tmp)]),
]


@pytest.mark.parametrize("arguments, settings, render, host", [case[1:] for case in CASES],
                         ids=[case[0] for case in CASES])
def test_a_render_is_quorlin_hosts_bit_for_bit(tmp_path, arguments, settings, render, host):
    synth = quorlin.Instrument(**arguments)
    if "preset" in settings:
        synth.load_preset(*settings["preset"])
    synth.set_parameters(settings.get("values", {}))
    audio = synth.render(**render(tmp_path))
    assert audio.dtype == np.float32 and audio.flags.c_contiguous
    expected = host_render(tmp_path, *host(tmp_path))
    assert audio.shape == expected.shape
    assert audio.tobytes() == expected.tobytes()


def test_renders_are_the_same_in_any_order_and_on_any_thread():
    chance = random.Random(30)
    values = [{"waveform": chance.choice([0.0, 0.5, 1.0]), "lowpass": chance.random(), "resonance": chance.random(),
               "release_time": chance.random() * 0.2} for _ in range(8)]

    def render(synth, index):
        synth.set_parameters(values[index])
        return synth.render(notes=NOTES, tail=0.5).tobytes()

    alone = [render(quorlin.Instrument(), index) for index in range(len(values))]
    order = list(range(len(values)))
    chance.shuffle(order)
    synth = quorlin.Instrument()
    assert [render(synth, index) for index in order] == [alone[index] for index in order]
    # Two instruments on two threads; then one shared by both threads, rendering at once.
    with ThreadPoolExecutor(2) as pool:
        assert list(pool.map(lambda index: render(quorlin.Instrument(), index), order)) == [alone[i] for i in order]
        shared = quorlin.Instrument()
        shared.set_parameters(values[0])
        renders = pool.map(lambda _: shared.render(notes=NOTES, tail=0.5).tobytes(), range(8))
        assert set(renders) == {alone[0]}


def test_ctrl_c_stops_a_long_render_and_leaves_the_instrument_usable():
    synth = quorlin.Instrument(rate=1000, block=1)  # a day of audio a frame at a time: minutes of work
    before = synth.render(notes=NOTES, seconds=3.0)
    # A shell starts a background job with SIGINT ignored, and Python keeps it so: ask for Python's own handler.
    previous = signal.signal(signal.SIGINT, signal.default_int_handler)
    try:
        threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT)).start()
        started = time.monotonic()
        with pytest.raises(KeyboardInterrupt):
            synth.render(notes=NOTES, seconds=86400.0)
        assert time.monotonic() - started < 30
    finally:
        signal.signal(signal.SIGINT, previous)
    assert synth.render(notes=NOTES, seconds=3.0).tobytes() == before.tobytes()
