"""Writes ID3v2 tags with mutagen and reads them back the way korvel shows them.

Run with Debian's /usr/bin/python3 (it has mutagen).

  peer_tags.py write PATH VERSION ENCODING IMAGE
      Writes a v2.VERSION tag with text in ENCODING (0 Latin-1, 1 UTF-16,
      2 UTF-16BE, 3 UTF-8) and the image file IMAGE as cover.
  peer_tags.py write-all PATH VERSION
      Writes a v2.VERSION tag with every kind of frame mutagen knows:
      several values, comments, lyrics, synchronised lyrics, involved people,
      pictures, an object, identifiers, private data, rating and counters.
  peer_tags.py rows PATH
      Prints, for every frame in file order, the ID and the value korvel
      shows for it (built from what mutagen reads), escaped as korvel info
      escapes values.
  peer_tags.py picture PATH
      Prints the data of the first APIC frame in hex.
  peer_tags.py json KORVEL PATH...
      Runs KORVEL info --json --binary on the files, parses the document with
      the json module and compares every frame (and the ID3v1 texts) with
      what mutagen reads. Prints the differences and exits with status 1 when
      there are any; frames that mutagen drops (empty or junk frames) are
      counted, not compared.
"""
import base64
import hashlib
import json
import subprocess
import sys

from mutagen.id3 import (APIC, COMM, GEOB, ID3, IPLS, PCNT, POPM, PRIV, RVA2, SYLT, TALB, TCON, TIPL,
                         TIT2, TMCL, TPE1, TRCK, TXXX, TYER, TDRC, UFID, USLT, WOAR, WXXX)
from mutagen.id3 import Frame
from mutagen.id3._id3v1 import ParseID3v1
from mutagen.id3._tags import read_frames

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


def write_all(path, version):
    tags = ID3()
    tags.add(TIT2(encoding=1, text=["\u00c9t\u00e9 \u65e5\u672c"]))
    tags.add(TPE1(encoding=3 if version == 4 else 1, text=["One", "Two"]))
    tags.add(TCON(encoding=0, text=["(17)Rock"]))
    tags.add(TDRC(encoding=0, text=["2004-05-06"]) if version == 4 else TYER(encoding=0, text=["2004"]))
    tags.add(TXXX(encoding=1, desc="MOOD", text=["calm"]))
    tags.add(TXXX(encoding=0, desc="EMPTY", text=[""]))
    tags.add(COMM(encoding=0, lang="eng", desc="", text=["plain"]))
    tags.add(COMM(encoding=1, lang="deu", desc="Beschreibung", text=["\u00fcber"]))
    tags.add(USLT(encoding=1, lang="eng", desc="", text="Line one\nLine two"))
    tags.add(SYLT(encoding=1, lang="eng", format=2, type=1, desc="sync",
                  text=[("First", 0), ("Second \u00e9", 1500)]))
    if version == 4:
        tags.add(TIPL(encoding=3, people=[["producer", "Cleo"], ["mix", "Dan"]]))
        tags.add(TMCL(encoding=3, people=[["piano", "Eve"]]))
    else:
        tags.add(IPLS(encoding=1, people=[["producer", "Cleo"], ["mix", "Dan"]]))
    tags.add(APIC(encoding=0, mime="image/png", type=3, desc="front", data=b"\x89PNG\r\n\x1a\n" + bytes(range(200))))
    tags.add(APIC(encoding=1, mime="image/jpeg", type=4, desc="b\u00e4ck", data=b"\xff\xd8\xff" + bytes(90)))
    tags.add(GEOB(encoding=0, mime="text/plain", filename="notes.txt", desc="notes", data=b"some notes\n"))
    tags.add(UFID(owner="http://musicbrainz.org", data=b"0b9a1e6d-1111-2222-3333-444455556666"))
    tags.add(PRIV(owner="org.example", data=b"\x00\x01\xff"))
    tags.add(POPM(email="me@example.org", rating=196, count=12))
    tags.add(PCNT(count=7))
    tags.add(WOAR(url="http://artist.example/"))
    tags.add(WXXX(encoding=0, desc="shop", url="http://shop.example/"))
    tags.add(RVA2(desc="track", channel=1, gain=-2.5, peak=0.5))
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


class FramesInOrder(ID3):
    """mutagen's reading of every frame, in file order and without merging
    repeated frames (ID3 itself keeps one frame per key). Each frame keeps
    the data it was read from, with its format flags, for the frames mutagen
    takes apart into structures of its own (chapters, equalisation, ...)."""

    def _read(self, header, data):
        parse = Frame._fromData.__func__

        def keeping_data(cls, id3, tflags, framedata):
            frame = parse(cls, id3, tflags, framedata)
            frame.read_from = (tflags, framedata)
            return frame

        Frame._fromData = classmethod(keeping_data)
        try:
            self.frame_list, self.unknown_frames, rest = read_frames(header, data, header.known_frames)
        finally:
            Frame._fromData = classmethod(parse)
        return rest


def binary(data):
    return {"size": len(data), "sha256": hashlib.sha256(data).hexdigest(),
            "data": base64.b64encode(data).decode("ascii")}


def image_mime(fmt):
    upper = fmt.upper()
    known = {"JPG": "image/jpeg", "JPEG": "image/jpeg", "PNG": "image/png", "GIF": "image/gif",
             "BMP": "image/bmp"}
    return known.get(upper, "image/" + fmt.lower() if fmt else "")


def language(lang):
    lang = lang.rstrip("\0 ")
    return "" if "\0" in lang else lang


def frame_json(frame):
    """The members korvel-json gives a frame, from mutagen's reading."""
    fid = frame.FrameID
    v23 = type(frame).__base__.__name__ if len(fid) == 3 else fid
    out = {"id": fid}
    if v23 in ("TIPL", "TMCL", "IPLS"):
        out["people"] = [{"role": role, "name": name} for role, name in frame.people]
    elif v23 == "TXXX":
        out.update(description=frame.desc, text=[str(t) for t in frame.text])
    elif v23.startswith("T"):
        out["text"] = [str(t) for t in frame.text]
    elif v23 == "WXXX":
        out.update(description=frame.desc, url=frame.url)
    elif v23.startswith("W"):
        out["url"] = frame.url
    elif v23 == "COMM":
        out.update(language=language(frame.lang), description=frame.desc, text=[str(t) for t in frame.text])
    elif v23 == "USLT":
        out.update(language=language(frame.lang), description=frame.desc,
                   text=[frame.text] if frame.text else [])
    elif v23 == "SYLT":
        out.update(language=language(frame.lang), description=frame.desc, timestamp_format=frame.format,
                   content_type=frame.type, lines=[{"time": time, "text": text} for text, time in frame.text])
    elif v23 == "APIC":
        mime = image_mime(frame.mime) if len(fid) == 3 else frame.mime
        out.update(mime=mime, picture_type=int(frame.type), description=frame.desc, **binary(frame.data))
    elif v23 == "PCNT":
        out["counter"] = frame.count
    elif v23 == "POPM":
        out.update(email=frame.email, rating=frame.rating)
        if hasattr(frame, "count"):
            out["counter"] = frame.count
    elif v23 in ("UFID", "PRIV"):
        out.update(owner=frame.owner, **binary(frame.data))
    elif v23 == "GEOB":
        out.update(mime=frame.mime, file_name=frame.filename, description=frame.desc, **binary(frame.data))
    else:
        tflags, data = frame.read_from
        # Only data without format flags (compression, unsynchronisation,
        # appended bytes) is the content itself.
        out.update(binary(data) if tflags & 0xFF == 0 else {})
    return out


def unknown_json(raw, v22):
    header = 6 if v22 else 10
    out = {"id": raw[:header - 3 if v22 else 4].decode("ascii")}
    out.update(binary(raw[header:]))
    return out


def compare_file(entry, problems):
    """Compares one file of the document with mutagen; returns the number of
    frames compared and the number mutagen drops."""
    path = entry["path"]

    def differ(what, ours, theirs):
        problems.append("%s: %s: korvel %s, mutagen %s" % (path, what, json.dumps(ours), json.dumps(theirs)))

    if "error" in entry:
        return 0, 0
    with open(path, "rb") as f:
        f.seek(-128, 2) if entry["size"] >= 128 else None
        v1 = ParseID3v1(f.read(128)) if entry["id3v1"] else None
    if v1 is not None:
        for key, field in (("TIT2", "title"), ("TPE1", "artist"), ("TALB", "album")):
            theirs = str(v1[key].text[0]) if key in v1 else ""
            if entry["id3v1"][field] != theirs:
                differ("id3v1 " + field, entry["id3v1"][field], theirs)
        # mutagen makes the year a time stamp ("0" reads "0000").
        year = str(v1["TDRC"].text[0]) if "TDRC" in v1 else ""
        if (entry["id3v1"]["year"] or "0").zfill(4) != (year or "0").zfill(4):
            differ("id3v1 year", entry["id3v1"]["year"], year)
    tag = entry["id3v2"]
    if tag is None or "error" in tag:
        return 0, 0
    try:
        reading = FramesInOrder(path, translate=False, load_v1=False)
    except Exception as e:  # mutagen cannot read the tag: nothing to compare
        print("%s: mutagen cannot read the tag (%s)" % (path, type(e).__name__))
        return 0, len(tag["frames"])
    known = [frame_json(frame) for frame in reading.frame_list]
    unknown = [unknown_json(raw, tag["version"] == "2.2.0") for raw in reading.unknown_frames]
    compared = dropped = 0
    for i, ours in enumerate(tag["frames"]):
        pool = unknown if unknown and unknown[0]["id"] == ours["id"] and (not known or known[0]["id"] != ours["id"]) else known
        if pool and pool[0]["id"] == ours["id"]:
            theirs = pool.pop(0)
            compared += 1
            for key in sorted(set(ours) | set(theirs)):
                if key in ("size", "sha256", "data") and key not in theirs:
                    continue
                if ours.get(key) != theirs.get(key):
                    differ("frame %d %s %s" % (i, ours["id"], key), ours.get(key), theirs.get(key))
        else:
            dropped += 1
            print("%s: frame %d %s: not read by mutagen" % (path, i, ours["id"]))
    for theirs in known + unknown:
        differ("frame " + theirs["id"], None, theirs)
    return compared, dropped


def check_json(korvel, paths):
    document = json.loads(subprocess.run([korvel, "info", "--json", "--binary"] + paths,
                                         stdout=subprocess.PIPE, check=False).stdout)
    assert document["format"] == "korvel-json" and document["version"] == 1
    assert [entry["path"] for entry in document["files"]] == paths
    problems = []
    compared = dropped = 0
    for entry in document["files"]:
        c, d = compare_file(entry, problems)
        compared += c
        dropped += d
    for problem in problems:
        print(problem)
    print("%d files, %d frames compared, %d frames mutagen drops" % (len(paths), compared, dropped))
    return 1 if problems else 0


def main():
    command, path = sys.argv[1], sys.argv[2]
    if command == "json":
        sys.exit(check_json(path, sys.argv[3:]))
    if command == "write":
        write(path, int(sys.argv[3]), int(sys.argv[4]), sys.argv[5])
    elif command == "write-all":
        write_all(path, int(sys.argv[3]))
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
    else:
        sys.exit("unknown command " + command)


if __name__ == "__main__":
    main()
