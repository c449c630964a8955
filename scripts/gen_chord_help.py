#!/usr/bin/env python3
"""Writes resources/help/chord.hlp, the chord-progression help (HTML shown by the help window), from
the chord qualities and the root spellings the chord dialog uses. --check fails when it is stale."""
import pathlib
import sys

QUALITIES = [
    ("", "メジャー", [0, 4, 7]), ("7", "セブンス", [0, 4, 7, 10]), ("M7", "メジャーセブンス", [0, 4, 7, 11]),
    ("6", "シックス", [0, 4, 7, 9]), ("sus4", "サスフォー", [0, 5, 7]), ("add2", "アドツー", [0, 2, 7]),
    ("alt", "オルタード（減五度）", [0, 4, 6]), ("aug", "オーギュメント", [0, 4, 8]), ("m", "マイナー", [0, 3, 7]),
    ("m7", "マイナーセブンス", [0, 3, 7, 10]), ("mM7", "マイナーメジャーセブンス", [0, 3, 7, 11]),
    ("m6", "マイナーシックス", [0, 3, 7, 9]), ("msus4", "マイナーサスフォー", [0, 3, 5]),
    ("dim", "ディミニッシュ", [0, 3, 6]), ("m7-5", "マイナーセブンス・フラットファイブ", [0, 3, 6, 10]),
]
SHARPS = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]
FLATS = ["C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"]
TONES = ["C", "Db", "D", "Eb", "E", "F", "Gb", "G", "G#", "A", "Bb", "B"]  # the tones on C: fifths lowered or raised
KEY_NAMES = ["調号なし"] + [f"#{n}個" for n in range(1, 8)] + [f"b{n}個" for n in range(1, 8)]
# Degree (semitones above the tonic) and quality suffix of each chord of a progression.
MAJOR = [
    ("I - IV - V - I", [(0, ""), (5, ""), (7, ""), (0, "")]),
    ("ii - V - I", [(2, "m7"), (7, "7"), (0, "M7")]),
    ("I - vi - IV - V", [(0, ""), (9, "m"), (5, ""), (7, "")]),
    ("カノン進行", [(0, ""), (7, ""), (9, "m"), (4, "m"), (5, ""), (0, ""), (5, ""), (7, "")]),
]
MINOR = [
    ("i - iv - V - i", [(0, "m"), (5, "m"), (7, ""), (0, "m")]),
    ("ii - V - i", [(2, "m7-5"), (7, "7"), (0, "m")]),
    ("i - VI - VII - i", [(0, "m"), (8, ""), (10, ""), (0, "m")]),
]


def tonic(key: int) -> int:
    return (7 * key) % 12 if key < 8 else (-7 * (key - 7)) % 12


def name(root: int, suffix: str, key: int) -> str:
    return (SHARPS if key < 8 else FLATS)[root % 12] + suffix


def progression(steps, root: int, key: int) -> str:
    return " → ".join(name(root + degree, suffix, key) for degree, suffix in steps)


def build() -> str:
    out = ["<html><head><meta charset=\"utf-8\"><title>コード進行のヘルプ</title></head><body>",
           "<h1>コード進行のヘルプ</h1>",
           "<h2>コードの種類</h2>",
           "<p>コード判別が示す15種類のコードと、Cを根音としたときの構成音です。</p>",
           "<table border=\"1\" cellpadding=\"3\"><tr><th>表記</th><th>名前</th><th>Cの構成音</th></tr>"]
    for suffix, label, tones in QUALITIES:
        out.append(f"<tr><td>C{suffix}</td><td>{label}</td><td>{' '.join(TONES[t] for t in tones)}</td></tr>")
    out += ["</table>",
            "<h2>候補の並び方</h2>",
            "<p>選んだ範囲の音符の音名（オクターブと長さは問いません）を集め、15種類のコードを上の順に、"
            "根音を曲の調の音階の順に当てはめます。</p>",
            "<ul><li>第１候補：4音のコードで、構成音がすべて含まれるもの。</li>",
            "<li>第２候補：構成音が2音以上含まれるもの（第１候補にあるものを除く）。</li>",
            "<li>第３候補：構成音が1音以上含まれるもの（第１・第２候補にあるものを除く）。</li></ul>",
            "<p>調号にシャープがある調（と調号なし）はC#のように、フラットがある調はBbのように書きます。"
            "候補の名前をダブルクリックすると、そのコードを書かれた音と一緒に試聴できます。</p>",
            "<h2>よく使うコード進行</h2>"]
    for key in range(15):
        major = tonic(key)
        minor = (major + 9) % 12
        out.append(f"<h3>{KEY_NAMES[key]}：{name(major, '', key)}メジャー / {name(minor, 'm', key)}</h3><ul>")
        for label, steps in MAJOR:
            out.append(f"<li>{label}：{progression(steps, major, key)}</li>")
        for label, steps in MINOR:
            out.append(f"<li>{label}（短調）：{progression(steps, minor, key)}</li>")
        out.append("</ul>")
    out.append("</body></html>")
    return "\n".join(out) + "\n"


def main() -> int:
    target = pathlib.Path(__file__).resolve().parent.parent / "resources" / "help" / "chord.hlp"
    text = build()
    if "--check" in sys.argv[1:]:
        if not target.exists() or target.read_text(encoding="utf-8") != text:
            print(f"{target} is out of date: run scripts/gen_chord_help.py", file=sys.stderr)
            return 1
        return 0
    target.write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
