"""Instruments pickle as the arguments that made them and the preset and
values set, so other processes render exactly what this one does: through
pickle itself and through Dask workers on a LocalCluster of two processes."""
import os
import pickle

import distributed

import quorlin
from conftest import BUILD

NOTES = [(48, 100, 0.0, 0.75), (55, 90, 0.25, 0.5)]
VALUE_SETS = [{"waveform": waveform, "lowpass": lowpass} for waveform in (0.0, 0.5, 1.0) for lowpass in (0.2, 0.6)]


def test_a_pickled_instrument_renders_what_its_original_does():
    for synth in (quorlin.Instrument(rate=48000, block=64), quorlin.Instrument(BUILD / "quorlin.so")):
        synth.load_preset("urn:quorlin:instrument:preset:round-bass" if synth.path is None
                          else str(BUILD / "quorlin-factory.fxb"), None if synth.path is None else 3)
        synth.set_parameters({"resonance" if synth.path is None else "7": 0.5})
        copy = pickle.loads(pickle.dumps(synth))
        assert repr(copy) == repr(synth) and copy.parameters == synth.parameters
        assert copy.render(notes=NOTES, tail="auto").tobytes() == synth.render(notes=NOTES, tail="auto").tobytes()


def test_dask_workers_render_the_same_bits_as_this_process():
    synth = quorlin.Instrument()

    def render(instrument, values):  # a function of the test's own: Dask sends it by value
        instrument.set_parameters(values)
        return os.getpid(), instrument.render(notes=NOTES, seconds=1.5).tobytes()

    expected = [render(synth, values)[1] for values in VALUE_SETS]
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            results = client.gather(client.map(render, [synth] * len(VALUE_SETS), VALUE_SETS, pure=False))
    assert [audio for _, audio in results] == expected
    assert os.getpid() not in {process for process, _ in results}
