#!/usr/bin/python3
"""Writes the reference tables the generator and spare-filter tests compare
against.

Run with Debian's python3-scipy:  /usr/bin/python3 tests/gen/make_reference.py
The test run itself reads only the committed table data/gen_reference.txt.

Format: one record per line, '#' starts a comment line:
    <kind> <p> <param_1> ... <param_p> <n> <value_1> ... <value_n>

Records and where their values come from:
  input      the shared test input: 512 values of seeded uniform noise in
             [-0.9, 0.9] (never exactly 0, which the four-pole filter treats
             specially)
  bq_curve   mode, rate, frequency Hz, Q, linear gain, resonance control (-1
             when the section is set up directly rather than through the
             rate-96000 curve helpers): the magnitude |H| of the cookbook section at f = 10 * 2^(i/20) Hz, i = 0..219, from
             scipy.signal.freqz of coefficients made with the cookbook formulas
             below (shelf slope 1)
  bq_run     mode, rate, cutoff control, resonance control, linear gain: the
             section's output for the input, scipy.signal.lfilter; the cutoff
             control c gives max(20, c * min(rate/2, 20000)) Hz and the
             resonance r gives Q = max(0.1, 16 r)
  bw_run     high (1) or low (0), cutoff control, resonance: the second-order
             Butterworth section of cutoff 0.5 * 0.957 * control of the rate.
             Resonance 0 is scipy.signal.butter itself; other resonances use the
             damping d = sqrt(2) (1 - r) (low-pass: r scaled by 0.99) in the
             bilinear formulas. Output by lfilter.
  pk_run     mode (0 low, 1 high, 2 band), cutoff, resonance: the four-pole
             filter written as a state-space system (each stage reading the
             stage before as just updated), run by scipy.signal.dlsim
  ph_run     feedback, depth, rate Hz, low Hz, high Hz: the phaser with its
             sweep standing still at the middle of its range (LFO phase 0):
             H = 1 + depth AP^6 / (1 - feedback z^-1 AP^6) per channel, AP the
             first-order all-pass (-a + z^-1) / (1 - a z^-1); left input the
             shared input, right input half of it; the left then the right
             output
  hb_run     high-pass amount, bass amount: the bass shaper at 44100 Hz with
             its default filters and no drive: (1 - h) x + h HP(x) when h > 0.5
             (x alone otherwise) plus b BP(x); HP = butter(2, 50 Hz, highpass),
             BP = butter(2, [50, 250] Hz, bandpass), by lfilter
  blep_run   waveform, frequency Hz, pulse width, rate: 200 samples of the
             fourteen-waveform oscillator from phase 0, from an independent
             implementation of its formulas in this script
"""

import math
import os

import numpy as np
from scipy import signal

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")


def rec(out, kind, params, values):
    out.write("%s %d %s %d %s\n" % (kind, len(params), " ".join(repr(float(p)) for p in params),
                                    len(values), " ".join(repr(float(v)) for v in values)))


# --- cookbook sections ------------------------------------------------------

def cookbook(mode, fs, f, q, A, S=1.0):
    w0 = 2 * math.pi * f / fs
    c, s = math.cos(w0), math.sin(w0)
    if mode in (5, 6):
        alpha = s / 2 * math.sqrt((A + 1 / A) * (1 / S - 1) + 2)
    else:
        alpha = s / (2 * q)
    r = 2 * math.sqrt(A)
    if mode == 0:
        b = [(1 - c) / 2, 1 - c, (1 - c) / 2]
    elif mode == 1:
        b = [(1 + c) / 2, -(1 + c), (1 + c) / 2]
    elif mode == 2:
        b = [alpha, 0, -alpha]
    elif mode == 3:
        b = [1, -2 * c, 1]
    if mode <= 3:
        a = [1 + alpha, -2 * c, 1 - alpha]
    elif mode == 4:
        b = [1 + alpha * A, -2 * c, 1 - alpha * A]
        a = [1 + alpha / A, -2 * c, 1 - alpha / A]
    elif mode == 5:
        b = [A * ((A + 1) - (A - 1) * c + r * alpha), 2 * A * ((A - 1) - (A + 1) * c),
             A * ((A + 1) - (A - 1) * c - r * alpha)]
        a = [(A + 1) + (A - 1) * c + r * alpha, -2 * ((A - 1) + (A + 1) * c),
             (A + 1) + (A - 1) * c - r * alpha]
    elif mode == 6:
        b = [A * ((A + 1) + (A - 1) * c + r * alpha), -2 * A * ((A - 1) + (A + 1) * c),
             A * ((A + 1) + (A - 1) * c - r * alpha)]
        a = [(A + 1) - (A - 1) * c + r * alpha, 2 * ((A - 1) - (A + 1) * c),
             (A + 1) - (A - 1) * c - r * alpha]
    return np.array(b, float), np.array(a, float)


CURVE_FREQS = np.array([10.0 * 2 ** (i / 20.0) for i in range(220)])


def biquad_records(out, x):
    # The display curves of the three static helpers (rate 96000, Q from the
    # resonance) and sections of every mode at 48000.
    for mode, f, res in [(0, 1000.0, 0.5), (2, 2000.0, 0.3), (1, 500.0, 0.8), (0, 20000.0, 0.0)]:
        q = max(0.1, 1 / (2 * (1 - 0.999 * res)))
        b, a = cookbook(mode, 96000.0, f, q, 1.0)
        _, h = signal.freqz(b, a, worN=CURVE_FREQS, fs=96000.0)
        rec(out, "bq_curve", [mode, 96000.0, f, q, 1.0, res], np.abs(h))
    for mode, f, q, db in [(3, 3000.0, 2.0, 0.0), (4, 800.0, 1.5, 9.0), (5, 200.0, 0.5, -6.0),
                           (6, 5000.0, 0.5, 12.0), (0, 12000.0, 0.5, 0.0)]:
        A = 10 ** (db / 20)
        b, a = cookbook(mode, 48000.0, f, q, A)
        _, h = signal.freqz(b, a, worN=CURVE_FREQS, fs=48000.0)
        rec(out, "bq_curve", [mode, 48000.0, f, q, A, -1.0], np.abs(h))
    for mode in range(7):
        fs, cut, res, db = 44100.0, 0.3, 0.05, 6.0
        A = 10 ** (db / 20) if mode >= 4 else 1.0
        f = max(20.0, cut * min(fs / 2, 20000.0))
        b, a = cookbook(mode, fs, f, max(0.1, 16 * res), A)
        rec(out, "bq_run", [mode, fs, cut, res, A], signal.lfilter(b, a, x))


# --- Butterworth sections ---------------------------------------------------

def tweaked_butterworth(high, cutoff, res):
    fc = max(0.0001, min(cutoff, 1.0) * 0.5 * 0.957)
    if res == 0.0:
        return signal.butter(2, 2 * fc, btype="highpass" if high else "lowpass")
    K = math.tan(math.pi * fc)
    d = math.sqrt(2) * (1 - res * (1.0 if high else 0.99))
    # Bilinear transform of s^2 / (s^2 + d s + 1) (high) or 1 / (...) (low)
    # with the prewarped K, written in powers of z^-1.
    den = [1 + d * K + K * K, 2 * (K * K - 1), 1 - d * K + K * K]
    num = [1, -2, 1] if high else [K * K, 2 * K * K, K * K]
    return np.array(num), np.array(den)


def butterworth_records(out, x):
    for high, cutoff, res in [(1, 0.2, 0.0), (1, 0.6, 0.5), (0, 0.1, 0.0), (0, 0.5, 0.7),
                              (0, 1.0, 0.0)]:
        b, a = tweaked_butterworth(high, cutoff, res)
        rec(out, "bw_run", [high, cutoff, res], signal.lfilter(b, a, x))


# --- four-pole filter ---------------------------------------------------------

def paul_kellett(mode, cutoff, res):
    f = min(0.99, cutoff)
    fb = res + res / (0.99 if f < 0.01 else 1 - f)
    g = max(0.01, f)
    # s' = M s + N x built stage by stage; each stage reads the new value of
    # the stage before it.
    M = np.zeros((4, 4))
    N = np.zeros(4)
    M[0] = [1 - g + g * fb, -g * fb, 0, 0]
    N[0] = g
    for k in range(1, 4):
        M[k] = g * M[k - 1]
        M[k][k] += 1 - g
        N[k] = g * N[k - 1]
    # Outputs read the new state: y = C s' + D x = C M s + (C N + D) x.
    C = {0: [0, 0, 0, 1], 1: [0, 0, 0, -1], 2: [1, 0, 0, -1]}[mode]
    D = {0: 0.0, 1: 1.0, 2: 0.0}[mode]
    C = np.array([C], float)
    return M, N.reshape(4, 1), C @ M, (C @ N.reshape(4, 1)) + D


def paul_kellett_records(out, x):
    for mode, cutoff, res in [(0, 0.3, 0.5), (1, 0.7, 0.2), (2, 0.5, 0.4), (0, 0.005, 0.3)]:
        system = paul_kellett(mode, cutoff, res) + (1,)
        _, y, _ = signal.dlsim(system, x)
        rec(out, "pk_run", [mode, cutoff, res], y[:, 0])


# --- phaser ---------------------------------------------------------------------

def phaser_records(out, x):
    fs = 44100.0
    for fb, depth, lo, hi in [(0.5994, 0.8, 440.0, 1600.0), (-0.3, 1.0, 200.0, 4000.0)]:
        d = (lo / (fs / 2) + hi / (fs / 2)) / 2
        a1 = (1 - d) / (1 + d)
        n6 = np.array([1.0])
        d6 = np.array([1.0])
        for _ in range(6):
            n6 = np.polymul(n6, [-a1, 1.0])
            d6 = np.polymul(d6, [1.0, -a1])
        loop = np.polysub(np.pad(d6, (0, 1)), fb * np.concatenate(([0.0], n6)))
        num = np.polyadd(loop, depth * np.pad(n6, (0, 1)))
        y_left = signal.lfilter(num, loop, x)
        y_right = signal.lfilter(num, loop, 0.5 * x)
        rec(out, "ph_run", [fb, depth, fs, lo, hi], np.concatenate((y_left, y_right)))


# --- bass shaper ---------------------------------------------------------------------

def bass_records(out, x):
    fs = 44100.0
    hp = signal.butter(2, 50.0, btype="highpass", output="sos", fs=fs)
    bp = signal.butter(2, [50.0, 250.0], btype="bandpass", output="sos", fs=fs)
    for h, b in [(0.6, 0.0), (0.0, 0.5), (0.9, 0.7), (0.4, 0.0)]:
        y = (1 - h) * x + h * signal.sosfilt(hp, x) if h > 0.5 else x.copy()
        if b > 0:
            y = y + b * signal.sosfilt(bp, x)
        rec(out, "hb_run", [h, b], y)


# --- fourteen-waveform oscillator ------------------------------------------------

def blep_samples(wave, freq, pw, fs, count):
    dt = freq / fs
    wrap = lambda v: v - math.floor(v)

    def B(v):
        if v < dt:
            u = v / dt - 1
            return -u * u
        if v > 1 - dt:
            u = (v - 1) / dt + 1
            return u * u
        return 0.0

    def A(v):
        if v < dt:
            u = v / dt - 1
            return -u ** 3 / 3
        if v > 1 - dt:
            u = (v - 1) / dt + 1
            return u ** 3 / 3
        return 0.0

    def folded(t):
        y = 4 * t
        if y >= 3:
            y -= 4
        elif y > 1:
            y = 2 - y
        return y

    def value(t):
        if freq >= fs / 4:
            return math.sin(2 * math.pi * t)
        if wave == 0:
            return math.sin(2 * math.pi * t)
        if wave == 1:
            return math.cos(2 * math.pi * t)
        if wave == 2:
            return folded(t) + 4 * dt * (A(wrap(t + 0.25)) - A(wrap(t + 0.75)))
        if wave == 3:
            return (1.0 if t < 0.5 else -1.0) + B(t) - B(wrap(t + 0.5))
        if wave == 4:
            return -2 * pw + (2 if t < pw else 0) + B(t) - B(wrap(1 + t - pw))
        if wave == 5:
            t1 = wrap(t + 0.5)
            return 2 * t1 - 1 - B(t1)
        if wave == 6:
            return 1 - 2 * t + B(t)
        if wave == 7:
            p = min(max(pw, 0.0001), 0.9999)
            if 2 * t >= 2 - p:
                y = (2 * t - 2) / p
            elif 2 * t >= p:
                y = 1 - (2 * t - p) / (1 - p)
            else:
                y = 2 * t / p
            return y + dt / (p - p * p) * (A(wrap(t + p / 2)) - A(wrap(1 + t - p / 2)))
        if wave == 8:
            d = (pw - 0.5) * 0.25
            t1, t2 = wrap(t + 0.875 + d), wrap(t + 0.375 + d)
            h = (1 - pw) * 0.5
            t3, t4 = wrap(t1 + h), wrap(t2 + h)
            s = lambda v: 1.0 if v < 0.5 else -1.0
            return 0.5 * (s(t1) + s(t3) + B(t1) - B(t2) + B(t3) - B(t4))
        if wave == 9:
            y = 2 * math.sin(2 * math.pi * t) - 2 / math.pi if t < 0.5 else -2 / math.pi
            return y + 2 * math.pi * dt * (A(t) + A(wrap(t + 0.5)))
        if wave == 10:
            t1 = wrap(t + 0.25)
            return 2 * math.sin(math.pi * t1) - 4 / math.pi + 2 * math.pi * dt * A(t1)
        if wave == 11:
            t1 = wrap(t + 0.75 + pw / 2)
            if t1 >= pw:
                y = 0.0
            else:
                y = 4 * t1 / pw
                if 4 * t1 >= 2 * pw:
                    y = 4 - y
            y -= pw
            if pw > 0:
                y += (2 * dt / pw) * (A(t1) - 2 * A(wrap(1 + t1 - pw / 2)) + A(wrap(1 + t1 - pw)))
            return y
        if wave == 12:
            y = min(1.0, max(-1.0, 2 * folded(t)))
            t1, t3 = wrap(t + 0.125), wrap(t + 0.375)
            return y + 4 * dt * (A(t1) - A(wrap(t1 + 0.5))) + 4 * dt * (A(t3) - A(wrap(t3 + 0.5)))
        if wave == 13:
            p = min(pw, 0.9999)
            s = 1 / (1 - p)
            y = min(1.0, max(-1.0, folded(t) * s))
            t1, t3 = wrap(t + 0.25 - p / 4), wrap(t + 0.25 + p / 4)
            k = 2 * s * dt
            return y + k * (A(t1) - A(wrap(t1 + 0.5))) + k * (A(t3) - A(wrap(t3 + 0.5)))
        return 0.0

    t, out = 0.0, []
    for _ in range(count):
        out.append(value(t))
        t = wrap(t + dt)
    return out


def blep_records(out):
    for wave in range(14):
        for freq, pw in [(997.0, 0.5), (3111.0, 0.3)]:
            rec(out, "blep_run", [wave, freq, pw, 44100.0], blep_samples(wave, freq, pw, 44100.0, 200))
    rec(out, "blep_run", [5, 12000.0, 0.5, 44100.0], blep_samples(5, 12000.0, 0.5, 44100.0, 200))


def main():
    os.makedirs(DATA, exist_ok=True)
    rng = np.random.default_rng(20240)
    x = rng.uniform(-0.9, 0.9, 512)
    x[x == 0.0] = 0.5
    with open(os.path.join(DATA, "gen_reference.txt"), "w") as out:
        out.write("# generated by make_reference.py with scipy %s\n" % __import__("scipy").__version__)
        rec(out, "input", [], x)
        biquad_records(out, x)
        butterworth_records(out, x)
        paul_kellett_records(out, x)
        phaser_records(out, x)
        bass_records(out, x)
        blep_records(out)


if __name__ == "__main__":
    main()
