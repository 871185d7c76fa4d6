#!/usr/bin/python3
"""Makes a folder of small sample songs with real tags, encoded by real encoders.

Usage: make_demo_songs.py FOLDER [SECONDS]

The songs are two seconds of tone each, encoded by lame, flac, oggenc and ffmpeg, then
tagged the way common taggers do: MP3 with an ID3v2.3 tag in UTF-16 text and MP3 with only a
legacy ID3v1 tag in GBK bytes (as old Chinese players wrote them), FLAC and Ogg with Vorbis
comments, WMA with ASF content description. The file names are the kind of names songs get
from download sites, which is what the program is for.
"""
import os
import shutil
import subprocess
import sys

from mutagen.id3 import ID3, TIT2, TPE1, TALB


def run(*cmd):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def tone(folder, seconds=2):
    wav = os.path.join(folder, ".tone.wav")
    run("ffmpeg", "-y", "-f", "lavfi", "-i", f"sine=frequency=440:duration={seconds}",
        "-ac", "2", "-ar", "44100", wav)
    return wav


def id3v1_gbk(title, artist, album):
    def field(text, size):
        raw = text.encode("gbk")[:size]
        return raw + b"\0" * (size - len(raw))
    return (b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + b"2008" +
            field("", 28) + b"\0\x01" + bytes([13]))


def main():
    folder = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 2
    if os.path.exists(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    wav = tone(folder, seconds)

    mp3 = os.path.join(folder, "track01.mp3")
    run("lame", "--quiet", "-b", "128", wav, mp3)
    tag = ID3()
    tag.add(TIT2(encoding=1, text="青花瓷"))
    tag.add(TPE1(encoding=1, text="周杰伦"))
    tag.add(TALB(encoding=1, text="我很忙"))
    tag.save(mp3, v2_version=3)

    legacy = os.path.join(folder, "01-unknown.MP3")
    run("lame", "--quiet", "-V", "4", wav, legacy)
    with open(legacy, "ab") as f:
        f.write(id3v1_gbk("月亮代表我的心", "邓丽君", "精选"))

    flac = os.path.join(folder, "audio_0003.flac")
    run("flac", "--silent", "-f", "-o", flac, "-T", "TITLE=Clair de Lune",
        "-T", "ARTIST=Debussy", "-T", "ALBUM=Suite bergamasque", wav)

    ogg = os.path.join(folder, "download(1).ogg")
    run("oggenc", "-Q", "-q", "3", "-o", ogg, "-t", "茉莉花", "-a", "宋祖英", wav)

    wma = os.path.join(folder, "New Recording 7.wma")
    run("ffmpeg", "-y", "-i", wav, "-c:a", "wmav2", "-b:a", "64k",
        "-metadata", "title=Bohemian Rhapsody", "-metadata", "artist=Queen", wma)

    with open(os.path.join(folder, "notes.txt"), "w") as f:
        f.write("not a song\n")
    os.remove(wav)


if __name__ == "__main__":
    main()
