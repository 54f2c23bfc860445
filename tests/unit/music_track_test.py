#!/usr/bin/env python3
"""The whole soundtrack measured: the c.ogg that the build wrote, decoded
again, and the mix that qorv-musicgen wrote before encoding, against every
figure the soundtrack must meet.

usage: music_track_test.py C_OGG MIX_F32 MUSICGEN SCORE DECODER

MUSICGEN renders SCORE a second time, which must give the same bytes;
DECODER is qorv-music-decode, the show's own Ogg layer."""
import os
import re
import subprocess
import sys
import tempfile
import wave

import numpy as np

RATE = 44100
BEAT = 18375  # samples: 60 / 144 s
BAR = 4 * BEAT
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def read_wav(path):
    with wave.open(path, "rb") as w:
        assert w.getnchannels() == 2 and w.getframerate() == RATE and w.getsampwidth() == 2
        data = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2")
    return data.reshape(-1, 2).astype(np.float64) / 32768.0


def ebur128(path):
    """Integrated loudness, loudness range and true peak by ffmpeg's own
    EBU R128 meter (not the libebur128 that set the gain)."""
    log = subprocess.run(["ffmpeg", "-hide_banner", "-nostats", "-i", path, "-af",
                          "ebur128=peak=true", "-f", "null", "-"],
                         capture_output=True, text=True, check=True).stderr
    summary = log[log.rindex("Summary:"):]
    value = lambda name: float(re.search(name + r":\s+(-?[\d.]+|-inf)", summary).group(1))
    return value("I"), value("LRA"), value("Peak")


def section_loudness(path, first_bar, end_bar):
    """The integrated loudness (LUFS) of bars [first_bar, end_bar) alone."""
    start, length = first_bar * BAR / RATE, (end_bar - first_bar) * BAR / RATE
    log = subprocess.run(["ffmpeg", "-hide_banner", "-nostats", "-ss", f"{start:.4f}", "-t",
                          f"{length:.4f}", "-i", path, "-af", "ebur128", "-f", "null", "-"],
                         capture_output=True, text=True, check=True).stderr
    summary = log[log.rindex("Summary:"):]
    return float(re.search(r"I:\s+(-?[\d.]+)", summary).group(1))


def stft_power(mono, window, hop):
    frames = 1 + (len(mono) - window) // hop
    idx = np.arange(window)[None, :] + hop * np.arange(frames)[:, None]
    return np.abs(np.fft.rfft(mono[idx] * np.hanning(window), axis=1)) ** 2


def onset_near(mono, centre):
    """The time (s) at which the spectral flux peaks within half a beat of
    centre (a sample): log-magnitude spectra of 512-sample Hann windows every
    2.5 ms, their positive differences summed over the bins; a frame's time is
    its window's centre."""
    window, hop = 512, 110
    start = centre - BEAT // 2 - window
    seg = mono[start:centre + BEAT // 2 + window]
    mag = np.log1p(1000.0 * np.sqrt(stft_power(seg, window, hop)))
    flux = np.maximum(mag[1:] - mag[:-1], 0.0).sum(axis=1)
    times = start + window / 2 + hop * (np.arange(len(flux)) + 1)
    inside = np.abs(times - centre) <= BEAT // 2
    best = np.argmax(np.where(inside, flux, -1.0))
    return (times[best] - centre) / RATE


def spectral_slope(mono):
    """Least-squares slope (dB per octave) of the long-term power spectral
    density (Welch, 8192-point Hann) against log2 frequency, on 40 log-spaced
    points from 100 Hz to 10 kHz."""
    power = stft_power(mono, 8192, 4096).mean(axis=0)
    freqs = np.fft.rfftfreq(8192, 1.0 / RATE)
    points = np.geomspace(100.0, 10000.0, 40)
    psd = np.interp(points, freqs, power)
    return np.polyfit(np.log2(points), 10.0 * np.log10(psd), 1)[0]


def main():
    ogg, mix_path, musicgen, score, decoder = sys.argv[1:6]
    work = tempfile.mkdtemp()
    wav = os.path.join(work, "c.wav")
    subprocess.run(["oggdec", "-Q", "-o", wav, ogg], check=True)
    pcm = read_wav(wav)
    mono = pcm.mean(axis=1)

    seconds = len(pcm) / RATE
    check(133.4 <= seconds <= 136.0, f"duration {seconds:.3f} s, 133.4 to 136")
    tail = np.abs(pcm[int(133.4 * RATE):]).max() if len(pcm) > 133.4 * RATE else 0.0
    tail_db = 20 * np.log10(max(tail, 1e-10))
    check(tail_db < -60.0, f"sample peak after 133.4 s {tail_db:.1f} dBFS, below -60")

    integrated, lra, true_peak = ebur128(ogg)
    check(abs(integrated + 14.0) <= 1.0, f"integrated loudness {integrated:.1f} LUFS, -14 +- 1")
    check(true_peak <= -1.0, f"true peak {true_peak:.1f} dBTP, at most -1.0")
    check(lra >= 4.0, f"loudness range {lra:.1f} LU, at least 4")

    # The sections as the picture changes: sparse while the curtains part,
    # building as the rings grow, the arrival with the blob, a drop where the
    # rings vanish, all of it from bar 40, and a quieter close.
    bars = {"intro": (0, 10), "stir": (10, 19), "rings": (19, 21), "blob": (21, 23),
            "second": (23, 35), "dark": (35, 40), "full": (40, 72), "close": (72, 80)}
    lufs = {name: section_loudness(ogg, *span) for name, span in bars.items()}
    print("     per section (LUFS): " + ", ".join(f"{n} {v:.1f}" for n, v in lufs.items()))
    check(lufs["intro"] + 2 < lufs["stir"] and lufs["stir"] + 2 < lufs["rings"] and
          lufs["rings"] < lufs["blob"], "the sections build up to the blob's arrival, 2 LU a step")
    check(lufs["dark"] + 3 < min(lufs["second"], lufs["full"]),
          "the dark section lies 3 LU below the sections either side of it")
    check(lufs["full"] >= max(lufs.values()) - 0.5 and lufs["close"] + 3 < lufs["full"],
          "the full section is the loudest (within 0.5 LU), the close 3 LU below it")

    for bar in (19, 21, 23, 35, 40):
        error = onset_near(mono, bar * BAR)
        check(abs(error) <= 0.010, f"onset at bar {bar}: {1000 * error:+.1f} ms from the bar line, within 10")

    mix = np.fromfile(mix_path, dtype="<f4").reshape(-1, 2).astype(np.float64)
    peak = np.abs(mix).max()
    check(peak < 1.0, f"raw mix peak {peak:.4f}, no sample clipped")
    dc = np.abs(mix.mean(axis=0)).max()
    check(dc < 1e-4, f"raw mix DC offset {dc:.2e}, below 1e-4")

    corr = np.corrcoef(pcm[:, 0], pcm[:, 1])[0, 1]
    check(0.2 <= corr <= 0.95, f"left/right correlation {corr:.3f}, 0.2 to 0.95")
    slope = spectral_slope(mono)
    check(-6.0 <= slope <= -3.0, f"long-term spectral slope {slope:.2f} dB/octave, -6 to -3")

    again = os.path.join(work, "again.ogg")
    subprocess.run([musicgen, score, again], check=True, stdout=subprocess.DEVNULL)
    same = open(again, "rb").read() == open(ogg, "rb").read()
    check(same, "a second rendering gives byte-identical c.ogg")

    raw = os.path.join(work, "show.raw")
    subprocess.run([decoder, ogg, raw], check=True)
    show = np.fromfile(raw, dtype="<i2").reshape(-1, 2).astype(np.float64) / 32768.0
    # Align on the cross-correlation peak of the first ten seconds, within 4096 samples.
    a, b = pcm[:10 * RATE, 0], show[:10 * RATE, 0]
    lags = range(-4096, 4097, 1)
    n = 5 * RATE
    base = 2 * RATE
    lag = max(lags, key=lambda k: float(np.dot(a[base:base + n], b[base + k:base + k + n])))
    count = min(len(pcm), len(show) - lag) if lag >= 0 else min(len(pcm) + lag, len(show))
    x = pcm[max(0, -lag):max(0, -lag) + count]
    y = show[max(0, lag):max(0, lag) + count]
    snr = 10 * np.log10((x ** 2).sum() / max(((x - y) ** 2).sum(), 1e-20))
    check(snr >= 60.0, f"show's decoder against libvorbis: {snr:.1f} dB SNR (lag {lag}), at least 60")

    size = os.path.getsize(ogg)
    check(size <= 3.5e6, f"file size {size / 1e6:.2f} MB, at most 3.5")

    if failures:
        print(f"{len(failures)} figure(s) out of bounds")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
