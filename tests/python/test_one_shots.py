"""one_shots(): every sound is, bit for bit, the Instrument's render of its
note with its values (Quorlin's LV2 bundle, and its VST 2 module); a bad argument raises ValueError naming its row and
column, or the argument, with nothing written; a memory-mapped .npy file
takes the sounds as an array does. Every comparison is exact."""
import numpy as np
import pytest

import quorlin
from conftest import BUILD

NAMES = ["waveform", "attack_time", "attack_level", "decay_time", "sustain_level", "release_time", "lowpass",
         "resonance"]
TIMES = [1, 3, 5]  # the columns in seconds


def random_patches(rng, count):
    """Values over the whole range, every waveform and its thresholds; times zero, a few samples, or long."""
    params = rng.random((count, 8))
    for column in TIMES:
        kind = rng.integers(0, 4, count)
        params[:, column] = np.select([kind == 0, kind == 1, kind == 2],
                                      [0.0, params[:, column] * 2e-4, params[:, column] * 0.05], params[:, column])
    thresholds = rng.choice([0.0, 0.33, 0.66, 1.0, np.nextafter(np.float32(0.33), 0)], count)
    params[:, 0] = np.where(rng.random(count) < 0.2, thresholds, params[:, 0])
    return params


def instrument_render(synth, names, values, note, velocity, note_seconds, tail_seconds):
    synth.set_parameters(dict(zip(names, map(float, values))))
    return synth.render(notes=[(int(note), int(velocity), 0, note_seconds)], seconds=note_seconds + tail_seconds)


# (rate, note_seconds, tail_seconds, channels, seed, sounds)
BATCHES = [(44100, 0.3, 0.25, 1, 1, 150), (96000, 0.2, 0.15, 2, 2, 150), (44100, 0.0, 0.1, 1, 3, 20)]


@pytest.mark.parametrize("rate, note_seconds, tail_seconds, channels, seed, count", BATCHES)
def test_every_sound_is_the_instruments_render_of_its_note(rate, note_seconds, tail_seconds, channels, seed, count):
    rng = np.random.default_rng(seed)
    params = random_patches(rng, count)
    notes = rng.integers(0, 128, count)
    velocities = rng.integers(1, 128, count)
    sounds = quorlin.one_shots(params, notes, velocities, note_seconds, tail_seconds, rate, channels)
    columns = {name: params[:, index] for index, name in enumerate(NAMES)}
    assert sounds.tobytes() == quorlin.one_shots(columns, notes, velocities, note_seconds, tail_seconds, rate,
                                                 channels, threads=1).tobytes()
    # Every sound through the LV2 bundle; every tenth through the VST 2 module too, its parameters by number.
    lv2, vst2 = quorlin.Instrument(rate=rate), quorlin.Instrument(BUILD / "quorlin.so", rate=rate)
    for i in range(count):
        for synth, names in [(lv2, NAMES)] + [(vst2, [str(p) for p in range(8)])] * (i % 10 == 0):
            expected = instrument_render(synth, names, params[i], notes[i], velocities[i], note_seconds, tail_seconds)
            assert sounds[i].tobytes() == expected[:channels].tobytes(), f"{synth} sound {i}: {params[i]} {notes[i]}"


SHAPE = (4, 1, 4410)  # four sounds of 0.05 + 0.05 s at 44.1 kHz
FAILURES = [
    ({"params": np.full((4, 8), 0.5) + np.eye(4, 8)}, "params row 0, column 0 (waveform) needs a number from 0 to 1, "
                                                      "not 1.5"),
    ({"params": np.where(np.eye(4, 8, 3) > 0, np.nan, 0.5)}, "params row 0, column 3 (decay_time) needs a number "
                                                               "from 0 to 1, not nan"),
    ({"params": np.full((4, 7), 0.5)}, "params needs an array of shape (N, 8) or a dict of columns, not one of "
                                        "shape (4, 7)"),
    ({"params": {"cutoff": np.zeros(4)}}, "params has no column named 'cutoff'"),
    ({"notes": [60, 128, 60, 60]}, "notes row 1 needs a whole number from 0 to 127, not 128"),
    ({"notes": [60, 60, 60.5, 60]}, "notes row 2 needs a whole number, not 60.5"),
    ({"notes": [60, 60]}, "notes needs one value, or one for each of the 4 sounds, not 2"),
    ({"velocities": 0}, "velocities needs a whole number from 1 to 127, not 0"),
    ({"note_seconds": -1.0}, "note_seconds needs a number of seconds from 0 to 86400, not -1"),
    ({"rate": 999}, "rate needs a whole number from 1000 to 768000, not 999"),
    ({"channels": 3}, "channels needs a whole number from 1 to 2, not 3"),
    ({"threads": 0}, "threads needs a whole number from 1 to 4096, not 0"),
    ({"out": np.full((4, 1, 10), 7, np.float32)}, "out needs shape (4, 1, 4410), not (4, 1, 10)"),
    ({"out": np.full(SHAPE, 7, np.float64)}, "out needs a float32 array, not float64"),
    ({"out": np.full((4, 1, 8820), 7, np.float32)[:, :, ::2]}, "out needs a C-contiguous array"),
]


@pytest.mark.parametrize("arguments, message", FAILURES, ids=[f"{i}" for i in range(len(FAILURES))])
def test_a_bad_argument_raises_value_error_naming_it_and_writes_nothing(arguments, message):
    call = {"params": np.full((4, 8), 0.5), "note_seconds": 0.05, "tail_seconds": 0.05,
            "out": np.full(SHAPE, 7, np.float32), **arguments}
    untouched = call["out"].copy()
    with pytest.raises(ValueError) as raised:
        quorlin.one_shots(**call)
    assert message in str(raised.value)
    assert call["out"].tobytes() == untouched.tobytes()


def test_a_memory_mapped_npy_file_takes_the_sounds_as_an_array_does(tmp_path):
    params = random_patches(np.random.default_rng(4), 40)
    expected = quorlin.one_shots(params, note_seconds=0.1, tail_seconds=0.1, channels=2)
    mapped = np.lib.format.open_memmap(tmp_path / "sounds.npy", mode="w+", dtype=np.float32, shape=expected.shape)
    assert quorlin.one_shots(params, note_seconds=0.1, tail_seconds=0.1, channels=2, out=mapped, threads=2) is mapped
    mapped.flush()
    del mapped
    assert np.load(tmp_path / "sounds.npy").tobytes() == expected.tobytes()
    assert quorlin.one_shots(np.zeros((0, 8))).shape == (0, 1, 176400)
