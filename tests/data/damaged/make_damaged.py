#!/usr/bin/python3
"""Writes the damaged data folders beside this script, one folder per case.

Each folder holds what a damaged DuzoZuzevod could hold: the title file
(154-byte records), the content file (146-byte records) and the settings
file, in any state of ruin. Run it again after changing a case; the files it
writes are committed with it.
"""
import os
import random
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
TITLE = "パスワード表題.dat"
CONTENT = "パスワード内容.dat"
SETTINGS = "設定.Int"


def field(text, width):
    data = text if isinstance(text, bytes) else text.encode("cp932")
    return data[:width].ljust(width, b" ")


def title(text, slots, own, status=0):
    slots = list(slots) + [0] * (50 - len(slots))
    return field(text, 50) + struct.pack("<50h", *slots) + struct.pack("<hh", own, status)


def content(item, text, parent, own, output="0"):
    return (field(output, 2) + field(item, 50) + field(text, 90) +
            struct.pack("<hh", parent, own))


def sound_pair():
    titles = title("銀行", [1, 2], 1) + title("メール", [3], 2)
    contents = (content("ID", "taro", 1, 1) + content("パスワード", "abc123", 1, 2) +
                content("アドレス", "taro@example.jp", 2, 3))
    return titles, contents


def settings(lines):
    return b"".join(line + b"\r\n" for line in lines)


SOUND_SETTINGS = settings([b"C:/backup/", b"", "ヒント".encode("cp932"),
                           "スキップ".encode("cp932")])


def cases():
    rnd = random.Random(20240305)
    t, c = sound_pair()
    yield "truncated", {TITLE: t[:154 + 70], CONTENT: c[:146 * 2 + 9]}
    yield "zero_length", {TITLE: b"", CONTENT: b""}
    yield "garbage", {TITLE: bytes(rnd.randrange(256) for _ in range(1000)),
                      CONTENT: bytes(rnd.randrange(256) for _ in range(1500))}
    yield "garbage_whole_records", {TITLE: bytes(rnd.randrange(256) for _ in range(154 * 4)),
                                    CONTENT: bytes(rnd.randrange(256) for _ in range(146 * 6))}
    yield "all_ff", {TITLE: b"\xff" * 154 * 2, CONTENT: b"\xff" * 146 * 3}
    yield "negative_links", {
        TITLE: title("負", [-1, -32768, 1], 1) + title("自分", [2], -5),
        CONTENT: content("ID", "x", -1, -1) + content("PW", "y", -32768, 2)}
    yield "out_of_range_links", {
        TITLE: title("範囲外", [4, 32767, 1], 1) + title("他", [2, 3], 7),
        CONTENT: content("ID", "x", 1, 1) + content("PW", "y", 9, 2) + content("URL", "z", 2, 300)}
    yield "shared_and_free_slots", {
        TITLE: title("一", [1, 2], 1) + title("二", [2, 3], 2),
        CONTENT: content("ID", "x", 1, 1) + content("PW", "y", 2, 2) +
        content("<削除<", "gone", 2, 3)}
    yield "free_mark_title", {TITLE: title("<削除<", [1], 1) + title("残り", [2], 2),
                              CONTENT: content("ID", "x", 1, 1) + content("PW", "y", 2, 2)}
    yield "invalid_cp932", {
        TITLE: title(b"\x81\x20\xff\x80\xa0\x82", [1], 1) + title(b"ok" + b" " * 47 + b"\x88", [2], 2),
        CONTENT: content(b"\x9f", b"\xfd\xfe\xff\x81", 1, 1) + content(b"\xe0\x7f", b"\x81", 2, 2)}
    yield "nuls", {TITLE: title(b"ab\0cd", [1], 1) + b"\0" * 154 + title(b"\0" * 50, [2], 3),
                   CONTENT: content(b"I\0D", b"\0secret", 1, 1) + content("PW", b"x\0y", 3, 2)}
    yield "not_whole_records", {TITLE: t + b"tail!!!", CONTENT: c + b"x" * 100}
    yield "title_without_content", {TITLE: t}
    yield "content_without_title", {CONTENT: c}
    yield "full_slots_and_odd_status", {
        TITLE: title("満杯", list(range(1, 51)), 1, status=-7) + title("見本", [51], 2, status=9),
        CONTENT: b"".join(content("R%d" % k, "v", 1, k) for k in range(1, 51)) +
        content("S", "s", 2, 51)}
    # The settings file, with a sound pair beside it.
    for name, data in [
        ("settings_empty", b""),
        ("settings_one_line", b"C:/backup/\r\n"),
        ("settings_long_line", b"A" * 70000 + b"\r\n" + SOUND_SETTINGS),
        ("settings_binary", bytes(range(256)) * 4),
        ("settings_bad_cipher", settings([b"C:/b/", b"\xff\xfe-*-\x01", b"h", b"\x81"])),
        ("settings_nul_and_cr", b"C:/b\0/\rpw\r\r\n\0\0\0\n"),
        ("settings_no_folder_line", settings([b"", b"", b"", "入力する".encode("cp932")])),
    ]:
        yield name, {TITLE: t, CONTENT: c, SETTINGS: data}


def main():
    for entry in os.listdir(HERE):
        path = os.path.join(HERE, entry)
        if os.path.isdir(path):
            shutil.rmtree(path)
    for name, files in cases():
        folder = os.path.join(HERE, name)
        os.makedirs(folder)
        for file_name, data in files.items():
            with open(os.path.join(folder, file_name), "wb") as out:
                out.write(data)


if __name__ == "__main__":
    main()
