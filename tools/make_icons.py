#!/usr/bin/env python3
"""Draw Quillmere's tray and application icons and write them as .ico files.

Each icon holds one picture for each size the shell asks for: 16, 20, 24,
32, 40, 48 and 64 pixels (the small-icon and icon sizes at 100, 125, 150
and 200 %), and the application icon also 256.  Every picture is drawn for
its own size, never scaled from another: the tile, its rim and the bolt's
corners sit on whole pixels of that size, and the line widths are chosen per
size, so the small pictures stay sharp.  Frames are 32-bit RGBA stored as
PNG, which Windows Vista and later read at every size; stored as bitmaps the
same frames would add some 90 KB to the exe.

The pictures use integer math only (4x4 supersampling with point-in-
rounded-rectangle and point-in-polygon tests), so the pixels depend only on
this file; the bytes also on zlib, which packs them at a fixed level.

  make_icons.py [--out DIR]          write the icons to res/icons/ (or DIR)
  make_icons.py --check [--dir DIR]  rebuild in memory, compare the pixels
                                     of the committed icons with it and
                                     validate their layout
  make_icons.py --preview FILE       write one PNG showing every frame
"""
import argparse
import os
import struct
import sys
import zlib

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

# Per size: tile inset and rim in whole pixels, corner radius in pixels,
# bolt outline width in 1/8 pixels.  Chosen by eye for each size.
LAYOUTS = {
    16: (1, 1, 3, 6),
    20: (1, 1, 4, 6),
    24: (2, 1, 4, 6),
    32: (3, 1, 6, 6),
    40: (3, 1, 7, 8),
    48: (4, 2, 9, 9),
    64: (5, 2, 12, 12),
    256: (20, 8, 48, 40),
}
SIZES = [16, 20, 24, 32, 40, 48, 64]
APP_SIZES = SIZES + [256]

# Lightning bolt on a 52 x 52 grid laid over the tile inside its rim; each
# size rounds the corners to its own whole pixels.
BOLT = [(24, 4), (36, 4), (29, 18), (38, 18), (15, 48), (19, 28), (9, 28)]


def geometry(size):
    """The shapes of one size, in 1/8 pixel units."""
    inset, rim, radius, outline = LAYOUTS[size]
    lo, hi = inset + rim, size - inset - rim
    span = hi - lo
    # Round half up, in integers: the corner's nearest whole pixel.
    bolt = [((lo * 52 + x * span + 26) // 52 * UNIT,
             (lo * 52 + y * span + 26) // 52 * UNIT) for x, y in BOLT]
    tile = (inset * UNIT, inset * UNIT, (size - inset) * UNIT, (size - inset) * UNIT)
    inner = tuple(v + d * rim * UNIT for v, d in zip(tile, (1, 1, -1, -1)))
    return {
        "tile": tile, "radius": radius * UNIT, "inner": inner,
        "inner_radius": (radius - rim) * UNIT, "outline": outline,
        "edges": list(zip(bolt, bolt[1:] + bolt[:1])),
    }


def in_round_rect(x, y, rect, radius):
    x0, y0, x1, y1 = rect
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    # Distance to the inner rectangle whose corners are the arc centres.
    dx = max(x0 + radius - x, 0, x - (x1 - radius))
    dy = max(y0 + radius - y, 0, y - (y1 - radius))
    return dx * dx + dy * dy <= radius * radius


def in_bolt(x, y, edges):
    """Even-odd crossing test; the division is cross-multiplied away."""
    inside = False
    for (ax, ay), (bx, by) in edges:
        if (ay > y) != (by > y):
            lhs, rhs = (x - ax) * (by - ay), (bx - ax) * (y - ay)
            if (lhs < rhs) if by > ay else (lhs > rhs):
                inside = not inside
    return inside


def near_bolt(x, y, edges, width):
    """True when (x, y) lies within width of an edge of the bolt."""
    w2 = width * width
    for (ax, ay), (bx, by) in edges:
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


def sample(x, y, g, bolt, square):
    """Colour (r, g, b, a) at one subsample point."""
    if not in_round_rect(x, y, g["tile"], g["radius"]):
        return (0, 0, 0, 0) if square is None else square + (255,)
    if in_bolt(x, y, g["edges"]):
        return bolt + (255,)
    if near_bolt(x, y, g["edges"], g["outline"]):
        return OUTLINE + (255,)
    if in_round_rect(x, y, g["inner"], g["inner_radius"]):
        return TAN + (255,)
    return TILE_RIM + (255,)


def render(size, bolt, square):
    """Rows, top-down, of (r, g, b, a) pixels with straight alpha."""
    g = geometry(size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]   # colour sums weighted by alpha
            for sy in range(SUB):
                for sx in range(SUB):
                    c = sample(px * UNIT + 2 * sx + 1,
                               py * UNIT + 2 * sy + 1, g, bolt, square)
                    for i in range(3):
                        acc[i] += c[i] * c[3]
                    acc[3] += c[3]
            a, n = acc[3], SUB * SUB
            row.append(tuple((v + a // 2) // a for v in acc[:3])
                       + ((a + n // 2) // n,) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def encode_png(rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data)))
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]), len(rows),
                                         8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def encode_ico(frames):
    """frames: (size, image bytes) in order of size."""
    head = struct.pack("<HHH", 0, 1, len(frames))
    offset = 6 + 16 * len(frames)
    for size, image in frames:
        head += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                            len(image), offset)
        offset += len(image)
    return head + b"".join(image for _, image in frames)


def build():
    """(file name, frames as (size, top-down pixel rows), .ico bytes)."""
    icons = []
    for name, bolt, square in ICONS:
        sizes = APP_SIZES if square is None else SIZES
        pictures = [(s, render(s, bolt, square)) for s in sizes]
        data = encode_ico([(s, encode_png(rows)) for s, rows in pictures])
        icons.append((name, pictures, data))
    return icons


def png_pixels(image, size):
    """The filtered rows of an 8-bit RGBA PNG of size x size, or None."""
    if not image.startswith(b"\x89PNG\r\n\x1a\n"):
        return None
    at, ihdr, idat = 8, None, b""
    while at + 8 <= len(image):
        length, kind = struct.unpack_from(">I4s", image, at)
        body = image[at + 8:at + 8 + length]
        if len(body) != length or image[at + 8 + length:at + 12 + length] != \
                struct.pack(">I", zlib.crc32(kind + body)):
            return None
        if kind == b"IHDR" and length == 13:
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    if ihdr != (size, size, 8, 6, 0, 0, 0):
        return None
    try:
        raw = zlib.decompress(idat)
    except zlib.error:
        return None
    return raw if len(raw) == size * (4 * size + 1) else None


def read_frames(data):
    """(size, RGBA bytes top-down) per frame, and the problems found."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind) != (0, 1):
        return None, ["not an icon file"]
    frames, errs = [], []
    for i in range(count):
        w, h, colours, _, planes, bits, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        size = w or 256
        image = data[offset:offset + length]
        if (w, colours, planes, bits) != (h, 0, 1, 32) or len(image) != length:
            errs.append("%d px: directory entry %r"
                        % (size, (w, h, colours, planes, bits)))
            continue
        raw = png_pixels(image, size)
        if raw is None:
            errs.append("%d px: not a readable RGBA PNG of that size" % size)
            continue
        rows = [raw[r * (4 * size + 1):(r + 1) * (4 * size + 1)]
                for r in range(size)]
        if any(row[0] != 0 for row in rows):
            errs.append("%d px: PNG rows are filtered" % size)
            continue
        frames.append((size, b"".join(row[1:] for row in rows)))
    return frames, errs


def validate(data, opaque, sizes):
    """List the problems with the layout and content of one .ico file."""
    frames, errs = read_frames(data)
    if frames is None:
        return errs
    got = [size for size, _ in frames]
    if got != sizes:
        errs.append("frames are %r px, want %r" % (got, sizes))
    for size, rgba in frames:
        alpha = rgba[3::4]
        if opaque:
            if min(alpha) != 255:
                errs.append("%d px: %d pixels are not fully opaque"
                            % (size, sum(a != 255 for a in alpha)))
            continue
        if any(alpha[i] for i in (0, size - 1, -size, -1)):
            errs.append("%d px: corner pixels are not transparent" % size)
        if max(alpha) != 255:
            errs.append("%d px: no pixel is fully opaque" % size)
    return errs


def check(directory):
    """Validates the icons in directory and compares their pixels with a
    fresh build."""
    failed = False
    for (name, _, expected), (_, _, square) in zip(build(), ICONS):
        path = os.path.join(directory, name)
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError as e:
            print("%s: cannot read: %s" % (path, e.strerror))
            failed = True
            continue
        problems = validate(data, square is not None,
                            SIZES if square is not None else APP_SIZES)
        # Pixels, not bytes: another zlib may pack the same pixels otherwise.
        got, want = read_frames(data)[0] or [], read_frames(expected)[0]
        what = ["the %d px picture" % a[0] for a, b in zip(got, want) if a != b]
        if len(got) != len(want):
            what.append("the number of pictures")
        for w in what:
            problems.append("%s differs from the generated icon; "
                            "rerun tools/make_icons.py" % w)
        for p in problems:
            print("%s: %s" % (path, p))
        failed = failed or bool(problems)
    print("%s: icons %s" % (directory, "BAD" if failed else "up to date"))
    return 1 if failed else 0


def preview(path, scale=4):
    """Every frame up to 64 px, each pixel a scale x scale block, one icon a
    row, on a checkerboard so the transparent parts show."""
    icons = build()
    gap = 4
    width = sum(s * scale + gap for s in SIZES) + gap
    height = len(icons) * (64 * scale + gap) + gap
    canvas = [[(204, 204, 204) if (x // 8 + y // 8) % 2 else (255, 255, 255)
               for x in range(width)] for y in range(height)]
    for n, (_, pictures, _) in enumerate(icons):
        left, top = gap, gap + n * (64 * scale + gap)
        for size, rows in pictures:
            if size > 64:
                continue
            for y in range(size * scale):
                for x in range(size * scale):
                    r, g, b, a = rows[y // scale][x // scale]
                    under = canvas[top + y][left + x]
                    canvas[top + y][left + x] = tuple(
                        (c * a + u * (255 - a) + 127) // 255
                        for c, u in zip((r, g, b), under))
            left += size * scale + gap
    with open(path, "wb") as f:
        f.write(encode_png([[p + (255,) for p in row] for row in canvas]))


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    default = os.path.join(root, "res", "icons")
    ap = argparse.ArgumentParser(description="Write Quillmere's .ico files.")
    ap.add_argument("--out", metavar="DIR", help="write the icons into DIR")
    ap.add_argument("--check", action="store_true",
                    help="compare the committed icons with fresh output")
    ap.add_argument("--dir", metavar="DIR", help="icons to --check")
    ap.add_argument("--preview", metavar="FILE",
                    help="write every frame, enlarged, into one PNG")
    args = ap.parse_args(argv)
    if args.check:
        return check(args.dir or default)
    if args.preview:
        preview(args.preview)
        return 0
    directory = args.out or default
    os.makedirs(directory, exist_ok=True)
    for name, _, data in build():
        with open(os.path.join(directory, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
