"""The Python module against networkx, brute force and bicubic-check (BICUBIC_CHECK names it)."""

import os
import random
import shutil
import signal
import subprocess
import sys
import textwrap
import time

import networkx as nx
import pytest

import bicubic


def assert_hamiltonian_cycle(G, cycle):
    assert sorted(map(repr, cycle)) == sorted(map(repr, G.nodes)), "every vertex exactly once"
    for u, v in zip(cycle, cycle[1:] + cycle[:1]):
        assert G.has_edge(u, v), f"{u!r}-{v!r} is no edge"


def brute_force_hamiltonian(G):
    """Held-Karp over subsets: paths from the first vertex, closed by an edge back to it."""
    nodes = list(G.nodes)
    n = len(nodes)
    if n < 3:
        return False
    adj = [[G.has_edge(a, b) for b in nodes] for a in nodes]
    reach = {(1, 0)}
    for mask in range(1, 1 << n):
        for v in range(n):
            if (mask, v) in reach:
                for w in range(n):
                    if adj[v][w] and not mask >> w & 1:
                        reach.add((mask | 1 << w, w))
    full = (1 << n) - 1
    return any((full, v) in reach and adj[v][0] for v in range(1, n))


def random_cubic_bipartite(k, seed):
    """Union of three perfect matchings between two sides of k vertices, kept when simple."""
    rng = random.Random(seed)
    while True:
        perms = [rng.sample(range(k), k) for _ in range(3)]
        edges = {(r, k + p[r]) for p in perms for r in range(k)}
        G = nx.Graph(edges)
        if len(edges) == 3 * k and nx.is_connected(G):
            return G


def parity_trap(n):
    """K(n, n+2) with one edge inside each side: a cycle through all vertices would need two edges
    inside the larger side, so there is none, yet for n >= 8 the search takes far beyond 20 s."""
    G = nx.complete_bipartite_graph(n, n + 2)
    G.add_edges_from([(0, 1), (n, n + 1)])
    return G


KNOWN = [
    ("cube", nx.hypercube_graph(3), True),
    ("4-cube", nx.hypercube_graph(4), True),
    ("heawood", nx.heawood_graph(), True),
    ("K33", nx.complete_bipartite_graph(3, 3), True),
    ("K5", nx.complete_graph(5), True),
    ("C7", nx.cycle_graph(7), True),
    ("petersen", nx.petersen_graph(), False),
    ("path", nx.path_graph(6), False),
    ("K23", nx.complete_bipartite_graph(2, 3), False),
    ("two triangles at a vertex", nx.Graph([(0, 1), (1, 2), (2, 0), (0, 3), (3, 4), (4, 0)]), False),
    ("tutte", nx.tutte_graph(), False),
    ("random cubic 2000", nx.random_regular_graph(3, 2000, seed=7), True),
    ("random cubic bipartite 1000", random_cubic_bipartite(500, 3), True),
]


@pytest.mark.parametrize("name,G,hamiltonian", KNOWN, ids=[k[0] for k in KNOWN])
def test_known_graphs(name, G, hamiltonian):
    cycle = bicubic.find_hamiltonian_cycle(G)
    assert (cycle is not None) == hamiltonian
    if cycle is not None:
        assert_hamiltonian_cycle(G, cycle)
        assert cycle[0] == next(iter(G.nodes)), "the cycle starts at the first vertex"
    assert bicubic.is_hamiltonian(G, time_limit=60) == hamiltonian


def test_small_random_graphs_agree_with_brute_force():
    for seed in range(60):
        G = nx.gnp_random_graph(4 + seed % 7, 0.5, seed=seed)
        G.remove_nodes_from([v for v in list(G) if G.degree(v) == 0])
        if G.number_of_nodes() == 0:
            continue
        cycle = bicubic.find_hamiltonian_cycle(G)
        assert (cycle is not None) == brute_force_hamiltonian(G), nx.to_graph6_bytes(G)
        if cycle is not None:
            assert_hamiltonian_cycle(G, cycle)


class SageLike:
    """What the module reads from a Sage graph: vertices() and edges() with edge labels."""

    def __init__(self, G):
        self.G = G

    def vertices(self):
        return list(self.G.nodes)

    def edges(self):
        return [(u, v, None) for u, v in self.G.edges]


@pytest.mark.parametrize(
    "make",
    [
        lambda H: H,  # networkx graph with these labels
        lambda H: list(H.edges),  # plain edge list
        lambda H: [(u, v, {"w": 1}) for u, v in H.edges],  # triples with data
        lambda H: iter(H.edges),  # one-shot iterator
        SageLike,
    ],
    ids=["networkx", "edge list", "edge triples", "iterator", "sage-like"],
)
def test_labels_of_any_hashable_type_come_back(make):
    labels = ["a", 7, (1, "x"), frozenset({2}), 3.5, 2j, b"z", ("nested", (1, 2))]
    cube = nx.relabel_nodes(nx.hypercube_graph(3), dict(zip(nx.hypercube_graph(3), labels)))
    cycle = bicubic.find_hamiltonian_cycle(make(cube))
    assert_hamiltonian_cycle(cube, cycle)
    assert cycle[0] == "a"


def test_graph_text_and_multigraph_inputs():
    # 8 vertices: a 1-byte vertex count; 300: the 4-byte form.
    for G in [nx.hypercube_graph(3), nx.random_regular_graph(3, 300, seed=2)]:
        G = nx.convert_node_labels_to_integers(G)
        for text in [nx.to_graph6_bytes(G, header=False).strip(), nx.to_sparse6_bytes(G).strip()]:
            assert_hamiltonian_cycle(G, bicubic.find_hamiltonian_cycle(text))
            assert bicubic.is_hamiltonian(text.decode() + "\n")
    multi = nx.MultiGraph(nx.cycle_graph(5))
    multi.add_edge(0, 1)
    assert bicubic.find_hamiltonian_cycle(multi) is not None


@pytest.mark.skipif(shutil.which("nauty-genbg") is None or not os.environ.get("BICUBIC_CHECK"),
                    reason="needs nauty-genbg and BICUBIC_CHECK (the bicubic-check program)")
def test_family_9_9_matches_the_command_line_tool(tmp_path):
    family = tmp_path / "family.g6"
    with open(family, "wb") as out:
        subprocess.run(["nauty-genbg", "-c", "-d3:3", "-D3:3", "9", "9"], stdout=out, stderr=subprocess.DEVNULL,
                       check=True)
    table = subprocess.run([os.environ["BICUBIC_CHECK"], "-q", str(family)], capture_output=True, text=True)
    rows = [line.split("\t") for line in table.stdout.splitlines()[1:]]
    lines = family.read_bytes().splitlines()
    assert len(rows) == len(lines) == 215
    results = list(bicubic.check_graphs(lines, method=True))
    assert [r.index for r in results] == list(range(215))
    for row, result, line in zip(rows, results, lines):
        assert (result.order, result.method) == (int(row[2]), row[3])
        assert result.hamiltonian == {"hamiltonian": True, "non-hamiltonian": False}[row[4]]
        assert bicubic.method_verdict(line) == row[3]
        if result.cycle is not None:
            assert_hamiltonian_cycle(nx.from_graph6_bytes(line), result.cycle)
    assert {r.method for r in results} == {"H", "not-H"}, "both verdicts occur on this family"


def test_time_limit():
    hard = parity_trap(10)
    for call in [bicubic.find_hamiltonian_cycle, bicubic.is_hamiltonian]:
        start = time.monotonic()
        with pytest.raises(TimeoutError):
            call(hard, time_limit=0.2)
        assert time.monotonic() - start < 2
    results = list(bicubic.check_graphs([hard, nx.hypercube_graph(3)], time_limit=0.2))
    assert [(r.hamiltonian, r.cycle) for r in results] == [(None, None), (True, results[1].cycle)]
    assert bicubic.is_hamiltonian(parity_trap(4), time_limit=float("inf")) is False
    for bad in [0, -1, float("nan")]:
        with pytest.raises(ValueError, match="time_limit"):
            bicubic.find_hamiltonian_cycle(hard, time_limit=bad)


BAD_INPUT = [
    ([(1, 1), (1, 2), (2, 3), (3, 1)], "loop at vertex 1"),
    (nx.Graph([("a", "b"), ("b", "c"), ("c", "a"), ("c", "c")]), "loop at vertex 'c'"),
    ([([1], 2), (2, 3)], "vertex label [1] is not hashable"),
    ([(1, 2), (2, 3), 4], "edge 4 is not a pair"),
    ([(1, 2, 3, 4)], "is not a pair"),
    ("", "empty"),
    ("Bw!", "needs 1 bytes"),
    ("B\x01", "byte 2 is not a graph6/sparse6 character"),
    ("~", "ends inside the vertex count"),
    (":BcI", "loop at vertex 2"),
    ([], "no vertices"),
    (nx.DiGraph([(0, 1), (1, 2), (2, 0)]), "directed"),
    (42, "not a graph"),
    (nx.Graph([(0, 1), (1, 2), (2, 0), ("lonely", "lonely")]), "loop at vertex 'lonely'"),
    (nx.union(nx.cycle_graph(4), nx.empty_graph(["lonely"])), "vertex 'lonely' has degree 0"),
    ("?", "no vertices"),
    (":~~@?????", "vertex 0 has degree 0"),  # 2^30 vertices, no edges: refused without the memory
    ("~~@?????", "too large"),
]


@pytest.mark.parametrize("G,reason", BAD_INPUT, ids=[repr(case[1]) for case in BAD_INPUT])
def test_bad_input_is_a_value_error_with_the_reason(G, reason):
    with pytest.raises(ValueError) as error:
        bicubic.find_hamiltonian_cycle(G)
    assert reason in str(error.value)


def test_a_bad_graph_in_a_stream_comes_after_the_good_ones():
    seen = []
    with pytest.raises(ValueError, match="graph 2: loop at vertex 0"):
        for result in bicubic.check_graphs(["Bw", nx.cycle_graph(4), [(0, 0)], "Bw"]):
            seen.append(result.hamiltonian)
    assert seen == [True, True]


def test_method_verdict():
    assert bicubic.method_verdict(nx.hypercube_graph(3)) == "H"
    assert bicubic.method_verdict(nx.petersen_graph()) == "not-bipartite"
    assert bicubic.method_verdict(nx.complete_bipartite_graph(2, 3)) == "unbalanced"
    with pytest.raises(ValueError, match="at most 4999 vertices"):
        bicubic.method_verdict(nx.cycle_graph(5000))
    result = next(bicubic.check_graphs([nx.cycle_graph(5000)], method=True))
    assert result.method is None and result.hamiltonian


HARD_SEARCH = """
    import sys, networkx as nx, bicubic
    G = nx.complete_bipartite_graph(10, 12)
    G.add_edges_from([(0, 1), (10, 11)])
    print("searching", flush=True)
    try:
        bicubic.find_hamiltonian_cycle(G)
    except KeyboardInterrupt:
        print("interrupted", flush=True)
    print("recovered" if bicubic.is_hamiltonian(nx.hypercube_graph(3)) else "broken", flush=True)
"""


def test_ctrl_c_stops_a_long_search_and_the_module_stays_usable():
    script = textwrap.dedent(HARD_SEARCH)
    child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    assert child.stdout.readline() == "searching\n"
    time.sleep(0.5)
    sent = time.monotonic()
    child.send_signal(signal.SIGINT)
    out, err = child.communicate(timeout=30)
    assert time.monotonic() - sent < 2, "stopped promptly"
    assert out == "interrupted\nrecovered\n", err
