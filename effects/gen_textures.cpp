// Draws the images of the bundled effects: the fire colour ramp and one
// texture per kind of particle. The textures are white or grey, shaped by
// their alpha, so that each particle's colour tints them.
//   gen_textures OUTDIR
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;

double Hash(int x, int y, int seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xffffff) / double(0xffffff);
}

double Noise(double x, double y, int seed)
{
    const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    double fx = x - ix, fy = y - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    const double a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed), c = Hash(ix, iy + 1, seed),
                 d = Hash(ix + 1, iy + 1, seed);
    return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
}

// Fractal noise in 0..1.
double Fbm(double x, double y, int seed)
{
    double sum = 0, amp = 0.5, norm = 0;
    for (int o = 0; o < 4; ++o) {
        sum += amp * Noise(x, y, seed + o);
        norm += amp;
        x *= 2.03;
        y *= 2.03;
        amp *= 0.5;
    }
    return sum / norm;
}

double Smooth(double e0, double e1, double x)
{
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

unsigned char Byte(double v) { return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

// Writes a w x h RGBA image; the shader gets u, v in -1..1 (v up) and returns
// grey level and alpha.
bool Write(const std::string& path, int w, int h, const std::function<void(double, double, double&, double&)>& shade)
{
    std::vector<unsigned char> px(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double grey = 1, alpha = 0;
            shade((x + 0.5) / w * 2 - 1, 1 - (y + 0.5) / h * 2, grey, alpha);
            unsigned char* p = &px[(size_t(y) * w + x) * 4];
            p[0] = p[1] = p[2] = Byte(grey);
            p[3] = Byte(alpha);
        }
    }
    if (!stbi_write_png(path.c_str(), w, h, 4, px.data(), w * 4)) {
        std::fprintf(stderr, "gen_textures: %s: cannot write\n", path.c_str());
        return false;
    }
    return true;
}

// The fire ramp: 64x1, from a hot yellow through orange and red to a dark,
// transparent end.
bool WriteRamp(const std::string& path)
{
    const int n = 64;
    const double keys[5][4] = {{1.0, 0.92, 0.55, 1.0}, {1.0, 0.70, 0.22, 1.0}, {0.98, 0.40, 0.07, 0.85},
                               {0.70, 0.13, 0.03, 0.5}, {0.10, 0.03, 0.02, 0.0}};
    unsigned char px[n * 4];
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / (n - 1) * 4.0;
        const int k = std::min(3, static_cast<int>(t));
        const double f = t - k;
        for (int c = 0; c < 4; ++c)
            px[i * 4 + c] = Byte(keys[k][c] * (1 - f) + keys[k + 1][c] * f);
    }
    return stbi_write_png(path.c_str(), n, 1, 4, px, n * 4) != 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_textures OUTDIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    bool ok = WriteRamp(dir + "fire_ramp.png");
    // A flame tongue: wide and round at the base, licking up to a point.
    ok = ok && Write(dir + "flame.png", 48, 64, [](double u, double v, double& g, double& a) {
        const double t = (v + 1) * 0.5;                               // 0 at the base, 1 at the tip
        const double bend = 0.12 * std::sin(t * 3.2) * t;            // the tongue leans as it rises
        const double width = 0.75 * std::pow(1 - t, 0.7) * Smooth(0.0, 0.25, t + 0.1);
        const double across = std::fabs(u - bend) / std::max(1e-3, width);
        const double n = Fbm(u * 3 + 7, v * 2.5 - t * 2, 11);
        const double body = Smooth(1.0, 0.35, across + (n - 0.5) * 0.9);
        a = body * Smooth(0.0, 0.12, t) * (0.55 + 0.45 * n);
        g = 0.75 + 0.25 * Smooth(0.8, 0.0, across);
    });
    // A soft puff of smoke, lumpy at its edge, lit from above.
    ok = ok && Write(dir + "smoke.png", 64, 64, [](double u, double v, double& g, double& a) {
        const double r = std::sqrt(u * u + v * v);
        const double n = Fbm(u * 2.2 + 3, v * 2.2 + 1, 23);
        a = Smooth(1.0, 0.2, r + (n - 0.5) * 0.7) * (0.45 + 0.55 * n);
        g = 0.7 + 0.3 * Smooth(-0.8, 0.8, v + u * 0.3) * (0.6 + 0.4 * n);
    });
    // A spark: a hot point with a short four-pointed glint.
    ok = ok && Write(dir + "spark.png", 32, 32, [](double u, double v, double& g, double& a) {
        const double r = std::sqrt(u * u + v * v);
        const double core = std::exp(-r * r * 30.0);
        const double glint = std::exp(-std::fabs(u) * 18.0) * std::exp(-std::fabs(v) * 3.0) +
                             std::exp(-std::fabs(v) * 18.0) * std::exp(-std::fabs(u) * 3.0);
        a = std::min(1.0, core + 0.5 * glint + 0.35 * std::exp(-r * r * 6.0)) * Smooth(1.0, 0.8, r);
        g = 1.0;
    });
    // A rain streak: a thin vertical line, brightest near its lower end.
    ok = ok && Write(dir + "raindrop.png", 8, 64, [](double u, double v, double& g, double& a) {
        const double across = std::exp(-u * u * 9.0);
        a = across * Smooth(1.0, 0.4, v) * Smooth(-1.0, -0.8, v) * (0.35 + 0.65 * Smooth(0.6, -0.7, v));
        g = 0.85 + 0.15 * Smooth(0.5, -0.8, v);
    });
    // A snowflake: six branched arms round a bright centre.
    ok = ok && Write(dir + "snowflake.png", 32, 32, [](double u, double v, double& g, double& a) {
        const double r = std::sqrt(u * u + v * v);
        double ang = std::atan2(v, u);
        ang = std::fmod(ang + 2 * kPi, kPi / 3) - kPi / 6;            // fold into one arm
        const double along = r * std::cos(ang), off = std::fabs(r * std::sin(ang));
        double arm = Smooth(0.09, 0.02, off) * Smooth(0.95, 0.75, along);
        // Two pairs of side branches, slanting outwards.
        for (double at : {0.45, 0.7}) {
            const double d = along - at;
            const double branch = std::fabs(off - d * 1.7);
            arm = std::max(arm, Smooth(0.08, 0.02, branch) * Smooth(0.0, 0.02, d) * Smooth(0.25, 0.15, d));
        }
        a = std::max(arm, Smooth(0.3, 0.05, r)) * 0.95;
        g = 1.0;
    });
    // A water droplet: a clear round body, brighter towards its lower edge,
    // with a highlight near the top.
    ok = ok && Write(dir + "droplet.png", 32, 32, [](double u, double v, double& g, double& a) {
        const double r = std::sqrt(u * u + v * v);
        const double body = Smooth(1.0, 0.6, r);
        const double spot = std::exp(-((u + 0.25) * (u + 0.25) + (v - 0.3) * (v - 0.3)) * 30.0);
        a = std::min(1.0, body * (0.55 + 0.25 * Smooth(0.3, -0.8, v)) + spot);
        g = 0.75 + 0.25 * spot;
    });
    return ok ? 0 : 1;
}
