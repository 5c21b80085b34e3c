"""What the artwork generators share: writing a 24-bit Windows bitmap and mixing colours."""
import struct


def clamp(v):
    return max(0, min(255, int(round(v))))


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def write_bmp(path, pixels):
    """pixels: rows top-down of (r, g, b) values; stored bottom-up, rows padded to 4 bytes."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((clamp(b), clamp(g), clamp(r)))
        line += bytes(stride - len(line))
        body += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 3780, 3780, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + body)


def density_name(stem, scale):
    """The file a picture drawn scale times denser goes to: stem.bmp at 1x, stem@2x.bmp at 2x."""
    return stem + ("@%dx" % scale if scale != 1 else "") + ".bmp"
