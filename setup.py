"""Builds the Python module: the package in python/bicubic and its native half bicubic._native
(src/python with the exact engine and the bicubic core compiled in, so nothing else need be
installed). Uses Debian's pybind11 and setuptools, no download:

    /usr/bin/python3 -m venv --system-site-packages VENV && VENV/bin/pip install --no-build-isolation .

Compiled objects go to build-python/ (or $BICUBIC_PYTHON_BUILD), never into the source folders.
"""

import glob
import os

from pybind11.setup_helpers import ParallelCompile, Pybind11Extension, build_ext
from setuptools import setup

# Every source of these folders is part of the module (driver/main.cpp is the tool's own main).
NATIVE_FOLDERS = ["exact", "python", "driver", "graph", "bipartite", "assignment", "hamilton"]
PROGRAM_MAINS = {os.path.join("src", "driver", "main.cpp")}


def native_sources():
    sources = []
    for folder in NATIVE_FOLDERS:
        sources += sorted(path for path in glob.glob(os.path.join("src", folder, "*.cpp")) if path not in PROGRAM_MAINS)
    return sources


BUILD_BASE = os.environ.get("BICUBIC_PYTHON_BUILD", "build-python")
ParallelCompile("BICUBIC_PYTHON_JOBS", default=2).install()

native = Pybind11Extension(
    "bicubic._native",
    native_sources(),
    include_dirs=["src"],
    # Any header change rebuilds the module; an unchanged tree is not compiled again.
    depends=sorted(glob.glob(os.path.join("src", "*", "*.h"))),
    cxx_std=20,
    extra_compile_args=["-O3", "-DNDEBUG"],
)

setup(
    name="bicubic",
    version="1.0.0",
    description="Exact Hamiltonian cycles for networkx and Sage graphs, with the bicubic method's verdict",
    license="See LICENSE",
    python_requires=">=3.9",
    package_dir={"": "python"},
    packages=["bicubic"],
    ext_modules=[native],
    cmdclass={"build_ext": build_ext},
    options={"build": {"build_base": BUILD_BASE}, "egg_info": {"egg_base": BUILD_BASE}},
    zip_safe=False,
)
