#!/usr/bin/env python3
"""Hamiltonian cycle by CryptoMiniSat (pycryptosat) with lazy subtour elimination.

One Boolean per edge, exactly two chosen edges at every vertex. A model is a union of disjoint
cycles; while it has more than one, every cycle's vertex set S gets the clause "some edge leaving
S is chosen" and the solver runs again. It ends with a single cycle (Hamiltonian) or UNSAT
(non-Hamiltonian: every clause added holds on any Hamiltonian cycle, so none exists).
Prints one line per graph of the graph6 file: hamiltonian | non-hamiltonian.
"""
import itertools
import sys

from pycryptosat import Solver

from graph6 import read_graphs


def degree_clauses(incident):
    """Exactly two true among the variables in `incident` (small degree: plain combinations)."""
    d = len(incident)
    if d < 2:
        return [[]]  # no cycle can pass this vertex: an empty clause makes it UNSAT
    clauses = [[-a, -b, -c] for a, b, c in itertools.combinations(incident, 3)]
    clauses += [list(rest) for rest in itertools.combinations(incident, d - 1)]
    return clauses


def cycles_of(n, edges, chosen):
    """Vertex sets of the cycles formed by the chosen edges (each vertex has two of them)."""
    adjacent = [[] for _ in range(n)]
    for k in chosen:
        i, j = edges[k]
        adjacent[i].append(j)
        adjacent[j].append(i)
    seen = [False] * n
    cycles = []
    for start in range(n):
        if seen[start]:
            continue
        stack, members = [start], []
        seen[start] = True
        while stack:
            v = stack.pop()
            members.append(v)
            for w in adjacent[v]:
                if not seen[w]:
                    seen[w] = True
                    stack.append(w)
        cycles.append(members)
    return cycles


def hamiltonian(n, edges):
    if n < 3:
        return False
    solver = Solver()
    incident = [[] for _ in range(n)]
    for k, (i, j) in enumerate(edges):
        incident[i].append(k + 1)
        incident[j].append(k + 1)
    for v in range(n):
        for clause in degree_clauses(incident[v]):
            if not clause:
                return False
            solver.add_clause(clause)
    while True:
        sat, model = solver.solve()
        if not sat:
            return False
        chosen = [k for k in range(len(edges)) if model[k + 1]]
        cycles = cycles_of(n, edges, chosen)
        if len(cycles) == 1:
            return True
        # One pass over the edges builds every cycle's cut clause.
        cycle_of = [0] * n
        for c, members in enumerate(cycles):
            for v in members:
                cycle_of[v] = c
        cuts = [[] for _ in cycles]
        for k, (i, j) in enumerate(edges):
            if cycle_of[i] != cycle_of[j]:
                cuts[cycle_of[i]].append(k + 1)
                cuts[cycle_of[j]].append(k + 1)
        for clause in cuts:
            solver.add_clause(clause)


def main():
    for n, edges in read_graphs(sys.argv[1]):
        print("hamiltonian" if hamiltonian(n, edges) else "non-hamiltonian", flush=True)


if __name__ == "__main__":
    main()
