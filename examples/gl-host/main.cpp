// gl-host: the reference GPU integration of NbParticleSystem600.
//
//   gl-host NAME|FILE.par -o OUT.png [--frames N] [--size WxH] [--view AZ,EL] [--seed S]
//           [--resources FOLDER]
//
// Loads an effect, runs it at 30 frames a second and draws every frame with
// OpenGL ES 3 from the library's billboard batches: one instanced draw per run
// of billboards, textures decoded by the library, GLOW runs added and DARK runs
// blended over what lies behind them. Frame N is written as a PNG. EGL opens a
// context without a window (Mesa's surfaceless platform where there is one,
// so that it runs headless on the software rasteriser; the default display
// elsewhere) and the frame is drawn into a framebuffer object.
//
// It draws as the nbparticle preview does, so that the two can be compared:
// the same camera framing (a first run of the effect at the same seed), light
// added up in linear space (display colours to the power 2.2) in a floating-
// point target, and the preview's tone curve, applied to the brightest channel,
// at the end. The preview's sky and ground grid are left out: particles are
// drawn over black. A host with a camera and a light model of its own keeps
// only the middle part: fill, sort, upload, draw the runs.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES3/gl3.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace ZRC;

namespace {

int Fail(const std::string& what)
{
    std::fprintf(stderr, "gl-host: %s\n", what.c_str());
    return 1;
}

ZrVector3d Add(const ZrVector3d& a, const ZrVector3d& b, double s = 1.0)
{
    return ZrVector3d(a.x + b.x * s, a.y + b.y * s, a.z + b.z * s);
}
double Dot(const ZrVector3d& a, const ZrVector3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// --- The camera, framed as the preview frames it ---------------------------

// A perspective camera (40 degrees vertically) looking from an azimuth around
// the vertical axis and an elevation above the horizon; azimuth 0 looks along -z.
struct View {
    int width, height;
    double focal;
    ZrVector3d forward, right, up, target, eye;
    double distance = 1.0;

    View(int w, int h, double azimuth, double elevation) : width(w), height(h)
    {
        const double pi = 3.14159265358979323846, az = azimuth * pi / 180.0;
        const double el = std::clamp(elevation, -89.0, 89.0) * pi / 180.0;
        focal = h * 0.5 / std::tan(20.0 * pi / 180.0);
        forward = ZrVector3d(-std::cos(el) * std::sin(az), -std::sin(el), -std::cos(el) * std::cos(az));
        right = ZrVector3d(-forward.z, 0.0, forward.x);   // forward x (0, 1, 0), made unit
        right = right * (1.0 / right.Length());
        up = ZrVector3d(right.y * forward.z - right.z * forward.y, right.z * forward.x - right.x * forward.z,
                        right.x * forward.y - right.y * forward.x);
    }
    // How far from the target a point at target + offset, padded by pad, fits 88 % of the frame.
    double DistanceToFit(const ZrVector3d& offset, double pad) const
    {
        const double fx = focal / (width * 0.5 * 0.88), fy = focal / (height * 0.5 * 0.88);
        return std::max(fx * (std::fabs(Dot(offset, right)) + pad), fy * (std::fabs(Dot(offset, up)) + pad)) -
               Dot(offset, forward);
    }
    void Aim(const ZrVector3d& at, double d)
    {
        target = at;
        distance = std::max(1e-3, d);
        eye = Add(target, forward, -distance);
    }
};

// Runs the effect once and aims at where most of its billboards are: the
// middle 97 % on each axis, backed off until 98.5 % of them fit. Samples are
// thinned to every 2nd, 4th, ... once there are more than 131072. False when
// nothing would be drawn.
bool Frame(ZrParticleEffect& effect, int frames, double dt, View& view)
{
    std::vector<double> s;   // x, y, z, half size
    unsigned long seen = 0, stride = 1;
    ZrBillboardBatch batch;
    for (int f = 0; f < frames; ++f) {
        effect.Update(dt);
        batch.Fill(effect, ZrVector3d());
        const float* c = batch.GetCenters();
        const float* half = batch.GetHalfSizes();
        for (int k = 0; k < batch.GetBillboardNum(); ++k) {
            if (seen++ % stride != 0)
                continue;
            s.insert(s.end(), {c[k * 3], c[k * 3 + 1], c[k * 3 + 2], std::max(half[k * 2], half[k * 2 + 1])});
            if (s.size() >= (size_t(1) << 17) * 4) {
                for (size_t i = 0; i < s.size() / 8; ++i)
                    std::copy_n(&s[i * 8], 4, &s[i * 4]);
                s.resize(s.size() / 2);
                stride *= 2;
            }
        }
        effect.AfterRender(dt);
    }
    const size_t n = s.size() / 4;
    if (n == 0)
        return false;
    auto quantile = [&](int k, double q) {
        std::vector<double> v;
        for (size_t i = k; i < s.size(); i += 4)
            v.push_back(s[i]);
        const size_t at = std::min(v.size() - 1, static_cast<size_t>(q * (v.size() - 1) + 0.5));
        std::nth_element(v.begin(), v.begin() + at, v.end());
        return v[at];
    };
    const ZrVector3d lo(quantile(0, 0.015), quantile(1, 0.015), quantile(2, 0.015));
    const ZrVector3d hi(quantile(0, 0.985), quantile(1, 0.985), quantile(2, 0.985));
    const ZrVector3d target((lo.x + hi.x) * 0.5, (lo.y + hi.y) * 0.5, (lo.z + hi.z) * 0.5);
    std::vector<double> needed(n);
    for (size_t i = 0; i < n; ++i)
        needed[i] = view.DistanceToFit(ZrVector3d(s[i * 4] - target.x, s[i * 4 + 1] - target.y,
                                                  s[i * 4 + 2] - target.z), s[i * 4 + 3]);
    const size_t at = static_cast<size_t>(0.985 * (n - 1));
    std::nth_element(needed.begin(), needed.begin() + at, needed.end());
    const double span = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z, 1e-3});
    view.Aim(target, std::max(needed[at], span * 0.75));
    return true;
}

// --- OpenGL ES ---------------------------------------------------------------

// One billboard: the corner (-1..1) of a quad around the centre, placed on the
// screen in pixels like the preview does (quads below 0.6 pixel keep their
// light but not their size), and culled behind the near plane.
const char* const kBillboardVertex = R"(#version 300 es
layout(location = 0) in vec2 corner;
layout(location = 1) in vec3 center;      // per billboard, relative to the batch's origin
layout(location = 2) in vec2 halfSize;
layout(location = 3) in vec4 color;       // RGBA8, normalised
uniform vec3 eye, forward, right, up;     // eye relative to the origin
uniform vec2 viewport;
uniform float focal, near;
out vec2 uv;
out vec3 light;
out float alpha;
void main() {
    vec3 d = center - eye;
    float depth = dot(d, forward);
    vec2 radius = halfSize * focal / depth;
    vec2 shown = max(radius, vec2(0.6));
    vec2 pixel = viewport * 0.5 + focal * vec2(dot(d, right), -dot(d, up)) / depth + corner * shown;
    gl_Position = depth > near ? vec4(pixel.x / viewport.x * 2.0 - 1.0, 1.0 - pixel.y / viewport.y * 2.0, 0.0, 1.0)
                               : vec4(2.0, 2.0, 2.0, 1.0);
    uv = corner * 0.5 + 0.5;
    light = pow(color.rgb, vec3(2.2));
    alpha = color.a * min(1.0, radius.x / 0.6) * min(1.0, radius.y / 0.6);
})";

// Textures hold premultiplied linear light, so the light comes out
// premultiplied too: GLOW runs add it (blend ONE, ONE), DARK runs put it over
// the destination (ONE, ONE_MINUS_SRC_ALPHA).
const char* const kBillboardFragment = R"(#version 300 es
precision highp float;
in vec2 uv;
in vec3 light;
in float alpha;
uniform sampler2D sprite;
out vec4 result;
void main() {
    vec4 t = texture(sprite, uv);
    result = vec4(light * t.rgb, t.a) * alpha;
})";

// The preview's display mapping: a filmic curve on the brightest channel,
// which keeps the hue of dense light, then the power 1/2.2.
const char* const kScreenVertex = R"(#version 300 es
void main() { gl_Position = vec4(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0, 0.0, 1.0); })";
const char* const kToneFragment = R"(#version 300 es
precision highp float;
uniform sampler2D linear;
out vec4 result;
void main() {
    vec3 c = clamp(texelFetch(linear, ivec2(gl_FragCoord.xy), 0).rgb, 0.0, 1e6);
    float peak = max(c.r, max(c.g, c.b));
    float filmic = min(1.0, peak * (2.51 * peak + 0.03) / (peak * (2.43 * peak + 0.59) + 0.14));
    result = vec4(pow(clamp(c * (peak > 1e-6 ? filmic / peak : 0.0), 0.0, 1.0), vec3(1.0 / 2.2)), 1.0);
})";

GLuint Program(const char* vertex, const char* fragment)
{
    GLuint program = glCreateProgram();
    for (GLenum type : {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER}) {
        GLuint shader = glCreateShader(type);
        const char* source = type == GL_VERTEX_SHADER ? vertex : fragment;
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        GLint ok = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[1024] = "";
            glGetShaderInfoLog(shader, sizeof log, nullptr, log);
            std::fprintf(stderr, "gl-host: shader: %s\n", log);
        }
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    return program;
}

// A linear-filtered texture from premultiplied linear R, G, B, A floats.
GLuint Upload(const std::vector<float>& texels, int w, int h)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, w, h, 0, GL_RGBA, GL_FLOAT, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return texture;
}

// The texture of decoded R, G, B, A bytes (display colours, straight alpha).
GLuint Texture(const std::vector<unsigned char>& rgba, int w, int h)
{
    std::vector<float> texels(rgba.size());
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const float a = rgba[i + 3] / 255.0f;
        for (int k = 0; k < 3; ++k)
            texels[i + k] = std::pow(rgba[i + k] / 255.0f, 2.2f) * a;
        texels[i + 3] = a;
    }
    return Upload(texels, w, h);
}

// What untextured systems are drawn with: a soft round sprite, as in the preview.
GLuint SoftSprite()
{
    const int n = 32;
    std::vector<float> texels(n * n * 4);
    for (int i = 0; i < n * n; ++i) {
        const double dx = (i % n + 0.5) / n * 2.0 - 1.0, dy = (i / n + 0.5) / n * 2.0 - 1.0;
        const double r2 = std::min(1.0, dx * dx + dy * dy);
        std::fill_n(&texels[i * 4], 4, static_cast<float>((1.0 - r2) * (1.0 - r2)));
    }
    return Upload(texels, n, n);
}

// A headless ES 3 context: Mesa's surfaceless platform when the EGL library
// offers it, else the default display; no window surface is needed either way.
bool OpenContext(std::string& why)
{
    const char* clients = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    EGLDisplay display = EGL_NO_DISPLAY;
    auto platformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (clients && std::strstr(clients, "EGL_MESA_platform_surfaceless") && platformDisplay)
        display = platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY)
        display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    EGLint major = 0, minor = 0, count = 0;
    EGLConfig config = nullptr;
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_ES3_BIT, EGL_NONE};
    const EGLint version[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_NONE};
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor) || !eglBindAPI(EGL_OPENGL_ES_API) ||
        !eglChooseConfig(display, wanted, &config, 1, &count) || count < 1) {
        why = "no EGL display with OpenGL ES 3";
        return false;
    }
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, version);
    if (context == EGL_NO_CONTEXT || !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        why = "cannot make an OpenGL ES 3 context current without a surface";
        return false;
    }
    return true;
}

// A colour texture attached to a new framebuffer, which is left bound.
GLuint Target(GLenum format, int w, int h, GLuint& texture)
{
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexStorage2D(GL_TEXTURE_2D, 1, format, w, h);
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    return framebuffer;
}

bool Number(const char* text, double& out)
{
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(out);
}

} // namespace

int main(int argc, char** argv)
{
    std::string effectName, outPath, resources = NBPS_DATA_DIR;
    int frames = 90, width = 320, height = 240;
    double azimuth = 35.0, elevation = 25.0, seed = 1.0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg[0] != '-' && effectName.empty()) {
            effectName = arg;
            continue;
        }
        const char* value = i + 1 < argc ? argv[++i] : "";
        double a = 0, b = 0;
        bool ok = *value != '\0';
        if (arg == "-o")
            outPath = value;
        else if (arg == "--resources")
            resources = value;
        else if (arg == "--frames")
            ok = ok && Number(value, a) && a >= 1 && a <= 100000, frames = static_cast<int>(a);
        else if (arg == "--seed")
            ok = ok && Number(value, seed) && seed >= 0 && seed <= 4294967295.0;
        else if (arg == "--size")
            ok = ok && std::sscanf(value, "%lfx%lf", &a, &b) == 2 && a >= 1 && b >= 1 && a <= 4096 && b <= 4096,
            width = static_cast<int>(a), height = static_cast<int>(b);
        else if (arg == "--view")
            ok = ok && std::sscanf(value, "%lf,%lf", &a, &b) == 2 && std::isfinite(a + b), azimuth = a, elevation = b;
        else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "usage: gl-host NAME|FILE.par -o OUT.png [--frames N] [--size WxH] "
                                 "[--view AZ,EL] [--seed S] [--resources FOLDER]\n");
            return 2;
        }
    }
    if (effectName.empty() || outPath.empty())
        return Fail("an effect and -o OUT.png are needed");

    // Effects by name come from the container of the resource folder.
    ZrCommon3D::ms_strSceneResFoloderPath = (resources.back() == '/' ? resources : resources + "/").c_str();
    const double dt = 1.0 / 30.0;
    auto load = [&]() {
        std::unique_ptr<ZrParticleEffect> effect(new ZrParticleEffect);
        if (!effect->FromXML(effectName.c_str()) || effect->GetParticleSystemNum() == 0)
            effect.reset();
        std::srand(static_cast<unsigned>(seed));
        return effect;
    };
    std::unique_ptr<ZrParticleEffect> effect = load();
    View view(width, height, azimuth, elevation);
    if (!effect)
        return Fail(effectName + ": cannot read the effect");
    if (!Frame(*effect, frames, dt, view))
        return Fail(effectName + ": nothing to draw");
    effect = load();   // again from the start, at the same seed

    std::string why;
    if (!OpenContext(why))
        return Fail(why);
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!(extensions && std::strstr(extensions, "GL_EXT_color_buffer_float")) &&
        !(version && std::strstr(version, "OpenGL ES 3.2")))
        return Fail("light needs a floating-point target (GL_EXT_color_buffer_float)");
    GLuint lightTexture = 0, displayTexture = 0;
    const GLuint lightTarget = Target(GL_RGBA16F, width, height, lightTexture);
    const GLuint displayTarget = Target(GL_RGBA8, width, height, displayTexture);
    const GLuint billboards = Program(kBillboardVertex, kBillboardFragment);
    const GLuint tone = Program(kScreenVertex, kToneFragment);

    // The quad's corners, and one buffer per billboard array of the batch.
    GLuint vertexArray = 0, buffers[4];
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(4, buffers);
    const float corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
    for (GLuint a = 1; a < 4; ++a) {
        glEnableVertexAttribArray(a);
        glVertexAttribDivisor(a, 1);
    }

    glUseProgram(billboards);
    auto uniform = [&](const char* name) { return glGetUniformLocation(billboards, name); };
    auto vector = [&](const char* name, const ZrVector3d& v) {
        glUniform3f(uniform(name), static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
    };
    // The batch's origin is the camera's target: the GPU then works with small
    // numbers whatever the scene's coordinates.
    vector("eye", Add(view.eye, view.target, -1.0));
    vector("forward", view.forward);
    vector("right", view.right);
    vector("up", view.up);
    glUniform2f(uniform("viewport"), static_cast<float>(width), static_cast<float>(height));
    glUniform1f(uniform("focal"), static_cast<float>(view.focal));
    glUniform1f(uniform("near"), static_cast<float>(view.distance * 0.02));
    glUniform1i(uniform("sprite"), 0);
    const GLuint soft = SoftSprite();
    std::map<const ZrBillboardTexture*, GLuint> textures;   // the batch keeps each texture it resolved

    ZrBillboardBatch batch;
    glViewport(0, 0, width, height);
    glEnable(GL_BLEND);
    for (int f = 0; f < frames; ++f) {
        effect->Update(dt);
        batch.Fill(*effect, view.target);
        batch.SortBackToFront(view.eye, view.forward);
        const int n = batch.GetBillboardNum();
        glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
        glBufferData(GL_ARRAY_BUFFER, n * 12, batch.GetCenters(), GL_STREAM_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[2]);
        glBufferData(GL_ARRAY_BUFFER, n * 8, batch.GetHalfSizes(), GL_STREAM_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[3]);
        glBufferData(GL_ARRAY_BUFFER, n * 4, batch.GetColorBytes(), GL_STREAM_DRAW);

        glBindFramebuffer(GL_FRAMEBUFFER, lightTarget);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(billboards);
        for (int r = 0; r < batch.GetRunNum(); ++r) {
            const ZrBillboardBatch::Run& run = batch.GetRun(r);
            const ZrBillboardBatch::DrawState& state = batch.GetState(run.state);
            // A texture is uploaded the first time it is drawn; one that is
            // missing or does not decode is reported once and drawn as the soft sprite.
            auto found = textures.find(state.texture);
            if (found == textures.end()) {
                std::vector<unsigned char> rgba;
                int w = 0, h = 0;
                GLuint texture = soft;
                if (state.texture->GetSource() == ZrBillboardTexture::TEXTURE_MISSING)
                    std::fprintf(stderr, "gl-host: texture \"%s\" of system %d not found; drawn untextured\n",
                                 state.texture->GetName().GetString(), state.systemIndex);
                else if (state.texture->Decode(rgba, w, h))
                    texture = Texture(rgba, w, h);
                else if (state.texture->GetSource() != ZrBillboardTexture::TEXTURE_NONE)
                    std::fprintf(stderr, "gl-host: texture \"%s\" of system %d does not decode; drawn untextured\n",
                                 state.texture->GetName().GetString(), state.systemIndex);
                found = textures.emplace(state.texture, texture).first;
            }
            glBindTexture(GL_TEXTURE_2D, found->second);
            glBlendFunc(GL_ONE, state.blend == ZrBillboardBatch::BLEND_ADD ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
            // The run's billboards start at run.first in every array.
            glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
            glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 0, reinterpret_cast<void*>(size_t(run.first) * 12));
            glBindBuffer(GL_ARRAY_BUFFER, buffers[2]);
            glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 0, reinterpret_cast<void*>(size_t(run.first) * 8));
            glBindBuffer(GL_ARRAY_BUFFER, buffers[3]);
            glVertexAttribPointer(3, 4, GL_UNSIGNED_BYTE, GL_TRUE, 0, reinterpret_cast<void*>(size_t(run.first) * 4));
            glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, run.count);
        }
        effect->AfterRender(dt);
    }

    // Light to display bytes, read back and written top row first.
    glBindFramebuffer(GL_FRAMEBUFFER, displayTarget);
    glDisable(GL_BLEND);
    glUseProgram(tone);
    glBindTexture(GL_TEXTURE_2D, lightTexture);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    std::vector<unsigned char> pixels(size_t(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    if (glGetError() != GL_NO_ERROR)
        return Fail("OpenGL ES reported an error");
    if (!stbi_write_png(outPath.c_str(), width, height, 4, pixels.data() + size_t(width) * 4 * (height - 1),
                        -width * 4))
        return Fail(outPath + ": cannot write");
    return 0;
}
