#!/usr/bin/env python3
"""Synthesises the trainers' feedback sounds into resources/sounds/ (mono, 16-bit, 11025 Hz).

Deterministic: running it again gives the same bytes, so CI can check that the files are current.
"""
import math
import os
import random
import struct
import sys
import wave

RATE = 11025


def tone(freq, seconds, amplitude=0.5, harmonics=(1.0,), decay=6.0):
    """A note with a quick attack and an exponential decay."""
    out = []
    for i in range(int(seconds * RATE)):
        t = i / RATE
        envelope = min(1.0, t / 0.005) * math.exp(-decay * t)
        value = sum(h * math.sin(2 * math.pi * freq * (n + 1) * t) for n, h in enumerate(harmonics))
        out.append(amplitude * envelope * value / sum(harmonics))
    return out


def buzzer(freq, seconds, amplitude=0.35):
    """A flat-topped buzz that stops with a short fade."""
    out = []
    n = int(seconds * RATE)
    for i in range(n):
        t = i / RATE
        fade = min(1.0, (n - i) / (0.03 * RATE), t / 0.005)
        out.append(amplitude * fade * math.tanh(4 * math.sin(2 * math.pi * freq * t)))
    return out


def click(seconds=0.04):
    rng = random.Random(7)
    return [0.6 * math.exp(-90 * i / RATE) * (rng.random() * 2 - 1) for i in range(int(seconds * RATE))]


def silence(seconds):
    return [0.0] * int(seconds * RATE)


def write(path, samples):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples))


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "sounds")
    folder = sys.argv[1] if len(sys.argv) > 1 else root
    os.makedirs(folder, exist_ok=True)
    bell = (1.0, 0.3, 0.15)
    sounds = {
        "prob.wav": tone(784, 0.12, harmonics=bell, decay=10) + tone(1047, 0.22, harmonics=bell, decay=10),
        "pinpon.wav": tone(1319, 0.18, harmonics=bell, decay=5) + tone(1047, 0.32, harmonics=bell, decay=5),
        "buu.wav": buzzer(130, 0.45),
        "ganba.wav": sum((tone(f, 0.12, harmonics=bell, decay=8) for f in (523, 659, 784)), [])
        + tone(1047, 0.3, harmonics=bell, decay=6),
        "stick.wav": click() + silence(0.02),
    }
    for name, samples in sounds.items():
        write(os.path.join(folder, name), samples)


if __name__ == "__main__":
    main()
