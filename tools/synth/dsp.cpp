// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>

namespace synth {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Rises from 0 to 1 as x goes from 0 to 1, with no corner at either end.
double smoothStep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(std::numbers::pi * x);
}

// Second-order band-pass (constant peak gain), as in the usual audio EQ formulas.
class BandPass {
public:
    BandPass(double centre, double q) {
        const double w = kTwoPi * centre / kRate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        b0_ = alpha / a0;
        b2_ = -alpha / a0;
        a1_ = -2.0 * std::cos(w) / a0;
        a2_ = (1.0 - alpha) / a0;
    }
    double step(double x) {
        const double y = b0_ * x + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double b0_, b2_, a1_, a2_;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// A one-pole low-pass used to smooth noise into slow random movement.
class Smoother {
public:
    explicit Smoother(double cutoffHz) : k_(1.0 - std::exp(-kTwoPi * cutoffHz / kRate)) {}
    double step(double x) { return y_ += k_ * (x - y_); }

private:
    double k_;
    double y_ = 0;
};

class Comb {
public:
    explicit Comb(std::size_t length) : buf_(length, 0.0) {}
    double step(double x, double feedback, double damping) {
        const double out = buf_[pos_];
        store_ = out * (1.0 - damping) + store_ * damping;
        buf_[pos_] = x + store_ * feedback;
        pos_ = (pos_ + 1) % buf_.size();
        return out;
    }

private:
    std::vector<double> buf_;
    std::size_t pos_ = 0;
    double store_ = 0;
};

class AllPass {
public:
    explicit AllPass(std::size_t length) : buf_(length, 0.0) {}
    double step(double x) {
        const double delayed = buf_[pos_];
        buf_[pos_] = x + delayed * 0.5;
        pos_ = (pos_ + 1) % buf_.size();
        return delayed - x;
    }

private:
    std::vector<double> buf_;
    std::size_t pos_ = 0;
};

}  // namespace

Track::Track(double seconds) {
    const auto n = static_cast<std::size_t>(std::llround(seconds * kRate));
    left.assign(n, 0.0);
    right.assign(n, 0.0);
}

void Track::add(std::size_t i, double value, double pan) {
    if (i >= left.size())
        return;
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * std::numbers::pi / 4.0;
    left[i] += value * std::cos(angle) * std::numbers::sqrt2;
    right[i] += value * std::sin(angle) * std::numbers::sqrt2;
}

double Contour::at(double t) const {
    if (points.empty())
        return 0.0;
    if (t <= points.front().first)
        return points.front().second;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const auto& [t1, v1] = points[i];
        if (t <= t1) {
            const auto& [t0, v0] = points[i - 1];
            const double span = t1 - t0;
            return span <= 0 ? v1 : v0 + (v1 - v0) * smoothStep((t - t0) / span);
        }
    }
    return points.back().second;
}

double Noise::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
}

void addStruck(Track& t, double start, double freq, double level, double pan,
               const std::vector<Partial>& partials, double attack, double tremoloHz,
               double tremoloDepth) {
    double longest = 0;
    for (const Partial& p : partials)
        longest = std::max(longest, p.decay * 9.5);  // down by about 80 dB
    const auto first = static_cast<std::size_t>(std::llround(start * kRate));
    const auto count = static_cast<std::size_t>(longest * kRate);
    for (std::size_t n = 0; n < count && first + n < t.frames(); ++n) {
        const double time = static_cast<double>(n) / kRate;
        double sum = 0;
        for (const Partial& p : partials) {
            const double f = freq * p.ratio;
            if (f > 16000.0)
                continue;
            sum += p.level * std::exp(-time / p.decay) * std::sin(kTwoPi * f * time);
        }
        double gain = level * smoothStep(time / attack);
        if (tremoloDepth > 0)
            gain *= 1.0 - tremoloDepth * 0.5 * (1.0 - std::cos(kTwoPi * tremoloHz * time));
        t.add(first + n, sum * gain, pan);
    }
}

void addCall(Track& t, const Voice& voice, const std::vector<Syllable>& syllables, double level) {
    Noise noise(voice.seed);
    for (const Syllable& s : syllables) {
        constexpr int kMaxHarmonics = 48;
        std::array<double, kMaxHarmonics> phase{};
        std::array<double, kMaxHarmonics> weight{};
        BandPass breath(2600.0, 0.9);
        Smoother wobble(25.0);  // slow random roughness of the voice
        Smoother drift(6.0);    // slower random wander of the pitch
        double subPhase = 0;
        const auto first = static_cast<std::size_t>(std::llround(s.start * kRate));
        const auto count = static_cast<std::size_t>(std::llround(s.length * kRate));
        int harmonics = 0;
        for (std::size_t n = 0; n < count && first + n < t.frames(); ++n) {
            const double time = static_cast<double>(n) / kRate;
            const double wander = drift.step(noise.next());
            double f0 = s.pitch.at(time) *
                        (1.0 + s.vibratoDepth * std::sin(kTwoPi * s.vibratoHz * time)) *
                        (1.0 + 0.02 * wander);
            if (n % 32 == 0) {  // the spectral shape follows the pitch
                harmonics = std::min(kMaxHarmonics, static_cast<int>(9000.0 / f0));
                double energy = 0;
                for (int k = 0; k < harmonics; ++k) {
                    const double f = f0 * (k + 1);
                    double shape = 0.12;
                    for (const auto& [centre, width] : voice.formants) {
                        const double d = (f - centre) / width;
                        shape += std::exp(-d * d);
                    }
                    // Fade the top harmonics out instead of stopping at a hard edge.
                    const double top = 1.0 - smoothStep((f - 6000.0) / 3000.0);
                    weight[k] = top * shape / std::pow(k + 1.0, voice.tilt);
                    energy += weight[k] * weight[k];
                }
                const double norm = 1.0 / std::sqrt(std::max(energy, 1e-9));
                for (int k = 0; k < harmonics; ++k)
                    weight[k] *= norm;
            }
            double sum = 0;
            for (int k = 0; k < harmonics; ++k) {
                phase[k] += kTwoPi * f0 * (k + 1) / kRate;
                if (phase[k] > kTwoPi)
                    phase[k] -= kTwoPi;
                sum += weight[k] * std::sin(phase[k]);
            }
            // Rasp: amplitude movement at half the pitch (the period doubling of a strained
            // voice) and a random flutter.
            subPhase += kTwoPi * 0.5 * f0 / kRate;
            const double rough = 1.0 - s.rasp * (0.5 + 0.5 * std::sin(subPhase)) * 0.7 -
                                 s.rasp * 0.3 * std::abs(wobble.step(noise.next() * 4.0));
            const double edge = smoothStep(time / 0.012) * smoothStep((s.length - time) / 0.02);
            const double amp = s.level.at(time) * edge * level;
            const double air = breath.step(noise.next()) * voice.breath;
            t.add(first + n, amp * (sum * rough + air), voice.pan);
        }
    }
}

void addRoom(Track& t, double wet, double roomSize, double damping) {
    // Delay lengths (in samples) that share no common factor, so the echoes do not ring; the
    // right channel's are a little longer to widen the image.
    constexpr std::array<std::size_t, 6> kCombs{1117, 1189, 1277, 1361, 1423, 1493};
    constexpr std::array<std::size_t, 3> kAllPasses{557, 443, 347};
    constexpr std::size_t kSpread = 23;
    const double feedback = 0.70 + 0.26 * roomSize;
    std::vector<double> dry(t.frames());
    for (std::size_t i = 0; i < t.frames(); ++i)
        dry[i] = (t.left[i] + t.right[i]) * 0.5 * 0.03;
    for (int side = 0; side < 2; ++side) {
        std::vector<Comb> combs;
        std::vector<AllPass> passes;
        for (std::size_t d : kCombs)
            combs.emplace_back(d + side * kSpread);
        for (std::size_t d : kAllPasses)
            passes.emplace_back(d + side * kSpread);
        std::vector<double>& out = side == 0 ? t.left : t.right;
        for (std::size_t i = 0; i < t.frames(); ++i) {
            double acc = 0;
            for (Comb& c : combs)
                acc += c.step(dry[i], feedback, damping);
            for (AllPass& a : passes)
                acc = a.step(acc);
            out[i] += wet * acc;
        }
    }
}

double finish(Track& t, double fadeIn, double fadeOut, double silence, double targetRmsDb,
              double peakDb) {
    const std::size_t n = t.frames();
    const auto end = n - static_cast<std::size_t>(std::llround(silence * kRate));
    const double inFrames = fadeIn * kRate;
    const double outFrames = fadeOut * kRate;
    double sumSquares = 0;
    double peak = 0;
    for (std::size_t i = 0; i < n; ++i) {
        double g = smoothStep(static_cast<double>(i) / inFrames);
        if (i >= end)
            g = 0;
        else
            g *= smoothStep(static_cast<double>(end - i) / outFrames);
        t.left[i] *= g;
        t.right[i] *= g;
        sumSquares += t.left[i] * t.left[i] + t.right[i] * t.right[i];
        peak = std::max({peak, std::abs(t.left[i]), std::abs(t.right[i])});
    }
    const double rms = std::sqrt(sumSquares / (2.0 * static_cast<double>(n)));
    double gain = std::pow(10.0, targetRmsDb / 20.0) / std::max(rms, 1e-12);
    gain = std::min(gain, std::pow(10.0, peakDb / 20.0) / std::max(peak, 1e-12));
    for (std::size_t i = 0; i < n; ++i) {
        t.left[i] *= gain;
        t.right[i] *= gain;
    }
    return gain;
}

bool writeWav(const std::string& path, const Track& t, bool mono) {
    const std::uint16_t channels = mono ? 1 : 2;
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(t.frames()) * channels * 2;
    std::vector<unsigned char> out;
    auto put = [&out](std::uint32_t v, int bytes) {
        for (int b = 0; b < bytes; ++b)
            out.push_back(static_cast<unsigned char>((v >> (8 * b)) & 0xff));
    };
    auto tag = [&out](const char* s) { out.insert(out.end(), s, s + 4); };
    tag("RIFF");
    put(36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);  // PCM
    put(channels, 2);
    put(kRate, 4);
    put(kRate * channels * 2, 4);
    put(channels * 2, 2);
    put(16, 2);
    tag("data");
    put(dataBytes, 4);
    auto sample = [&put](double x) {
        const long v = std::lround(std::clamp(x, -1.0, 1.0) * 32767.0);
        put(static_cast<std::uint16_t>(static_cast<std::int16_t>(v)), 2);
    };
    for (std::size_t i = 0; i < t.frames(); ++i) {
        if (mono) {
            sample(0.5 * (t.left[i] + t.right[i]));
        } else {
            sample(t.left[i]);
            sample(t.right[i]);
        }
    }
    // Written aside and renamed into place, so that a reader (or a second run of this tool that
    // a parallel build may start) never sees half a file.
    const std::string partial = path + ".part" + std::to_string(std::random_device{}());
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(out.data()),
                   static_cast<std::streamsize>(out.size()));
        if (!file.flush())
            return false;
    }
    std::error_code error;
    std::filesystem::rename(partial, path, error);
    return !error;
}

}  // namespace synth
