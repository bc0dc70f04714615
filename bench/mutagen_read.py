"""mutagen's side of korvel-read-bench: reads every file named on the command
line (all ID3 frames, the ID3v1 tag merged in by mutagen, the MPEG
properties) and prints the seconds the loop took, wall clock and processor,
on one line. The interpreter's start and the imports are left out.

Run with Debian's interpreter: /usr/bin/python3 mutagen_read.py FILE...
"""
import sys
import time

from mutagen.id3 import APIC
from mutagen.mp3 import MP3


def read(path):
    f = MP3(path)
    i = f.info
    total = int(i.length * 1000) + i.bitrate + i.sample_rate + i.channels
    total += int(i.version) + i.layer + i.mode + int(i.protected)
    total += int(i.bitrate_mode) + int(i.sketchy)
    if f.tags is not None:
        for frame in f.tags.values():
            if isinstance(frame, APIC):
                total += len(frame.data) + len(frame.mime) + len(frame.desc)
            else:
                total += len(str(frame))
    return total


def main():
    files = sys.argv[1:]
    wall, cpu = time.perf_counter(), time.process_time()
    for path in files:
        read(path)
    print(time.perf_counter() - wall, time.process_time() - cpu, flush=True)


if __name__ == "__main__":
    main()
