"""Where a looping sine's sound starts again: the longest silence and the largest step.

    sound_seams.py RECORDING.raw   (signed 16-bit mono at 48 kHz, as parec writes it)

Prints one JSON object: the longest run of silence (ms) once the sound has started, and the
largest jump from one sample to the next, as a multiple of the largest a sine of the clip's
frequency and level makes (1.0: no step at all; a sine whose phase jumps makes up to 2/(2*pi*f/fs)).
"""

import array
import json
import math
import statistics
import sys

RATE = 48000
FREQUENCY = 330
WINDOW = RATE // 1000  # 1 ms


def analyse(samples):
    windows = [samples[i:i + WINDOW] for i in range(0, len(samples) - WINDOW, WINDOW)]
    levels = [math.sqrt(sum(s * s for s in w) / WINDOW) for w in windows]
    sounding = [i for i, level in enumerate(levels) if level > 0]
    if not sounding:
        return {"longest_silence_ms": None, "largest_step": None}
    # From the first sound to the last: the ends of the recording are not seams.
    levels = levels[sounding[0]:sounding[-1] + 1]
    first = sounding[0] * WINDOW
    last = (sounding[-1] + 1) * WINDOW
    typical = statistics.median(levels)
    longest = run = 0
    for level in levels:
        run = run + 1 if level < 0.1 * typical else 0
        longest = max(longest, run)
    amplitude = typical * math.sqrt(2)
    sine_step = amplitude * 2 * math.pi * FREQUENCY / RATE
    largest = max(abs(samples[i] - samples[i - 1]) for i in range(first + 1, last))
    return {"longest_silence_ms": longest, "largest_step": round(largest / sine_step, 2)}


def main():
    samples = array.array("h")
    with open(sys.argv[1], "rb") as f:
        samples.frombytes(f.read())
    print(json.dumps(analyse(samples)))


if __name__ == "__main__":
    main()
