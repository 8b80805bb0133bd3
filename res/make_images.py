# Writes the program's icons and its background bitmap into res/ (run by hand from res/ when a
# picture has to change; the files it writes are committed). Plain shapes, no libraries.
import math
import struct


def ico_image(size, shape):
    """One 24-bit icon image with its mask; shape(x, y, size) gives (r, g, b) or None."""
    colour = bytearray()
    mask = bytearray()
    row_mask_bytes = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        bits = bytearray(row_mask_bytes)
        for x in range(size):
            p = shape(x + 0.5, y + 0.5, size)
            if p is None:
                colour += b"\0\0\0"
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                colour += bytes((p[2], p[1], p[0]))
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def write_ico(path, shape, sizes):
    images = [ico_image(s, shape) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 24, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def inside_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def near_segment(x, y, ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= width / 2


# Shapes on a unit square (u, v from 0 to 1), scaled to the icon size.
def unit(shape):
    return lambda x, y, size: shape(x / size, y / size)


BLUE = (40, 90, 170)
WHITE = (255, 255, 255)
GREEN = (40, 150, 60)
RED = (200, 40, 40)
ORANGE = (230, 140, 30)
DARK = (50, 50, 60)


@unit
def robot(u, v):
    # A robot head: blue rounded block with two eyes, a mouth and an antenna.
    if near_segment(u, v, 0.5, 0.04, 0.5, 0.18, 0.08) or inside_circle(u, v, 0.5, 0.06, 0.06):
        return RED
    if 0.1 <= u <= 0.9 and 0.18 <= v <= 0.92:
        corner = min(u - 0.1, 0.9 - u) < 0.08 and min(v - 0.18, 0.92 - v) < 0.08
        if corner and not any(inside_circle(u, v, cx, cy, 0.08) for cx in (0.18, 0.82) for cy in (0.26, 0.84)):
            return None
        if inside_circle(u, v, 0.33, 0.45, 0.1) or inside_circle(u, v, 0.67, 0.45, 0.1):
            return WHITE
        if 0.3 <= u <= 0.7 and 0.68 <= v <= 0.76:
            return WHITE
        return BLUE
    return None


@unit
def run(u, v):
    # A green triangle pointing right.
    if 0.2 <= u <= 0.85 and abs(v - 0.5) <= (0.85 - u) * 0.55:
        return GREEN
    return None


@unit
def add(u, v):
    if (abs(u - 0.5) <= 0.1 and 0.12 <= v <= 0.88) or (abs(v - 0.5) <= 0.1 and 0.12 <= u <= 0.88):
        return GREEN
    return None


@unit
def edit(u, v):
    # A pencil lying from the bottom left to the top right.
    if near_segment(u, v, 0.18, 0.82, 0.3, 0.7, 0.14):
        return DARK
    if near_segment(u, v, 0.28, 0.72, 0.8, 0.2, 0.22):
        return ORANGE
    return None


@unit
def remove(u, v):
    if near_segment(u, v, 0.18, 0.18, 0.82, 0.82, 0.18) or near_segment(u, v, 0.82, 0.18, 0.18, 0.82, 0.18):
        return RED
    return None


@unit
def helpmark(u, v):
    # A blue disc with a white question mark.
    if not inside_circle(u, v, 0.5, 0.5, 0.47):
        return None
    ring = 0.1 <= math.hypot(u - 0.5, v - 0.35) <= 0.2
    hook = ring and not (v > 0.35 and u < 0.5)
    stem = near_segment(u, v, 0.5, 0.5, 0.5, 0.58, 0.12)
    dot = inside_circle(u, v, 0.5, 0.8, 0.07)
    return WHITE if hook or stem or dot else BLUE


@unit
def schedule(u, v):
    # A clock face with its hands at three o'clock.
    if not inside_circle(u, v, 0.5, 0.5, 0.47):
        return None
    if not inside_circle(u, v, 0.5, 0.5, 0.38):
        return BLUE
    if near_segment(u, v, 0.5, 0.5, 0.5, 0.2, 0.1) or near_segment(u, v, 0.5, 0.5, 0.76, 0.5, 0.1):
        return DARK
    return WHITE


def luminance(c):
    """Relative luminance of an sRGB colour (0 black, 1 white)."""
    def channel(v):
        v /= 255
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    return 0.2126 * channel(c[0]) + 0.7152 * channel(c[1]) + 0.0722 * channel(c[2])


# Behind the icon buttons: their text is black at rest and white under the mouse, so the band
# must read well under both (a contrast of at least 4.5 to 1 with black and with white).
BUTTON_BAND = (84, 120, 160)
assert (luminance(BUTTON_BAND) + 0.05) / 0.05 >= 4.5 and 1.05 / (luminance(BUTTON_BAND) + 0.05) >= 4.5


def write_background(path, width, height):
    """The main window's background: a dark header band, a band behind each row of buttons
    (46-72 above the robot list, 280-308 below it) and a light vertical gradient between them.
    Every row is one colour, so the bitmap is stored with 8-bit run-length compression and a
    palette."""
    palette = []
    rows = []
    for y in range(height):
        if y < 38:
            c = (30, 60 + y, 120 + y)
        elif y < 41:
            c = (230, 140, 30)
        elif y < 75 or y >= 279:
            c = BUTTON_BAND
        else:
            t = (y - 41) // 2 * 2 / (height - 41)
            c = (int(236 - 30 * t), int(240 - 26 * t), int(248 - 18 * t))
        if c not in palette:
            palette.append(c)
        rows.append(palette.index(c))
    assert len(palette) <= 256
    data = bytearray()
    for index in reversed(rows):  # bottom-up
        left = width
        while left:
            run = min(left, 255)
            data += bytes((run, index))
            left -= run
        data += b"\0\0"  # end of line
    data[-2:] = b"\0\1"  # end of bitmap
    colours = b"".join(bytes((c[2], c[1], c[0], 0)) for c in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(data), 2835, 2835, len(palette), 0)
    offset = 14 + len(info) + len(colours)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + colours + data)


def write_bmp24(path, width, height, pixel):
    """An uncompressed 24-bit bitmap; pixel(x, y) gives (r, g, b), y from the top."""
    stride = (width * 3 + 3) // 4 * 4
    data = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        data += row + bytes(stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + data)


MAGENTA = (255, 0, 255)


def pane_caption(x, y, width=310, height=25, radius=6):
    """The editor pane's caption: a blue band with rounded top corners; magenta is cut away."""
    for cx in (radius, width - radius - 1):
        if y < radius and (x < radius if cx == radius else x > cx):
            if (x - cx) ** 2 + (y - radius) ** 2 > radius * radius:
                return MAGENTA
    t = y / (height - 1)
    return (int(60 + 40 * t), int(100 + 40 * t), int(190 + 30 * t))


def pane_glyph(up):
    """The caption's 16 x 16 state glyph, drawn with OR: black stays the caption's colour."""
    def pixel(x, y):
        u, v = (x + 0.5) / 16, (y + 0.5) / 16
        if not inside_circle(u, v, 0.5, 0.5, 0.47):
            return (0, 0, 0)
        for dy in (-0.12, 0.12):
            tip = 0.36 + dy if up else 0.64 + dy
            base = 0.56 + dy if up else 0.44 + dy
            if near_segment(u, v, 0.28, base, 0.5, tip, 0.1) or near_segment(u, v, 0.5, tip, 0.72, base, 0.1):
                return (255, 255, 255)
        return (60, 60, 90)
    return pixel


def write_link_cursor(path):
    """A 32 x 32 monochrome pointing-hand cursor (hot spot at the finger tip) for links."""
    size = 32
    # Rows of the hand: "#" black outline, "." white, anything else transparent.
    art = [
        "      ##",
        "     #..#",
        "     #..#",
        "     #..#",
        "     #..###",
        "     #..#..###",
        "     #..#..#..##",
        "     #..#..#..#.#",
        " ### #..#..#..#..#",
        " #..##........#..#",
        " #...#...........#",
        "  #..............#",
        "   #.............#",
        "   #.............#",
        "    #............#",
        "    #...........#",
        "     #..........#",
        "     #.........#",
        "      #........#",
        "      #........#",
        "      ##########",
    ]
    xor = bytearray()
    andmask = bytearray()
    for y in reversed(range(size)):
        row = art[y] if y < len(art) else ""
        xbits = bytearray(4)
        abits = bytearray(4)
        for x in range(size):
            c = row[x] if x < len(row) else " "
            if c == ".":
                xbits[x // 8] |= 0x80 >> (x % 8)
            elif c != "#":
                abits[x // 8] |= 0x80 >> (x % 8)
        xor += xbits
        andmask += abits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor) + len(andmask), 0, 0, 2, 0)
    palette = b"\0\0\0\0\xff\xff\xff\0"
    image = header + palette + xor + andmask
    out = struct.pack("<HHH", 0, 2, 1)
    out += struct.pack("<BBBBHHII", size, size, 0, 0, 6, 0, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(out + image)


if __name__ == "__main__":
    write_ico("pindrel.ico", robot, [32, 16])
    write_ico("tray.ico", robot, [16, 32])
    for name, shape in (("run", run), ("add", add), ("edit", edit), ("help", helpmark), ("remove", remove),
                        ("schedule", schedule)):
        write_ico(name + ".ico", shape, [16])
    write_background("background.bmp", 650, 343)
    write_bmp24("pane_caption.bmp", 310, 25, pane_caption)
    write_bmp24("pane_collapsed.bmp", 16, 16, pane_glyph(False))
    write_bmp24("pane_expanded.bmp", 16, 16, pane_glyph(True))
    write_link_cursor("link.cur")
