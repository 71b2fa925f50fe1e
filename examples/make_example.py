#!/usr/bin/env python3
"""Remakes examples/main.sfx: five short WAV files of different kinds laid
end to end, exactly as vork expects an archive to be.

Run from anywhere: python3 examples/make_example.py
The output is the same byte for byte on every run.
"""
import io
import math
import random
import struct
import wave
from pathlib import Path


def wav_bytes(channels, sample_width, rate, frames):
    """A PCM WAV file from a list of frames, each a tuple of per-channel
    samples in -1.0 .. 1.0."""
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(sample_width)
        w.setframerate(rate)
        data = bytearray()
        for frame in frames:
            for sample in frame:
                if sample_width == 1:  # 8-bit WAV samples are unsigned.
                    data += struct.pack("<B", int(round(127.5 + sample * 127)))
                else:
                    peak = (1 << (8 * sample_width - 1)) - 1
                    data += int(round(sample * peak)).to_bytes(sample_width, "little", signed=True)
        w.writeframes(bytes(data))
    return out.getvalue()


def tone(freq, rate, seconds, volume=0.5):
    return [(volume * math.sin(2 * math.pi * freq * i / rate),) for i in range(int(rate * seconds))]


def main():
    rng = random.Random(2026)
    sounds = [
        # 8-bit mono beep with an odd number of bytes of sample data.
        wav_bytes(1, 1, 8000, tone(880, 8000, 0.25)[:1999]),
        # 16-bit stereo chirp, left and right apart.
        wav_bytes(2, 2, 11025, [
            (0.4 * math.sin(2 * math.pi * (300 + 900 * i / 4410) * i / 11025),
             0.4 * math.sin(2 * math.pi * (1200 - 900 * i / 4410) * i / 11025))
            for i in range(4410)]),
        # 16-bit mono click: very short.
        wav_bytes(1, 2, 22050, [(1.0,), (-1.0,), (0.5,), (-0.5,), (0.0,)]),
        # 8-bit mono noise burst, odd length too.
        wav_bytes(1, 1, 11025, [(rng.uniform(-0.3, 0.3),) for _ in range(3001)]),
        # 24-bit mono low tone.
        wav_bytes(1, 3, 8000, tone(220, 8000, 0.5, 0.3)),
    ]
    for number, sound in enumerate(sounds):
        chunk_size = struct.unpack_from("<I", sound, 4)[0]
        assert chunk_size + 8 == len(sound), f"sound {number} is not exactly its RIFF span"
    archive = b"".join(sounds)
    assert len(archive) < 100_000
    target = Path(__file__).resolve().parent / "main.sfx"
    target.write_bytes(archive)
    print(f"{target}: {len(sounds)} sounds, {len(archive)} bytes")


if __name__ == "__main__":
    main()
