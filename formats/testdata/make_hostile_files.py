#!/usr/bin/env python3
"""Makes the hostile icon sources of formats/fuzz-corpus/iconsource: icon files, modules and
shortcuts whose tables point outside themselves, and a few sound ones beside them; and those
of formats/fuzz-corpus/moduleicons, the icon reader's: trees that reuse their directories,
sections that overlap, names without languages, directories of 65535 entries of one image.

Usage: make_hostile_files.py <a two-image .icl that Tamsolo saved>
Run from this folder; the results are committed."""
import os
import random
import struct
import sys
import zlib

here = os.path.dirname(os.path.abspath(__file__))
out = os.path.join(here, "..", "fuzz-corpus", "iconsource")
reader_out = os.path.join(here, "..", "fuzz-corpus", "moduleicons")
os.makedirs(out, exist_ok=True)
os.makedirs(reader_out, exist_ok=True)


def write(name, data, folder=out):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def write_reader(name, data):
    write(name, data, reader_out)


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
    file, at = pe_wrap(bytes(tree), wide)
    at.update({'icon_lang': icon_lang, 'group_lang': group_lang, 'icon_entry': icon_entry,
               'group_entry': group_entry, 'group': data_at + len(image)})
    return file, at


def pe_wrap(tree, wide=False):
    # One section .rsrc at RVA 0x1000 holding the tree, which the optional header names.
    rva = 0x1000
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
        'coff': len(dos) + 4, 'section': len(dos) + len(coff) + len(opt),
        'resdir': len(dos) + len(coff) + (112 if wide else 96) + 16, 'tree': 0x200}


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

# Type directories whose names have no language: the group icon's, and the icon's.
write_reader("hostile_group_no_language.dll", patch(pe, at['tree'] + at['group_lang'] + 14, '<H', 0))
write_reader("hostile_icon_no_language.dll", patch(pe, at['tree'] + at['icon_lang'] + 14, '<H', 0))
# A second section over the first one's addresses.
two = patch(pe, at['coff'] + 2, '<H', 2)
write_reader("hostile_overlapping_sections.dll",
      two[: at['section'] + 40] + b'.data\0\0\0' + struct.pack('<IIIIIIHHI', 0x200, 0x1000, 0x200, 0x200, 0, 0, 0, 0,
                                                              0x40000040) + two[at['section'] + 80:])
# A section inside the headers that holds the tree, and the resource directory there.
inside = two[: at['section'] + 40] + b'.hdr\0\0\0\0' + struct.pack('<IIIIIIHHI', 0x200, 0x100, 0x200, 0x200, 0, 0, 0,
                                                                 0, 0x40000040) + two[at['section'] + 80:]
write_reader("hostile_resource_dir_in_headers.dll", patch(inside, at['resdir'], '<I', 0x100))


def reused_tree(types, names, languages, padding=0):
    # Every type entry points to one name directory, every name to one language directory,
    # every language to one data entry: types x names x languages resources from three directories.
    def directory(count, target):
        return struct.pack('<IIHHHH', 0, 0, 0, 0, 0, count) + b''.join(
            struct.pack('<II', i + 1, target) for i in range(count))
    name_at = 16 + 8 * types
    language_at = name_at + 16 + 8 * names
    entry_at = language_at + 16 + 8 * languages
    group = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHIH', 32, 32, 16, 0, 1, 4, len(image), 1)
    tree = directory(types, 0x80000000 | name_at) + directory(names, 0x80000000 | language_at)
    tree += directory(languages, entry_at)
    tree += struct.pack('<IIII', 0x1000 + entry_at + 16, len(group), 0, 0) + group
    return pe_wrap(tree + bytes(padding))[0]


write_reader("hostile_reused_directories.dll", reused_tree(100, 100, 100, padding=5000))
write_reader("hostile_900k_entries.dll", reused_tree(14, 65535, 1, padding=(1 << 20) - 524800))

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


def ne_module(types, blobs, shift=4):
    # A 16-bit module of resources only: types is [(type id, [(blob index, resource id)])].
    ne = 0x40
    table = struct.pack('<H', shift)
    for type_id, entries in types:
        table += struct.pack('<HHI', type_id, len(entries), 0)
        table += b''.join(struct.pack('<HHHHI', 0, 0, 0x1C30, rid, 0) for _, rid in entries)
    table += struct.pack('<H', 0)
    names = b'\x03ICL\0'
    data_at = (ne + 64 + len(table) + len(names) + (1 << shift) - 1) >> shift << shift
    data, at = b'', []
    for blob in blobs:
        at.append(data_at + len(data))
        data += blob + bytes(-len(blob) % (1 << shift))
    # Each resource entry: offset and length in alignment units.
    t = bytearray(table)
    p = 2
    for type_id, entries in types:
        p += 8
        for index, _ in entries:
            struct.pack_into('<HH', t, p, at[index] >> shift, (len(blobs[index]) + (1 << shift) - 1) >> shift)
            p += 12
    header = bytearray(64)
    header[0:2] = b'NE'
    struct.pack_into('<HH', header, 0x24, 64, 64 + len(t))
    header[0x36] = 2
    struct.pack_into('<H', header, 0x3E, 0x0300)
    head = b'MZ' + bytes(58) + struct.pack('<I', ne) + bytes(header) + bytes(t) + names
    return head + bytes(data_at - len(head)) + data


ne_group = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHIH', 32, 32, 16, 0, 1, 4, len(image), 1)
write_reader("valid_ne_one_icon.icl", ne_module([(0x800E, [(0, 0x8001)]), (0x8003, [(1, 0x8001)])], [ne_group, image]))
write_reader("hostile_ne_icon_ids_missing.icl",
      ne_module([(0x800E, [(0, 0x8001)]), (0x8003, [(1, 0x8005)])], [ne_group, image]))
write_reader("hostile_ne_no_group_entries.icl", ne_module([(0x800E, []), (0x8003, [(1, 0x8001)])], [ne_group, image]))
write_reader("hostile_ne_group_count.icl",
      ne_module([(0x800E, [(0, 0x8001)]), (0x8003, [(1, 0x8001)])], [patch(ne_group, 4, '<H', 0xFFFF), image]))
# As many groups as a resource table holds, all of the one group and its icon: a big, sound module.
write_reader("valid_ne_5000_groups.icl",
      ne_module([(0x800E, [(0, 0x8001 + i) for i in range(5000)]), (0x8003, [(1, 0x8001)])], [ne_group, image]))


# ---- icon files whose 65535 entries all point to one image
def png(width, height, rows):
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))


def same_image_icon(image, width, bits):
    count = 65535
    entry = struct.pack('<BBBBHHII', width & 0xFF, width & 0xFF, 0, 0, 1, bits, len(image), 6 + 16 * count)
    return struct.pack('<HHH', 0, 1, count) + entry * count + image


noise = random.Random(29)
big_png = png(256, 256, b''.join(b'\0' + bytes(noise.getrandbits(8) for _ in range(1024)) for _ in range(256)))
write_reader("hostile_65535_entries_one_png.ico", same_image_icon(big_png, 256, 32))
small_png = png(256, 256, (b'\0' + b'\x40\x80\xC0\xFF' * 256) * 256)
write_reader("hostile_65535_entries_small_png.ico", same_image_icon(small_png, 256, 32))
# 5000 groups that show two 256x256 images in turn: each group is sound, but decoding the
# image of every one costs thousands of large images for a file of a few.
def large_group(icon_id):
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHIH', 0, 0, 0, 0, 1, 32, len(small_png), icon_id)
write_reader("hostile_ne_groups_two_large_images.icl",
      ne_module([(0x800E, [(i % 2, 0x8001 + i) for i in range(5000)]), (0x8003, [(2, 0x8001), (3, 0x8002)])],
                [large_group(1), large_group(2), small_png, small_png]))
# A 24-bit 127x127 image of 50,840 bytes, one record's worth.
rows = 127 * ((3 * 127 + 3) // 4 * 4) + 127 * 16
bitmap = struct.pack('<IiiHHIIiiII', 40, 127, 254, 1, 24, 0, 0, 0, 0, 0, 0) + bytes(noise.getrandbits(8) for _ in range(rows))
write_reader("hostile_65535_entries_one_bitmap.ico", same_image_icon(bitmap, 127, 24))


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


# ---- files that only the system's own readers take (fuzz-corpus/readers): metafiles whose
# records point outside themselves and animated cursors that our checks pass; the system's
# reader is what trusts them.
readers_out = os.path.join(here, "..", "fuzz-corpus", "readers")


def write_reader_file(name, data):
    os.makedirs(readers_out, exist_ok=True)
    with open(os.path.join(readers_out, name), "wb") as f:
        f.write(data)


def emf(records, frame=(0, 0, 2540, 2540), handles=4, bounds=(0, 0, 95, 95)):
    """An enhanced metafile of the records (type, payload) between its header and end record."""
    body = b''.join(struct.pack('<II', t, 8 + len(p)) + p for t, p in records)
    eof = struct.pack('<IIIII', 14, 20, 0, 16, 20)
    size = 88 + len(body) + len(eof)
    header = struct.pack('<II', 1, 88) + struct.pack('<4i', *bounds) + struct.pack('<4i', *frame)
    header += struct.pack('<IIIIHHIII', 0x464D4520, 0x10000, size, len(records) + 2, handles, 0, 0, 0, 0)
    header += struct.pack('<4i', 1024, 768, 320, 240)
    return header + body + eof


def wmf(records, extent=(96, 96)):
    """A Windows metafile with a window extent and the records (function, params as int16 words)."""
    recs = [(0x020C, [extent[1], extent[0]])] + records
    body = b''
    for function, params in recs:
        body += struct.pack('<IH', 3 + len(params), function) + b''.join(struct.pack('<H', p & 0xFFFF) for p in params)
    body += struct.pack('<IH', 3, 0)
    largest = max(3 + len(p) for _, p in recs)
    header = struct.pack('<HHHIHIH', 1, 9, 0x0300, (18 + len(body)) // 2, 4, largest, 0)
    return header + body


def hostile_metafiles():
    big = 0x7FFFFFFF
    bounds = struct.pack('<4i', 0, 0, 95, 95)
    pen = struct.pack('<IiiI', 0, 1, 0, 0x0000FF)  # LOGPEN: solid, width 1, red
    write_reader_file("hostile_select_object.emf", emf([(37, struct.pack('<I', big))]))
    write_reader_file("hostile_delete_object.emf", emf([(40, struct.pack('<I', big))]))
    write_reader_file("hostile_create_pen.emf", emf([(38, struct.pack('<I', big) + pen)]))
    # The same indices as a 32-bit process sees them: 0x7fffffff handles lie 4 bytes before the
    # table there, these 2 GB away from it.
    write_reader_file("hostile_select_object_far.emf", emf([(37, struct.pack('<I', 0x20000000))]))
    write_reader_file("hostile_delete_object_far.emf", emf([(40, struct.pack('<I', 0x20000000))]))
    # Point counts far beyond the two points the record holds.
    two_points = struct.pack('<4i', 0, 0, 90, 90)
    write_reader_file("hostile_polygon_count.emf", emf([(3, bounds + struct.pack('<I', 0x10000000) + two_points)]))
    write_reader_file("hostile_polygon_count_wraps.emf", emf([(3, bounds + struct.pack('<I', 0x20000001) + two_points)]))
    write_reader_file("hostile_polyline16_count.emf",
                      emf([(87, bounds + struct.pack('<I', 0x10000000) + struct.pack('<4h', 0, 0, 90, 90))]))
    write_reader_file("hostile_polypolyline16_count.emf",
                      emf([(90, bounds + struct.pack('<II', 0x10000000, 2) + struct.pack('<I', 2) +
                            struct.pack('<4h', 0, 0, 90, 90))]))
    # Offsets past the record.
    text = bounds + struct.pack('<Iff', 1, 1.0, 1.0) + struct.pack('<iiIIIiiiiI', 10, 10, 16, 0x7FFFFFF0, 0,
                                                                   0, 0, 95, 95, 0x7FFFFFF0)
    write_reader_file("hostile_exttextout_offsets.emf", emf([(84, text)]))
    stretch = bounds + struct.pack('<6i', 0, 0, 0, 0, 32, 32) + struct.pack('<IIII', 0x7FFFFFF0, 40, 0x7FFFFFF0, 4096)
    stretch += struct.pack('<II', 0, 0x00CC0020) + struct.pack('<ii', 96, 96)
    write_reader_file("hostile_stretchdibits_offsets.emf", emf([(81, stretch)]))
    # Windows metafiles: object index 0xffff, polygon counts past the record.
    write_reader_file("hostile_select_object.wmf", wmf([(0x012D, [0xFFFF])]))
    write_reader_file("hostile_delete_object.wmf", wmf([(0x01F0, [0xFFFF])]))
    write_reader_file("hostile_polypolygon_count.wmf", wmf([(0x0538, [2, 0x7FFF, 0x7FFF, 0, 0, 90, 90])]))
    # Sound: a red square on a blue one.
    brush = struct.pack('<III', 0, 0xFF0000, 0)  # LOGBRUSH: solid, blue
    write_reader_file("valid_boxes.emf", emf([(39, struct.pack('<I', 1) + brush), (37, struct.pack('<I', 1)),
                                              (43, struct.pack('<4i', 0, 0, 95, 95)),
                                              (39, struct.pack('<I', 2) + struct.pack('<III', 0, 0x0000FF, 0)),
                                              (37, struct.pack('<I', 2)), (43, struct.pack('<4i', 24, 24, 71, 71))]))


def slow_metafiles():
    """Sound records that take the system many seconds to draw on a 1024 x 1024 picture."""
    frame, bounds = (0, 0, 27093, 27093), (0, 0, 1023, 1023)
    box = struct.pack('<4i', *bounds)
    def zigzag(n):
        return b''.join(struct.pack('<hh', (i * 37) % 1024, (i * 101) % 1024) for i in range(n))
    # A polygon of 12,000 crossing edges.
    write_reader_file("hostile_slow_polygon.emf",
                      emf([(86, box + struct.pack('<I', 12000) + zigzag(12000))], frame, bounds=bounds))
    # A geometric pen 100,000 units wide drawing 1,000 segments.
    pen = struct.pack('<IIIII', 1, 0, 0, 0, 0) + struct.pack('<IIIIII', 0x00010000, 100000, 0, 0xFF, 0, 0)
    write_reader_file("hostile_slow_wide_pen.emf",
                      emf([(95, pen), (37, struct.pack('<I', 1)), (87, box + struct.pack('<I', 1000) + zigzag(1000))],
                          frame, bounds=bounds))


def ani_with(chunks_of_lists, frames):
    """An animated cursor: the demo's header made to name frames images, then LIST chunks."""
    with open(os.path.join(here, "..", "..", "tests", "data", "demo.ani"), "rb") as f:
        demo = f.read()
    anih = bytearray(demo[12:12 + 44])
    struct.pack_into('<II', anih, 8 + 4, frames, frames)
    body = bytes(anih)
    for kind, chunks in chunks_of_lists:
        inner = kind + b''.join(c + (b'\0' if len(c) % 2 else b'') for c in chunks)
        body += b'LIST' + struct.pack('<I', len(inner)) + inner
    return b'RIFF' + struct.pack('<I', 4 + len(body)) + b'ACON' + body, demo


def hostile_cursor_files():
    _, demo = ani_with([], 1)
    icons = []
    at = 68
    for _ in range(2):
        n = struct.unpack_from('<I', demo, at + 4)[0]
        icons.append(demo[at: at + 8 + n])
        at += 8 + n
    junk = b'junk' + struct.pack('<I', 64) + bytes(64)
    data, _ = ani_with([(b'fram', [icons[0], junk, icons[1]])], 2)
    write_reader_file("hostile_fram_junk.ani", data)
    data, _ = ani_with([(b'fram', icons), (b'fram', icons)], 2)
    write_reader_file("hostile_two_fram.ani", data)
    # The header names four frames, each list holds two.
    data, _ = ani_with([(b'fram', icons), (b'fram', icons)], 4)
    write_reader_file("hostile_two_fram_b.ani", data)



hostile_metafiles()
slow_metafiles()
hostile_cursor_files()
