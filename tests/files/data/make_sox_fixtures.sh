#!/usr/bin/env bash
# Writes the WAVE fixtures that sox (Debian's sox) makes from one known signal,
# so the reader is checked against files a common tool writes. The fixtures
# are committed; the tests do not need sox.
#
# Signal, 128 frames at 8000 Hz: left[i] = 0.9 sin(2 pi i / 64),
# right[i] = 0.5 cos(2 pi i / 32). Mono files hold the left channel.
set -euo pipefail
cd "$(dirname "$0")"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

/usr/bin/python3 - "$tmp" <<'PY'
import math, struct, sys
d = sys.argv[1]
n = 128
left = [0.9 * math.sin(2 * math.pi * i / 64) for i in range(n)]
right = [0.5 * math.cos(2 * math.pi * i / 32) for i in range(n)]
with open(d + "/mono.f64", "wb") as f:
    f.write(b"".join(struct.pack("<d", v) for v in left))
with open(d + "/stereo.f64", "wb") as f:
    f.write(b"".join(struct.pack("<dd", l, r) for l, r in zip(left, right)))
PY

# -D: no dither, so every sample is the signal rounded to the format.
from_mono=(sox -D -V1 -t raw -r 8000 -e float -b 64 -c 1 "$tmp/mono.f64")
from_stereo=(sox -D -V1 -t raw -r 8000 -e float -b 64 -c 2 "$tmp/stereo.f64")

"${from_mono[@]}" -e unsigned -b 8 sox_mono_u8.wav
"${from_mono[@]}" -e signed -b 16 sox_mono_s16.wav
"${from_mono[@]}" -e signed -b 24 sox_mono_s24.wav
"${from_mono[@]}" -e signed -b 32 sox_mono_s32.wav
"${from_mono[@]}" -e float -b 32 sox_mono_f32.wav
"${from_mono[@]}" -e float -b 64 sox_mono_f64.wav
"${from_stereo[@]}" -e signed -b 16 sox_stereo_s16.wav
"${from_stereo[@]}" -e signed -b 24 sox_stereo_s24.wav
"${from_stereo[@]}" -e float -b 32 sox_stereo_f32.wav
# Files the reader must refuse: companded samples and four channels.
"${from_mono[@]}" -e a-law -b 8 sox_mono_alaw.wav
"${from_mono[@]}" -e signed -b 16 -c 4 sox_quad_s16.wav remix 1 1 1 1
