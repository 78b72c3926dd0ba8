#!/usr/bin/env python3
"""Writes a zip again so that the same files always give the same bytes.

Usage: reproducible_zip.py ARCHIVE EPOCH

Entries are sorted by name and each gets the time EPOCH (seconds since
1970, taken as UTC), plain read/write attributes, no extra fields and the
same compression level; directories are left out, as unzip makes them.
"""

import sys
import time
import zipfile


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    archive, epoch = sys.argv[1], int(sys.argv[2])
    # Zip times are DOS times: even seconds, nothing before 1980.
    stamp = time.gmtime(max(epoch, 315532800))[:6]

    with zipfile.ZipFile(archive) as source:
        entries = [(info.filename, source.read(info))
                   for info in source.infolist() if not info.is_dir()]
    entries.sort(key=lambda entry: entry[0])

    with zipfile.ZipFile(archive, "w") as target:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.create_system = 3  # Unix, so the attributes below are read
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            target.writestr(info, data, compresslevel=9)


if __name__ == "__main__":
    main()
