#!/usr/bin/python3
"""Makes the benchmark's mixed corpus of real songs and a manifest of their titles.

Usage: make_bench_corpus.py FOLDER [COUNT]

Every song is audio from a real encoder (lame CBR and VBR, flac, oggenc, ffmpeg wmav2)
tagged by mutagen, or by hand where no Debian tool writes the structure (ID3v2.2 frames,
the Monkey's Audio header). manifest.tsv lists each file with the title and artist that a
correct reader must report.
"""
import os
import random
import struct
import subprocess
import sys

from mutagen.apev2 import APEv2
from mutagen.asf import ASF
from mutagen.flac import FLAC, Picture
from mutagen.id3 import APIC, ID3, TALB, TIT2, TPE1, USLT
from mutagen.oggvorbis import OggVorbis


def run(*cmd):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3v22(title, artist):
    def frame(fid, text):
        body = b"\x01" + "\ufeff".encode("utf-16-le") + text.encode("utf-16-le")
        return fid + len(body).to_bytes(3, "big") + body
    frames = frame(b"TT2", title) + frame(b"TP1", artist) + b"\0" * 64
    return b"ID3\x02\x00\x00" + syncsafe(len(frames)) + frames


def id3v1(title, artist, encoding="gbk"):
    def field(text, size):
        raw = text.encode(encoding)[:size]
        return raw + b"\0" * (size - len(raw))
    return b"TAG" + field(title, 30) + field(artist, 30) + field("", 30) + b"2020" + \
        field("", 28) + b"\0\x01\x0c"


def ape_header(frames=20, sample_rate=44100):
    """A Monkey's Audio 3.98 descriptor and header, followed by stand-in frame data."""
    descriptor = b"MAC " + struct.pack("<HH", 3990, 0) + struct.pack(
        "<IIIIIIII", 52, 24, 0, 0, 0, 0, 0, 0) + b"\0" * 16
    header = struct.pack("<HHIIIHHI", 2000, 0, 73728, 4096, frames, 16, 2, sample_rate)
    return descriptor + header + bytes(4000)


def main():
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(7)
    wav = os.path.join(folder, ".tone.wav")
    run("ffmpeg", "-y", "-f", "lavfi", "-i", "sine=frequency=330:duration=1", "-ac", "2",
        "-ar", "44100", wav)
    bases = {}

    def base(kind):
        if kind in bases:
            return bases[kind]
        path = os.path.join(folder, ".base." + kind)
        if kind == "cbr.mp3":
            run("lame", "--quiet", "-b", "192", wav, path)
        elif kind == "vbr.mp3":
            run("lame", "--quiet", "-V", "2", wav, path)
        elif kind == "flac":
            run("flac", "--silent", "-f", "-o", path, wav)
        elif kind == "ogg":
            run("oggenc", "-Q", "-o", path, wav)
        elif kind == "wma":
            run("ffmpeg", "-y", "-i", wav, "-c:a", "wmav2", "-f", "asf", path)
        with open(path, "rb") as f:
            bases[kind] = f.read()
        return bases[kind]

    picture = bytes(rng.getrandbits(8) for _ in range(300_000))
    lines = []
    kinds = ["id3v23", "id3v24", "id3v24pic", "id3v22", "id3v1", "apev2mp3", "vbr", "flac",
             "flacpic", "ogg", "wma", "ape"]
    for i in range(count):
        kind = kinds[i % len(kinds)]
        title = f"Song {i}" if i % 3 else f"歌曲{i}"
        artist = f"Artist {i % 17}" if i % 2 else f"歌手{i % 17}"
        name = os.path.join(folder, f"{i:04d}-{kind}")
        if kind in ("id3v23", "id3v24", "id3v24pic", "vbr"):
            path = name + ".mp3"
            with open(path, "wb") as f:
                f.write(base("vbr.mp3" if kind == "vbr" else "cbr.mp3"))
            tag = ID3()
            if kind == "id3v24pic":
                tag.add(APIC(encoding=3, mime="image/jpeg", type=3, desc="cover", data=picture))
                tag.add(USLT(encoding=3, lang="chi", desc="", text="歌词 " * 200))
            tag.add(TIT2(encoding=1 if kind == "id3v23" else 3, text=title))
            tag.add(TPE1(encoding=1 if kind == "id3v23" else 3, text=artist))
            tag.add(TALB(encoding=1, text="Album"))
            tag.save(path, v2_version=3 if kind in ("id3v23", "vbr") else 4)
        elif kind == "id3v22":
            path = name + ".mp3"
            with open(path, "wb") as f:
                f.write(id3v22(title, artist) + base("cbr.mp3"))
        elif kind == "id3v1":
            path = name + ".mp3"
            with open(path, "wb") as f:
                f.write(base("cbr.mp3") + id3v1(title, artist))
        elif kind == "apev2mp3":
            path = name + ".mp3"
            with open(path, "wb") as f:
                f.write(base("cbr.mp3"))
            ape = APEv2()
            ape["Title"] = title
            ape["Artist"] = artist
            ape["Album Artist"] = "Various"
            ape.save(path)
        elif kind in ("flac", "flacpic"):
            path = name + ".flac"
            with open(path, "wb") as f:
                f.write(base("flac"))
            tag = FLAC(path)
            tag["TITLE"] = title
            tag["artist"] = artist
            if kind == "flacpic":
                pic = Picture()
                pic.type, pic.mime, pic.data = 3, "image/jpeg", picture
                tag.add_picture(pic)
            tag.save()
        elif kind == "ogg":
            path = name + ".ogg"
            with open(path, "wb") as f:
                f.write(base("ogg"))
            tag = OggVorbis(path)
            tag["title"] = title
            tag["ARTIST"] = artist
            tag.save()
        elif kind == "wma":
            path = name + ".wma"
            with open(path, "wb") as f:
                f.write(base("wma"))
            tag = ASF(path)
            tag["Title"] = title
            tag["Author"] = artist
            tag.save()
        else:
            path = name + ".ape"
            with open(path, "wb") as f:
                f.write(ape_header())
            ape = APEv2()
            ape["Title"] = title
            ape["Artist"] = artist
            ape.save(path)
        lines.append(f"{os.path.basename(path)}\t{title}\t{artist}\n")
    os.remove(wav)
    for kind in bases:
        os.remove(os.path.join(folder, ".base." + kind))
    with open(os.path.join(folder, "manifest.tsv"), "w", encoding="utf-8") as f:
        f.writelines(lines)


if __name__ == "__main__":
    main()
