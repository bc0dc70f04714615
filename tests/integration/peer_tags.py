"""Writes ID3v2 tags with mutagen and reads them back the way korvel shows them.

Run with Debian's /usr/bin/python3 (it has mutagen).

  peer_tags.py write PATH VERSION ENCODING IMAGE
      Writes a v2.VERSION tag with text in ENCODING (0 Latin-1, 1 UTF-16,
      2 UTF-16BE, 3 UTF-8) and the image file IMAGE as cover.
  peer_tags.py rows PATH
      Prints, for every frame in file order, the ID and the value korvel
      shows for it (built from what mutagen reads), escaped as korvel info
      escapes values.
  peer_tags.py picture PATH
      Prints the data of the first APIC frame in hex.
  peer_tags.py write24 PATH WRITER IMAGE
      Writes a v2.4 tag with mutagen or eyed3 (WRITER): title, artist (two
      values where the writer can), user text, two comments, the image as
      cover, lyrics, private data, a rating and a unique file identifier.
  peer_tags.py names PATH
      Prints the tag's version ("version 2.4"), its title and its artist (all
      values joined by " / ").
  peer_tags.py frames PATH
      Prints every frame as version 2.3 has it (a version 2.2 tag's frames
      upgraded), one per line in file order.
"""
import sys

from mutagen.id3 import (APIC, COMM, ID3, PCNT, POPM, PRIV, TALB, TCON, TIT2, TPE1, TRCK, TXXX,
                         TYER, TDRC, UFID, USLT, WXXX)

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


PICTURE_TYPES = [
    "Other", "File icon (32x32 PNG)", "Other file icon", "Cover (front)", "Cover (back)",
    "Leaflet page", "Media", "Lead artist", "Artist", "Conductor", "Band", "Composer",
    "Lyricist", "Recording location", "During recording", "During performance",
    "Video screen capture", "A bright coloured fish", "Illustration", "Band logotype",
    "Publisher logotype",
]


def count_text(size):
    return "%d byte%s" % (size, "" if size == 1 else "s")


def owner_text(owner, data, identifier):
    if identifier and data and all(0x20 <= b <= 0x7E for b in data):
        return "%s: %s" % (owner, data.decode("ascii"))
    return "%s, %s" % (owner, count_text(len(data)))


def value_text(frame):
    """The value korvel shows for a frame, from what mutagen reads."""
    fid = frame.FrameID
    if fid in ("TIPL", "TMCL", "IPLS"):
        return " / ".join("%s: %s" % (role, name) if role else name for role, name in frame.people)
    if fid.startswith("T") or fid == "COMM":
        return " / ".join(str(t) for t in frame.text)
    if fid == "USLT":
        return frame.text
    if fid == "SYLT":
        return "\n".join(text.lstrip("\r\n") for text, _ in frame.text)
    if fid.startswith("W"):
        return frame.url
    if fid == "PCNT":
        return str(frame.count)
    if fid == "POPM":
        text = ("%s, " % frame.email if frame.email else "") + "rating %d" % frame.rating
        return text + (", %d plays" % frame.count if hasattr(frame, "count") else "")
    if fid in ("PRIV", "UFID"):
        return owner_text(frame.owner, frame.data, fid == "UFID")
    if fid == "APIC":
        text = "%s, %s, %s" % (frame.mime or "image", count_text(len(frame.data)),
                                PICTURE_TYPES[frame.type] if frame.type < len(PICTURE_TYPES) else "Other")
        return text + (', "%s"' % frame.desc if frame.desc else "")
    if fid == "GEOB":
        text = "%s, %s" % (frame.mime or "object", count_text(len(frame.data)))
        text += ', "%s"' % frame.filename if frame.filename else ""
        return text + (', "%s"' % frame.desc if frame.desc else "")
    return count_text(len(frame._writeData()))


def shown_text(frame, version):
    """The row value: in version 2.3 every frame's value with description and
    language, in the others only comments, lyrics, user texts and links; a
    picture shows its summary alone."""
    fid = frame.FrameID
    value = value_text(frame)
    if fid != "APIC" and (version == 3 or fid in ("COMM", "USLT", "TXXX", "WXXX")):
        value += " (%s, %s)" % (getattr(frame, "desc", ""), getattr(frame, "lang", ""))
    return value


def escape(value):
    return (value.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r")
            .replace("\n", "\\n").replace("\0", "\\0"))


def frames_in_file_order(path):
    """Every frame of the tag in file order (no translation: version 2.3
    frames stay as they are in the file), and the tag's version."""
    tags = ID3(path, translate=False, load_v1=False)
    return list(tags.values()), tags.version[1]


def write24(path, writer, image):
    with open(image, "rb") as f:
        cover = f.read()
    if writer == "eyed3":
        import eyed3.id3
        tag = eyed3.id3.Tag()
        tag.title = "eyeD3 title"
        tag.artist = "eyeD3 artist"
        tag.user_text_frames.set("Value", "Key")
        tag.comments.set("first", "")
        tag.comments.set("second", "iTunNORM")
        tag.images.set(3, cover, "image/png", "Cover")
        tag.lyrics.set("Line one\nLine two")
        tag.privates.set(b"\x00\x01\xff\xfe", b"org.example")
        tag.popularities.set("rating@example.org", 196, 12)
        tag.unique_file_ids.set(b"5f1a6b2c-0001", b"http://musicbrainz.org")
        tag.save(path, version=eyed3.id3.ID3_V2_4)
        return
    tags = ID3()
    tags.add(TIT2(encoding=3, text=["mutagen title"]))
    tags.add(TPE1(encoding=3, text=["First", "Second"]))
    tags.add(TXXX(encoding=3, desc="Key", text=["Value"]))
    tags.add(COMM(encoding=1, lang="eng", desc="", text=["first"]))
    tags.add(COMM(encoding=0, lang="eng", desc="iTunNORM", text=[" 0000044E 00000061"]))
    tags.add(APIC(encoding=0, mime="image/png", type=3, desc="Cover", data=cover))
    tags.add(USLT(encoding=3, lang="eng", desc="", text="Line one\nLine two"))
    tags.add(PRIV(owner="org.example", data=b"\x00\x01\xff\xfe"))
    tags.add(POPM(email="rating@example.org", rating=196, count=12))
    tags.add(UFID(owner="http://musicbrainz.org", data=b"5f1a6b2c-0001"))
    tags.add(TDRC(encoding=0, text=["2004-05-06"]))
    tags.save(path, v2_version=4)


def main():
    command, path = sys.argv[1], sys.argv[2]
    if command == "write":
        write(path, int(sys.argv[3]), int(sys.argv[4]), sys.argv[5])
    elif command == "rows":
        frames, version = frames_in_file_order(path)
        for frame in frames:
            sys.stdout.buffer.write(("%s\t%s\n" % (frame.FrameID, escape(shown_text(frame, version))))
                                    .encode("utf-8", "surrogatepass"))
    elif command == "picture":
        for frame in frames_in_file_order(path)[0]:
            if frame.FrameID == "APIC":
                print(frame.data.hex())
                break
    elif command == "write24":
        write24(path, sys.argv[3], sys.argv[4])
    elif command == "names":
        tags = ID3(path, translate=False, load_v1=False)
        print("version 2.%d" % tags.version[1])
        for key in ("TIT2", "TPE1"):
            text = " / ".join(str(t) for t in tags[key].text) if key in tags else ""
            sys.stdout.buffer.write(("%s %s\n" % ("title" if key == "TIT2" else "artist", text)).encode("utf-8"))
    elif command == "frames":
        tags = ID3(path, translate=False, load_v1=False)
        tags.update_to_v23()
        for frame in tags.values():
            sys.stdout.buffer.write((repr(frame) + "\n").encode("utf-8", "surrogatepass"))
    else:
        sys.exit("unknown command " + command)


if __name__ == "__main__":
    main()
