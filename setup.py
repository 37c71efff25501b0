"""Builds the package quorlin for pip with the project's own CMake build: the
extension module and Quorlin's LV2 bundle, which goes inside the package so
that Instrument() finds it. CMake works in build-pip/, which later installs
reuse, and builds for the Python that runs pip."""
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
CMAKE_BUILD = ROOT / "build-pip" / "cmake"


def project_version():
    """The one version number, set in CMakeLists.txt."""
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(Quorlin VERSION ([0-9.]+)", text).group(1)


# setuptools keeps its own files (egg-info, build/lib...) in build-pip/ too,
# away from the CMake build folder build/ and from the sources.
(ROOT / "build-pip").mkdir(exist_ok=True)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        jobs = str(os.cpu_count() or 2)
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(CMAKE_BUILD), "-DCMAKE_BUILD_TYPE=Release",
                        "-DQUORLIN_TESTS=OFF", f"-DPython3_EXECUTABLE={sys.executable}"], check=True)
        subprocess.run(["cmake", "--build", str(CMAKE_BUILD), "-j", jobs, "--target", "quorlin_python"], check=True)
        module = Path(self.get_ext_fullpath(ext.name))
        module.parent.mkdir(parents=True, exist_ok=True)
        built = next((CMAKE_BUILD / "python" / "quorlin").glob("_quorlin*.so"))
        shutil.copyfile(built, module)
        bundle = module.parent / "quorlin.lv2"
        shutil.rmtree(bundle, ignore_errors=True)
        shutil.copytree(CMAKE_BUILD / "quorlin.lv2", bundle)


setup(
    version=project_version(),
    packages=["quorlin"],
    package_dir={"": "python"},
    package_data={"quorlin": ["__init__.pyi", "py.typed"]},
    ext_modules=[Extension("quorlin._quorlin", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": str(ROOT / "build-pip")}, "egg_info": {"egg_base": str(ROOT / "build-pip")}},
)
