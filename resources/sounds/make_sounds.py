#!/usr/bin/env python3
"""Makes the sound resources of a module: our own clips, computed here.

    make_sounds.py <module> <output folder>

messaging/105.wav: the new-message alert, a soft two-tone chime of 150 ms:
PCM, mono, 8000 samples a second, 16 bits, 2400 data bytes.
"""
import math
import struct
import sys
import wave
from pathlib import Path

RATE = 8000


def chime(notes, peak=0.45):
    """Each note: (frequency in Hz, samples). A quick rise and a gentle fall
    per note, so the clip starts and ends in silence and never clicks."""
    samples = []
    for frequency, count in notes:
        attack = int(RATE * 0.004)
        for n in range(count):
            rise = min(1.0, n / attack)
            fall = math.exp(-4.0 * n / count) * (1.0 - n / count) ** 0.5
            tone = math.sin(2 * math.pi * frequency * n / RATE)
            overtone = 0.25 * math.sin(4 * math.pi * frequency * n / RATE)
            samples.append(peak * rise * fall * (tone + overtone) / 1.25)
    return samples


def write_wav(path, samples):
    frames = b"".join(struct.pack("<h", max(-32767, min(32767, round(s * 32767)))) for s in samples)
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


SOUNDS_BY_MODULE = {
    # 600 samples of each note: 1200 samples, 2400 bytes, 150 ms.
    "messaging": {"105": lambda: chime([(880.0, 600), (1318.5, 600)])},
}


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in SOUNDS_BY_MODULE:
        sys.exit("usage: make_sounds.py <%s> <output folder>" % "|".join(SOUNDS_BY_MODULE))
    folder = Path(sys.argv[2])
    folder.mkdir(parents=True, exist_ok=True)
    for name, make in SOUNDS_BY_MODULE[sys.argv[1]].items():
        write_wav(folder / (name + ".wav"), make())


if __name__ == "__main__":
    main()
