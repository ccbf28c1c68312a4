#!/usr/bin/env python3
"""Makes the hostile icon sources of formats/fuzz-corpus/iconsource: icon files, modules and
shortcuts whose tables point outside themselves, and a few sound ones beside them.

Usage: make_hostile_files.py <a two-image .icl that Tamsolo saved>
Run from this folder; the results are committed."""
import os
import struct
import sys

here = os.path.dirname(os.path.abspath(__file__))
out = os.path.join(here, "..", "fuzz-corpus", "iconsource")
os.makedirs(out, exist_ok=True)


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


def patch(data, offset, fmt, *values):
    b = bytearray(data)
    struct.pack_into(fmt, b, offset, *values)
    return bytes(b)


# ---- icon files
write("hostile_huge_directory.ico",
      struct.pack('<HHH', 0, 1, 65535) + struct.pack('<BBBBHHII', 32, 32, 0, 0, 1, 8, 0x7fffffff, 0x7fffffff) * 3)
with open(os.path.join(here, "..", "..", "tests", "data", "icotool_48.ico"), "rb") as f:
    icon48 = f.read()
write("hostile_truncated_48.ico", icon48[: len(icon48) // 3])
with open(os.path.join(here, "icotool_4bit.ico"), "rb") as f:
    icon4 = f.read()
image_bytes, image_offset = struct.unpack_from('<II', icon4, 14)
image = icon4[image_offset: image_offset + image_bytes]
write("hostile_rows_cut.ico", patch(icon4, 14, '<I', 100)[: image_offset + 100])

# An animated cursor whose header names 100 frames but which holds 4.
with open(os.path.join(here, "..", "..", "tests", "data", "demo.ani"), "rb") as f:
    ani = f.read()
write("hostile_frames_beyond_icons.ani", patch(ani, 24, '<I', 100))

# ---- a 32-bit module with one group icon and its icon
def pe_module(wide=False):
    # The resource tree: types 3 and 14, each with name 1, language 0x409.
    tree = bytearray()
    def directory(entries):
        d = struct.pack('<IIHHHH', 0, 0, 0, 0, 0, len(entries))
        for name, target in entries:
            d += struct.pack('<II', name, target)
        return d
    root_size = 16 + 2 * 8
    sub_size = 16 + 8
    icon_name, group_name = root_size, root_size + sub_size
    icon_lang, group_lang = root_size + 2 * sub_size, root_size + 3 * sub_size
    icon_entry, group_entry = root_size + 4 * sub_size, root_size + 4 * sub_size + 16
    data_at = group_entry + 16
    group = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHIH', 32, 32, 16, 0, 1, 4, len(image), 1)
    tree += directory([(3, 0x80000000 | icon_name), (14, 0x80000000 | group_name)])
    tree += directory([(1, 0x80000000 | icon_lang)])
    tree += directory([(1, 0x80000000 | group_lang)])
    tree += directory([(0x409, icon_entry)])
    tree += directory([(0x409, group_entry)])
    rva = 0x1000
    tree += struct.pack('<IIII', rva + data_at, len(image), 0, 0)
    tree += struct.pack('<IIII', rva + data_at + len(image), len(group), 0, 0)
    tree += image + group
    raw = (len(tree) + 0x1FF) & ~0x1FF
    dos = b'MZ' + bytes(58) + struct.pack('<I', 0x40)
    # PE32 (i386) or PE32+ (x86-64): a 64-bit image base and stack and heap sizes, no BaseOfData.
    image_size = 0x1000 + ((raw + 0xFFF) & ~0xFFF)
    coff = b'PE\0\0' + struct.pack('<HHIIIHH', 0x8664 if wide else 0x14C, 1, 0, 0, 0, 0xF0 if wide else 0xE0,
                                     0x2022 if wide else 0x2102)
    if wide:
        opt = struct.pack('<HBBIIIIIQ', 0x20B, 2, 0, 0, 0, 0, 0, 0x1000, 0x180000000)
    else:
        opt = struct.pack('<HBBIIIIIII', 0x10B, 2, 0, 0, 0, 0, 0, 0x1000, 0x1000, 0x10000000)
    opt += struct.pack('<IIHHHHHHIIIIHH', 0x1000, 0x200, 4, 0, 0, 0, 4, 0, 0, image_size, 0x200, 0, 2, 0)
    opt += struct.pack('<QQQQII' if wide else '<IIIIII', 0x100000, 0x1000, 0x100000, 0x1000, 0, 16)
    dirs = [(0, 0)] * 16
    dirs[2] = (rva, len(tree))
    opt += b''.join(struct.pack('<II', *d) for d in dirs)
    section = b'.rsrc\0\0\0' + struct.pack('<IIIIIIHHI', len(tree), rva, raw, 0x200, 0, 0, 0, 0, 0x40000040)
    head = dos + coff + opt + section
    head += bytes(0x200 - len(head))
    return head + bytes(tree) + bytes(raw - len(tree)), {
        'section': len(dos) + len(coff) + len(opt), 'resdir': len(dos) + len(coff) + (112 if wide else 96) + 16,
        'tree': 0x200, 'icon_lang': icon_lang, 'icon_entry': icon_entry, 'group_entry': group_entry,
        'group': data_at + len(image)}


pe, at = pe_module()
write("valid_one_icon.dll", pe)
pe64, at64 = pe_module(wide=True)
write("valid_one_icon_64.dll", pe64)
write("hostile_data_outside_64.dll", patch(pe64, at64['tree'] + at64['icon_entry'], '<II', 0x7FFF0000, 0x7FFFFFFF))
write("hostile_resources_past_end.dll", patch(pe, at['section'] + 20, '<I', 0x7FFFF000))
write("hostile_resource_dir_past_end.dll", patch(pe, at['resdir'], '<II', 0x1000 + 0x180, 0x7FFFFFFF))
write("hostile_tree_loop.dll", patch(pe, at['tree'] + at['icon_lang'] + 16 + 4, '<I', 0x80000000))
write("hostile_entry_count.dll", patch(pe, at['tree'] + 14, '<H', 0xFFFF))
write("hostile_data_outside.dll", patch(pe, at['tree'] + at['icon_entry'], '<II', 0x7FFF0000, 0x7FFFFFFF))
write("hostile_group_count.dll", patch(pe, at['tree'] + at['group'] + 4, '<H', 0xFFFF))
write("hostile_cut_sections.dll", pe[: at['section'] + 20])

# ---- 16-bit modules: a library Tamsolo saved, cut and bent
with open(sys.argv[1], "rb") as f:
    library = f.read()
write("valid_library.icl", library)
write("hostile_half_library.icl", library[: len(library) // 2])
ne = struct.unpack_from('<I', library, 0x3C)[0]
table = ne + struct.unpack_from('<H', library, ne + 0x24)[0]
write("hostile_table_cut.icl", library[: table + 10])
write("hostile_type_count.icl", patch(library, table + 4, '<H', 0xFFFF))
write("hostile_resource_offset.icl", patch(library, table + 2 + 8, '<HH', 0xFFFF, 0xFFFF))
first_count = struct.unpack_from('<H', library, table + 4)[0]
write("hostile_no_table_end.icl",
      patch(library, ne + 0x26, '<H', table - ne + 2 + 8 + 12 * first_count))


# ---- shortcuts
def link(target):
    clsid = bytes([0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46])
    flags = 0x2 | 0x8 | 0x80  # link info, relative path, Unicode
    header = struct.pack('<I', 0x4C) + clsid + struct.pack('<II', flags, 0x20) + bytes(24) + struct.pack(
        '<IIIHH', 0, 0, 1, 0, 0) + bytes(8)
    volume = struct.pack('<IIII', 17, 3, 0, 16) + b'\0'
    base = target.encode('ascii') + b'\0'
    info_head = 0x1C
    info = struct.pack('<IIIIIII', 0, info_head, 1, info_head, info_head + len(volume), 0,
                       info_head + len(volume) + len(base))
    info += volume + base + b'\0'
    info = struct.pack('<I', len(info)) + info[4:]
    name = os.path.basename(target)
    relative = struct.pack('<H', len(name)) + name.encode('utf-16-le')
    return header + info + relative + struct.pack('<I', 0), len(header)


lnk, info_at = link("C:\\windows\\icon.ico")
write("valid_link.lnk", lnk)
write("hostile_link_info_offsets.lnk", patch(lnk, info_at + 16, '<I', 0x7FFFFFF0))
write("hostile_link_id_list.lnk", patch(lnk, 20, '<I', 0x1 | 0x2 | 0x8 | 0x80)[:0x4C] + struct.pack('<H', 0xFFFF))


# ---- icon files whose entries share one stored image (small versions for the icon
# reader's fuzz corpus; the tests make the full-size ones themselves)
def shared_image_icons():
    icon_out = os.path.join(here, "..", "fuzz-corpus", "icon")

    def shared(count, image, side):
        at = 6 + 16 * count
        entry = struct.pack('<BBBBHHII', side, side, 0, 0, 1, 32, len(image), at)
        return struct.pack('<HHH', 0, 1, count) + entry * count + image

    # A 32x32 8-bit bitmap padded to 4000 bytes.
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 8, 0, 0, 0, 0, 0, 0)
    bitmap = header + bytes(range(256)) * 4 + bytes((x + y) % 256 for y in range(32) for x in range(32)) + bytes(128)
    bitmap += bytes(4000 - len(bitmap))

    # A 64x64 RGBA PNG stored without compression.
    import zlib

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

    rows = b''.join(b'\0' + bytes(v for x in range(64) for v in (x * 4, y * 4, 128, x * 4)) for y in range(64))
    png = (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 64, 64, 8, 6, 0, 0, 0)) +
           chunk(b'IDAT', zlib.compress(rows, 0)) + chunk(b'IEND', b''))

    for name, data in (("hostile_shared_bitmap.ico", shared(300, bitmap, 32)),
                       ("hostile_shared_png.ico", shared(300, png, 64))):
        with open(os.path.join(icon_out, name), "wb") as f:
            f.write(data)


shared_image_icons()
