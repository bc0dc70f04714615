"""Writes ID3v2 tags with mutagen and reads them back the way korvel shows them.

Run with Debian's /usr/bin/python3 (it has mutagen).

  peer_tags.py write PATH VERSION ENCODING IMAGE
      Writes a v2.VERSION tag with text in ENCODING (0 Latin-1, 1 UTF-16,
      2 UTF-16BE, 3 UTF-8) and the image file IMAGE as cover.
  peer_tags.py many PATH VERSION FRONT BACK
      Writes a v2.VERSION tag as taggers write them with mutagen's default
      encodings: two artists in one frame, ten user texts (MusicBrainz
      identifiers), four comments, private frames of Windows Media Player,
      a rating and the image files FRONT and BACK as front and back cover.
  peer_tags.py write-all PATH VERSION
      Writes a v2.VERSION tag with every kind of frame mutagen knows:
      several values, comments, lyrics, synchronised lyrics, involved people,
      pictures, an object, identifiers, private data, rating and counters.
  peer_tags.py rows PATH...
      Prints for each file "==> PATH <==", then, when it has an ID3v2 tag,
      the rows korvel info shows for it (built from what mutagen reads): the
      version, then, for every frame in file order, duplicates included, the
      ID and the value, escaped as korvel info escapes values.
  peer_tags.py audio PATH...
      Prints for each file "==> PATH <==" and its MPEG version and layer,
      bit rate and duration as mutagen reads them.
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
  peer_tags.py json KORVEL PATH...
      Runs KORVEL info --json --binary on the files, parses the document with
      the json module and compares every frame (and the ID3v1 texts) with
      what mutagen reads. Prints the differences and exits with status 1 when
      there are any; frames that mutagen drops (empty or junk frames) are
      counted, not compared.
"""
import base64
import copy
import hashlib
import json
import subprocess
import sys

import mutagen.id3
from mutagen.mp3 import MP3
from mutagen.id3 import Frame
from mutagen.id3._id3v1 import ParseID3v1
from mutagen.id3._tags import ID3Tags, read_frames
from mutagen.id3 import (APIC, COMM, GEOB, ID3, ID3NoHeaderError, IPLS, PCNT, POPM, PRIV, RVA2, SYLT,
                         TALB, TCON, TIPL, TIT2, TMCL, TPE1, TPE2, TRCK, TSOP, TXXX, TYER, TDRC, UFID,
                         USLT, WOAR, WXXX)

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
        tags.add(APIC(encoding=encoding, mime="image/png", type=3, desc="Cover " + text,
                      data=f.read()))
    tags.save(path, v2_version=version)


# The user texts a MusicBrainz tagger writes.
MUSICBRAINZ = [
    ("MusicBrainz Album Id", "5d8e4ef8-2ac7-4c0b-9b4e-2b4d6c8f0a11"),
    ("MusicBrainz Artist Id", "0383dadf-2a4e-4d10-a46a-e9e041da8eb3"),
    ("MusicBrainz Album Artist Id", "0383dadf-2a4e-4d10-a46a-e9e041da8eb3"),
    ("MusicBrainz Release Group Id", "a3c2d6e0-6b43-3a53-9f3c-6c2f2c1e5b7a"),
    ("MusicBrainz Release Track Id", "9c5f1f39-3f84-4a4b-8f0c-5d8c6a1d2e33"),
    ("MusicBrainz Album Type", "album"),
    ("MusicBrainz Album Status", "official"),
    ("MusicBrainz Album Release Country", "GB"),
    ("ASIN", "B000002UAL"),
    ("BARCODE", "077774644624"),
]


def write_many(path, version, front, back):
    tags = ID3()
    tags.add(TIT2(text=["Title \u00e9\u00e8"]))
    tags.add(TPE1(text=["Artist One", "Artist Two"]))
    tags.add(TPE2(text=["Various \u03a9"]))
    tags.add(TSOP(text=["One, Artist"]))
    tags.add(TALB(text=["Album"]))
    tags.add(TRCK(text=["1/10"]))
    tags.add(TDRC(text=["2019-05-03"]))
    tags.add(TCON(text=["Rock", "Pop"]))
    tags.add(TIPL(people=[["producer", "Pro Ducer"], ["mix", "Mix Er"]]))
    tags.add(UFID(owner="http://musicbrainz.org", data=b"9c5f1f39-3f84-4a4b-8f0c-5d8c6a1d2e33"))
    for desc, value in MUSICBRAINZ:
        tags.add(TXXX(desc=desc, text=[value]))
    tags.add(COMM(lang="eng", desc="", text=["A comment"]))
    tags.add(COMM(lang="eng", desc="iTunNORM", text=[" 0000044E 00000061 00009B67 000044C3"]))
    tags.add(COMM(lang="eng", desc="iTunPGAP", text=["0"]))
    tags.add(COMM(lang="deu", desc="Notiz", text=["Eine Notiz \u00fc"]))
    tags.add(PRIV(owner="WM/MediaClassPrimaryID", data=bytes(range(16))))
    tags.add(PRIV(owner="WM/MediaClassSecondaryID", data=bytes(16)))
    tags.add(PRIV(owner="WM/Provider", data="AMG\0".encode("utf-16-le")))
    tags.add(PRIV(owner="WM/UniqueFileIdentifier", data="AMGa_id=R 123;AMGp_id=P 45\0".encode("utf-16-le")))
    tags.add(POPM(email="rater@example.org", rating=196, count=3))
    tags.add(USLT(lang="eng", desc="", text="First line\nSecond line"))
    for image, kind, desc in ((front, 3, ""), (back, 4, "Back")):
        with open(image, "rb") as f:
            tags.add(APIC(mime="image/png", type=kind, desc=desc, data=f.read()))
    # As taggers do for version 2.3: the date becomes TYER and TDAT, the
    # involved people IPLS.
    if version == 3:
        tags.update_to_v23()
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


def mime_of_format(image_format):
    """The MIME type korvel gives a version 2.2 picture format (mutagen keeps
    the format)."""
    lower = image_format.lower()
    return "image/jpeg" if lower in ("jpg", "jpeg") else "image/" + lower if lower else ""


def value_text(frame, version):
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
        mime = mime_of_format(frame.mime) if version == 2 else frame.mime
        text = "%s, %s, %s" % (mime or "image", count_text(len(frame.data)),
                                PICTURE_TYPES[frame.type] if frame.type < len(PICTURE_TYPES) else "Other")
        return text + (', "%s"' % frame.desc if frame.desc else "")
    if fid == "GEOB":
        text = "%s, %s" % (frame.mime or "object", count_text(len(frame.data)))
        text += ', "%s"' % frame.filename if frame.filename else ""
        return text + (', "%s"' % frame.desc if frame.desc else "")
    return count_text(frame.stored_size)


# Frames other than texts and links whose content korvel decodes; it shows
# the others as their size, without description or language.
DECODED = ("COMM", "USLT", "SYLT", "APIC", "PCNT", "POPM", "UFID", "PRIV", "GEOB")


def shown_text(frame, version):
    """The row value: in version 2.3 every frame's value with description and
    language, in the others only comments, lyrics, user texts and links; a
    picture shows its summary alone."""
    fid = frame.FrameID
    value = value_text(frame, version)
    if fid != "APIC" and (version == 3 or fid in ("COMM", "USLT", "TXXX", "WXXX")):
        decoded = fid[0] in "TW" or fid in DECODED
        value += " (%s, %s)" % (getattr(frame, "desc", "") if decoded else "",
                                getattr(frame, "lang", "") if decoded else "")
    return value


def escape(value):
    return (value.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r")
            .replace("\n", "\\n").replace("\0", "\\0"))


def note_content_sizes():
    """Makes every frame read keep the size of its content (behind the
    appended bytes, de-unsynchronised and inflated) as stored_size."""
    read = Frame._readData

    def sized(self, id3, data):
        self.stored_size = len(data)
        return read(self, id3, data)

    Frame._readData = sized


def ids_of_22():
    """Version 2.2 frame IDs by the version 2.3 ID mutagen reads them as."""
    ids = {}
    for id22, cls in mutagen.id3.Frames_2_2.items():
        for base in cls.__mro__[1:]:
            if base.__name__ in mutagen.id3.Frames:
                ids[base.__name__] = id22
                break
    return ids


def frames_in_file_order(path):
    """Every frame of the tag in file order (no translation: version 2.3
    frames stay as they are in the file), and the tag's version (2, minor,
    revision); no frames and None without a tag."""
    # mutagen merges or replaces frames that share a key (two TPE1 frames,
    # two comments with one description): every frame of the tag (not those
    # inside chapters) is noted as it is read, before any merge changes it.
    frames = []
    add = ID3Tags._add

    def note(self, frame, strict):
        upgraded = frame._upgrade_frame()
        if upgraded is not None and isinstance(self, ID3):
            frames.append(copy.deepcopy(upgraded))
        add(self, frame, strict)

    ID3Tags._add = note
    try:
        tags = ID3(path, translate=False, load_v1=False)
    except ID3NoHeaderError:
        return [], None
    finally:
        ID3Tags._add = add
    return frames, tags.version


def write_rows(paths):
    """For each file a line "==> PATH <==", then, when it has a tag, the
    version row and a row per frame."""
    note_content_sizes()
    out = sys.stdout.buffer
    for path in paths:
        out.write(("==> %s <==\n" % path).encode("utf-8", "surrogateescape"))
        frames, version = frames_in_file_order(path)
        if version is None:
            continue
        out.write(("Version\t%d.%d.%d\n" % version).encode("ascii"))
        # mutagen reads version 2.2 frames as their version 2.3 forms.
        ids = ids_of_22() if version[1] == 2 else {}
        for frame in frames:
            fid = ids.get(frame.FrameID, frame.FrameID)
            out.write(("%s\t%s\n" % (fid, escape(shown_text(frame, version[1]))))
                      .encode("utf-8", "surrogatepass"))


def audio_text(path):
    """The MPEG version and layer, bit rate and duration of the audio."""
    info = MP3(path, ID3=ID3).info
    return "MPEG %.1f layer %d, %d kbit/s, %d seconds" % (
        info.version, info.layer, round(info.bitrate / 1000), int(info.length))


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
    elif command == "many":
        write_many(path, int(sys.argv[3]), sys.argv[4], sys.argv[5])
    elif command == "write-all":
        write_all(path, int(sys.argv[3]))
    elif command == "rows":
        write_rows(sys.argv[2:])
    elif command == "audio":
        for each in sys.argv[2:]:
            print("==> %s <==\n%s" % (each, audio_text(each)))
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
