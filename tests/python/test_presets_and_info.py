"""info() is `quorlin-host info --json` read as a dict, and Instrument's
parameters go by the names it lists; a saved preset brings back what was set."""
import json
import subprocess

import pytest

import quorlin
from conftest import BUILD, DEMO, HOST

SYNTHV1 = "/usr/lib/lv2/synthv1.lv2"


@pytest.mark.parametrize("path, preset", [(None, None), (BUILD / "quorlin.so", None), (SYNTHV1, None),
                                          (BUILD / "quorlin.so", BUILD / "quorlin-factory.fxb")],
                         ids=["Quorlin LV2", "Quorlin VST 2", "synthv1", "Quorlin VST 2 with a bank"])
def test_info_is_quorlin_hosts_json_and_names_the_parameters(path, preset):
    command = [HOST, "info", "--json", "--plugin", BUILD / "quorlin.lv2" if path is None else path]
    printed = json.loads(subprocess.run(command + (["--preset", preset] if preset else []), check=True,
                                        capture_output=True, text=True).stdout)
    assert quorlin.info(path, preset) == printed
    if "ports" in printed:
        names = [port["symbol"] for port in printed["ports"] if port["kind"] == "control" and port["direction"] == "input"]
    else:
        names = [parameter["name"] or str(index) for index, parameter in enumerate(printed["parameters"])]
    assert list(quorlin.Instrument(path).parameters) == names


@pytest.mark.parametrize("path, file, values", [(None, "mine.preset.lv2", {"lowpass": 0.3, "waveform": 1.0}),
                                                (BUILD / "quorlin.so", "mine.fxp", {"6": 0.3, "0": 1.0})],
                         ids=["LV2 preset bundle", "VST 2 program"])
def test_a_saved_preset_brings_back_what_was_set(tmp_path, path, file, values):
    synth = quorlin.Instrument(path)
    synth.set_parameters(values)
    synth.save_preset(tmp_path / file)
    copy = quorlin.Instrument(path)
    copy.load_preset(tmp_path / file)
    assert copy.parameters == synth.parameters
    assert copy.render(DEMO).tobytes() == synth.render(DEMO).tobytes()
