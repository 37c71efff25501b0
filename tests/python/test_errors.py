"""What goes wrong raises the exception a Python user expects, with
quorlin-host's one-line message, and changes nothing: the instrument keeps its
values and renders as before, and no file is left behind."""
import pytest

import quorlin
from conftest import BUILD, DEMO

LV2_FACTORY = "urn:quorlin:instrument:preset:warm-pad"

# (what is called, on the instrument and a scratch folder; the exception; a part of its message)
FAILURES = [
    (lambda synth, tmp: quorlin.Instrument(tmp / "missing.so"), FileNotFoundError, "cannot load the module"),
    (lambda synth, tmp: quorlin.Instrument(tmp / "missing.lv2"), FileNotFoundError, "no such LV2 bundle"),
    (lambda synth, tmp: quorlin.Instrument("urn:no:such:plugin"), quorlin.PluginError, "no LV2 plug-in of that URI"),
    (lambda synth, tmp: quorlin.Instrument(DEMO), quorlin.PluginError, "cannot load the module"),
    (lambda synth, tmp: quorlin.Instrument(BUILD / "tool_refusing_plugin.so"), quorlin.PluginError,
     "the plug-in refused to start"),
    (lambda synth, tmp: quorlin.Instrument(rate=5), ValueError, "rate needs a whole number from 1000 to 768000, not 5"),
    (lambda synth, tmp: quorlin.Instrument(block=0), ValueError, "block needs a whole number from 1 to 65536"),
    (lambda synth, tmp: quorlin.Instrument(rate=44100.0), TypeError, ""),
    (lambda synth, tmp: synth.set_parameters(lowpass=0.2, resonance=7), ValueError,
     "--param resonance=7: resonance (Resonance) takes 0 to 1"),
    (lambda synth, tmp: synth.set_parameters({"lowpass": 0.2, "cutoff": 0.5}), ValueError, "has no parameter 'cutoff'"),
    (lambda synth, tmp: synth.set_parameters(lowpass=float("nan")), ValueError, "--param lowpass=nan: not a finite"),
    (lambda synth, tmp: synth.set_parameters(lowpass="high"), TypeError, "lowpass needs a number"),
    (lambda synth, tmp: synth.load_preset(BUILD / "quorlin-factory.fxb"), ValueError,
     ".fxp and .fxb presets are VST 2's"),
    (lambda synth, tmp: synth.load_preset(LV2_FACTORY, program=1), ValueError, "which has no programs"),
    (lambda synth, tmp: quorlin.Instrument(BUILD / "quorlin.so").load_preset(tmp / "missing.fxb"), FileNotFoundError,
     "missing.fxb: cannot open"),
    (lambda synth, tmp: synth.save_preset(tmp / "state.fxp"), ValueError, "goes into a preset bundle NAME.preset.lv2"),
    (lambda synth, tmp: synth.save_preset(tmp / "no" / "state.preset.lv2"), ValueError, "state.preset.lv2"),
    (lambda synth, tmp: synth.render(tmp / "missing.mid"), FileNotFoundError, "missing.mid: cannot open"),
    (lambda synth, tmp: synth.render(BUILD / "quorlin.so"), ValueError, "quorlin.so: byte 0: not a Standard MIDI File"),
    (lambda synth, tmp: synth.render(notes=[(60, 100, 0, 1), (128, 100, 0, 1)]), ValueError,
     "notes[1]: note 128 is not from 0 to 127"),
    (lambda synth, tmp: synth.render(notes=[(60, 0, 0, 1)]), ValueError, "notes[0]: velocity 0 is not from 1 to 127"),
    (lambda synth, tmp: synth.render(notes=[(60.5, 100, 0, 1)]), ValueError, "notes[0]: its note needs a whole number"),
    (lambda synth, tmp: synth.render(notes=[(60, 100, -1, 1)]), ValueError,
     "notes[0]: its start needs a number of seconds from 0 to 86400, not -1"),
    (lambda synth, tmp: synth.render(notes=[(60, 100)]), TypeError, "notes[0] needs (note, velocity, start, duration)"),
    (lambda synth, tmp: synth.render(events=[(0.0, b"\xf0\x7e\xf7")]), ValueError,
     "events[0]: not a MIDI channel message"),
    (lambda synth, tmp: synth.render(events=[(0.0, b"\x90\x3c")]), ValueError, "events[0]: not a MIDI channel message"),
    (lambda synth, tmp: synth.render(DEMO, tail="soon"), ValueError, "tail needs a number of seconds or 'auto'"),
    (lambda synth, tmp: synth.render(DEMO, tail=3601), ValueError, "tail needs a number of seconds from 0 to 3600"),
    (lambda synth, tmp: synth.render(DEMO, seconds=1, tail=1), TypeError, "seconds= or tail=, not both"),
    (lambda synth, tmp: synth.render(), TypeError, "render() takes one song"),
]


@pytest.mark.parametrize("call, error, message", FAILURES,
                         ids=[f"{index}-{failure[1].__name__}" for index, failure in enumerate(FAILURES)])
def test_a_failure_raises_with_the_tools_message_and_changes_nothing(tmp_path, call, error, message):
    synth = quorlin.Instrument()
    synth.set_parameters(lowpass=0.4)
    values = synth.parameters
    before = synth.render(notes=[(60, 100, 0.0, 0.5)], seconds=1.0)
    with pytest.raises(error) as raised:
        call(synth, tmp_path)
    assert message in str(raised.value)
    assert synth.parameters == values
    assert synth.render(notes=[(60, 100, 0.0, 0.5)], seconds=1.0).tobytes() == before.tobytes()
    assert list(tmp_path.iterdir()) == []
