"""graph6 and sparse6 decoding shared by the Python peers: yields one edge list (0-based pairs) per
line. sparse6 (lines starting with ':') costs time linear in the line, so the peers can read
graphs of 10^5 and more vertices, whose graph6 lines alone would be gigabytes."""


def order(data):
    """The vertex count at the front of the six-bit values, and the values after it."""
    if data[0] == 63 and data[1] == 63:  # orders >= 258048 take six more bytes
        return (data[2] << 30) | (data[3] << 24) | (data[4] << 18) | (data[5] << 12) | (data[6] << 6) | data[7], data[8:]
    if data[0] == 63:  # orders >= 63 take three more bytes
        return (data[1] << 12) | (data[2] << 6) | data[3], data[4:]
    return data[0], data[1:]


def decode_sparse6(line):
    """Returns (n, edges) for one sparse6 line; loops and repeated edges are left out."""
    n, data = order([ord(c) - 63 for c in line.strip()[1:]])
    width = (n - 1).bit_length() if n > 1 else 0
    unit = 1 + width
    mask = (1 << width) - 1
    edges, seen = [], set()
    v = 0
    buffered, buffered_bits = 0, 0
    for d in data:
        buffered = ((buffered << 6) | d) & ((1 << 32) - 1)
        buffered_bits += 6
        while buffered_bits >= unit:
            buffered_bits -= unit
            chunk = buffered >> buffered_bits
            buffered &= (1 << buffered_bits) - 1
            if chunk >> width:
                v += 1
            x = chunk & mask
            if v >= n:
                return n, edges
            if x > v:
                v = x
            elif x < v and (x, v) not in seen:
                seen.add((x, v))
                edges.append((x, v))
    return n, edges


def decode(line):
    """Returns (n, edges) for one graph6 or sparse6 line."""
    if line.lstrip().startswith(":"):
        return decode_sparse6(line)
    n, data = order([ord(c) - 63 for c in line.strip()])
    edges = []
    bit = 0
    for j in range(1, n):
        for i in range(j):
            if (data[bit // 6] >> (5 - bit % 6)) & 1:
                edges.append((i, j))
            bit += 1
    return n, edges


def read_graphs(path):
    """Decodes every graph6 or sparse6 line of a file (an optional >>graph6<< or >>sparse6<<
    header is skipped)."""
    with open(path) as f:
        for line in f:
            for header in (">>graph6<<", ">>sparse6<<"):
                if line.startswith(header):
                    line = line[len(header):]
            if line.strip():
                yield decode(line)
