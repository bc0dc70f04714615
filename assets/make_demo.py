#!/usr/bin/python3
"""Rebuilds assets/demo.mp3: a few seconds of tones with an ID3v2.3 tag (with a
cover picture and lyrics), a Lyrics3 v2.00 block and an ID3v1.1 tag.

Needs lame, ImageMagick's convert and python3-mutagen. Run from the top folder:
    /usr/bin/python3 assets/make_demo.py
"""
import math
import os
import struct
import subprocess
import tempfile
import wave

from mutagen.id3 import (APIC, COMM, ID3, TALB, TCOM, TCON, TCOP, TENC, TIT2, TOPE,
                         TPE1, TRCK, TYER, USLT, WXXX)

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "demo.mp3")


def tones(path):
    rate = 44100
    notes = [(523.25, 0.4), (659.25, 0.4), (783.99, 0.4), (1046.5, 0.8), (783.99, 0.4), (1046.5, 1.2)]
    frames = bytearray()
    for freq, seconds in notes:
        n = int(rate * seconds)
        for i in range(n):
            envelope = min(1.0, i / 400) * min(1.0, (n - i) / 2000)
            v = 0.3 * envelope * (math.sin(2 * math.pi * freq * i / rate)
                                  + 0.3 * math.sin(4 * math.pi * freq * i / rate))
            s = int(max(-1, min(1, v)) * 32767)
            frames += struct.pack("<hh", s, s)
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


def id3v2(path, cover):
    t = ID3()
    t.add(TIT2(encoding=0, text="Morning Fanfare"))
    t.add(TPE1(encoding=0, text="The Korvel Project"))
    t.add(TALB(encoding=0, text="Demo Tones"))
    t.add(TYER(encoding=0, text="2026"))
    t.add(TRCK(encoding=0, text="1/3"))
    t.add(TCON(encoding=0, text="(52)Electronic"))
    t.add(COMM(encoding=0, lang="eng", desc="", text="A short demo file for Quelm.\nMade from five sine tones."))
    t.add(TCOM(encoding=0, text="K. Developer"))
    t.add(TCOP(encoding=0, text="2026 Korvel Project"))
    t.add(TOPE(encoding=0, text="Nobody Else"))
    t.add(TENC(encoding=0, text="lame 3.100"))
    t.add(WXXX(encoding=0, desc="", url="https://korvel.invalid/demo"))
    t.add(USLT(encoding=0, lang="eng", desc="", text="Rise and shine,\nthe tones are fine."))
    with open(cover, "rb") as f:
        t.add(APIC(encoding=0, mime="image/png", type=3, desc="", data=f.read()))
    t.save(path, v2_version=3, v1=0)


def trailer():
    """A Lyrics3 v2.00 block followed by an ID3v1.1 record."""
    fields = b""
    for fid, text in [(b"IND", b"10"), (b"ETT", b"Morning Fanfare"), (b"EAR", b"The Korvel Project"),
                      (b"EAL", b"Demo Tones"), (b"AUT", b"K. Developer"),
                      (b"LYR", b"Rise and shine,\r\nthe tones are fine.")]:
        fields += fid + b"%05d" % len(text) + text
    block = b"LYRICSBEGIN" + fields
    block += b"%06d" % len(block) + b"LYRICS200"
    rec = bytearray(128)
    rec[0:3] = b"TAG"
    for offset, size, text in [(3, 30, b"Morning Fanfare"), (33, 30, b"The Korvel Project"),
                               (63, 30, b"Demo Tones"), (93, 4, b"2026"), (97, 28, b"Demo file for Quelm")]:
        rec[offset:offset + len(text[:size])] = text[:size]
    rec[126] = 1   # track (ID3v1.1)
    rec[127] = 52  # Electronic
    return block + bytes(rec)


def main():
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "demo.wav")
        cover = os.path.join(tmp, "cover.png")
        tones(wav)
        subprocess.run(["lame", "--quiet", "-b", "96", wav, OUT], check=True)
        subprocess.run(["convert", "-size", "96x96", "gradient:#2a6f97-#f4a261", "-fill", "white",
                        "-gravity", "center", "-pointsize", "40", "-annotate", "0", "K", cover], check=True)
        id3v2(OUT, cover)
    with open(OUT, "ab") as f:
        f.write(trailer())


if __name__ == "__main__":
    main()
