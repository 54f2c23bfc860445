// EBU R128 loudness (ITU-R BS.1770-4 K-weighting and gating, the loudness
// range of EBU Tech 3342, true peak by 4x oversampling), measured with
// libebur128 so that the master gain comes from a measurement, not a guess.
#include "loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

#include "sample_rate.h"

bool measureLoudness(Loudness* out, const float* frames, long count, bool truePeak) {
    const int mode = EBUR128_MODE_I | EBUR128_MODE_LRA | (truePeak ? EBUR128_MODE_TRUE_PEAK : 0);
    ebur128_state* state = ebur128_init(2, kSampleRate, mode);
    if (!state) return false;
    bool ok = ebur128_add_frames_float(state, frames, size_t(count)) == EBUR128_SUCCESS;
    double left = 0.0, right = 0.0;
    ok = ok && ebur128_loudness_global(state, &out->integrated) == EBUR128_SUCCESS;
    ok = ok && ebur128_loudness_range(state, &out->range) == EBUR128_SUCCESS;
    if (truePeak) {
        ok = ok && ebur128_true_peak(state, 0, &left) == EBUR128_SUCCESS;
        ok = ok && ebur128_true_peak(state, 1, &right) == EBUR128_SUCCESS;
    }
    out->truePeak = 20.0 * std::log10(std::max({left, right, 1e-12}));
    ebur128_destroy(&state);
    return ok;
}
