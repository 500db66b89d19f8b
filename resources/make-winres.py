#!/usr/bin/env python3
"""Writes the Windows icon and cursor files from the rendered PNGs.

    make-winres.py ico OUT.ico IMAGE.png...   one 8-bit and one 32-bit entry per image
    make-winres.py cur OUT.cur IMAGE.png X Y  a two-colour cursor with hot spot X,Y

Every entry is an uncompressed DIB rather than PNG so that older loaders
(Windows XP and before) read them too; ImageMagick's ICO writer can't be
told the bit depth of each entry, hence this script. The output depends only
on the input pixels, so re-running it gives the same bytes.
"""
import heapq
import struct
import subprocess
import sys

OPAQUE = 128  # alpha at or above this is solid in the AND mask


def read_rgba(path):
    """Returns (width, height, [(r, g, b, a), ...]) top row first."""
    size = subprocess.run(["convert", path, "-format", "%w %h", "info:"],
                          check=True, capture_output=True, text=True).stdout
    width, height = map(int, size.split())
    raw = subprocess.run(["convert", path, "-depth", "8", "rgba:-"],
                         check=True, capture_output=True).stdout
    if len(raw) != width * height * 4:
        sys.exit(f"{path}: expected {width}x{height} RGBA pixels")
    return width, height, [tuple(raw[i:i + 4]) for i in range(0, len(raw), 4)]


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def and_mask(width, height, pixels):
    """1 where the screen shows through; rows bottom-up as the DIB wants."""
    rows = []
    for y in reversed(range(height)):
        bits = bytearray((width + 7) // 8)
        for x in range(width):
            if pixels[y * width + x][3] < OPAQUE:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(padded(bytes(bits)))
    return b"".join(rows)


def dib_header(width, height, bits, data_size):
    # Height counts the colour image and the AND mask stacked together.
    return struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0,
                       data_size, 0, 0, 0, 0)


def dib_32(width, height, pixels):
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for r, g, b, a in pixels[y * width:(y + 1) * width]:
            # Fully transparent pixels carry no colour, whatever the PNG had.
            row += bytes((b, g, r, a)) if a else b"\0\0\0\0"
        rows.append(bytes(row))
    data = b"".join(rows) + and_mask(width, height, pixels)
    return dib_header(width, height, 32, len(data)) + data


def reduce_colours(counts, limit):
    """Maps each colour to a stand-in so that at most `limit` remain.

    Merges the pair of clusters that costs least (Ward's criterion) until few
    enough are left; the icons have only a few more colours than fit, so most
    keep their exact value and only near-identical shades are joined.
    """
    colours = sorted(counts)
    if len(colours) <= limit:
        return {c: c for c in colours}
    weight = [counts[c] for c in colours]
    total = [[ch * counts[c] for ch in c] for c in colours]
    members = [[c] for c in colours]
    alive = set(range(len(colours)))

    def cost(i, j):
        mi = [t / weight[i] for t in total[i]]
        mj = [t / weight[j] for t in total[j]]
        d2 = sum((p - q) ** 2 for p, q in zip(mi, mj))
        return d2 * weight[i] * weight[j] / (weight[i] + weight[j])

    heap = [(cost(i, j), i, j) for i in alive for j in alive if i < j]
    heapq.heapify(heap)
    while len(alive) > limit:
        _, i, j = heapq.heappop(heap)
        if i not in alive or j not in alive:
            continue
        k = len(weight)
        weight.append(weight[i] + weight[j])
        total.append([p + q for p, q in zip(total[i], total[j])])
        members.append(members[i] + members[j])
        alive -= {i, j}
        for m in sorted(alive):
            heapq.heappush(heap, (cost(m, k), m, k))
        alive.add(k)
    mapping = {}
    for k in sorted(alive):
        mean = tuple(round(t / weight[k]) for t in total[k])
        for c in members[k]:
            mapping[c] = mean
    return mapping


def dib_8(width, height, pixels):
    counts = {}
    for r, g, b, a in pixels:
        if a >= OPAQUE:
            counts[(r, g, b)] = counts.get((r, g, b), 0) + 1
    # Index 0 is black, which masked-out pixels use so that the XOR pass
    # leaves the screen alone; black in the artwork shares it.
    black = (0, 0, 0)
    mapping = reduce_colours(counts, 256 if black in counts else 255)
    palette = [black] + sorted(set(mapping.values()) - {black})
    index = {c: palette.index(mapping[c]) for c in mapping}
    palette += [black] * (256 - len(palette))
    rows = []
    for y in reversed(range(height)):
        row = bytes(index[(r, g, b)] if a >= OPAQUE else 0
                    for r, g, b, a in pixels[y * width:(y + 1) * width])
        rows.append(padded(row))
    data = (b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
            + b"".join(rows) + and_mask(width, height, pixels))
    # The header's image size covers the pixels and mask, not the colour table.
    return dib_header(width, height, 8, len(data) - 1024) + data


def dib_1(width, height, pixels):
    rows = []
    for y in reversed(range(height)):
        bits = bytearray((width + 7) // 8)
        for x in range(width):
            r, g, b, a = pixels[y * width + x]
            if a >= OPAQUE and r + g + b >= 3 * 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(padded(bytes(bits)))
    data = (bytes((0, 0, 0, 0, 255, 255, 255, 0))
            + b"".join(rows) + and_mask(width, height, pixels))
    return dib_header(width, height, 1, len(data) - 8) + data


def container(kind, entries):
    """entries: (width, height, colours, field1, field2, dib) per image.

    field1/field2 are planes and bit count for an icon, the hot spot for a
    cursor.
    """
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    for width, height, colours, f1, f2, dib in entries:
        # 256 is stored as 0 in these byte fields.
        out += struct.pack("<BBBBHHII", width % 256, height % 256,
                           colours % 256, 0, f1, f2, len(dib), offset)
        offset += len(dib)
    return out + b"".join(e[5] for e in entries)


def main(argv):
    if len(argv) >= 3 and argv[0] == "ico":
        entries = []
        for path in argv[2:]:
            w, h, px = read_rgba(path)
            entries.append((w, h, 0, 1, 8, dib_8(w, h, px)))
            entries.append((w, h, 0, 1, 32, dib_32(w, h, px)))
        data = container(1, entries)
    elif len(argv) == 5 and argv[0] == "cur":
        w, h, px = read_rgba(argv[2])
        data = container(2, [(w, h, 2, int(argv[3]), int(argv[4]),
                              dib_1(w, h, px))])
    else:
        sys.exit(__doc__)
    with open(argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1:])
