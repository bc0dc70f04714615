"""Writes ID3v2 tags with mutagen and reads them back the way korvel shows them.

Run with Debian's /usr/bin/python3 (it has mutagen).

  peer_tags.py write PATH VERSION ENCODING IMAGE
      Writes a v2.VERSION tag with text in ENCODING (0 Latin-1, 1 UTF-16,
      2 UTF-16BE, 3 UTF-8) and the image file IMAGE as cover.
  peer_tags.py rows PATH
      Prints, for the first frame of every frame ID in file order, the ID and
      the text korvel shows for it, escaped as korvel info escapes values.
  peer_tags.py updatable-rows PATH
      The same for a version 2.3 tag read through id3lib: the frame's value,
      then its description and language in parentheses.
  peer_tags.py picture PATH
      Prints the data of the first APIC frame in hex.
"""
import sys

from mutagen.id3 import (APIC, COMM, ID3, PCNT, PRIV, TALB, TCON, TIT2, TPE1, TRCK, TXXX,
                         TYER, TDRC, USLT, WXXX)

LATIN1_TEXT = "Caf\u00e9 Ol\u00e9"
WIDE_TEXT = "\u03a9\u03bc\u03ad\u03b3\u03b1 \u65e5\u672c Caf\u00e9 \U0001F3B5"


def write(path, version, encoding, image):
    text = LATIN1_TEXT if encoding == 0 else WIDE_TEXT
    tags = ID3()
    tags.add(TIT2(encoding=encoding, text=[text]))
    tags.add(TPE1(encoding=encoding, text=["Artist " + text]))
    tags.add(TALB(encoding=encoding, text=["Album"]))
    tags.add(TCON(encoding=encoding, text=["(17)Rock"]))
    tags.add(TRCK(encoding=encoding, text=["3/12"]))
    if version == 3:
        tags.add(TYER(encoding=encoding, text=["2004"]))
    else:
        tags.add(TDRC(encoding=encoding, text=["2004"]))
    tags.add(COMM(encoding=encoding, lang="deu", desc="Beschreibung", text=["Comment " + text]))
    tags.add(USLT(encoding=encoding, lang="eng", desc="", text="Line one\nLine two " + text))
    tags.add(TXXX(encoding=encoding, desc="Key", text=["Value " + text]))
    tags.add(WXXX(encoding=encoding, desc="Site", url="http://example.org/a"))
    tags.add(PCNT(count=42))
    tags.add(PRIV(owner="org.example", data=b"\x00\x01\xff\xfe"))
    with open(image, "rb") as f:
        tags.add(APIC(encoding=encoding, mime="image/bmp", type=3, desc="Cover " + text,
                      data=f.read()))
    tags.save(path, v2_version=version)


def shown_text(frame):
    """The text korvel gives a frame: text frames with their values joined by
    zero characters (user text frames with the description in front), the
    text of comments and lyrics, the play count, nothing for the rest."""
    fid = frame.FrameID
    if fid == "TXXX":
        return "\0".join([frame.desc] + list(frame.text))
    if fid.startswith("T"):
        return "\0".join(str(t) for t in frame.text)
    if fid == "COMM":
        return "\0".join(frame.text)
    if fid in ("USLT", "SYLT"):
        return frame.text
    if fid == "PCNT":
        return str(frame.count)
    return ""


def updatable_text(frame):
    """Value, description and language of a frame as the updatable tag
    gives them."""
    fid = frame.FrameID
    desc = getattr(frame, "desc", "")
    lang = getattr(frame, "lang", "")
    if fid == "TXXX":
        value = "\0".join(frame.text)
    elif fid == "WXXX":
        value = frame.url
    elif fid in ("APIC", "PRIV"):
        value = ""
    else:
        value = shown_text(frame)
    return "%s (%s, %s)" % (value, desc, lang)


def escape(value):
    return (value.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r")
            .replace("\n", "\\n").replace("\0", "\\0"))


def frames_in_file_order(path):
    # No translation: version 2.3 frames stay as they are in the file.
    tags = ID3(path, translate=False)
    seen = set()
    for frame in tags.values():
        if frame.FrameID in seen:
            continue
        seen.add(frame.FrameID)
        yield frame


def main():
    command, path = sys.argv[1], sys.argv[2]
    if command == "write":
        write(path, int(sys.argv[3]), int(sys.argv[4]), sys.argv[5])
    elif command == "rows":
        for frame in frames_in_file_order(path):
            sys.stdout.buffer.write(("%s\t%s\n" % (frame.FrameID, escape(shown_text(frame))))
                                    .encode("utf-8", "surrogatepass"))
    elif command == "updatable-rows":
        for frame in frames_in_file_order(path):
            sys.stdout.buffer.write(("%s\t%s\n" % (frame.FrameID, escape(updatable_text(frame))))
                                    .encode("utf-8", "surrogatepass"))
    elif command == "picture":
        for frame in frames_in_file_order(path):
            if frame.FrameID == "APIC":
                print(frame.data.hex())
                break
    else:
        sys.exit("unknown command " + command)


if __name__ == "__main__":
    main()
