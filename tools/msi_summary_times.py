#!/usr/bin/env python3
"""Sets the times of an MSI's summary information (created, last saved) to the given one, so
that two builds of one commit give the same bytes: wixl stamps the time it ran, and msibuild
sets every summary field but these.

    msi_summary_times.py PACKAGE.msi UNIX_TIME

The property set is read out with msiinfo; each FILETIME value found in it is then replaced
where it stands in the file. A value that does not stand whole in the file (split across
sectors) is an error, never a silent difference.
"""
import struct
import subprocess
import sys

VT_FILETIME = 0x40
SECONDS_1601_TO_1970 = 11644473600


def main():
    path, epoch = sys.argv[1], int(sys.argv[2])
    stream = subprocess.run(["msiinfo", "extract", path, "\x05SummaryInformation"],
                            check=True, capture_output=True).stdout
    section = struct.unpack_from("<I", stream, 44)[0]  # the one section of the property set
    count = struct.unpack_from("<I", stream, section + 4)[0]
    stamped = set()
    for i in range(count):
        _, offset = struct.unpack_from("<II", stream, section + 8 + 8 * i)
        start = section + offset
        if struct.unpack_from("<I", stream, start)[0] == VT_FILETIME:
            stamped.add(stream[start:start + 12])
    fixed = struct.pack("<IQ", VT_FILETIME, (epoch + SECONDS_1601_TO_1970) * 10_000_000)
    with open(path, "rb") as f:
        data = f.read()
    for value in stamped:
        if data.count(value) == 0:
            sys.exit(f"{path}: a summary time does not stand whole in the file")
        data = data.replace(value, fixed)
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
