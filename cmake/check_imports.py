#!/usr/bin/env python3
"""Names the DLLs a Windows program imports at load and those it delay-loads.

Usage: check_imports.py <program.exe>

Fails unless the load-time imports are only those a silent start needs
(KERNEL32, ADVAPI32, SETUPAPI, the C runtime), the six DLLs the program
delay-loads are found, every DLL, at load or delayed, is one Windows ships,
and every call is listed in imports_allowed.txt beside this script with a
Windows version no later than 7: a new import fails the check until someone
has looked up its requirements and added it. The delay-load descriptors that
the MinGW import libraries make are not listed in the PE header's
delay-import directory (it stays empty), so they are found by their shape:
32-byte records with the RVA flag whose name, module handle, address and
name tables all point into the image, and whose name table leads to
hint/name entries.
"""
import re
import struct
import sys

import os

AT_LOAD = {"KERNEL32.DLL", "ADVAPI32.DLL", "SETUPAPI.DLL", "MSVCRT.DLL"}
DELAYED = {"USER32.DLL", "GDI32.DLL", "SHELL32.DLL", "SHLWAPI.DLL", "COMCTL32.DLL", "OLE32.DLL"}
SHIPPED = AT_LOAD | DELAYED
WINDOWS_7 = (6, 1)


def allowed_calls():
    """(DLL in capitals, call) -> (major, minor) from imports_allowed.txt."""
    allowed = {}
    for line in open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "imports_allowed.txt")):
        if line.strip() and not line.startswith("#"):
            head, names = line.split(":", 1)
            dll, version = head.split()
            for name in names.split():
                allowed[(dll.upper(), name)] = tuple(int(part) for part in version.split("."))
    return allowed


def main(path):
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, size_opt = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    if struct.unpack_from("<H", data, opt)[0] != 0x20B:
        sys.exit("%s: not a 64-bit program" % path)
    table = []  # (virtual address, size, file offset) of each section
    for i in range(sections):
        vsize, va, raw_size, raw = struct.unpack_from("<IIII", data, opt + size_opt + 40 * i + 8)
        table.append((va, max(vsize, raw_size), raw, raw_size))

    def offset(rva):
        for va, size, raw, raw_size in table:
            if va <= rva < va + size and rva - va < raw_size:
                return raw + rva - va
        return None

    def text(rva, pattern=rb"[A-Za-z0-9_.]{1,64}"):
        at = offset(rva)
        match = re.match(pattern + rb"\0", data[at:at + 80]) if at is not None else None
        return match.group(0)[:-1].decode() if match else None

    def names(thunks):  # the functions of an import name table
        found, at = [], offset(thunks)
        while at is not None:
            thunk = struct.unpack_from("<Q", data, at)[0]
            if thunk == 0:
                return found
            name = "#%d" % (thunk & 0xFFFF) if thunk >> 63 else text((thunk & 0x7FFFFFFF) + 2)
            if name is None:
                return None
            found.append(name)
            at += 8
        return None

    at_load = {}
    rva = struct.unpack_from("<I", data, opt + 112 + 8)[0]
    while rva and struct.unpack_from("<5I", data, offset(rva))[3]:
        lookup, _, _, name, first = struct.unpack_from("<5I", data, offset(rva))
        at_load[text(name)] = names(lookup or first)
        rva += 20
    delayed = {}
    for va, size, raw, raw_size in table:
        for at in range(raw, raw + raw_size - 32, 4):
            attrs, name, module, iat, lookup = struct.unpack_from("<5I", data, at)
            dll = text(name, rb"[A-Za-z0-9_]{1,32}\.[dD][lL][lL]") if attrs == 1 else None
            if dll and None not in (offset(module), offset(iat)) and names(lookup):
                delayed[dll] = names(lookup)
    for title, dlls in (("at load", at_load), ("delay-loaded", delayed)):
        for dll in sorted(dlls):
            print("%s %s: %s" % (title, dll, " ".join(dlls[dll])))
    problems = ["%s is imported at load; a silent start needs only %s" % (dll, ", ".join(sorted(AT_LOAD)))
                for dll in at_load if dll.upper() not in AT_LOAD]
    problems += ["%s is not a DLL Windows ships" % dll for dll in delayed if dll.upper() not in SHIPPED]
    problems += ["%s is both imported at load and delay-loaded" % dll
                 for dll in delayed if dll.upper() in {d.upper() for d in at_load}]
    problems += ["%s is delay-loaded no more: the delay-load scan found nothing of it" % dll
                 for dll in sorted(DELAYED - {d.upper() for d in delayed})]
    allowed = allowed_calls()
    for dlls in (at_load, delayed):
        for dll in dlls:
            for name in dlls[dll]:
                version = allowed.get((dll.upper(), name))
                if version is None:
                    problems.append("%s is imported from %s and not in imports_allowed.txt: look up the first "
                                    "Windows that has it and list it there" % (name, dll))
                elif version > WINDOWS_7:
                    problems.append("%s is imported from %s; it needs Windows %d.%d, later than 7" % ((name, dll) + version))
    if problems:
        sys.exit("\n".join(problems))


if __name__ == "__main__":
    main(sys.argv[1])
