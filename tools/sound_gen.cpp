// Synthesises the game's 48 sound effects as WAV files (22050 Hz, signed
// 16-bit, stereo: the mixer's own format, so nothing is converted on load).
// Usage: kx_sound_gen <output folder>
//
// Every effect comes from a small recipe: thuds for hits and impacts,
// filtered-noise swishes for swings, bells and chimes for alerts, clicks for
// the interface, bubbling noise for splashes, voiced grunts for pain. Each id
// has its own parameters and noise seed, so no two files are alike.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kRate = 22050;
const double kPi = 3.14159265358979323846;

typedef std::vector<double> Wave;

// A small deterministic noise source (xorshift), seeded per effect.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed * 2654435761u + 12345u) {}
    double next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (double)state / 2147483648.0 - 1.0;
    }
};

Wave silence(double seconds) { return Wave((size_t)(seconds * kRate), 0.0); }

// Mixes src into dst starting at a time offset.
void mix(Wave &dst, const Wave &src, double at = 0.0, double gain = 1.0)
{
    size_t off = (size_t)(at * kRate);
    if (dst.size() < off + src.size())
        dst.resize(off + src.size(), 0.0);
    for (size_t i = 0; i < src.size(); i++)
        dst[off + i] += src[i] * gain;
}

// State-variable band-pass with a centre that may move per sample.
struct BandPass {
    double low = 0, band = 0;
    double run(double in, double freq, double q)
    {
        double f = 2.0 * sin(kPi * std::min(freq, kRate / 6.0) / kRate);
        low += f * band;
        double high = in - low - band / q;
        band += f * high;
        return band;
    }
};

double lowpass_step(double &state, double in, double cutoff)
{
    double a = 1.0 - exp(-2.0 * kPi * cutoff / kRate);
    state += a * (in - state);
    return state;
}

// A body thud: a sine falling in pitch under a fast decay, with a short
// filtered noise knock at the start.
Wave thud(uint32_t seed, double f0, double f1, double decay, double knock, double seconds)
{
    Noise noise(seed);
    Wave w = silence(seconds);
    double phase = 0, lp = 0;
    for (size_t i = 0; i < w.size(); i++) {
        double t = (double)i / kRate;
        double f = f1 + (f0 - f1) * exp(-t / (decay * 0.5));
        phase += 2 * kPi * f / kRate;
        double body = sin(phase) * exp(-t / decay);
        double n = lowpass_step(lp, noise.next(), 1800.0) * exp(-t / 0.012) * knock;
        double attack = std::min(1.0, t / 0.002);
        w[i] = (body + n) * attack;
    }
    return w;
}

// A swing: noise through a band-pass whose centre sweeps up and down under
// a swelling envelope.
Wave swish(uint32_t seed, double f_lo, double f_hi, double seconds)
{
    Noise noise(seed);
    BandPass bp;
    Wave w = silence(seconds);
    for (size_t i = 0; i < w.size(); i++) {
        double x = (double)i / (double)w.size();
        double env = pow(sin(kPi * x), 2.0);
        double centre = f_lo + (f_hi - f_lo) * sin(kPi * x);
        w[i] = bp.run(noise.next(), centre, 2.5) * env * 1.6;
    }
    return w;
}

// A bell: inharmonic partials, the higher ones dying sooner.
Wave bell(double f, double seconds, double decay)
{
    static const double ratios[] = {1.0, 2.756, 5.404, 8.933, 13.34};
    static const double gains[] = {1.0, 0.6, 0.35, 0.2, 0.1};
    Wave w = silence(seconds);
    for (size_t i = 0; i < w.size(); i++) {
        double t = (double)i / kRate;
        double v = 0;
        for (int k = 0; k < 5; k++)
            v += gains[k] * sin(2 * kPi * f * ratios[k] * t) * exp(-t * (1.0 + k) / decay);
        w[i] = v * std::min(1.0, t / 0.003);
    }
    return w;
}

Wave click(double f, double seconds)
{
    Wave w = silence(seconds);
    for (size_t i = 0; i < w.size(); i++) {
        double t = (double)i / kRate;
        w[i] = sin(2 * kPi * f * t) * exp(-t / (seconds * 0.25));
    }
    return w;
}

Wave tone(double f, double seconds, double decay)
{
    Wave w = silence(seconds);
    for (size_t i = 0; i < w.size(); i++) {
        double t = (double)i / kRate;
        double env = std::min(1.0, t / 0.005) * exp(-t / decay);
        w[i] = (sin(2 * kPi * f * t) + 0.3 * sin(4 * kPi * f * t)) * env;
    }
    return w;
}

// A crack: a bright noise burst with a snap, over a low knock.
Wave crack(uint32_t seed, double brightness, double seconds)
{
    Noise noise(seed);
    Wave w = thud(seed + 7, 160, 60, 0.08, 0.4, seconds);
    double lp = 0, prev = 0;
    for (size_t i = 0; i < w.size(); i++) {
        double t = (double)i / kRate;
        double n = noise.next();
        double hp = n - lowpass_step(lp, n, 900.0);
        double snap = hp * exp(-t / (0.015 * brightness));
        // A few sharp re-cracks, like splinters.
        if (fmod(t, 0.031) < 0.002 && t < 0.12)
            snap += 0.8 * n;
        prev = 0.7 * prev + 0.3 * snap;
        w[i] += snap * 0.9 + prev * 0.2;
    }
    return w;
}

// A grunt: a glottal pulse train with a falling pitch and vibrato through
// two vowel formants.
Wave grunt(uint32_t seed, double pitch, double f1, double f2, double seconds)
{
    Noise noise(seed);
    BandPass a, b;
    Wave w = silence(seconds);
    double phase = 0;
    for (size_t i = 0; i < w.size(); i++) {
        double t = (double)i / kRate;
        double x = t / seconds;
        double f = pitch * (1.0 - 0.25 * x) * (1.0 + 0.02 * sin(2 * kPi * 6.0 * t));
        phase += f / kRate;
        phase -= floor(phase);
        double pulse = (1.0 - 2.0 * phase) + 0.08 * noise.next();
        double voice = a.run(pulse, f1, 6.0) + 0.6 * b.run(pulse, f2, 8.0);
        double env = std::min(1.0, t / 0.03) * pow(1.0 - x, 1.5);
        w[i] = voice * env * 0.5;
    }
    return w;
}

// A splash: low noise with bubbles (short rising chirps) scattered over it.
Wave splash(uint32_t seed, int size)
{
    Noise noise(seed);
    double seconds = 0.22 + 0.05 * size;
    Wave w = silence(seconds);
    double lp = 0;
    for (size_t i = 0; i < w.size(); i++) {
        double t = (double)i / kRate;
        w[i] = lowpass_step(lp, noise.next(), 1200.0 + 150.0 * size) * exp(-t / (0.05 + 0.02 * size)) * 2.0;
    }
    int bubbles = 3 + size * 2;
    for (int k = 0; k < bubbles; k++) {
        double at = (noise.next() * 0.5 + 0.5) * seconds * 0.7;
        double f = 500.0 + 700.0 * (noise.next() * 0.5 + 0.5);
        double len = 0.025 + 0.02 * (noise.next() * 0.5 + 0.5);
        Wave b = silence(len);
        double phase = 0;
        for (size_t i = 0; i < b.size(); i++) {
            double t = (double)i / kRate;
            phase += 2 * kPi * f * (1.0 + 3.0 * t / len) / kRate;
            b[i] = sin(phase) * sin(kPi * t / len);
        }
        mix(w, b, at, 0.35);
    }
    return w;
}

// A metallic clang: inharmonic partials over a noise transient.
Wave clang(uint32_t seed, double f, double seconds)
{
    static const double ratios[] = {1.0, 1.47, 2.09, 2.56, 3.9, 5.1};
    Noise noise(seed);
    Wave w = silence(seconds);
    for (size_t i = 0; i < w.size(); i++) {
        double t = (double)i / kRate;
        double v = 0;
        for (int k = 0; k < 6; k++)
            v += sin(2 * kPi * f * ratios[k] * t + k) * exp(-t * (4.0 + 3.0 * k)) / (1.0 + 0.4 * k);
        v += noise.next() * exp(-t / 0.006);
        w[i] = v * 0.5;
    }
    return w;
}

Wave buzzer(double f, double seconds)
{
    Wave w = silence(seconds);
    double lp = 0;
    for (size_t i = 0; i < w.size(); i++) {
        double t = (double)i / kRate;
        double sq = (fmod(t * f, 1.0) < 0.5 ? 1.0 : -1.0) + 0.5 * (fmod(t * f * 1.01, 1.0) < 0.5 ? 1.0 : -1.0);
        double env = std::min(1.0, t / 0.01) * std::min(1.0, (seconds - t) / 0.05);
        w[i] = lowpass_step(lp, sq, 1500.0) * env * 0.6;
    }
    return w;
}

Wave sweep_down(double f0, double f1, double seconds)
{
    Wave w = silence(seconds);
    double phase = 0, lp = 0;
    for (size_t i = 0; i < w.size(); i++) {
        double t = (double)i / kRate;
        double x = t / seconds;
        double f = f0 * pow(f1 / f0, x);
        phase += f / kRate;
        phase -= floor(phase);
        double env = std::min(1.0, t / 0.01) * (1.0 - x);
        w[i] = lowpass_step(lp, 2.0 * phase - 1.0, 2000.0) * env;
    }
    return w;
}

Wave chimes(const std::vector<double> &notes, double step)
{
    Wave w;
    for (size_t k = 0; k < notes.size(); k++)
        mix(w, bell(notes[k], step * 2.5, 0.35), step * (double)k, 0.7);
    return w;
}

Wave make_effect(int id)
{
    const uint32_t seed = (uint32_t)id + 1;
    if (id <= 7) {          // pain1..8: grunts, deeper for the stronger ones
        static const double pitch[] = {210, 190, 175, 160, 145, 130, 118, 105};
        static const double f1[] = {650, 600, 700, 550, 620, 500, 580, 520};
        static const double f2[] = {1100, 1000, 1200, 950, 1050, 900, 1000, 880};
        return grunt(seed, pitch[id], f1[id], f2[id], 0.25 + 0.04 * id);
    }
    if (id <= 10)           // head hits: higher, knockier thuds
        return thud(seed, 320 + 40 * (id - 8), 140, 0.06 + 0.02 * (id - 8), 1.0 + 0.3 * (id - 8), 0.3);
    if (id <= 15)           // body hits, growing in weight
        return thud(seed, 220 - 20 * (id - 11), 70 - 5 * (id - 11), 0.05 + 0.03 * (id - 11), 0.6 + 0.15 * (id - 11), 0.25 + 0.05 * (id - 11));
    switch (id) {
    case 16: return thud(seed, 140, 50, 0.12, 1.2, 0.45);      // body_impact_hard1
    case 17: return thud(seed, 120, 40, 0.16, 1.5, 0.5);       // body_impact_hard2
    case 18: return thud(seed, 180, 90, 0.05, 0.3, 0.2);       // body_impact_soft1
    case 19: return thud(seed, 160, 80, 0.07, 0.4, 0.25);      // body_impact_soft2
    case 20: return thud(seed, 260, 160, 0.025, 0.2, 0.1);     // body_impact_mini1
    case 21: return thud(seed, 300, 180, 0.02, 0.25, 0.1);     // body_impact_mini2
    case 22: return crack(seed, 1.0, 0.35);                    // body_break_hard1
    case 23: return swish(seed, 900, 3200, 0.22);              // body_swoosh_hand
    case 24: return swish(seed, 500, 1800, 0.3);               // body_swoosh_feet
    case 25: return swish(seed, 700, 2500, 0.26);              // body_swoosh
    case 26: return thud(seed, 110, 70, 0.04, 0.8, 0.14);      // footstep
    case 27: return click(2400, 0.03);                         // menu_click
    case 28: {                                                 // select_player
        Wave w = tone(660, 0.09, 0.05);
        mix(w, tone(990, 0.14, 0.07), 0.07);
        return w;
    }
    case 29: return tone(220, 0.08, 0.03);                     // joint_hold
    case 30: return click(1500, 0.04);                         // button_click
    case 31: return bell(880, 1.0, 0.45);                      // fight_alert
    case 32: return chimes({784, 659, 523, 392}, 0.18);        // gameover
    case 33: return buzzer(110, 0.5);                          // foul
    case 43: return sweep_down(400, 60, 0.8);                  // slowdown
    case 44: return clang(seed, 520, 0.45);                    // weapon-hit
    case 45: {                                                 // weapon-clash
        Wave w = clang(seed, 610, 0.4);
        mix(w, clang(seed + 100, 740, 0.4), 0.06, 0.8);
        return w;
    }
    case 46: return chimes({523, 659, 784, 1047}, 0.14);       // grading
    case 47: {                                                 // neck_fracture
        Wave w = crack(seed, 0.6, 0.4);
        mix(w, crack(seed + 50, 1.4, 0.25), 0.05, 0.6);
        return w;
    }
    default: break;
    }
    if (id >= 34 && id <= 42)                                  // splash0..8
        return splash(seed, id - 34);
    return silence(0.1);
}

const char *const kNames[48] = {
    "pain1", "pain2", "pain3", "pain4", "pain5", "pain6", "pain7", "pain8",
    "body_hit_head1", "body_hit_head2", "body_hit_head3",
    "body_hit1", "body_hit2", "body_hit3", "body_hit4", "body_hit5",
    "body_impact_hard1", "body_impact_hard2", "body_impact_soft1", "body_impact_soft2",
    "body_impact_mini1", "body_impact_mini2", "body_break_hard1",
    "body_swoosh_hand", "body_swoosh_feet", "body_swoosh", "footstep",
    "menu_click", "select_player", "joint_hold", "button_click", "fight_alert",
    "gameover", "foul", "splash0", "splash1", "splash2", "splash3", "splash4", "splash5",
    "splash6", "splash7", "splash8", "slowdown", "weapon-hit", "weapon-clash", "grading",
    "neck_fracture",
};

void put16(FILE *f, uint16_t v)
{
    fputc(v & 0xFF, f);
    fputc(v >> 8, f);
}

void put32(FILE *f, uint32_t v)
{
    put16(f, (uint16_t)(v & 0xFFFF));
    put16(f, (uint16_t)(v >> 16));
}

bool write_wav(const std::string &path, Wave w)
{
    double peak = 0;
    for (double v : w)
        peak = std::max(peak, fabs(v));
    const double gain = peak > 0 ? 0.7 / peak : 0.0;
    // A short fade at the end so that no effect stops with a click.
    const size_t fade = std::min(w.size() / 2, (size_t)(0.004 * kRate));
    for (size_t i = 0; i < fade; i++) {
        w[w.size() - 1 - i] *= (double)i / (double)fade;
    }
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const uint32_t frames = (uint32_t)w.size();
    const uint32_t data_bytes = frames * 4;
    fwrite("RIFF", 1, 4, f);
    put32(f, 36 + data_bytes);
    fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);                    // PCM
    put16(f, 2);                    // stereo
    put32(f, kRate);
    put32(f, kRate * 4);
    put16(f, 4);
    put16(f, 16);
    fwrite("data", 1, 4, f);
    put32(f, data_bytes);
    for (size_t i = 0; i < w.size(); i++) {
        double v = w[i] * gain;
        v = std::max(-1.0, std::min(1.0, v));
        int16_t s = (int16_t)lround(v * 32767.0);
        put16(f, (uint16_t)s);
        put16(f, (uint16_t)s);
    }
    bool ok = ferror(f) == 0;
    return fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    for (int id = 0; id < 48; id++) {
        std::string path = std::string(argv[1]) + "/" + kNames[id] + ".wav";
        if (!write_wav(path, make_effect(id))) {
            fprintf(stderr, "%s: cannot write\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
