"""Builds tunedeck._core with CMake, so that the module is compiled from the core's own targets
with the flags the command uses, and installs the package beside it.

The build folders are setuptools' own (build/ here) unless TUNEDECK_PYTHON_BUILD names a folder for
them (scripts/test-python.sh keeps them out of the source tree); CMAKE_BUILD_PARALLEL_LEVEL sets the
jobs (2 by default).
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

import pybind11
from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent
OUTSIDE = os.environ.get("TUNEDECK_PYTHON_BUILD")


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(Tunedeck VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        target = Path(self.get_ext_fullpath(ext.name)).resolve()
        build = (Path(OUTSIDE) if OUTSIDE else Path(self.build_temp)).resolve() / "cmake"
        configure = [
            "cmake", "-S", str(HERE), "-B", str(build), "-Wno-dev",
            "-DCMAKE_BUILD_TYPE=Release",
            f"-Dpybind11_DIR={pybind11.get_cmake_dir()}",
            f"-DPYTHON_EXECUTABLE={sys.executable}",
        ]
        if shutil.which("ninja") and not (build / "CMakeCache.txt").exists():
            configure += ["-G", "Ninja"]
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "_core", "--parallel", jobs], check=True)
        built = sorted((build / "module").glob("_core*"))
        if len(built) != 1:
            raise RuntimeError(f"expected one built module in {build / 'module'}, found {built}")
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)


setup(
    version=project_version(),
    options={"build": {"build_base": str(Path(OUTSIDE) / "setuptools")}} if OUTSIDE else {},
    ext_modules=[Extension("tunedeck._core", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)
