# Writes test_icon.ico: a 32 x 32 icon in 24-bit colour with a mask, whose colours the control
# tests check pixel by pixel. Run by hand when the icon has to change.
import struct

W = H = 32
TOP = (200, 100, 40)     # upper half, red green blue
BOTTOM = (40, 160, 240)  # lower half


def pixel(x, y):
    """(red, green, blue, transparent) of a pixel, y from the top."""
    if x < 2 or y < 2 or x >= W - 2 or y >= H - 2:
        return (0, 0, 0, True)
    if 14 <= x < 18 and 14 <= y < 18:
        return (0, 0, 0, False)  # a black square stays black in the idle copies
    r, g, b = TOP if y < H // 2 else BOTTOM
    return (r, g, b, False)


colour = bytearray()
mask = bytearray()
for y in reversed(range(H)):  # bottom-up rows
    for x in range(W):
        r, g, b, _ = pixel(x, y)
        colour += bytes((b, g, r))
    bits = 0
    for x in range(W):
        if pixel(x, y)[3]:
            bits |= 1 << (31 - x)
    mask += struct.pack(">I", bits)

header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 24, 0, len(colour) + len(mask), 0, 0, 0, 0)
image = header + colour + mask
directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 0, 0, 1, 24, len(image), 22)
with open("test_icon.ico", "wb") as f:
    f.write(directory + image)
