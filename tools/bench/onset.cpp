// SPDX-License-Identifier: GPL-3.0-or-later
// Finds where sounds begin in a raw recording read from standard input, and when that was.
//
//   parec --raw --format=s16le --rate=44100 --channels=2 ... | bench_onset 44100 2
//
// Each read is stamped with the wall clock (CLOCK_REALTIME). A frame's wall time is the earliest
// that the reads after it allow: a read that returns frame n at time t shows that frame n was
// at the sink no later than t, so the lower envelope of those bounds over the next two seconds
// is the estimate; it errs late by at most the recorder's fragment, never early.
//
// At the end of the input prints "onset EPOCH_MS" for every sound that begins after at least
// QUIET_MS of silence (all samples below THRESHOLD in magnitude), then "frames N".
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <vector>

namespace {

double wallMs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Read {
    double atMs;     // wall time at which the read returned
    int64_t frames;  // frames received up to and including this read
};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_onset RATE CHANNELS [THRESHOLD] [QUIET_MS]\n");
        return 2;
    }
    const double rate = std::atof(argv[1]);
    const int channels = std::atoi(argv[2]);
    const int threshold = argc > 3 ? std::atoi(argv[3]) : 64;
    const double quietMs = argc > 4 ? std::atof(argv[4]) : 300;
    if (rate <= 0 || channels <= 0) {
        std::fprintf(stderr, "bench_onset: bad rate or channel count\n");
        return 2;
    }

    std::vector<int16_t> peak;  // per frame, the largest magnitude over the channels
    std::vector<Read> reads;
    std::vector<char> buf(1 << 16);
    std::vector<char> carry;
    const size_t frameBytes = 2 * static_cast<size_t>(channels);
    while (true) {
        const ssize_t n = ::read(0, buf.data(), buf.size());
        if (n <= 0)
            break;
        const double at = wallMs();
        carry.insert(carry.end(), buf.begin(), buf.begin() + n);
        const size_t whole = carry.size() / frameBytes;
        for (size_t f = 0; f < whole; ++f) {
            int m = 0;
            for (int c = 0; c < channels; ++c) {
                const auto* p =
                    reinterpret_cast<const unsigned char*>(&carry[f * frameBytes + 2 * c]);
                const int s = static_cast<int16_t>(p[0] | (p[1] << 8));
                m = std::max(m, s < 0 ? -s : s);
            }
            peak.push_back(static_cast<int16_t>(std::min(m, 32767)));
        }
        carry.erase(carry.begin(), carry.begin() + static_cast<long>(whole * frameBytes));
        if (whole > 0)
            reads.push_back({at, static_cast<int64_t>(peak.size())});
    }

    auto frameWallMs = [&](int64_t frame) {
        double best = std::numeric_limits<double>::infinity();
        auto it = std::lower_bound(reads.begin(), reads.end(), frame + 1,
                                   [](const Read& r, int64_t f) { return r.frames < f; });
        for (; it != reads.end(); ++it) {
            const double bound = it->atMs - (it->frames - 1 - frame) * 1000.0 / rate;
            best = std::min(best, bound);
            if (it->atMs - best > 2000)
                break;
        }
        return best;
    };

    const auto quietFrames = static_cast<int64_t>(quietMs * rate / 1000.0);
    int64_t silentRun = quietFrames;  // the recording begins as if after silence
    for (int64_t f = 0; f < static_cast<int64_t>(peak.size()); ++f) {
        if (peak[f] >= threshold) {
            if (silentRun >= quietFrames)
                std::printf("onset %.1f\n", frameWallMs(f));
            silentRun = 0;
        } else {
            ++silentRun;
        }
    }
    std::printf("frames %lld\n", static_cast<long long>(peak.size()));
    return 0;
}
