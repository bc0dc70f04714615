"""mutagen's side of korvel-read-bench: reads every .mp3 file of a folder
(all ID3 frames, the ID3v1 tag merged in by mutagen, the MPEG properties)
RUNS times and prints the seconds of each run on its own line.

Run with Debian's interpreter: /usr/bin/python3 mutagen_read.py FOLDER RUNS
"""
import os
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
    folder, runs = sys.argv[1], int(sys.argv[2])
    files = sorted(os.path.join(folder, n) for n in os.listdir(folder) if n.endswith(".mp3"))
    for path in files[:20]:
        read(path)
    for _ in range(runs):
        start = time.perf_counter()
        for path in files:
            read(path)
        print(time.perf_counter() - start, flush=True)


if __name__ == "__main__":
    main()
