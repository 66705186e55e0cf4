"""graph6 decoding shared by the Python peers: yields one edge list (0-based pairs) per line."""


def decode(line):
    """Returns (n, edges) for one graph6 line."""
    data = [ord(c) - 63 for c in line.strip()]
    if data[0] == 63:  # orders >= 63 take three more bytes
        n = (data[1] << 12) | (data[2] << 6) | data[3]
        data = data[4:]
    else:
        n = data[0]
        data = data[1:]
    edges = []
    bit = 0
    for j in range(1, n):
        for i in range(j):
            if (data[bit // 6] >> (5 - bit % 6)) & 1:
                edges.append((i, j))
            bit += 1
    return n, edges


def read_graphs(path):
    """Decodes every graph6 line of a file (the optional >>graph6<< header is skipped)."""
    with open(path) as f:
        for line in f:
            if line.startswith(">>graph6<<"):
                line = line[len(">>graph6<<"):]
            if line.strip():
                yield decode(line)
