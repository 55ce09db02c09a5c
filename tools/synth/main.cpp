// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the program's five built-in recordings at build time.
//
//   klangor_synth OUTPUT_DIR [--report]
//
// writes cock1.wav, cock2.wav, notify.wav, wbegin.wav and wend.wav (16-bit PCM, 44 100 Hz) into
// OUTPUT_DIR. The same build always makes the same files. --report prints each file's peak and
// RMS level.

#include "dsp.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

using namespace synth;

namespace {

// Every recording ends with this much silence: a Qt 6.4 player drops the last 60 to 110 ms of a
// play, so the sound itself must be over well before the end of the file.
constexpr double kTailSilence = 0.30;
constexpr double kTargetRmsDb = -19.0;
constexpr double kPeakDb = -1.0;

double note(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// A rooster's crow: three short rising syllables and a long held call that climbs, holds and
// falls away. `pitch` scales every frequency, `pace` every duration.
std::vector<Syllable> crow(double start, double pitch, double pace, double rasp) {
    auto s = [&](double at, double len, Contour f, Contour a, double vib) {
        for (auto& p : f.points) {
            p.first *= pace;
            p.second *= pitch;
        }
        for (auto& p : a.points)
            p.first *= pace;
        Syllable y{start + at * pace, len * pace, f, a, rasp, 6.5, vib};
        return y;
    };
    return {
        s(0.00, 0.16, {{{0, 480}, {0.08, 600}, {0.16, 560}}},
          {{{0, 0}, {0.03, 0.75}, {0.12, 0.65}, {0.16, 0}}}, 0.004),
        s(0.20, 0.13, {{{0, 560}, {0.06, 680}, {0.13, 640}}}, {{{0, 0}, {0.03, 0.7}, {0.13, 0}}},
          0.004),
        s(0.36, 0.30, {{{0, 640}, {0.10, 770}, {0.30, 730}}},
          {{{0, 0}, {0.04, 0.9}, {0.26, 0.85}, {0.30, 0}}}, 0.006),
        s(0.70, 1.45, {{{0, 700}, {0.15, 860}, {0.50, 900}, {1.00, 830}, {1.30, 650}, {1.45, 520}}},
          {{{0, 0}, {0.06, 1.0}, {0.90, 0.92}, {1.30, 0.5}, {1.45, 0}}}, 0.012),
    };
}

// Two rooster calls: cock1 a bright young rooster, cock2 an older, deeper one answered by a
// second rooster farther away.
Track cock1() {
    Track t(3.07);
    Voice v;
    v.formants = {{1100, 450}, {2300, 600}, {3500, 700}};
    v.tilt = 0.6;
    v.breath = 0.05;
    v.pan = -0.1;
    v.seed = 11;
    addCall(t, v, crow(0.004, 1.0, 1.0, 0.35), 1.0);
    addRoom(t, 0.22, 0.75);
    return t;
}

Track cock2() {
    Track t(5.50);
    Voice near;
    near.formants = {{800, 380}, {1900, 500}, {3000, 650}};
    near.tilt = 0.75;
    near.breath = 0.06;
    near.pan = 0.25;
    near.seed = 23;
    addCall(t, near, crow(0.004, 0.72, 1.22, 0.5), 1.0);
    Voice far = near;
    far.formants = {{1000, 450}, {2100, 550}, {3200, 650}};
    far.tilt = 1.0;  // distance takes the highs away
    far.pan = -0.55;
    far.seed = 37;
    addCall(t, far, crow(2.95, 0.85, 1.0, 0.4), 0.5);
    addRoom(t, 0.32, 0.85);
    return t;
}

// A soft vibraphone-like bar: strong fundamental, a quieter fourth harmonic and a trace of the
// tenth, with a slow tremolo.
const std::vector<Partial> kBar = {{1.0, 1.0, 0.55}, {4.0, 0.25, 0.18}, {10.0, 0.05, 0.06}};

// A small bright bell.
const std::vector<Partial> kBell = {
    {1.0, 1.0, 1.1}, {2.0, 0.45, 0.7}, {3.0, 0.22, 0.45}, {4.16, 0.14, 0.3}, {5.43, 0.07, 0.2}};

// A large bell with the hum, prime, minor third, fifth and nominal of a cast church bell.
const std::vector<Partial> kBigBell = {{0.5, 0.35, 3.2}, {1.0, 1.0, 2.4},  {1.19, 0.5, 1.9},
                                       {1.5, 0.3, 1.5},  {2.0, 0.45, 1.4}, {2.52, 0.15, 0.8},
                                       {3.0, 0.1, 0.6},  {4.07, 0.06, 0.4}};

// Notification: two notes going up, short.
Track notify() {
    Track t(1.29);
    addStruck(t, 0.002, note(79), 0.8, -0.2, kBar, 0.003, 5.5, 0.15);  // G5
    addStruck(t, 0.17, note(84), 0.8, 0.2, kBar, 0.003, 5.5, 0.15);    // C6
    addRoom(t, 0.18, 0.6);
    return t;
}

// Begin work: a rising major arpeggio, again a little faster, then the full chord ringing out.
Track wbegin() {
    Track t(7.49);
    const int arpeggio[] = {72, 76, 79, 84};  // C5 E5 G5 C6
    const double pans[] = {-0.4, -0.15, 0.15, 0.4};
    for (int i = 0; i < 4; ++i)
        addStruck(t, 0.002 + 0.22 * i, note(arpeggio[i]), 0.55, pans[i], kBell);
    for (int i = 0; i < 4; ++i)
        addStruck(t, 1.55 + 0.16 * i, note(arpeggio[i]), 0.55, pans[i], kBell);
    for (int i = 0; i < 4; ++i) {
        std::vector<Partial> ring = kBell;
        for (auto& p : ring)
            p.decay *= 1.9;
        addStruck(t, 2.75 + 0.012 * i, note(arpeggio[i]), 0.38, pans[i], ring);
    }
    addStruck(t, 2.75, note(60), 0.3, 0.0, kBigBell);  // C4 underneath the chord
    addStruck(t, 4.1, note(88), 0.22, 0.3, kBell);     // E6, a last sparkle
    addRoom(t, 0.25, 0.8);
    return t;
}

// End work: a slow descending phrase, answered lower, then a deep bell struck three times.
Track wend() {
    Track t(10.78);
    const int phrase[] = {79, 76, 72, 67};  // G5 E5 C5 G4
    for (int i = 0; i < 4; ++i)
        addStruck(t, 0.002 + 0.6 * i, note(phrase[i]), 0.5, 0.0, kBell);
    const int answer[] = {76, 72, 69, 72};  // E5 C5 A4 C5
    for (int i = 0; i < 4; ++i)
        addStruck(t, 2.6 + 0.6 * i, note(answer[i]), 0.45, 0.0, kBell);
    for (int i = 0; i < 3; ++i)
        addStruck(t, 5.2 + 1.6 * i, note(60), 0.8 - 0.12 * i, 0.0, kBigBell);  // C4
    addRoom(t, 0.3, 0.85);
    return t;
}

struct Recipe {
    const char* name;
    std::function<Track()> make;
    bool mono;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [--report]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const bool report = argc > 2 && std::strcmp(argv[2], "--report") == 0;
    const Recipe recipes[] = {
        {"cock1", cock1, false},   {"cock2", cock2, false}, {"notify", notify, false},
        {"wbegin", wbegin, false}, {"wend", wend, true},
    };
    for (const Recipe& r : recipes) {
        Track t = r.make();
        const double gain = finish(t, 0.005, 0.15, kTailSilence, kTargetRmsDb, kPeakDb);
        const std::string path = dir + "/" + r.name + ".wav";
        if (!writeWav(path, t, r.mono)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        if (report)
            std::printf("%-7s gain %.2f\n", r.name, gain);
    }
    return 0;
}
