#!/usr/bin/python3
"""Reads the built relauncher.exe and checks what a user of it relies on:
a small, hardened 32-bit Windows GUI program that needs no DLL of its own,
with the icon, version record and manifest it ships with."""
import os
import struct
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ET

import pefile

EXE = None

# Known DLLs, which Windows loads only from the system folder, that pull in
# no DLL that is not: everything else is loaded at run time, from the system
# folder, once the DLL search has been restricted.
STATIC_IMPORTS = {"kernel32.dll", "msvcrt.dll"}

SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
}


class Executable(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = pefile.PE(EXE)

    def test_is_a_32_bit_gui_program(self):
        self.assertEqual(self.pe.FILE_HEADER.Machine, pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"])
        self.assertEqual(self.pe.OPTIONAL_HEADER.Magic, 0x10B, "not PE32")
        self.assertEqual(self.pe.OPTIONAL_HEADER.Subsystem, pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"])

    def test_imports_only_kernel32_and_msvcrt(self):
        imported = {entry.dll.decode().lower() for entry in self.pe.DIRECTORY_ENTRY_IMPORT}
        self.assertEqual(imported, STATIC_IMPORTS)
        # The same list as binutils reads it, as a second opinion.
        dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", EXE], check=True, capture_output=True,
                              text=True).stdout
        named = {line.split(":", 1)[1].strip().lower() for line in dump.splitlines() if "DLL Name:" in line}
        self.assertEqual(named, imported)

    def version_strings(self):
        strings = {}
        for info in self.pe.FileInfo[0]:
            if info.Key == b"StringFileInfo":
                for table in info.StringTable:
                    strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
        return strings

    def test_version_record(self):
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        version = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        self.assertEqual(version(fixed.FileVersionMS, fixed.FileVersionLS), (3, 0, 0, 27))
        self.assertEqual(version(fixed.ProductVersionMS, fixed.ProductVersionLS), (3, 0, 0, 27))
        expected = {name: "" for name in ("Comments", "CompanyName", "FileDescription", "InternalName",
                                          "LegalCopyright", "LegalTrademarks", "OriginalFilename",
                                          "PrivateBuild", "ProductName", "SpecialBuild")}
        expected["FileVersion"] = "3.0.0.27"
        expected["ProductVersion"] = "1.0.0.0"
        self.assertEqual(self.version_strings(), expected)

    def resources(self, type_id):
        for entry in self.pe.DIRECTORY_ENTRY_RESOURCE.entries:
            if entry.id == type_id:
                for name in entry.directory.entries:
                    for language in name.directory.entries:
                        data = language.data.struct
                        yield name.id, self.pe.get_data(data.OffsetToData, data.Size)

    def test_icon_has_three_drawn_sizes(self):
        images = dict(self.resources(pefile.RESOURCE_TYPE["RT_ICON"]))
        groups = list(self.resources(pefile.RESOURCE_TYPE["RT_GROUP_ICON"]))
        self.assertEqual(len(groups), 1, "one application icon")
        _, group = groups[0]
        reserved, kind, count = struct.unpack_from("<HHH", group)
        self.assertEqual((reserved, kind), (0, 1))
        sizes = set()
        for i in range(count):
            width, height, _, _, _, bits, size, image_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            sizes.add((width or 256, height or 256))
            image = images[image_id]
            self.assertEqual(len(image), size)
            self.assertEqual(bits, 32)
            header_size, dib_width, dib_height, _, dib_bits = struct.unpack_from("<IiiHH", image)
            self.assertEqual((header_size, dib_width, dib_height, dib_bits), (40, width, 2 * height, 32))
            pixels = image[40:40 + width * height * 4]
            alphas = pixels[3::4]
            opaque = sum(1 for a in alphas if a > 128)
            # A picture, not a blank or filled square: some of it drawn,
            # much of it transparent, in more than one shade.
            self.assertGreater(opaque, width * height // 10, f"{width}px icon is nearly empty")
            self.assertLess(opaque, width * height * 9 // 10, f"{width}px icon is a filled square")
            self.assertGreater(len(set(pixels[i:i + 4] for i in range(0, len(pixels), 4))), 3)
        self.assertEqual(sizes, {(16, 16), (32, 32), (48, 48)})

    def test_manifest_runs_as_invoker_on_windows_7_to_11(self):
        manifests = list(self.resources(pefile.RESOURCE_TYPE["RT_MANIFEST"]))
        self.assertEqual([resource_id for resource_id, _ in manifests], [1])
        root = ET.fromstring(manifests[0][1])
        levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
        self.assertEqual(levels, ["asInvoker"])
        supported = {e.get("Id") for e in root.iter() if e.tag.endswith("}supportedOS")}
        self.assertEqual(supported, SUPPORTED_OS)

    def test_hardened(self):
        flags = self.pe.OPTIONAL_HEADER.DllCharacteristics
        self.assertTrue(flags & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"], "no ASLR")
        self.assertTrue(flags & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_NX_COMPAT"], "no DEP")
        relocations = self.pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
        self.assertGreater(relocations.Size, 0, "no relocations, so Windows cannot move it")
        writable = pefile.SECTION_CHARACTERISTICS["IMAGE_SCN_MEM_WRITE"]
        executable = pefile.SECTION_CHARACTERISTICS["IMAGE_SCN_MEM_EXECUTE"]
        for section in self.pe.sections:
            name = section.Name.rstrip(b"\0").decode()
            self.assertFalse(section.Characteristics & writable and section.Characteristics & executable,
                             f"section {name} is writable and executable")
            self.assertFalse(name.startswith((".debug", "/")), f"debug section {name}")
        self.assertEqual((self.pe.FILE_HEADER.PointerToSymbolTable, self.pe.FILE_HEADER.NumberOfSymbols), (0, 0),
                         "not stripped")
        self.assertEqual(self.pe.FILE_HEADER.TimeDateStamp, 0, "a time stamp in the header")

    def test_small(self):
        self.assertLess(os.path.getsize(EXE), 64 * 1024)


if __name__ == "__main__":
    EXE = sys.argv.pop(1)
    unittest.main(verbosity=2)
