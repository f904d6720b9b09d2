#!/usr/bin/env python3
"""Static audit of the shipped 32-bit sorvel.exe and of its 64-bit twin.

    python3 tests/audit/audit_exe.py path/to/sorvel.exe [--twin path/to/64-bit/sorvel.exe]
    python3 tests/audit/audit_exe.py --twin path/to/64-bit/sorvel.exe

Reads the PE file itself (no tools needed) and checks what the program must
carry to run on a bare 32-bit Windows and to look right there: i386 GUI image,
a small size, imports only from system DLLs and msvcrt.dll (nothing from the
MinGW run-time DLLs, which a user would not have), the hardening header flags
with the relocations they need, an asInvoker manifest
without visual styles that declares per-monitor DPI awareness and every
Windows from Vista on, the two dialog templates control by control, the icons,
the cursors with their hot spots, the version resource, and no static
destructor, which the program's own exit would never run.  Of the 64-bit twin
it checks the x86-64 image, its unwind data (.pdata) and again no static
destructor.

Prints one line per check (those of the twin begin with "twin:"), then
"N passed, M failed".  Exit status: 0 all passed, 1 some check failed, 2 a
file could not be read as a PE image.
"""

import argparse
import hashlib
import os
import socket
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zlib

# A download a user can judge at a glance: the icons for every scale from 100
# to 200 % fit beside the code, which carries no unwind tables. Growth beyond
# this is a change to look at, not an accident.
MAX_SIZE = 64 * 1024

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "shell32.dll",
                "comdlg32.dll", "msvcrt.dll"}

# Functions that some supported Windows lacks (Vista has none of them, 8.1
# only the first and the last): an import of one would stop the exe from starting there, so
# each is looked up by name at run time, and its name is in the image.
LATE_FUNCTIONS = ("SetDefaultDllDirectories", "GetDpiForWindow", "GetSystemMetricsForDpi",
                  "ChangeWindowMessageFilterEx", "GetDpiForMonitor")

# Header flags that keep the image safe where it is run from a download
# folder: a random base, no code run from data, no SEH handler that an
# overwritten stack could name, and no compatibility shims for terminal servers.
HEADER_FLAGS = (("DYNAMIC_BASE", 0x40), ("NX_COMPAT", 0x100), ("NO_SEH", 0x400),
                ("TERMINAL_SERVER_AWARE", 0x8000))
IMAGE_FILE_RELOCS_STRIPPED = 0x1

# The process starts at its own entry point and ends in ExitProcess, never in
# the C library's exit(), so no destructor left for the end ever runs.  A
# static object with a destructor hands it to atexit, which, linked without
# auto-import, no longer links at all; a function marked as a destructor
# links all the same, into the destructor list that the linker lays after the
# constructor list, and the audit catches that.
# Where the linker lays the two lists: binutils up to 2.43 (Debian 12) into
# the code, 2.44 (Debian 13) into the read-only data.
LIST_SECTIONS = (".text", ".rdata")
IMAGE_REL_BASED_HIGHLOW, IMAGE_REL_BASED_DIR64 = 3, 10
# A RUNTIME_FUNCTION record of the 64-bit exception directory: start, end, unwind info.
RUNTIME_FUNCTION_SIZE = 12

RT_CURSOR, RT_ICON, RT_DIALOG, RT_GROUP_CURSOR, RT_GROUP_ICON = 1, 3, 5, 12, 14
RT_VERSION, RT_MANIFEST = 16, 24

# Window and control styles the templates are checked against.
WS_POPUP = 0x80000000
WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_DISABLED = 0x08000000
WS_CAPTION = 0x00C00000
WS_BORDER = 0x00800000
WS_DLGFRAME = 0x00400000
WS_SYSMENU = 0x00080000
WS_GROUP = 0x00020000
WS_TABSTOP = 0x00010000
WS_EX_TOPMOST = 0x00000008
WS_EX_STATICEDGE = 0x00020000
DS_SETFONT = 0x40
DS_MODALFRAME = 0x80
DS_CENTER = 0x800
DS_CENTERMOUSE = 0x1000
BS_TYPEMASK = 0xF
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX = 0, 1, 3
BS_ICON, BS_BITMAP = 0x40, 0x80
SS_TYPEMASK = 0x1F
SS_LEFT, SS_RIGHT, SS_ICON = 0, 2, 3
SS_NOTIFY = 0x100
SS_SUNKEN = 0x1000
ES_AUTOHSCROLL, ES_MULTILINE, ES_READONLY = 0x80, 0x4, 0x800

BUTTON, EDIT, STATIC = 0x80, 0x81, 0x82
# A template may name a system class instead of giving its atom; Windows treats both alike.
CLASS_ATOMS = {"button": BUTTON, "edit": EDIT, "static": STATIC}
NO_ID = -1

# Every control: a child, shown and enabled.
CHILD_MASK = WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_POPUP
CHILD = WS_CHILD | WS_VISIBLE
PUSH_MASK = CHILD_MASK | BS_TYPEMASK | BS_ICON | BS_BITMAP | WS_TABSTOP
# Statics must not take mouse input (SS_NOTIFY), so presses reach the dialog.
STATIC_MASK = CHILD_MASK | SS_TYPEMASK | SS_NOTIFY

# Dialog templates.
#   id, style that must be set, style that must be clear, ex style set, ex style clear,
#   x, y, cx, cy, caption, font size, face
DIALOGS = [
    (102, WS_POPUP | DS_MODALFRAME | DS_SETFONT,
     WS_BORDER | WS_DLGFRAME | WS_SYSMENU | DS_CENTER | DS_CENTERMOUSE,
     WS_EX_TOPMOST, 0, 0, 0, 316, 129, "", 8, "MS Shell Dlg"),
    (155, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
     DS_CENTER | DS_CENTERMOUSE,
     0, WS_EX_TOPMOST, 0, 0, 253, 137, "『Sorvel』について", 8, "MS Shell Dlg"),
]

# Controls in template order.  Text is a string, or an int for an icon resource.
#   id, class, text, x, y, cx, cy, style mask, style value, ex mask, ex value
CONTROLS = {
    102: [
        (1, BUTTON, "OK", 205, 108, 50, 14,
         PUSH_MASK, CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0),
        (2, BUTTON, "キャンセル", 259, 108, 50, 14,
         PUSH_MASK, CHILD | BS_PUSHBUTTON | WS_TABSTOP, 0, 0),
        (NO_ID, STATIC, 101, 7, 7, 21, 20,
         STATIC_MASK, CHILD | SS_ICON, 0, 0),
        (NO_ID, STATIC, "Sorvel (KobbleにMP3を挿入する)", 37, 14, 112, 8,
         STATIC_MASK | WS_GROUP, CHILD | SS_LEFT | WS_GROUP, 0, 0),
        # 40 units wide, not 37: at 192 dpi the text needs 114 pixels.
        (NO_ID, STATIC, "MP3ファイル", 7, 40, 40, 8,
         STATIC_MASK | WS_GROUP, CHILD | SS_LEFT | WS_GROUP, 0, 0),
        (1001, EDIT, "", 48, 38, 245, 12,
         CHILD_MASK | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY,
         CHILD | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 0, 0),
        (1002, BUTTON, "Button1", 294, 37, 15, 15,
         PUSH_MASK, CHILD | BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, 0, 0),
        (1003, BUTTON, "自動的に再生する", 16, 60, 75, 10,
         CHILD_MASK | BS_TYPEMASK | WS_TABSTOP, CHILD | BS_AUTOCHECKBOX | WS_TABSTOP, 0, 0),
        (1004, BUTTON, "ループ再生する", 16, 81, 64, 10,
         CHILD_MASK | BS_TYPEMASK | WS_TABSTOP, CHILD | BS_AUTOCHECKBOX | WS_TABSTOP, 0, 0),
    ],
    155: [
        (2, BUTTON, "閉じる", 196, 116, 50, 14,
         CHILD_MASK | BS_TYPEMASK, CHILD | BS_PUSHBUTTON, 0, 0),
        (NO_ID, STATIC, 101, 7, 7, 20, 20,
         STATIC_MASK, CHILD | SS_ICON, 0, 0),
        (NO_ID, STATIC, "Sorvel - インライン・ミュージック作成プログラム", 38, 10, 143, 8,
         STATIC_MASK, CHILD | SS_LEFT, 0, 0),
        (NO_ID, STATIC, "バージョン番号", 16, 43, 47, 8,
         STATIC_MASK, CHILD | SS_LEFT, 0, 0),
        (NO_ID, STATIC, "1.00", 69, 42, 24, 12,
         STATIC_MASK | SS_SUNKEN, CHILD | SS_RIGHT, WS_EX_STATICEDGE, WS_EX_STATICEDGE),
    ],
}

# Icon groups: id, images as (size, bits per pixel, sha256 or None) in
# directory order.  The images of the first release keep their bytes, so the
# icons look as before wherever Windows picks those sizes.  The 256-pixel
# image is a PNG file, as Windows Vista and later read that size.
ICONS = [
    (101, [(256, 32, None), (64, 4, None),
           (48, 24, "ff61d1350a4321f22d194a07c870d9ecf9b2af4b79608e3391fe925fa16bfa0f"),
           (40, 4, None),
           (32, 24, "4bc6880f41a0f96987230a4a7209e097a7abb2f332b2efcd75909990f8e9efbf"),
           (28, 4, None), (24, 4, None), (20, 4, None),
           (16, 24, "e26338410e12896a8d81a70c593826a712560c289e9c2015e56a038c53a3335f")]),
    (130, [(32, 4, None), (28, 4, None), (24, 4, None), (20, 4, None),
           (16, 4, "48baf5cbae1d76cb0a84ea7ac4c1b71e943c1b7823791165478021962b87db13")]),
]

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
# Samples per pixel of each PNG colour type.
PNG_CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}

# Cursor groups: id, size, bits per pixel, hot spot.
CURSORS = [
    (103, 32, 4, (15, 16)),
    (106, 32, 4, (15, 15)),
]

# Version strings; None means the field may be absent.
VERSION_STRINGS = [
    ("FileVersion", "1, 0, 0, 1"),
    ("ProductVersion", "1, 0, 0, 1"),
    ("ProductName", "Sorvel"),
    ("InternalName", "Sorvel"),
    ("FileDescription", "インライン・ミュージック作成プログラム"),
    ("Comments", "KobbleにMP3を挿入する"),
    ("OriginalFilename", "sorvel.exe"),
]
OPTIONAL_VERSION_STRINGS = [("CompanyName", "Sorvel")]


class BadImage(Exception):
    pass


class Report:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, expected, actual):
        """One line per check; a failure names what was expected and what was found."""
        if expected == actual:
            self.passed += 1
            print("ok   %s" % name)
        else:
            self.failed += 1
            print("FAIL %s: expected %r, got %r" % (name, expected, actual))
        return expected == actual


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ" or len(data) < 0x40:
            raise BadImage("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise BadImage("no PE signature")
        (self.machine, nsections, self.timestamp, _, _, opt_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.dll_characteristics = struct.unpack_from("<H", data, opt + 70)[0]
        if self.magic == 0x10B:
            self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
            dirs, ndirs = opt + 96, struct.unpack_from("<I", data, opt + 92)[0]
        elif self.magic == 0x20B:
            self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
            dirs, ndirs = opt + 112, struct.unpack_from("<I", data, opt + 108)[0]
        else:
            raise BadImage("unknown optional header magic 0x%x" % self.magic)
        self.dirs = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(min(ndirs, 16))]
        self.dirs += [(0, 0)] * (16 - len(self.dirs))
        self.entry = struct.unpack_from("<I", data, opt + 16)[0]
        self.pointer_size = 8 if self.magic == 0x20B else 4
        self.sections = []
        self.named_sections = {}
        base = opt + opt_size
        for i in range(nsections):
            name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", data, base + 40 * i)
            self.sections.append((va, max(vsize, rawsize), rawptr, rawsize))
            self.named_sections.setdefault(name.rstrip(b"\0").decode("latin-1"), (va, min(vsize, rawsize)))

    def offset(self, rva):
        for va, size, rawptr, rawsize in self.sections:
            if va <= rva < va + size:
                if rva - va >= rawsize:
                    raise BadImage("RVA 0x%x is not backed by file data" % rva)
                return rawptr + rva - va
        raise BadImage("RVA 0x%x outside every section" % rva)

    def cstring(self, rva):
        at = self.offset(rva)
        end = self.data.index(b"\0", at)
        return self.data[at:end].decode("latin-1")

    def imports(self):
        """DLL names of the ordinary and the delay-load import tables."""
        names = []
        rva, size = self.dirs[1]
        if rva:
            at = self.offset(rva)
            while True:
                desc = struct.unpack_from("<IIIII", self.data, at)
                if desc == (0, 0, 0, 0, 0):
                    break
                names.append(self.cstring(desc[3]))
                at += 20
        rva, size = self.dirs[13]
        if rva:
            at = self.offset(rva)
            while True:
                desc = struct.unpack_from("<8I", self.data, at)
                if not any(desc):
                    break
                names.append(self.cstring(desc[1]))
                at += 32
        return names

    def imported_functions(self):
        """Names of the functions of the ordinary import table (PE32 thunks)."""
        names = []
        rva = self.dirs[1][0]
        at = self.offset(rva) if rva else None
        while at is not None:
            desc = struct.unpack_from("<IIIII", self.data, at)
            if desc == (0, 0, 0, 0, 0):
                break
            thunk = self.offset(desc[0] or desc[4])
            while True:
                entry = struct.unpack_from("<I", self.data, thunk)[0]
                if entry == 0:
                    break
                if not entry & 0x80000000:
                    names.append(self.cstring(entry + 2))
                thunk += 4
            at += 20
        return names

    def relocated(self):
        """RVAs of the words the base relocations fix up at a random base."""
        rva, size = self.dirs[5]
        found = set()
        at, end = (self.offset(rva), self.offset(rva) + size) if rva else (0, 0)
        while at + 8 <= end:
            page, block = struct.unpack_from("<II", self.data, at)
            if block < 8:
                break
            for i in range(8, block - 1, 2):
                entry = struct.unpack_from("<H", self.data, at + i)[0]
                if entry >> 12 in (IMAGE_REL_BASED_HIGHLOW, IMAGE_REL_BASED_DIR64):
                    found.add(page + (entry & 0xFFF))
            at += block
        return found

    def destructor_lists(self):
        """The entries (addresses) of each destructor list in the image.

        The linker lays the constructor list and right after it the
        destructor list into the code or the read-only data, each a -1
        word, its entries and a 0 word, with no symbol left in a stripped
        image to find them by.  Every entry is an address, so a base
        relocation fixes it up: a -1 word, relocated words, a 0 word and the
        same again are taken for the pair wherever they stand."""
        size, width = self.pointer_size, "<I" if self.pointer_size == 4 else "<Q"
        head = b"\xff" * size
        relocated = self.relocated()
        lists = []
        for name in LIST_SECTIONS:
            if name not in self.named_sections:
                continue
            va, length = self.named_sections[name]
            start = self.offset(va)
            code = self.data[start:start + length]

            def one_list(at):
                """(entries, offset after the list) of a list at at, or None."""
                if code[at:at + size] != head:
                    return None
                entries = []
                at += size
                while at + size <= len(code) and va + at in relocated:
                    entries.append(struct.unpack_from(width, code, at)[0])
                    at += size
                if at + size > len(code) or struct.unpack_from(width, code, at)[0] != 0 or va + at in relocated:
                    return None
                return entries, at + size

            at = code.find(head)
            while at >= 0:
                ctors = one_list(at)
                dtors = one_list(ctors[1]) if ctors else None
                if dtors:
                    lists.append(dtors[0])
                at = code.find(head, at + 1)
        return lists

    def unwind_records(self):
        """(start, end) RVAs of the functions the exception directory
        (.pdata) gives unwind data for; None when the directory is not whole
        RUNTIME_FUNCTION records."""
        rva, size = self.dirs[3]
        if size % RUNTIME_FUNCTION_SIZE:
            return None
        records = []
        for i in range(size // RUNTIME_FUNCTION_SIZE):
            start, end, _ = struct.unpack_from("<III", self.data, self.offset(rva + RUNTIME_FUNCTION_SIZE * i))
            records.append((start, end))
        return records

    def resource_timestamp(self):
        """The time stamp of the root resource directory (0 when there is none)."""
        rva, size = self.dirs[2]
        return struct.unpack_from("<I", self.data, self.offset(rva) + 4)[0] if rva else 0

    def resources(self):
        """{(type, name): bytes} of the first language of each resource."""
        rva, size = self.dirs[2]
        if not rva:
            return {}
        root = self.offset(rva)
        out = {}

        def entries(at):
            named, ids = struct.unpack_from("<HH", self.data, root + at + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, root + at + 16 + 8 * i)
                if name & 0x80000000:
                    length = struct.unpack_from("<H", self.data, root + (name & 0x7FFFFFFF))[0]
                    start = root + (name & 0x7FFFFFFF) + 2
                    name = self.data[start:start + 2 * length].decode("utf-16-le")
                yield name, target

        for rtype, t in entries(0):
            if not t & 0x80000000:
                continue
            for rname, n in entries(t & 0x7FFFFFFF):
                if not n & 0x80000000:
                    continue
                for _, leaf in entries(n & 0x7FFFFFFF):
                    if leaf & 0x80000000:
                        continue
                    data_rva, data_size = struct.unpack_from("<II", self.data, root + leaf)
                    at = self.offset(data_rva)
                    out.setdefault((rtype, rname), self.data[at:at + data_size])
        return out


def read_sz_or_ord(data, at):
    """A dialog template's string-or-ordinal field: (value, next offset)."""
    first = struct.unpack_from("<H", data, at)[0]
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    if first == 0:
        return "", at + 2
    end = at
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def parse_dialog(data):
    """Header and controls of a DLGTEMPLATEEX (or plain DLGTEMPLATE)."""
    d = {}
    ex = struct.unpack_from("<HH", data, 0) == (1, 0xFFFF)
    if ex:
        _, _, _, d["exstyle"], d["style"], count, d["x"], d["y"], d["cx"], d["cy"] = \
            struct.unpack_from("<HHIIIHhhhh", data, 0)
        at = 26
    else:
        d["style"], d["exstyle"], count, d["x"], d["y"], d["cx"], d["cy"] = \
            struct.unpack_from("<IIHhhhh", data, 0)
        at = 18
    d["menu"], at = read_sz_or_ord(data, at)
    d["class"], at = read_sz_or_ord(data, at)
    d["caption"], at = read_sz_or_ord(data, at)
    d["font"] = None
    if d["style"] & DS_SETFONT:
        size = struct.unpack_from("<H", data, at)[0]
        at += 6 if ex else 2
        face, at = read_sz_or_ord(data, at)
        d["font"] = (size, face)
    controls = []
    for _ in range(count):
        at = (at + 3) & ~3
        c = {}
        if ex:
            _, c["exstyle"], c["style"], c["x"], c["y"], c["cx"], c["cy"], cid = \
                struct.unpack_from("<IIIhhhhI", data, at)
            at += 24
            c["id"] = NO_ID if cid in (0xFFFF, 0xFFFFFFFF) else cid
        else:
            c["style"], c["exstyle"], c["x"], c["y"], c["cx"], c["cy"], cid = \
                struct.unpack_from("<IIhhhhH", data, at)
            at += 18
            c["id"] = NO_ID if cid == 0xFFFF else cid
        c["class"], at = read_sz_or_ord(data, at)
        if isinstance(c["class"], str):
            c["class"] = CLASS_ATOMS.get(c["class"].lower(), c["class"])
        c["text"], at = read_sz_or_ord(data, at)
        extra = struct.unpack_from("<H", data, at)[0]
        at += 2 + extra
        controls.append(c)
    return d, controls


def check_dialog(report, resources, spec, controls_spec):
    (did, style_on, style_off, ex_on, ex_off, x, y, cx, cy, caption, points, face) = spec
    name = "dialog %d" % did
    data = resources.get((RT_DIALOG, did))
    if not report.check(name + " present", True, data is not None):
        return
    try:
        d, controls = parse_dialog(data)
    except (struct.error, UnicodeDecodeError) as e:
        report.check(name + " parses", "a dialog template", str(e))
        return
    report.check(name + " style bits set", "0x%08x" % style_on, "0x%08x" % (d["style"] & style_on))
    report.check(name + " style bits clear", "0x00000000", "0x%08x" % (d["style"] & style_off))
    report.check(name + " ex style bits set", "0x%08x" % ex_on, "0x%08x" % (d["exstyle"] & ex_on))
    report.check(name + " ex style bits clear", "0x00000000", "0x%08x" % (d["exstyle"] & ex_off))
    report.check(name + " position and size", (x, y, cx, cy), (d["x"], d["y"], d["cx"], d["cy"]))
    report.check(name + " caption", caption, d["caption"])
    report.check(name + " menu and class", ("", ""), (d["menu"], d["class"]))
    report.check(name + " font", (points, face), d["font"])
    report.check(name + " control count", len(controls_spec), len(controls))
    for i, (cid, cls, text, cx_, cy_, cw, ch, smask, sval, xmask, xval) in enumerate(controls_spec):
        cname = "%s control %d (%r)" % (name, i, text)
        if i >= len(controls):
            report.check(cname + " present", True, False)
            continue
        c = controls[i]
        report.check(cname + " id", cid, c["id"])
        report.check(cname + " class", cls, c["class"])
        report.check(cname + " text", text, c["text"])
        report.check(cname + " position", (cx_, cy_, cw, ch), (c["x"], c["y"], c["cx"], c["cy"]))
        report.check(cname + " style", "0x%08x" % sval, "0x%08x" % (c["style"] & smask))
        report.check(cname + " ex style", "0x%08x" % xval, "0x%08x" % (c["exstyle"] & xmask))


def dib_shape(data):
    """(width, height of the image, bits per pixel) from a BITMAPINFOHEADER."""
    size, width, height, _, bpp = struct.unpack_from("<IiiHH", data, 0)
    if size != 40:
        return ("header size", size)
    return (width, height // 2, bpp)


def image_shape(data):
    """(width, height, bits per pixel) of an icon image: a DIB, or a PNG file
    whose first chunk is its header."""
    if data[:8] != PNG_SIGNATURE:
        return dib_shape(data)
    if data[12:16] != b"IHDR":
        return ("PNG header chunk", data[12:16])
    width, height, depth, colour = struct.unpack_from(">IIBB", data, 16)
    return (width, height, depth * PNG_CHANNELS.get(colour, 0))


def png_whole(data):
    """True when every chunk of the PNG file is complete with its CRC, the
    last is IEND, and the image data inflates to exactly the header's rows."""
    chunks = []
    at = len(PNG_SIGNATURE)
    try:
        while at < len(data):
            length, kind = struct.unpack_from(">I4s", data, at)
            body = data[at + 8:at + 8 + length]
            crc = struct.unpack_from(">I", data, at + 8 + length)[0]
            if len(body) != length or zlib.crc32(kind + body) != crc:
                return False
            chunks.append((kind, body))
            at += 12 + length
        width, height, depth, colour = struct.unpack_from(">IIBB", chunks[0][1], 0)
        pixels = zlib.decompress(b"".join(body for kind, body in chunks if kind == b"IDAT"))
    except (struct.error, zlib.error, IndexError):
        return False
    row = 1 + (width * depth * PNG_CHANNELS.get(colour, 0) + 7) // 8
    return chunks[-1][0] == b"IEND" and len(pixels) == height * row


def check_icons(report, resources):
    for gid, images in ICONS:
        name = "icon %d" % gid
        group = resources.get((RT_GROUP_ICON, gid))
        if not report.check(name + " group present", True, group is not None):
            continue
        count = struct.unpack_from("<HHH", group, 0)[2]
        found = []
        by_size = {}
        for i in range(count):
            w, h, _, _, _, bpp, _, iid = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            image = resources.get((RT_ICON, iid))
            real = image_shape(image) if image else None
            # The directory and the image it points at must agree.
            report.check("%s image %d matches its directory entry" % (name, i),
                         (w or 256, h or 256, bpp), real)
            if image and image[:8] == PNG_SIGNATURE:
                report.check("%s image %d is a whole PNG file" % (name, i), True, png_whole(image))
            found.append((w or 256, bpp))
            by_size[w or 256] = image
        report.check(name + " images (size, depth)", [(size, bpp) for size, bpp, _ in images], found)
        for size, _, digest in images:
            if digest:
                image = by_size.get(size)
                report.check("%s %d px image as first shipped" % (name, size), digest,
                             hashlib.sha256(image).hexdigest() if image else None)


def check_cursors(report, resources):
    for gid, size, bpp, hotspot in CURSORS:
        name = "cursor %d" % gid
        group = resources.get((RT_GROUP_CURSOR, gid))
        if not report.check(name + " group present", True, group is not None):
            continue
        count = struct.unpack_from("<HHH", group, 0)[2]
        if not report.check(name + " image count", 1, count):
            continue
        _, _, _, _, _, cid = struct.unpack_from("<HHHHIH", group, 6)
        image = resources.get((RT_CURSOR, cid))
        if not report.check(name + " image present", True, image is not None):
            continue
        report.check(name + " hot spot", hotspot, struct.unpack_from("<HH", image, 0))
        report.check(name + " size and depth", (size, size, bpp), dib_shape(image[4:]))


def parse_version_node(data, at):
    """(key, value bytes, value type, children, end) of one version block."""
    length, value_length, vtype = struct.unpack_from("<HHH", data, at)
    end = at + length
    key, p = read_sz_or_ord(data, at + 6)
    p = (p + 3) & ~3
    value_bytes = value_length * 2 if vtype == 1 else value_length
    value = data[p:p + value_bytes]
    p = (p + value_bytes + 3) & ~3
    children = []
    while p < end:
        child = parse_version_node(data, p)
        children.append(child)
        p = (child[4] + 3) & ~3
    return key, value, vtype, children, end


def check_version(report, resources):
    data = resources.get((RT_VERSION, 1))
    if not report.check("version resource present", True, data is not None):
        return
    key, fixed, _, children, _ = parse_version_node(data, 0)
    report.check("version root key", "VS_VERSION_INFO", key)
    sig, _, fms, fls, pms, pls = struct.unpack_from("<6I", fixed, 0) if len(fixed) >= 24 else (0,) * 6
    report.check("version fixed info signature", 0xFEEF04BD, sig)
    report.check("version fixed file version", (0x00010000, 1), (fms, fls))
    report.check("version fixed product version", (0x00010000, 1), (pms, pls))
    blocks = {c[0]: c for c in children}
    tables = blocks.get("StringFileInfo", (None, None, None, [], None))[3]
    report.check("version string tables", ["041104b0"], [t[0] for t in tables])
    strings = {}
    for table in tables:
        for s in table[3]:
            strings[s[0]] = s[1].decode("utf-16-le").rstrip("\0")
    for field, expected in VERSION_STRINGS:
        report.check("version string " + field, expected, strings.get(field))
    for field, allowed in OPTIONAL_VERSION_STRINGS:
        report.check("version string %s absent or %r" % (field, allowed),
                     True, strings.get(field) in (None, allowed))
    translations = []
    for var in blocks.get("VarFileInfo", (None, None, None, [], None))[3]:
        if var[0] == "Translation":
            value = var[1]
            translations += [struct.unpack_from("<HH", value, i) for i in range(0, len(value) - 3, 4)]
    report.check("version translation", [(0x0411, 1200)], translations)


ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
# Per-monitor aware (v2) where Windows 10 (1703) and later rescale a dialog's
# controls and font with it; system aware where they would not (8.1, and 10
# before 1703 know only per-monitor v1, under which the dialog would resize
# around controls of the old size), so never torn. Under system awareness
# Windows stretches the dialog on a monitor of another scale than the system's
# as a bitmap: blurry there, but whole; under per-monitor v2 it is rescaled.
MANIFEST_SETTINGS = [
    (("http://schemas.microsoft.com/SMI/2005/WindowsSettings", "dpiAware"), "true"),
    (("http://schemas.microsoft.com/SMI/2016/WindowsSettings", "dpiAwareness"), "PerMonitorV2, System"),
]
SUPPORTED_OS = sorted([
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
])


def check_manifest(report, resources):
    data = resources.get((RT_MANIFEST, 1))
    if not report.check("manifest present", True, data is not None):
        return
    text = data.decode("utf-8", "replace")
    report.check("manifest asks for asInvoker", True,
                 'level="asInvoker"' in text or "level='asInvoker'" in text)
    report.check("manifest has no common-controls dependency", False,
                 "microsoft.windows.common-controls" in text.lower())
    try:
        root = ElementTree.fromstring(data)
    except ElementTree.ParseError as e:
        report.check("manifest is well-formed XML", True, str(e))
        return
    for (ns, tag), expected in MANIFEST_SETTINGS:
        found = root.findall(".//{%s}application/{%s}windowsSettings/{%s}%s" % (ASM_V3, ASM_V3, ns, tag))
        report.check("manifest %s" % tag, [expected], [(e.text or "").strip() for e in found])
    found = root.findall(".//{%s}compatibility/{%s}application/{%s}supportedOS" % ((COMPATIBILITY,) * 3))
    report.check("manifest supportedOS (Vista to 10/11)", SUPPORTED_OS,
                 sorted(e.get("Id", "").lower() for e in found))


def traces_of_the_build(data, exe_path):
    """Build paths and the host name found in the image: a reproducible build
    carries none, so that one commit gives the same bytes on every machine."""
    here = os.path.dirname(os.path.abspath(__file__))
    places = {os.path.abspath(os.path.join(here, "..", "..")), os.path.dirname(os.path.abspath(exe_path))}
    needles = set()
    for place in places:
        needles.update({place, place.replace("/", "\\"), "Z:" + place.replace("/", "\\")})
    host = socket.gethostname()
    # A very short host name ("vm") would be found in any binary by chance.
    if len(host) >= 4:
        needles.add(host)
    found = []
    for needle in sorted(needles):
        for encoding in ("latin-1", "utf-16-le"):
            if needle.encode(encoding, "replace") in data:
                found.append("%s (%s)" % (needle, encoding))
    return found


def check_no_static_destructor(report, image, prefix=""):
    """Fails when the image leaves a destructor for an exit it never takes."""
    lists = image.destructor_lists()
    report.check(prefix + "no static destructor in the destructor list", [],
                 ["0x%x" % d for entries in lists for d in entries] if lists
                 else "no destructor list found in " + " or ".join(LIST_SECTIONS))


def audit_shipped(report, path, data, image):
    """The exe users get, as it lies in the release zip."""
    imports = image.imports()
    resources = image.resources()
    report.check("file size at most %d bytes" % MAX_SIZE, True, len(data) <= MAX_SIZE)
    report.check("machine is i386", "0x14c", hex(image.machine))
    report.check("optional header is PE32", "0x10b", hex(image.magic))
    report.check("subsystem is Windows GUI", 2, image.subsystem)
    for flag, bit in HEADER_FLAGS:
        report.check("header flag %s" % flag, True, bool(image.dll_characteristics & bit))
    report.check("relocations kept, so the random base can be used", True,
                 image.dirs[5][1] > 0 and not image.characteristics & IMAGE_FILE_RELOCS_STRIPPED)
    report.check("PE header carries no time stamp", 0, image.timestamp)
    report.check("resource directory carries no time stamp", 0, image.resource_timestamp())
    report.check("no build path or host name in the image", [], traces_of_the_build(data, path))
    lowered = sorted(name.lower() for name in imports)
    report.check("imports only from system DLLs and msvcrt.dll", [],
                 [name for name in lowered if name not in ALLOWED_DLLS])
    functions = set(image.imported_functions())
    for name in LATE_FUNCTIONS:
        report.check("%s looked up at run time, not imported" % name, (False, True),
                     (name in functions, name.encode("ascii") + b"\0" in data))
    check_manifest(report, resources)
    for spec in DIALOGS:
        check_dialog(report, resources, spec, CONTROLS[spec[0]])
    check_icons(report, resources)
    check_cursors(report, resources)
    check_version(report, resources)
    check_no_static_destructor(report, image)


def audit_twin(report, path, data, image):
    """The 64-bit build of the same code: the x64 ABI unwinds every function
    that is not a leaf through the records of its exception directory, so
    without them a fault in a window procedure could be neither handled nor
    reported, and no stack read."""
    report.check("twin: machine is x86-64", "0x8664", hex(image.machine))
    report.check("twin: optional header is PE32+", "0x20b", hex(image.magic))
    # The entry point calls WinMain, so it is no leaf, and every fault in the
    # program is unwound through it.
    report.check("twin: the entry point has unwind data in .pdata", True,
                 any(start <= image.entry < end for start, end in image.unwind_records() or []))
    check_no_static_destructor(report, image, "twin: ")


def main(argv):
    parser = argparse.ArgumentParser(description="Static audit of sorvel.exe and of its 64-bit twin.")
    parser.add_argument("exe", nargs="?", help="the shipped 32-bit exe")
    parser.add_argument("--twin", help="the 64-bit twin")
    args = parser.parse_args(argv[1:])
    if not (args.exe or args.twin):
        parser.error("name an exe, the twin or both")
    audits = ([(args.exe, audit_shipped)] if args.exe else []) + ([(args.twin, audit_twin)] if args.twin else [])
    report = Report()
    for path, audit in audits:
        try:
            with open(path, "rb") as f:
                data = f.read()
            audit(report, path, data, Image(data))
        except (OSError, BadImage, struct.error, ValueError) as e:
            print("FAIL reading %s: %s" % (path, e))
            print("%d passed, %d failed" % (report.passed, report.failed + 1))
            return 2
    print("%d passed, %d failed" % (report.passed, report.failed))
    return 1 if report.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
