"""Exact Hamiltonian cycles for networkx graphs, Sage graphs, edge lists and graph6/sparse6 text.

Every answer is exact: a cycle is checked against the graph's edges before it is returned,
"no cycle" comes from an exhaustive argument, and a search stopped by its time limit raises
TimeoutError rather than answering. Searches run with the GIL released; Ctrl-C stops them.
"""

import itertools
import math
import threading
import time
from collections import namedtuple

from . import _native

__all__ = [
    "GraphResult",
    "METHOD_MAX_ORDER",
    "check_graphs",
    "find_hamiltonian_cycle",
    "is_hamiltonian",
    "method_verdict",
]

METHOD_MAX_ORDER = _native.METHOD_MAX_ORDER

GraphResult = namedtuple("GraphResult", "index order hamiltonian cycle stage method seconds")
GraphResult.__doc__ = """One graph's result from check_graphs.

index: position in the input, from 0. order: number of vertices.
hamiltonian: True, False, or None when the time limit ended the search.
cycle: the Hamiltonian cycle as a list of the caller's vertex labels, or None.
stage: the engine stage that decided ("-" when undecided). method: the method's verdict as
bicubic-check names it ("H", "not-H", "may-be-H", "not-bipartite", "unbalanced",
"not-connected"), or None when not asked for or the graph is too large for it.
seconds: time spent on this graph."""

# check_graphs hands the native side batches that take about this long, so that a family of tiny
# graphs does not pay a thread per graph while a slow graph still yields its result at once.
_BATCH_SECONDS = 0.02
_MAX_BATCH = 4096


def _time_limit(time_limit):
    if time_limit is None:
        return None
    seconds = float(time_limit)
    if not seconds > 0:  # also NaN
        raise ValueError(f"time_limit must be a positive number of seconds or None, not {time_limit!r}")
    return None if math.isinf(seconds) else seconds


def _vertices_and_edges(G):
    """The graph's vertex labels (None for a bare edge list) and an iterable of its edges."""
    if callable(getattr(G, "vertices", None)) and callable(getattr(G, "edges", None)):  # Sage-like
        vertices = G.vertex_iterator() if hasattr(G, "vertex_iterator") else G.vertices()
        edges = G.edge_iterator(labels=False) if hasattr(G, "edge_iterator") else G.edges()
        return vertices, edges
    if hasattr(G, "nodes") and hasattr(G, "edges"):  # networkx-like
        return G.nodes, G.edges()
    return None, G


def _vertex_index(index, labels, label, fixed):
    try:
        position = index.get(label)
    except TypeError:
        raise ValueError(f"vertex label {label!r} is not hashable") from None
    if position is None:
        if fixed:
            raise ValueError(f"edge end {label!r} is not a vertex of the graph")
        position = index[label] = len(labels)
        labels.append(label)
    return position


def _prepared(G):
    """The native form of G: graph6/sparse6 text as it is, anything else as (order, ends, labels)."""
    if isinstance(G, (str, bytes)):
        return G, None
    is_directed = getattr(G, "is_directed", None)
    if callable(is_directed) and is_directed():
        raise ValueError("directed graphs are not supported; convert with to_undirected()")
    vertices, edges = _vertices_and_edges(G)
    index, labels = {}, []
    for label in vertices or ():
        _vertex_index(index, labels, label, fixed=False)
    ends = []
    try:
        edge_iter = iter(edges)
    except TypeError:
        raise ValueError(f"not a graph: {type(G).__name__} has no edges to read") from None
    for edge in edge_iter:
        try:
            if isinstance(edge, (str, bytes)) or len(edge) not in (2, 3):
                raise TypeError
            u, v = edge[0], edge[1]
        except (TypeError, KeyError, IndexError):
            raise ValueError(f"edge {edge!r} is not a pair (u, v) or a triple (u, v, data)") from None
        ends.append(_vertex_index(index, labels, u, vertices is not None))
        ends.append(_vertex_index(index, labels, v, vertices is not None))
    return (len(labels), ends, labels), labels


def _result(index, row, labels):
    order, answer, cycle, stage, method, seconds, error = row
    if error is not None:
        raise ValueError(error)
    hamiltonian = {"hamiltonian": True, "non-hamiltonian": False}.get(answer)
    if cycle is not None:
        start = cycle.index(0)  # begin at the first vertex in the caller's order
        cycle = cycle[start:] + cycle[:start]
        if labels is not None:
            cycle = [labels[i] for i in cycle]
    return GraphResult(index, order, hamiltonian, cycle, stage, method, seconds)


# Single calls reuse the last Checker of their thread (its search thread and buffers) while the
# settings stay the same; each Python thread has its own, so threads may search in parallel.
_local = threading.local()


def _checker(time_limit, exact, method):
    key = (time_limit, exact, method)
    if getattr(_local, "key", None) != key:
        _local.checker, _local.key = _native.Checker(time_limit, exact, method), key
    return _local.checker


def _decide_one(G, time_limit, exact, method):
    item, labels = _prepared(G)
    row = _checker(_time_limit(time_limit), exact, method).run([item])[0]
    return _result(0, row, labels)


def find_hamiltonian_cycle(G, time_limit=None):
    """A Hamiltonian cycle of G as a list of its vertex labels, or None when G has none.

    G is a networkx Graph, a Sage Graph (anything with vertices() and edges()), an iterable of
    edges (u, v) or (u, v, data) over hashable labels, or one graph6/sparse6 string (vertices
    0..n-1). The cycle starts at G's first vertex and is not closed (the last vertex is adjacent
    to the first). Raises TimeoutError when time_limit seconds end the search undecided, and
    ValueError for input that is no simple undirected graph or has a vertex without edges.
    """
    result = _decide_one(G, time_limit, exact=True, method=False)
    if result.hamiltonian is None:
        raise TimeoutError(f"no answer within the time limit of {time_limit} s")
    return result.cycle


def is_hamiltonian(G, time_limit=None):
    """True when G has a Hamiltonian cycle; see find_hamiltonian_cycle for G and the errors."""
    return find_hamiltonian_cycle(G, time_limit) is not None


def method_verdict(G):
    """The bicubic method's verdict on G, as bicubic-check names it ("H", "not-H", "may-be-H",
    "not-bipartite", "unbalanced", "not-connected"). It is the method's claim, not a proof: compare
    it with is_hamiltonian. Vertices are numbered in G's vertex order (the verdict may depend on it).
    """
    result = _decide_one(G, None, exact=False, method=True)
    if result.method is None:
        raise ValueError(f"the method takes at most {METHOD_MAX_ORDER} vertices, not {result.order}")
    if result.method == "out-of-memory":
        raise MemoryError("not enough memory for the method")
    return result.method


def _next_batch(graphs, size):
    """Up to size prepared graphs, and the ValueError of the graph after them if it is bad."""
    batch = []
    for G in itertools.islice(graphs, size):
        try:
            batch.append(_prepared(G))
        except ValueError as error:
            return batch, error
    return batch, None


def check_graphs(graphs, time_limit=None, method=False):
    """Yields a GraphResult for each graph of an iterable (graph6/sparse6 lines, graphs, edge
    lists, mixed), deciding them in one process with the GIL released; Ctrl-C stops promptly.

    time_limit applies to each graph; a graph it ends is yielded with hamiltonian None (no
    exception, so one hard graph does not end a family). method=True adds the method's verdict
    (about 1 us on a 24-vertex graph, but more than the exact search on thousands of vertices).
    A graph that is no valid input raises ValueError naming its index, after every earlier result.
    """
    checker = _native.Checker(_time_limit(time_limit), True, bool(method))
    graphs = iter(graphs)
    index, size = 0, 1
    while True:
        requested = size
        batch, bad = _next_batch(graphs, requested)
        start = time.perf_counter()
        rows = checker.run([item for item, _ in batch]) if batch else []
        size = min(2 * size, _MAX_BATCH) if time.perf_counter() - start < _BATCH_SECONDS else max(1, size // 2)
        for (_, labels), row in zip(batch, rows):
            try:
                yield _result(index, row, labels)
            except ValueError as error:
                raise ValueError(f"graph {index}: {error}") from None
            index += 1
        if bad is not None:
            raise ValueError(f"graph {index}: {bad}")
        if len(batch) < requested:
            return
