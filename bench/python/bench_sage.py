"""Times Sage's Graph.is_hamiltonian() against bicubic.is_hamiltonian() on the same Sage graph
objects, and checks that the answers are the same. Prints a Markdown table (seconds are sums
over the set, measured in this one process; graph construction is not timed).

    VENV/bin/python bench/python/bench_sage.py [--quick] [--sage-limit SECONDS]

VENV is a venv made with /usr/bin/python3 -m venv --system-site-packages and the module
pip-installed into it (Debian's sagemath then imports from it); or run it with `sage -python`
and PYTHONPATH set to VENV's site-packages. Needs nauty-genbg for the genbg families.
"""

import argparse
import random
import subprocess
import time

import networkx as nx
from cysignals.alarm import AlarmInterrupt, alarm, cancel_alarm
from sage.all import Graph, graphs

import bicubic


def genbg(k):
    """Every connected cubic bipartite graph with k + k vertices."""
    out = subprocess.run(["nauty-genbg", "-c", "-d3:3", "-D3:3", str(k), str(k)], capture_output=True, check=True)
    return [Graph(line.decode()) for line in out.stdout.split()]


def random_cubic_bipartite(k, seed):
    """A union of three random perfect matchings between two sides of k vertices, kept when simple."""
    rng = random.Random(seed)
    while True:
        edges = {(r, k + p[r]) for p in (rng.sample(range(k), k) for _ in range(3)) for r in range(k)}
        G = nx.Graph(edges)
        if len(edges) == 3 * k and nx.is_connected(G):
            return Graph(G)


def parity_trap(n):
    """K(n, n+2) with one edge inside each side: no Hamiltonian cycle, by counting."""
    G = graphs.CompleteBipartiteGraph(n, n + 2)
    G.add_edges([(0, 1), (n, n + 1)])
    return G


def graph_sets(quick):
    yield "genbg 8+8", genbg(8)
    yield "genbg 9+9", genbg(9)
    yield "genbg 10+10", genbg(10)
    if not quick:
        yield "genbg 11+11", genbg(11)
    yield "EH54, EH78, Horton 96", [graphs.EllinghamHorton54Graph(), graphs.EllinghamHorton78Graph(), graphs.HortonGraph()]
    yield "Tutte 46, Meredith 70, flower snark 20", [graphs.TutteGraph(), graphs.MeredithGraph(), graphs.FlowerSnark()]
    yield "random cubic 1000", [Graph(nx.random_regular_graph(3, 1000, seed=s)) for s in range(3)]
    yield "random cubic 5000", [Graph(nx.random_regular_graph(3, 5000, seed=1))]
    yield "random cubic bipartite 1000", [random_cubic_bipartite(500, s) for s in range(3)]
    yield "random cubic bipartite 5000", [random_cubic_bipartite(2500, 1)]
    yield "K(5,7) + 2 edges", [parity_trap(5)]
    yield "K(6,8) + 2 edges", [parity_trap(6)]


def sage_answer(G, limit):
    alarm(limit)
    try:
        return G.is_hamiltonian()
    except AlarmInterrupt:
        return None
    finally:
        cancel_alarm()


def timed(decide, G):
    start = time.perf_counter()
    answer = decide(G)
    return answer, time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quick", action="store_true", help="leave out genbg 11+11 (7376 graphs)")
    parser.add_argument("--sage-limit", type=float, default=300, help="seconds Sage may take per graph")
    parser.add_argument("--only", default="", help="only the sets whose name contains this text")
    args = parser.parse_args()
    print("| graphs | count | H / non-H | Sage is_hamiltonian() s | bicubic s | Sage / bicubic | same answers |")
    print("|---|---|---|---|---|---|---|")
    for name, family in graph_sets(args.quick):
        if args.only not in name:
            continue
        sage_seconds = ours_seconds = 0.0
        hamiltonian = same = sage_timeouts = 0
        for G in family:
            ours, seconds = timed(bicubic.is_hamiltonian, G)
            ours_seconds += seconds
            theirs, seconds = timed(lambda H: sage_answer(H, args.sage_limit), G)
            sage_seconds += seconds
            hamiltonian += ours
            sage_timeouts += theirs is None
            same += theirs == ours
        sage_text = f"{sage_seconds:.3f}" + (f" ({sage_timeouts} over {args.sage_limit:g} s)" if sage_timeouts else "")
        ratio = sage_seconds / ours_seconds
        ratio_text = (">" if sage_timeouts else "") + (f"{ratio:.0f}x" if ratio >= 10 else f"{ratio:.2g}x")
        print(f"| {name} | {len(family)} | {hamiltonian} / {len(family) - hamiltonian} | {sage_text} | "
              f"{ours_seconds:.4f} | {ratio_text} | {same} of {len(family)} |", flush=True)


if __name__ == "__main__":
    main()
