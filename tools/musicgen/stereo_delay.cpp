// A ping-pong delay: the input, in mono, enters the left line; each
// line feeds the other, so echoes alternate sides, and a one-pole low-pass in
// the loop darkens each echo as tape and bucket-brigade delays do (Zolzer,
// "DAFX", 2nd ed., ch. 2, delay-based effects).
#include "stereo_delay.h"

void stereoDelay(float* out, const float* in, long frames, const DelaySettings& s) {
    std::vector<float> left(s.samples, 0.0f), right(s.samples, 0.0f);
    double lowLeft = 0.0, lowRight = 0.0;
    long at = 0;
    for (long i = 0; i < frames; ++i) {
        const double l = left[at], r = right[at];
        out[2 * i] += float(l);
        out[2 * i + 1] += float(r);
        lowLeft += (1.0 - s.damping) * (r - lowLeft);
        lowRight += (1.0 - s.damping) * (l - lowRight);
        const double mono = in[i];
        left[at] = float(mono + s.feedback * lowLeft);
        right[at] = float(s.feedback * lowRight);
        at = at + 1 == s.samples ? 0 : at + 1;
    }
}
