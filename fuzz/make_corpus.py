#!/usr/bin/env python3
"""Writes the starting inputs of every fuzz target into fuzz/corpus/<target>/: one valid input per command
and one at each size boundary. Run it again after changing a record; the files are committed."""
import pathlib
import shutil
import struct

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"

STAND, TREE, PATIENT, EXPOSURE, LAMPS = 75335, 742043, 742044, 742047, 742048
REVIEW_SHOW, REVIEW_CLOSE, SDK_TEXT, SDK_VALUES = 742049, 742053, 742056, 742057
REPORTS = {"tree-selected": 742042, "patient-size": 742045, "button": 742046, "review-save": 742050,
           "review-cancel": 742052, "sdk-command": 742055, "stand-check": 742058}


def i32(*values):
    return b"".join(struct.pack("<i", v) for v in values)


def text(s, units):
    raw = s.encode("utf-16-le")[: 2 * units]
    return raw + b"\0" * (2 * units - len(raw))


def record(size, *fields):
    """fields: (offset, bytes) pairs placed into a zero record of the given size."""
    out = bytearray(size)
    for offset, data in fields:
        out[offset : offset + len(data)] = data
    return bytes(out)


def message(code, body):
    return struct.pack("<I", code) + body


def write(target, name, data):
    folder = ROOT / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def records():
    tree = record(520, (0, i32(1, 42)), (8, text("Chest PA", 256)))
    tree_full = record(520, (0, i32(3, -1)), (8, "W".encode("utf-16-le") * 256))
    patient = record(768, (0, text("P-0001", 32)), (64, text("Doe^Jane", 64)), (192, text("ACC77", 32)),
                     (256, text("Chest", 256)))
    patient_full = bytes(b"A\0" * 384)
    exposure = record(128, (0, text("81", 6)), (12, text("320", 6)), (24, text("12.5", 12)),
                      (48, text("40", 12)), (72, text("1", 6)), (84, struct.pack("<h", 2)),
                      (104, i32(1, 1)), (112, struct.pack("<h", 3)), (116, i32(1, 0, 1)))
    exposure_full = bytes(range(128))
    lamps = record(268, (0, i32(1, 0, 1)))
    review = i32(2048, 2048, 14, 4096, 2048)
    sdk_text = record(132, (0, i32(0)), (4, text("APR ACKNOWLEDGE", 32)), (68, text("CON", 32)))
    sdk_values = i32(1200, -90, 3, 1800, 0)
    stand = i32(1100, 0, 45, 2)
    valid = {"stand": (STAND, stand), "tree": (TREE, tree), "tree-full-text": (TREE, tree_full),
             "patient": (PATIENT, patient), "patient-full-text": (PATIENT, patient_full),
             "exposure": (EXPOSURE, exposure), "exposure-all-bytes": (EXPOSURE, exposure_full),
             "lamps": (LAMPS, lamps), "review-show": (REVIEW_SHOW, review), "sdk-text": (SDK_TEXT, sdk_text),
             "sdk-values": (SDK_VALUES, sdk_values)}
    for name, (code, body) in valid.items():
        write("fuzz_records", f"{name}-{len(body)}", message(code, body))
        write("fuzz_records", f"{name}-short-{len(body) - 1}", message(code, body[:-1]))
        write("fuzz_records", f"{name}-long-{len(body) + 1}", message(code, body + b"\x01"))
        write("fuzz_records", f"{name}-empty", message(code, b""))
    write("fuzz_records", "review-close-0", message(REVIEW_CLOSE, b""))
    write("fuzz_records", "review-close-20", message(REVIEW_CLOSE, review))
    write("fuzz_records", "unknown-code", message(0xFFFFFFFF, lamps))
    write("fuzz_records", "no-code", b"\x9b\x52")
    for name, code in REPORTS.items():
        write("fuzz_records", f"report-{name}", message(code, sdk_values))


def stand_records():
    t = "fuzz_stand_records"
    for name, body in {"status-up": i32(1100, 0, 45, 2), "status-down": i32(1100, 0, -45, 4),
                       "status-no-sid": i32(4095, 0, 0, 0), "status-extremes": i32(-2**31, 2**31 - 1, -1, 7),
                       "command-up": i32(10, 10, 10, 2), "command-release": i32(10, 10, 10, 0),
                       "command-sync": i32(10, 10, 10, 8192)}.items():
        write(t, name, message(STAND, body))
    write(t, "status-short-15", message(STAND, i32(1100, 0, 45, 2)[:15]))
    write(t, "status-long-17", message(STAND, i32(1100, 0, 45, 2) + b"\0"))
    write(t, "status-empty", message(STAND, b""))
    for name, status in {"move-holds": "T179 T182", "error": "T187", "sensor": "T186", "other": "BUSY"}.items():
        for auto in (0, 1):
            body = record(132, (0, i32(auto)), (4, text(status, 32)), (68, text("sensor message", 32)))
            write(t, f"sdk-text-{name}-auto{auto}", message(SDK_TEXT, body))
    write(t, "sdk-text-short-131", message(SDK_TEXT, bytes(131)))
    write(t, "sdk-text-long-133", message(SDK_TEXT, bytes(133)))
    write(t, "sdk-values", message(SDK_VALUES, i32(0, 1, 2, 3, 1088)))
    write(t, "sdk-values-press-ids", message(SDK_VALUES, i32(1087, 1088, 1108, 1109, -1)))
    write(t, "sdk-values-short-19", message(SDK_VALUES, bytes(19)))


def review_bounds():
    def case(width, height, view, bitmap=(0, 0), client=(0, 0)):
        big = view > 0xFF
        encoded = (view << 1) if big else (view << 1) | 1
        return i32(width, height, 8, 256, 128) + struct.pack("<Q", encoded) + i32(*bitmap, *client)

    cases = {"exact-fit": case(16, 8, 128), "one-byte-short": case(16, 8, 127), "one-byte-spare": case(16, 8, 129),
             "empty-view": case(1, 1, 0), "one-pixel": case(1, 1, 1), "zero-width": case(0, 8, 255),
             "negative-height": case(8, -8, 255), "large-fit": case(1024, 1024, 1 << 20),
             "large-short": case(1024, 1024, (1 << 20) - 1),
             "product-at-32-bits": case(65535, 65537, 0xFFFFFFFF << 1),
             "product-over-32-bits": case(65536, 65536, 1 << 40), "int-max": case(2**31 - 1, 2**31 - 1, 2**62),
             "fit-wide": case(3000, 1000, 1 << 30, (3000, 1000), (700, 600)),
             "fit-tall": case(1000, 3000, 1 << 30, (1000, 3000), (700, 600)),
             "fit-no-bitmap": case(10, 10, 100, (0, 0), (701, -601)),
             "fit-extremes": case(-2**31, 2**31 - 1, 0, (1, -1), (2**31 - 1, -2**31)),
             "short-input": i32(16, 8)}
    for name, data in cases.items():
        write("fuzz_review_bounds", name, data)


def text_rows():
    def rows(*cells):
        return "\0".join(cells).encode("utf-16-le")

    cases = {"plain": rows("154", "OK", "162", "Cancel"), "replaced": rows("154", "OK", "154", "Fine"),
             "blanks-and-sign": rows(" \t+0193", "OK", "-7", "minus", "12abc", "digits then text"),
             "int-max": rows("2147483647", "max", "2147483648", "over"),
             "int-min": rows("-2147483648", "min", "-2147483649", "under", "-99999999999999999999", "far"),
             "no-digits": rows("", "empty id", "abc", "text id", "+", "sign only"),
             "empty-text": rows("200", ""), "odd-cell": rows("154", "OK", "199"),
             "wide-units": "\u4e2d\u6587\0\ud55c\uad6d\uc5b4".encode("utf-16-le")}
    for name, data in cases.items():
        write("fuzz_text_rows", name, data)


def msgbox_style():
    for style in list(range(16)) + [0x10, 0x20, 0x24, 0x30, 0x33, 0x40, 0x70, 0xF0, 0x1009, 0xFFFFFFFF]:
        write("fuzz_msgbox_style", f"style-{style:08x}", struct.pack("<IHH", style, 400, 200))
    write("fuzz_msgbox_style", "small-client", struct.pack("<IHH", 9, 0, 0))


def skin_file():
    good = """SidecarSkin 1
; the default look
[dialog]
face = #202830
text = #E0E0E0
[Button]
base = dialog
face = #3050A0
face2 = #203070
border = #101010
border_width = 2
radius = 6
align = center
pressed.face = #102050
focused.border = #FFFFFF
disabled.text = #808080
[message_w]
glyph = warning
glyph_color = #F0C000
"""
    bad = """SidecarSkin 1  \t
key = before any section
[unclosed
[]
[a]b
[a]
base = b
radius = 33
border_width = -1
face = #12345
colour = #000000
align = middle
glyph = star
radius = 4
radius = 5
[b]
base = A
[c]
base = nowhere
no equals sign here
"""
    cases = {"good": good, "good-crlf": good.replace("\n", "\r\n"), "good-cr": good.replace("\n", "\r"),
             "bad-lines": bad, "no-signature": "[dialog]\nface = #000000\n", "empty": "",
             "signature-only": "SidecarSkin 1", "wrong-version": "SidecarSkin 2\n[dialog]\n",
             "limits": "SidecarSkin 1\n[x]\nradius = 32\nborder_width = 8\n[y]\nradius = 0\nborder_width = 0\n"}
    for name, data in cases.items():
        write("fuzz_skin_file", name, data.encode())
    write("fuzz_skin_file", "good-bom", b"\xef\xbb\xbf" + good.encode())
    write("fuzz_skin_file", "utf16", good.encode("utf-16"))


if __name__ == "__main__":
    shutil.rmtree(ROOT, ignore_errors=True)
    for make in (records, stand_records, review_bounds, text_rows, msgbox_style, skin_file):
        make()
