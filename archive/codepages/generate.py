#!/usr/bin/env python3
"""Writes the decoding tables of the Windows ANSI code pages Trovel reads.

Run by hand from the repository's top folder, on a system whose C library has
iconv converters for these pages (glibc's, as Debian installs them):

    python3 archive/codepages/generate.py

It writes two files, both committed:
    archive/codepages/CodePageData.cpp   the tables, part of the program
    tests/archive/CodePageDigests.h      a digest of every decoding the
                                         tables give, for NameCodecTest

Where the C library defines a byte or a pair, Windows agrees with it. Windows
defines more, and that is added here:
  - single bytes that glibc leaves undefined (SINGLE_EXTRA below);
  - the lead bytes, including those of rows glibc does not know at all
    (949: C9 and FE; 950: 81-A0 and FA-FE);
  - the user-defined areas, numbered in the private use area row by row and
    within a row by trail byte (AREAS below):
      936: AAA1-AFFE -> U+E000 + 94 * (lead - 0xAA) + (trail - 0xA1)
           F8A1-FEFE -> U+E234 + 94 * (lead - 0xF8) + (trail - 0xA1)
           A140-A7A0 -> U+E4C6 + 96 * (lead - 0xA1) + index of trail in 40-7E, 80-A0
      949: C9A1-C9FE -> U+E000 + (trail - 0xA1)
           FEA1-FEFE -> U+E05E + (trail - 0xA1)
      950: FA40-FEFE -> U+E000 + 157 * (lead - 0xFA) + index of trail in 40-7E, A1-FE
           8E40-A0FE -> U+E311 + 157 * (lead - 0x8E) + the same index
           8140-8DFE -> U+EEB8 + 157 * (lead - 0x81) + the same index
    (932's area F040-F9FC and 950's C6A1-C8FE glibc has already);
  - 936: the cells of rows A2-A9 that are still undefined (the ends of the
    rows, and A896-A8A0 and a few of A940-A9A0), then D7FA-D7FE, FE50-FE7E and
    FE80-FEA0, numbered in byte order from U+E766; there are 255 of them, up
    to U+E864.
A byte of 80-9F that a single-byte page leaves undefined decodes to the C1
control of the same value, as Windows decodes it.
"""

import ctypes
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(os.path.dirname(HERE))
DATA_FILE = os.path.join(HERE, 'CodePageData.cpp')
DIGEST_FILE = os.path.join(TOP, 'tests', 'archive', 'CodePageDigests.h')

CODE_PAGES = [874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258]

LEADS = {
    932: list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)),
    936: list(range(0x81, 0xFF)),
    949: list(range(0x81, 0xFF)),
    950: list(range(0x81, 0xFF)),
}

# Every trail byte any of the pages uses lies in 40-FE.
FIRST_TRAIL = 0x40
LAST_TRAIL = 0xFE
TRAIL_COUNT = LAST_TRAIL - FIRST_TRAIL + 1


def run(first, last, base):
    return {byte: base + byte - first for byte in range(first, last + 1)}


SINGLE_EXTRA = {
    874: {**run(0xDB, 0xDE, 0xF8C1), **run(0xFC, 0xFF, 0xF8C5)},
    932: {0x80: 0x0080, 0xA0: 0xF8F0, **run(0xFD, 0xFF, 0xF8F1)},
    936: {0xFF: 0xF8F5},
    949: {0x80: 0x0080, 0xFF: 0xF8F7},
    950: {0xFF: 0xF8F8},
    1253: {0xAA: 0xF8F9, 0xD2: 0xF8FA, 0xFF: 0xF8FB},
    1255: {0xCA: 0x05BA, **run(0xD9, 0xDF, 0xF88D), 0xFB: 0xF894, 0xFC: 0xF895, 0xFF: 0xF896},
    1257: {0xA1: 0xF8FC, 0xA5: 0xF8FD},
}

GB_TRAILS = list(range(0xA1, 0xFF))                                   # 94 a row
GBK_LOW_TRAILS = list(range(0x40, 0x7F)) + list(range(0x80, 0xA1))    # 96 a row
BIG5_TRAILS = list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF))       # 157 a row

# (code page, leads, trails, first code point): the cells in row order.
AREAS = [
    (936, range(0xAA, 0xB0), GB_TRAILS, 0xE000),
    (936, range(0xF8, 0xFF), GB_TRAILS, 0xE234),
    (936, range(0xA1, 0xA8), GBK_LOW_TRAILS, 0xE4C6),
    (949, range(0xC9, 0xCA), GB_TRAILS, 0xE000),
    (949, range(0xFE, 0xFF), GB_TRAILS, 0xE05E),
    (950, range(0xFA, 0xFF), BIG5_TRAILS, 0xE000),
    (950, range(0x8E, 0xA1), BIG5_TRAILS, 0xE311),
    (950, range(0x81, 0x8E), BIG5_TRAILS, 0xEEB8),
]


def gbk_gap_cells():
    cells = [(lead, trail) for lead in range(0xA2, 0xAA) for trail in GBK_LOW_TRAILS + GB_TRAILS]
    cells += [(0xD7, trail) for trail in range(0xFA, 0xFF)]
    cells += [(0xFE, trail) for trail in range(0x50, 0x7F)]
    cells += [(0xFE, trail) for trail in range(0x80, 0xA1)]
    return cells


class Converter:
    """One glibc iconv descriptor from a code page to UTF-32LE."""

    libc = ctypes.CDLL(None, use_errno=True)
    libc.iconv_open.restype = ctypes.c_void_p
    libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    libc.iconv.restype = ctypes.c_size_t
    libc.iconv.argtypes = [ctypes.c_void_p] + [ctypes.c_void_p] * 4

    def __init__(self, code_page):
        self.handle = self.libc.iconv_open(b'UTF-32LE', b'CP%d' % code_page)
        if self.handle is None or self.handle == ctypes.c_void_p(-1).value:
            sys.exit('generate.py: the C library has no converter for CP%d' % code_page)

    def decode(self, data):
        """The one code point Bytes decode to, or None."""
        libc = self.libc
        libc.iconv(self.handle, None, None, None, None)
        source = ctypes.create_string_buffer(data, len(data))
        target = ctypes.create_string_buffer(32)
        source_at = ctypes.c_void_p(ctypes.addressof(source))
        source_left = ctypes.c_size_t(len(data))
        target_at = ctypes.c_void_p(ctypes.addressof(target))
        target_left = ctypes.c_size_t(32)
        failed = ctypes.c_size_t(-1).value
        if libc.iconv(self.handle, ctypes.byref(source_at), ctypes.byref(source_left),
                      ctypes.byref(target_at), ctypes.byref(target_left)) == failed:
            return None
        # What a converter holds back to combine with the next byte (1255,
        # 1258) comes out here: every byte stands for itself.
        if libc.iconv(self.handle, None, None, ctypes.byref(target_at),
                      ctypes.byref(target_left)) == failed:
            return None
        if source_left.value != 0 or 32 - target_left.value != 4:
            return None
        return int.from_bytes(target.raw[:4], 'little')


class Page:
    def __init__(self, code_page):
        self.code_page = code_page
        self.leads = LEADS.get(code_page, [])
        self.single = {}      # byte 80-FF -> code point; leads absent
        self.pairs = {}       # (lead, trail) -> code point
        converter = Converter(code_page)
        extra = SINGLE_EXTRA.get(code_page, {})
        for byte in range(0x80, 0x100):
            if byte in self.leads:
                continue
            code = converter.decode(bytes([byte]))
            if code is not None and byte in extra:
                sys.exit('CP%d: %02X is defined by the C library already' % (code_page, byte))
            if code is None:
                code = extra.get(byte)
            if code is None and not self.leads and byte < 0xA0:
                code = byte
            if code is None:
                sys.exit('CP%d: nothing for the single byte %02X' % (code_page, byte))
            self.single[byte] = code
        if not self.leads:
            return
        for lead in range(0x80, 0x100):
            for trail in range(0x00, 0x100):
                code = converter.decode(bytes([lead, trail]))
                if code is None or (lead not in self.leads and lead < 0x80):
                    continue
                if lead not in self.leads:
                    continue
                if not FIRST_TRAIL <= trail <= LAST_TRAIL:
                    sys.exit('CP%d: the C library decodes %02X%02X' % (code_page, lead, trail))
                self.pairs[(lead, trail)] = code
        for page, leads, trails, first in AREAS:
            if page != code_page:
                continue
            for lead in leads:
                for trail in trails:
                    self.add_pair(lead, trail, first)
                    first += 1
        if code_page == 936:
            gaps = [cell for cell in gbk_gap_cells() if cell not in self.pairs]
            for number, (lead, trail) in enumerate(gaps):
                self.add_pair(lead, trail, 0xE766 + number)
            if len(gaps) != 255:
                sys.exit('CP936: %d cells at the row ends, not 255' % len(gaps))

    def add_pair(self, lead, trail, code):
        if (lead, trail) in self.pairs:
            sys.exit('CP%d: %02X%02X is defined by the C library already'
                     % (self.code_page, lead, trail))
        self.pairs[(lead, trail)] = code

    def check(self):
        codes = list(self.single.values()) + list(self.pairs.values())
        for code in codes:
            # ASCII only from ASCII bytes, nothing from outside the BMP, and
            # no valid sequence gives the character that stands for an invalid one.
            if code < 0x80 or code > 0xFFFF or 0xD800 <= code <= 0xDFFF or code == 0xFFFD:
                sys.exit('CP%d: unusable code point U+%04X' % (self.code_page, code))

    def shared(self):
        """The code points more than one byte sequence decodes to."""
        seen = {}
        for code in list(self.single.values()) + list(self.pairs.values()):
            seen[code] = seen.get(code, 0) + 1
        return sorted(code for code, count in seen.items() if count > 1)

    def decode(self, data):
        """Code points of Data, as the program decodes them."""
        out = []
        at = 0
        while at < len(data):
            byte = data[at]
            if byte < 0x80:
                out.append(byte)
                at += 1
            elif byte not in self.leads:
                out.append(self.single[byte])
                at += 1
            else:
                trail = data[at + 1] if at + 1 < len(data) else None
                code = self.pairs.get((byte, trail))
                if code is not None:
                    out.append(code)
                    at += 2
                else:
                    # An ASCII byte after a lead is read again on its own.
                    out.append(0xFFFD)
                    at += 2 if trail is not None and trail >= 0x80 else 1
        return out

    def digest(self):
        """FNV-1a (64 bits) over the UTF-8 text of every byte 80-FF and then
        every pair 80-FF, 00-FF, each text followed by a byte FF."""
        value = 0xCBF29CE484222325
        texts = [bytes([byte]) for byte in range(0x80, 0x100)]
        texts += [bytes([lead, trail]) for lead in range(0x80, 0x100) for trail in range(0x100)]
        for text in texts:
            encoded = ''.join(map(chr, self.decode(text))).encode('utf-8') + b'\xff'
            for byte in encoded:
                value = ((value ^ byte) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
        return value


def numbers(values, per_line, indent):
    lines = []
    for at in range(0, len(values), per_line):
        lines.append(indent + ','.join(str(v) for v in values[at:at + per_line]) + ',')
    return '\n'.join(lines)


def write_data(pages):
    out = [
        '// The decoding tables of the Windows ANSI code pages, written by',
        '// generate.py beside this file: change that and run it again, do not',
        '// edit this. Code points are decimal.',
        '// clang-format off',
        '#include "CodePageData.h"',
        '',
        'namespace trovel {',
        '',
        'namespace {',
        '',
    ]
    entries = []
    for page in pages:
        cp = page.code_page
        single = [page.single.get(byte, 0) for byte in range(0x80, 0x100)]
        out.append('constexpr std::uint16_t Single%d[128] = {' % cp)
        out.append(numbers(single, 16, '    '))
        out.append('};')
        rows_name = 'std::span<const TCodePageRow>()'
        leads_name = 'nullptr'
        if page.leads:
            row_of = [0] * 128
            out.append('constexpr TCodePageRow Rows%d[%d] = {' % (cp, len(page.leads)))
            for number, lead in enumerate(page.leads):
                row_of[lead - 0x80] = number + 1
                row = [page.pairs.get((lead, trail), 0)
                       for trail in range(FIRST_TRAIL, LAST_TRAIL + 1)]
                out.append('    {{ // %02X' % lead)
                out.append(numbers(row, 16, '        '))
                out.append('    }},')
            out.append('};')
            out.append('constexpr std::uint8_t RowOfLead%d[128] = {' % cp)
            out.append(numbers(row_of, 32, '    '))
            out.append('};')
            rows_name = 'Rows%d' % cp
            leads_name = 'RowOfLead%d' % cp
        shared = page.shared()
        shared_name = 'std::span<const std::uint64_t>()'
        if shared:
            bits = [0] * 1024
            for code in shared:
                bits[code >> 6] |= 1 << (code & 63)
            out.append('// %d characters that two byte sequences give, U+%04X to U+%04X'
                       % (len(shared), shared[0], shared[-1]))
            out.append('constexpr std::uint64_t Shared%d[1024] = {' % cp)
            out.append(numbers(['0x%Xull' % word if word else '0' for word in bits], 8, '    '))
            out.append('};')
            shared_name = 'Shared%d' % cp
        out.append('')
        entries.append('    {%d, Single%d, %s, %s, %s},' % (cp, cp, leads_name, rows_name, shared_name))
    out += ['} // namespace', '', 'const TCodePageData CodePageData[%d] = {' % len(pages)]
    out += entries
    out += ['};', '', '} // namespace trovel', '']
    with open(DATA_FILE, 'w', encoding='ascii') as file:
        file.write('\n'.join(out))


def write_digests(pages):
    out = [
        '// Written by archive/codepages/generate.py with the tables it writes: for',
        '// each code page a digest of how every single byte and every pair decodes.',
        '// clang-format off',
        '#pragma once',
        '',
        '#include <cstdint>',
        '',
        'namespace trovel::testing {',
        '',
        'struct TCodePageDigest',
        '{',
        '    int CodePage;',
        '    std::uint64_t Digest;',
        '};',
        '',
        'inline constexpr TCodePageDigest CodePageDigests[] = {',
    ]
    out += ['    {%d, 0x%016XULL},' % (page.code_page, page.digest()) for page in pages]
    out += ['};', '', '} // namespace trovel::testing', '']
    with open(DIGEST_FILE, 'w', encoding='ascii') as file:
        file.write('\n'.join(out))


def main():
    pages = [Page(cp) for cp in CODE_PAGES]
    for page in pages:
        page.check()
    write_data(pages)
    write_digests(pages)
    for page in pages:
        print('CP%d: %d single bytes, %d pairs, %d shared code points'
              % (page.code_page, len(page.single), len(page.pairs), len(page.shared())))
    print('%s: %d bytes' % (os.path.relpath(DATA_FILE, TOP), os.path.getsize(DATA_FILE)))


if __name__ == '__main__':
    main()
