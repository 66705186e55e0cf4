#!/usr/bin/env bash
# Installs the Python module the way the README says (a venv over the system Python, then
# pip install --no-build-isolation) inside the build folder, and runs its pytest suite against
# the built bicubic-check. Exits 77 (skipped) only when the system Python lacks what the module
# needs to build or test; says which Debian packages would provide it.
# Usage: run_pytest.sh SOURCE_DIR BUILD_DIR BICUBIC_CHECK
set -euo pipefail
source_dir=$1 build_dir=$2 check=$3
python=/usr/bin/python3
packages="python3-dev python3-venv python3-pybind11 python3-wheel python3-pytest python3-networkx"
if [ ! -x "$python" ]; then
  echo "skipped: no $python (apt-get install $packages)"
  exit 77
fi
for module in venv ensurepip pybind11 wheel pytest networkx; do
  if ! "$python" -c "import $module" 2>/dev/null; then
    echo "skipped: $python cannot import $module (apt-get install $packages)"
    exit 77
  fi
done
if ! "$python" -c 'import os, sysconfig; assert os.path.exists(os.path.join(sysconfig.get_paths()["include"], "Python.h"))' 2>/dev/null; then
  echo "skipped: no Python.h for $python (apt-get install $packages)"
  exit 77
fi
venv=$build_dir/python-venv
[ -x "$venv/bin/python" ] || "$python" -m venv --system-site-packages "$venv"
# Objects stay in the build folder; an unchanged tree is not compiled again.
BICUBIC_PYTHON_BUILD=$build_dir/python-build "$venv/bin/pip" install --no-build-isolation --no-index --quiet \
  --disable-pip-version-check "$source_dir"
cd "$build_dir"  # so that the installed module is imported, not a source folder
BICUBIC_CHECK=$check exec "$venv/bin/python" -m pytest -q -p no:cacheprovider "$source_dir/tests/python"
