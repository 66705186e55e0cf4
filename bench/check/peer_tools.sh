# Sourced by peers.sh and scale.sh: which SAT/ASP peers are installed, and one run of each on a
# graph6 or sparse6 file through the encodings in bench/check/peers/ (clingo: hamiltonian.lp on
# the facts clingo_facts.py writes; CryptoMiniSat: cms_hamiltonian.py). Install them with
# `apt-get install gringo python3-cryptominisat`.

peer_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/peers" && pwd)

# Sets have_clingo (0 or 1) and cms_python (a Python that imports pycryptosat, or empty: Debian's
# python3-cryptominisat lives in the system Python only).
detect_peers() {
  have_clingo=0
  command -v clingo > /dev/null && have_clingo=1
  cms_python=
  local py
  for py in python3 /usr/bin/python3; do
    if command -v "$py" > /dev/null && "$py" -c 'import pycryptosat' 2> /dev/null; then cms_python=$py; break; fi
  done
}

# write_clingo_facts FILE FACTS: the first graph of FILE as clingo facts (kept out of the timing).
write_clingo_facts() { "${cms_python:-python3}" "$peer_dir/clingo_facts.py" "$1" > "$2"; }

# clingo_answer FACTS: prints hamiltonian or non-hamiltonian; clingo exits 10 (satisfiable, 30
# when it stopped at the first model) or 20 (unsatisfiable), and any other status is passed on.
clingo_answer() {
  local rc=0
  clingo -q "$peer_dir/hamiltonian.lp" "$1" > /dev/null 2>&1 || rc=$?
  case $rc in
    10|30) echo hamiltonian ;;
    20) echo non-hamiltonian ;;
    *) return "$rc" ;;
  esac
}

# cms_answers FILE: one line per graph of FILE, hamiltonian or non-hamiltonian.
cms_answers() { "$cms_python" "$peer_dir/cms_hamiltonian.py" "$1"; }
