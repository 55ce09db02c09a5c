// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small building blocks of the sound synthesiser: a stereo track, voices that add themselves to
// it, a room reverb, and the finishing and WAV writing of a recording.

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

constexpr int kRate = 44100;

/// A stereo signal in floating point, full scale 1.0.
struct Track {
    explicit Track(double seconds);
    std::vector<double> left;
    std::vector<double> right;
    std::size_t frames() const { return left.size(); }
    /// Adds one sample at frame i, placed by pan (-1 left, 0 centre, +1 right).
    void add(std::size_t i, double value, double pan);
};

/// A value that changes over time: points (time in seconds, value), joined by cosine curves.
struct Contour {
    std::vector<std::pair<double, double>> points;
    double at(double t) const;
};

/// A deterministic noise source, so that every build makes the same recordings.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    double next();  // uniform in [-1, 1)
private:
    std::uint32_t state_;
};

/// One partial of a struck tone: frequency ratio to the fundamental, level, decay time (s).
struct Partial {
    double ratio;
    double level;
    double decay;
};

/// A struck tone (bell, chime, vibraphone bar) whose partials decay exponentially.
void addStruck(Track& t, double start, double freq, double level, double pan,
               const std::vector<Partial>& partials, double attack = 0.004, double tremoloHz = 0.0,
               double tremoloDepth = 0.0);

/// One syllable of a bird's call: a harmonic voice with a pitch contour, an amplitude contour
/// (both over the syllable's own time), formant peaks, and a rasp (fast amplitude roughness).
struct Syllable {
    double start;
    double length;
    Contour pitch;  // Hz
    Contour level;  // linear, 0..1
    double rasp = 0.3;
    double vibratoHz = 7.0;
    double vibratoDepth = 0.01;  // fraction of the pitch
};

struct Voice {
    std::vector<std::pair<double, double>> formants;  // (centre Hz, bandwidth Hz)
    double tilt = 0.8;     // harmonic k is weighted by 1/k^tilt before the formants
    double breath = 0.04;  // level of the band-passed breath noise
    double pan = 0.0;
    std::uint32_t seed = 1;
};

void addCall(Track& t, const Voice& voice, const std::vector<Syllable>& syllables, double level);

/// A small stereo room (parallel combs and series all-passes per channel). wet is the level of
/// the reverberated signal added to the dry one.
void addRoom(Track& t, double wet, double roomSize = 0.8, double damping = 0.3);

/// Finishes a recording: a fade-in from exact zero over fadeIn seconds, a fade-out that ends
/// `silence` seconds before the end, exact zeros after it, and the level set so that the RMS over
/// the whole recording is targetRmsDb (dBFS) unless that would lift the peak above peakDb.
/// Returns the gain applied.
double finish(Track& t, double fadeIn, double fadeOut, double silence, double targetRmsDb,
              double peakDb);

/// Writes 16-bit PCM WAV at kRate: two channels, or one (the mean of both) when mono.
bool writeWav(const std::string& path, const Track& t, bool mono);

}  // namespace synth
