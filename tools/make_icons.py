#!/usr/bin/env python3
"""Draw Quillmere's tray and application icons and write them as .ico files.

Each icon is one 32x32, 32-bit BGRA image with a 1-bit AND mask.  The
pictures use integer math only (4x4 supersampling with point-in-rounded-
rectangle and point-in-polygon tests), so the bytes depend only on this file.

  make_icons.py [--out DIR]          write the icons to res/icons/ (or DIR)
  make_icons.py --check [--dir DIR]  rebuild in memory, compare with the
                                     committed icons and validate their layout
"""
import argparse
import os
import struct
import sys

SIZE = 32
SUB = 4                      # subsamples per pixel along each axis
UNIT = 2 * SUB               # 1/8 pixel units: subsample centres are integers

TAN = (214, 180, 132)
TILE_RIM = (112, 82, 48)     # thin brown rim separating tile from square
OUTLINE = (34, 26, 20)       # dark line around the bolt

# (file name, bolt colour, square colour or None for a transparent background)
ICONS = [
    ("app.ico", (32, 96, 224), None),
    ("high_performance.ico", (36, 170, 56), (30, 140, 48)),
    ("power_saver.ico", (226, 44, 40), (196, 34, 34)),
    ("balanced.ico", (250, 206, 20), (236, 188, 16)),
]

# Tile: rounded rectangle inset 3 px from the edge, with a 1 px rim.
TILE = (3 * UNIT, 3 * UNIT, 29 * UNIT, 29 * UNIT)
RADIUS = 6 * UNIT
RIM = UNIT
INNER = (TILE[0] + RIM, TILE[1] + RIM, TILE[2] - RIM, TILE[3] - RIM)
OUTLINE_WIDTH = 6            # 0.75 px

# Lightning bolt, vertices given in half pixels.
BOLT = [(x * UNIT // 2, y * UNIT // 2) for x, y in [
    (33, 10), (45, 10), (38, 24), (47, 24), (24, 54), (28, 34), (18, 34)]]
EDGES = list(zip(BOLT, BOLT[1:] + BOLT[:1]))

XOR_SIZE = SIZE * SIZE * 4
MASK_SIZE = SIZE * 4
IMAGE_SIZE = 40 + XOR_SIZE + MASK_SIZE


def in_round_rect(x, y, rect, radius):
    x0, y0, x1, y1 = rect
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    # Distance to the inner rectangle whose corners are the arc centres.
    dx = max(x0 + radius - x, 0, x - (x1 - radius))
    dy = max(y0 + radius - y, 0, y - (y1 - radius))
    return dx * dx + dy * dy <= radius * radius


def in_bolt(x, y):
    """Even-odd crossing test; the division is cross-multiplied away."""
    inside = False
    for (ax, ay), (bx, by) in EDGES:
        if (ay > y) != (by > y):
            lhs, rhs = (x - ax) * (by - ay), (bx - ax) * (y - ay)
            if (lhs < rhs) if by > ay else (lhs > rhs):
                inside = not inside
    return inside


def near_bolt(x, y):
    """True when (x, y) lies within OUTLINE_WIDTH of an edge of the bolt."""
    w2 = OUTLINE_WIDTH * OUTLINE_WIDTH
    for (ax, ay), (bx, by) in EDGES:
        dx, dy, px, py = bx - ax, by - ay, x - ax, y - ay
        dot, len2 = px * dx + py * dy, dx * dx + dy * dy
        if dot <= 0:
            near = px * px + py * py <= w2
        elif dot >= len2:
            near = (x - bx) ** 2 + (y - by) ** 2 <= w2
        else:
            near = (px * dy - py * dx) ** 2 <= w2 * len2
        if near:
            return True
    return False


def sample(x, y, bolt, square):
    """Colour (r, g, b, a) at one subsample point."""
    if not in_round_rect(x, y, TILE, RADIUS):
        return (0, 0, 0, 0) if square is None else square + (255,)
    if in_bolt(x, y):
        return bolt + (255,)
    if near_bolt(x, y):
        return OUTLINE + (255,)
    if in_round_rect(x, y, INNER, RADIUS - RIM):
        return TAN + (255,)
    return TILE_RIM + (255,)


def render(bolt, square):
    """Rows, top-down, of (r, g, b, a) pixels with straight alpha."""
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0, 0, 0, 0]   # colour sums weighted by alpha
            for sy in range(SUB):
                for sx in range(SUB):
                    c = sample(px * UNIT + 2 * sx + 1,
                               py * UNIT + 2 * sy + 1, bolt, square)
                    for i in range(3):
                        acc[i] += c[i] * c[3]
                    acc[3] += c[3]
            a, n = acc[3], SUB * SUB
            row.append(tuple((v + a // 2) // a for v in acc[:3])
                       + ((a + n // 2) // n,) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def encode_ico(rows):
    xor, mask = bytearray(), bytearray()
    for row in reversed(rows):            # DIB rows are stored bottom-up
        bits = 0
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
            bits = (bits << 1) | (a == 0)  # AND bit set where transparent
        mask += struct.pack(">I", bits)   # leftmost pixel is the top bit
    return (struct.pack("<HHH", 0, 1, 1)
            + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, IMAGE_SIZE, 22)
            + struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 32, 0,
                          XOR_SIZE, 0, 0, 0, 0)
            + bytes(xor) + bytes(mask))


def build():
    return [(name, encode_ico(render(bolt, square)))
            for name, bolt, square in ICONS]


# (what, struct format, offset, wanted values) for the fixed header fields.
HEADER_FIELDS = [
    ("ICONDIR", "<HHH", 0, (0, 1, 1)),
    ("ICONDIRENTRY", "<BBBBHHII", 6,
     (SIZE, SIZE, 0, 0, 1, 32, IMAGE_SIZE, 22)),
    ("BITMAPINFOHEADER", "<IiiHHI", 22, (40, SIZE, 2 * SIZE, 1, 32, 0)),
]


def validate(data, opaque):
    """List the problems with the layout and content of one .ico file."""
    if len(data) != 22 + IMAGE_SIZE:
        return ["file is %d bytes, want %d" % (len(data), 22 + IMAGE_SIZE)]
    errs = []
    for what, fmt, offset, want in HEADER_FIELDS:
        got = struct.unpack_from(fmt, data, offset)
        if got != want:
            errs.append("%s fields are %r, want %r" % (what, got, want))
    bi_size_image = struct.unpack_from("<I", data, 42)[0]
    if bi_size_image not in (0, XOR_SIZE):
        errs.append("biSizeImage is %d, want 0 or %d"
                    % (bi_size_image, XOR_SIZE))
    alpha = data[62 + 3:62 + XOR_SIZE:4]  # bottom-up, like the mask
    mask = data[62 + XOR_SIZE:]
    bits = [(mask[i // 8] >> (7 - i % 8)) & 1 for i in range(SIZE * SIZE)]
    if opaque:
        if min(alpha) != 255:
            errs.append("%d pixels are not fully opaque"
                        % sum(a != 255 for a in alpha))
        if any(mask):
            errs.append("AND mask is not all clear")
    else:
        if any(alpha[i] for i in (0, SIZE - 1, -SIZE, -1)):
            errs.append("corner pixels are not transparent")
        if max(alpha) != 255:
            errs.append("no pixel is fully opaque")
        wrong = sum((a == 0) != m for a, m in zip(alpha, bits))
        if wrong:
            errs.append("AND mask disagrees with alpha in %d pixels" % wrong)
    return errs


def check(directory):
    failed = False
    for (name, expected), (_, _, square) in zip(build(), ICONS):
        path = os.path.join(directory, name)
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError as e:
            print("%s: cannot read: %s" % (path, e.strerror))
            failed = True
            continue
        problems = validate(data, square is not None)
        if data != expected:
            at = next((i for i, (a, b) in enumerate(zip(data, expected))
                       if a != b), min(len(data), len(expected)))
            problems.append("differs from the generated icon at byte %d; "
                            "rerun tools/make_icons.py" % at)
        for p in problems:
            print("%s: %s" % (path, p))
        failed = failed or bool(problems)
    print("%s: icons %s" % (directory, "BAD" if failed else "up to date"))
    return 1 if failed else 0


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    default = os.path.join(root, "res", "icons")
    ap = argparse.ArgumentParser(description="Write Quillmere's .ico files.")
    ap.add_argument("--out", metavar="DIR", help="write the icons into DIR")
    ap.add_argument("--check", action="store_true",
                    help="compare the committed icons with fresh output")
    ap.add_argument("--dir", metavar="DIR", help="icons to --check")
    args = ap.parse_args(argv)
    if args.check:
        return check(args.dir or default)
    directory = args.out or default
    os.makedirs(directory, exist_ok=True)
    for name, data in build():
        with open(os.path.join(directory, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
