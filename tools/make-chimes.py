#!/usr/bin/env python3
"""Synthesises Halvane's two chimes as small 8-bit mono WAV files.

    tools/make-chimes.py [output folder]   (default: data/sounds)

glass.wav: a bright two-note ping, played when Claude finishes a task.
hero.wav:  a rising three-note fanfare, played at the end of onboarding.
The output is deterministic, so re-running it changes nothing.
"""

import math
import pathlib
import sys
import wave

RATE = 22050


def note(frequency, start, length, volume, decay):
    """A bell-like tone: a sine with two soft overtones, a 4 ms attack and an
    exponential decay, returned as (start sample, samples)."""
    count = int(length * RATE)
    attack = int(0.004 * RATE)
    samples = []
    for i in range(count):
        t = i / RATE
        envelope = math.exp(-t * decay) * min(1.0, i / attack)
        # Fade the last 10 ms so the note never ends in a click.
        envelope *= min(1.0, (count - i) / (0.010 * RATE))
        tone = (math.sin(2 * math.pi * frequency * t)
                + 0.35 * math.sin(2 * math.pi * 2 * frequency * t)
                + 0.12 * math.sin(2 * math.pi * 3 * frequency * t))
        samples.append(volume * envelope * tone / 1.47)
    return int(start * RATE), samples


def mix(total, notes):
    out = [0.0] * int(total * RATE)
    for start, samples in notes:
        for i, value in enumerate(samples):
            if start + i < len(out):
                out[start + i] += value
    return out


def write(path, samples):
    peak = max(1e-9, max(abs(s) for s in samples))
    scale = min(1.0, 0.9 / peak)
    # 8-bit WAV samples are unsigned with silence at 128.
    frames = bytes(max(0, min(255, round(128 + 127 * s * scale))) for s in samples)
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(frames)


def glass():
    # E6 then B6, a fifth up, overlapping like a struck glass.
    return mix(0.40, [
        note(1318.5, 0.000, 0.30, 0.8, 11.0),
        note(1975.5, 0.085, 0.315, 0.7, 10.0),
    ])


def hero():
    # C5, E5, G5 rising, the last one held.
    return mix(0.80, [
        note(523.25, 0.00, 0.24, 0.7, 6.0),
        note(659.25, 0.14, 0.24, 0.7, 6.0),
        note(783.99, 0.28, 0.52, 0.8, 4.5),
        note(1046.5, 0.28, 0.52, 0.25, 5.0),
    ])


def main():
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "data/sounds")
    folder.mkdir(parents=True, exist_ok=True)
    write(folder / "glass.wav", glass())
    write(folder / "hero.wav", hero())


if __name__ == "__main__":
    main()
