#!/usr/bin/env python3
"""Writes the first graph of a graph6 file as clingo facts edge(X,Y) with 1-based vertices."""
import sys

from graph6 import read_graphs

n, edges = next(read_graphs(sys.argv[1]))
for i, j in edges:
    print(f"edge({i + 1},{j + 1}).")
