"""pip installs the package from the source tree into a fresh virtual
environment made with --system-site-packages, offline (--no-index), with
Debian's setuptools, pybind11 and numpy; the installed package finds the
Quorlin bundle it was installed with and renders what the build's does."""
import os
import subprocess
import sys
import venv

import numpy as np

import quorlin
from conftest import ROOT

NOTES = [(57, 100, 0.0, 0.5), (64, 100, 0.25, 0.5)]


def test_pip_installs_the_package_into_a_fresh_virtual_environment(tmp_path):
    venv.create(tmp_path / "venv", system_site_packages=True, with_pip=True)
    python = tmp_path / "venv" / "bin" / "python"
    environment = {name: value for name, value in os.environ.items() if name != "PYTHONPATH"}
    subprocess.run([python, "-m", "pip", "install", "--quiet", "--no-build-isolation", "--no-index", ROOT],
                   check=True, env=environment, cwd=tmp_path)
    script = ("import sys, numpy, quorlin; print(quorlin.__file__); print(quorlin.info()['bundle']);"
              f"numpy.save(sys.argv[1], quorlin.Instrument().render(notes={NOTES!r}, seconds=1.0))")
    shown = subprocess.run([python, "-c", script, tmp_path / "audio.npy"], check=True, env=environment, cwd=tmp_path,
                           capture_output=True, text=True).stdout.splitlines()
    package = tmp_path / "venv" / "lib" / f"python{sys.version_info.major}.{sys.version_info.minor}" / "site-packages"
    assert shown == [str(package / "quorlin" / "__init__.py"), str(package / "quorlin" / "quorlin.lv2") + "/"]
    expected = quorlin.Instrument().render(notes=NOTES, seconds=1.0)
    assert np.load(tmp_path / "audio.npy").tobytes() == expected.tobytes()
