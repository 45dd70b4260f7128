// The sprite rasterizer: the vertex stage once a frame, then bands of rows
// on threads of their own.
#include "raster/sprite_rasterizer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include <sched.h>

#include "raster/sprite_transform.h"
#include "sim/particle_alpha.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace {

constexpr int kSubpixel = 256;  // the rasterizer's fixed point: 1/256 pixel

// util_iround: halves away from zero, as the setup snaps to the subpixel
// grid.
int RoundToInt(float value) { return value >= 0.0f ? static_cast<int>(value + 0.5f) : static_cast<int>(value - 0.5f); }

// To 8 bits as the fragment's colour is stored: to nearest, halves to
// even, saturated.
int ToByte(float value) {
    const float scaled = std::nearbyint(value * 255.0f);
    return scaled <= 0.0f ? 0 : scaled >= 255.0f ? 255 : static_cast<int>(scaled);
}

// The blend's product of two 8-bit values: a x b / 255, rounded, as the
// renderer works it out.
int Modulate(int a, int b) {
    int t = a * b;
    t += t >> 8;
    return (t + 128) >> 8;
}

constexpr float kByteToFloat = static_cast<float>(1.0 / 255.0);

// Whether every bit from `begin` up to `end` is set in a row of words.
inline bool AllSet(const std::uint64_t *words, int begin, int end) {
    for (int word = begin >> 6; word <= (end - 1) >> 6; ++word) {
        std::uint64_t mask = ~std::uint64_t{0};
        if (word == begin >> 6) mask &= ~std::uint64_t{0} << (begin & 63);
        if (word == (end - 1) >> 6 && (end & 63) != 0) mask &= ~std::uint64_t{0} >> (64 - (end & 63));
        if ((words[word] & mask) != mask) return false;
    }
    return true;
}

// To the nearest whole number, halves to even, as the sampler converts a
// coordinate: out of range, the integer the SSE conversion gives, as the
// renderer's own does.
inline int RoundToEven(float value) {
#if defined(__SSE__)
    return _mm_cvtss_si32(_mm_set_ss(value));
#else
    return static_cast<int>(std::lrint(value));
#endif
}

// The filter's step between two texels, a + w (b - a) / 256 rounded, for
// the three channels at once: each channel in 16 bits of a word, where
// (256 - w) a + w b + 128, the same sum, never passes 65535.
constexpr std::uint64_t kChannelMask = 0x0000'00FF'00FF'00FFu;
constexpr std::uint64_t kHalf = 0x0000'0080'0080'0080u;
inline std::uint64_t Lerp3(std::uint64_t a, std::uint64_t b, std::uint64_t weight) {
    return (((256 - weight) * a + weight * b + kHalf) >> 8) & kChannelMask;
}
inline std::uint64_t Spread(const std::uint8_t *rgb) {
    return rgb[0] | (std::uint64_t{rgb[1]} << 16) | (std::uint64_t{rgb[2]} << 32);
}

// What a texel adds to a pixel for one sprite colour and alpha: one byte
// for each possible filtered texel value, for each channel.
struct ContributionTable {
    std::uint32_t colour[3];  // the float bits of the colour it is for
    int alpha8;
    std::uint8_t add[3][256];
};

// A sprite after the vertex stage: where it covers, and what its
// fragments take.
struct Sprite {
    int x0, y0, width;  // in 1/256 pixel
    float dsdx, s0, dtdy, t0;  // texture coordinate slopes and starts, times w0
    float inverseW, inverseQ;  // 1 / w0, and 1 / q
    int table;                 // its ContributionTable
    std::uint8_t flat[3];      // untextured: what it adds
};

}  // namespace

bool SpriteTexture::CanSample(int width, int height) {
    const auto powerOfTwo = [](int side) { return side > 0 && side <= 4096 && (side & (side - 1)) == 0; };
    return powerOfTwo(width) && powerOfTwo(height);
}

struct SpriteRasterizer::State {
    int threads = 1;
    SpriteTexture texture;
    std::vector<std::uint64_t> texels;  // each texel's channels 16 bits apart (Lerp3)

    // One bit a pixel, set once its red, green and blue are all 255: a
    // row of a sprite over saturated pixels is passed over 64 pixels at a
    // time. Each band's rows are its own thread's.
    std::vector<std::uint64_t> saturated;
    int wordsPerRow = 0;

    // The frame being drawn, shared with the band threads.
    std::vector<Sprite> sprites;
    std::vector<ContributionTable> tables;
    RasterFrame *frame = nullptr;
    int bandRows = 0, bands = 0;
    std::atomic<int> nextBand{0};

    // The band threads: each frame wakes them, each takes bands until none
    // is left, and the last to finish wakes the caller.
    std::vector<std::thread> workers;
    std::mutex mutex;
    std::condition_variable wake, done;
    std::uint64_t generation = 0;
    int busy = 0;
    bool stopping = false;

    int TableFor(const float colour[3], int alpha8);
    void DrawBands();
    void DrawBand(int band);
    void DrawSprite(const Sprite &sprite, int rowBegin, int rowEnd);

    void Work();
};

int SpriteRasterizer::State::TableFor(const float colour[3], int alpha8) {
    std::uint32_t bits[3];
    std::memcpy(bits, colour, sizeof bits);
    for (std::size_t i = tables.size(); i-- > 0;) {
        const ContributionTable &t = tables[i];
        if (t.alpha8 == alpha8 && t.colour[0] == bits[0] && t.colour[1] == bits[1] && t.colour[2] == bits[2])
            return static_cast<int>(i);
    }
    ContributionTable t;
    std::memcpy(t.colour, bits, sizeof bits);
    t.alpha8 = alpha8;
    for (int c = 0; c < 3; ++c)
        for (int texel = 0; texel < 256; ++texel)
            t.add[c][texel] =
                static_cast<std::uint8_t>(Modulate(ToByte(static_cast<float>(texel) * kByteToFloat * colour[c]), alpha8));
    tables.push_back(t);
    return static_cast<int>(tables.size() - 1);
}

void SpriteRasterizer::State::DrawSprite(const Sprite &sprite, int rowBegin, int rowEnd) {
    RasterFrame &f = *frame;
    // Pixel (px, py) is covered when x0 <= 256 px < x0 + width and
    // y0 < 256 py <= y0 + width.
    const int pxBegin = std::max(0, (sprite.x0 + kSubpixel - 1) >> 8);
    const int pxEnd = std::min(f.width, ((sprite.x0 + sprite.width - 1) >> 8) + 1);
    int pyBegin = std::max(rowBegin, (sprite.y0 >> 8) + 1);
    int pyEnd = std::min(rowEnd, ((sprite.y0 + sprite.width) >> 8) + 1);
    if (pxBegin >= pxEnd || pyBegin >= pyEnd) return;
    // Rows already saturated at both ends of the sprite need no work, and
    // a sprite over saturated smoke none at all.
    const auto rowDone = [&](int py) {
        return AllSet(saturated.data() + static_cast<std::size_t>(py) * static_cast<std::size_t>(wordsPerRow), pxBegin,
                      pxEnd);
    };
    while (pyBegin < pyEnd && rowDone(pyBegin)) ++pyBegin;
    while (pyEnd > pyBegin && rowDone(pyEnd - 1)) --pyEnd;
    if (pyBegin >= pyEnd) return;

    if (texture.Empty()) {
        for (int py = pyBegin; py < pyEnd; ++py) {
            std::uint8_t *pixel = f.rgba.data() + (static_cast<std::size_t>(py) * f.width + pxBegin) * 4;
            for (int px = pxBegin; px < pxEnd; ++px, pixel += 4)
                for (int c = 0; c < 3; ++c) pixel[c] = static_cast<std::uint8_t>(std::min(255, pixel[c] + sprite.flat[c]));
        }
        return;
    }

    // The texture's columns and weights for each covered column, its rows
    // and weights for each covered row: s = (fma(ds/dx w0, px, s0 w0) /
    // w0) / q, to 8.8 fixed point texels, less half a texel.
    constexpr int kMaxSide = 512;  // a sprite of 255 pixels covers at most 256 columns
    int column0[kMaxSide], column1[kMaxSide], columnWeight[kMaxSide];
    int row0[kMaxSide], row1[kMaxSide], rowWeight[kMaxSide];
    const int texWidth = texture.width, texHeight = texture.height;
    const int scaleS = texWidth * kSubpixel, scaleT = texHeight * kSubpixel;
    for (int px = pxBegin; px < pxEnd; ++px) {
        const float s = std::fma(sprite.dsdx, static_cast<float>(px), sprite.s0) * sprite.inverseW * sprite.inverseQ;
        const int fixed = RoundToEven(s * static_cast<float>(scaleS)) - 128;
        const int i = px - pxBegin;
        column0[i] = (fixed >> 8) & (texWidth - 1);
        column1[i] = (column0[i] + 1) & (texWidth - 1);
        columnWeight[i] = fixed & 255;
    }
    for (int py = pyBegin; py < pyEnd; ++py) {
        const float t = std::fma(sprite.dtdy, static_cast<float>(py), sprite.t0) * sprite.inverseW * sprite.inverseQ;
        const int fixed = RoundToEven(t * static_cast<float>(scaleT)) - 128;
        const int j = py - pyBegin;
        row0[j] = ((fixed >> 8) & (texHeight - 1)) * texWidth;
        row1[j] = ((((fixed >> 8) & (texHeight - 1)) + 1) & (texHeight - 1)) * texWidth;  // texels, not bytes
        rowWeight[j] = fixed & 255;
    }

    const ContributionTable &table = tables[static_cast<std::size_t>(sprite.table)];
    for (int py = pyBegin; py < pyEnd; ++py) {
        std::uint64_t *done = saturated.data() + static_cast<std::size_t>(py) * static_cast<std::size_t>(wordsPerRow);
        if (AllSet(done, pxBegin, pxEnd)) continue;
        const int j = py - pyBegin;
        const std::uint64_t *top = texels.data() + row0[j], *bottom = texels.data() + row1[j];
        const std::uint64_t wt = static_cast<std::uint64_t>(rowWeight[j]);
        std::uint8_t *pixel = f.rgba.data() + (static_cast<std::size_t>(py) * f.width + pxBegin) * 4;
        for (int px = pxBegin; px < pxEnd; ++px, pixel += 4) {
            std::uint64_t &word = done[px >> 6];
            const std::uint64_t bit = std::uint64_t{1} << (px & 63);
            if (word & bit) continue;  // saturated: nothing changes it
            const int i = px - pxBegin;
            const int a = column0[i], b = column1[i];
            // Four black texels filter to black, which adds nothing: the
            // sprite's corners outside the puff.
            if ((top[a] | top[b] | bottom[a] | bottom[b]) == 0) continue;
            const std::uint64_t ws = static_cast<std::uint64_t>(columnWeight[i]);
            const std::uint64_t filtered = Lerp3(Lerp3(top[a], top[b], ws), Lerp3(bottom[a], bottom[b], ws), wt);
            const int red = std::min(255, pixel[0] + table.add[0][filtered & 255]);
            const int green = std::min(255, pixel[1] + table.add[1][(filtered >> 16) & 255]);
            const int blue = std::min(255, pixel[2] + table.add[2][(filtered >> 32) & 255]);
            pixel[0] = static_cast<std::uint8_t>(red);
            pixel[1] = static_cast<std::uint8_t>(green);
            pixel[2] = static_cast<std::uint8_t>(blue);
            if ((red & green & blue) == 255) word |= bit;
        }
    }
}

void SpriteRasterizer::State::DrawBand(int band) {
    const int rowBegin = band * bandRows, rowEnd = std::min(frame->height, rowBegin + bandRows);
    // The band's rows cleared to opaque black, none of them saturated,
    // on the band's own thread.
    const std::size_t firstPixel = static_cast<std::size_t>(rowBegin) * static_cast<std::size_t>(frame->width);
    const std::size_t endPixel = static_cast<std::size_t>(rowEnd) * static_cast<std::size_t>(frame->width);
    constexpr std::uint8_t kBlack[4] = {0, 0, 0, 255};
    for (std::size_t pixel = firstPixel; pixel < endPixel; ++pixel) std::memcpy(&frame->rgba[4 * pixel], kBlack, 4);
    std::fill(saturated.begin() + static_cast<std::ptrdiff_t>(rowBegin) * wordsPerRow,
              saturated.begin() + static_cast<std::ptrdiff_t>(rowEnd) * wordsPerRow, 0);
    // Sprites whose rows reach into the band.
    const int firstFixed = rowBegin * kSubpixel, endFixed = rowEnd * kSubpixel;
    for (const Sprite &sprite : sprites)
        if (sprite.y0 < endFixed && sprite.y0 + sprite.width >= firstFixed) DrawSprite(sprite, rowBegin, rowEnd);
}

void SpriteRasterizer::State::DrawBands() {
    for (int band = nextBand.fetch_add(1); band < bands; band = nextBand.fetch_add(1)) DrawBand(band);
}

void SpriteRasterizer::State::Work() {
    std::uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [&] { return stopping || generation != seen; });
            if (stopping) return;
            seen = generation;
        }
        DrawBands();
        std::lock_guard<std::mutex> lock(mutex);
        if (--busy == 0) done.notify_one();
    }
}

namespace {

// The cores this process may run on (taskset, a batch system's share of a
// node), which may be fewer than the machine has.
int UsableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

SpriteRasterizer::SpriteRasterizer(int threads) : state_(std::make_unique<State>()) {
    if (threads <= 0) threads = UsableCores();
    state_->threads = threads;
    for (int i = 1; i < threads; ++i) state_->workers.emplace_back([this] { state_->Work(); });
}

SpriteRasterizer::~SpriteRasterizer() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
    }
    state_->wake.notify_all();
    for (std::thread &worker : state_->workers) worker.join();
}

int SpriteRasterizer::Threads() const { return state_->threads; }

void SpriteRasterizer::SetTexture(SpriteTexture texture) {
    if (!texture.Empty() && !SpriteTexture::CanSample(texture.width, texture.height)) texture = SpriteTexture{};
    state_->texture = std::move(texture);
    state_->texels.clear();
    const std::vector<std::uint8_t> &rgb = state_->texture.rgb;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) state_->texels.push_back(Spread(&rgb[i]));
}

void SpriteRasterizer::Draw(const SimulationParameters &params, const ParticlePool &pool, const LiveView &live,
                            int width, int height, RasterFrame &frame) {
    State &s = *state_;
    frame.width = width;
    frame.height = height;
    // Each band clears its own rows.
    frame.rgba.resize(static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)) * 4);
    if (width <= 0 || height <= 0) return;

    // The vertex stage, as the fixed-function GL runs it.
    const Perspective perspective = PerspectiveFor(live, width, height);
    const Matrix4 modelview = CameraMatrix(params);
    const Matrix4 mvp = Multiply(ProjectionMatrix(perspective), modelview);
    const float pointSize = params.pointSize * perspective.pixelScale;
    // The largest size: the point-size cap, within what the renderer draws.
    const float largest = std::min(pointSize, kLargestSprite);
    const float halfWidth = static_cast<float>(width) * 0.5f, halfHeight = static_cast<float>(height) * 0.5f;
    const bool textured = !s.texture.Empty();
    s.sprites.clear();
    s.tables.clear();
    const int count = std::min(params.batchCount, kPoolSize / 1000) * 1000;
    for (int index = 0; index < count; ++index) {
        const Particle &p = pool[static_cast<std::size_t>(index)];
        const float x = p.position.x, y = p.position.y, z = p.position.z;
        float clip[4];
        for (int i = 0; i < 4; ++i)
            clip[i] = ((x * mvp[static_cast<std::size_t>(i)] + y * mvp[static_cast<std::size_t>(4 + i)]) +
                       z * mvp[static_cast<std::size_t>(8 + i)]) +
                      mvp[static_cast<std::size_t>(12 + i)];
        // A point whose centre is outside the view volume is culled whole.
        const float cw = clip[3];
        if (!(cw - clip[0] >= 0.0f && cw + clip[0] >= 0.0f && cw - clip[1] >= 0.0f && cw + clip[1] >= 0.0f &&
              cw - clip[2] >= 0.0f && cw + clip[2] >= 0.0f))
            continue;
        const float w0 = 1.0f / cw;
        const float X = std::fma(clip[0] * w0, halfWidth, halfWidth);
        const float Y = std::fma(clip[1] * w0, -halfHeight, halfHeight);

        // The size, attenuated by the eye distance and clamped.
        const float eyeZ = ((modelview[14] + z * modelview[10]) + y * modelview[6]) + x * modelview[2];
        const float d = std::fabs(eyeZ);
        const float attenuation = d * (d * 0.01f + 0.0f) + 1.0f;
        float size = std::min(std::max((1.0f / std::sqrt(attenuation)) * pointSize, 1.0f), largest);
        size = std::min(size, kLargestSprite);

        // The colour and alpha as the fragments get them.
        const float alpha = std::clamp(ParticleAlpha(p.age, params), 0.0f, 1.0f);
        const float inverseW = 1.0f / w0;
        const int alpha8 = ToByte((255.0f * kByteToFloat) * ((alpha * w0) * inverseW));
        if (alpha8 == 0) continue;  // adds nothing
        float colour[3];
        for (int c = 0; c < 3; ++c) colour[c] = (std::clamp(p.color[c], 0.0f, 1.0f) * w0) * inverseW;

        Sprite sprite{};
        sprite.width = std::max(kSubpixel, RoundToInt(static_cast<float>(kSubpixel) * size));
        sprite.x0 = RoundToInt(static_cast<float>(kSubpixel) * (X - 0.5f)) - sprite.width / 2;
        sprite.y0 = RoundToInt(static_cast<float>(kSubpixel) * (Y - 0.5f)) - sprite.width / 2;
        const float slope = static_cast<float>(kSubpixel) / static_cast<float>(sprite.width);
        sprite.dsdx = slope * w0;
        sprite.s0 = static_cast<float>(0.5 - static_cast<double>(slope * (X - 0.5f))) * w0;
        sprite.dtdy = slope * w0;
        sprite.t0 = static_cast<float>(0.5 - static_cast<double>(slope * (Y - 0.5f))) * w0;
        sprite.inverseW = inverseW;
        sprite.inverseQ = 1.0f / (w0 * inverseW);
        if (textured) {
            sprite.table = s.TableFor(colour, alpha8);
        } else {
            for (int c = 0; c < 3; ++c) sprite.flat[c] = static_cast<std::uint8_t>(Modulate(ToByte(colour[c]), alpha8));
        }
        s.sprites.push_back(sprite);
    }

    s.wordsPerRow = (width + 63) / 64;
    s.saturated.resize(static_cast<std::size_t>(s.wordsPerRow) * static_cast<std::size_t>(height));
    // The bands: a few for each thread, taken in turn, so that a thread
    // whose bands hold the plume does not hold up the others.
    s.frame = &frame;
    s.bands = std::min(height, s.threads * 4);
    s.bandRows = (height + s.bands - 1) / s.bands;
    s.bands = (height + s.bandRows - 1) / s.bandRows;
    s.nextBand.store(0);
    if (!s.workers.empty()) {
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            s.busy = static_cast<int>(s.workers.size());
            ++s.generation;
        }
        s.wake.notify_all();
    }
    s.DrawBands();
    if (!s.workers.empty()) {
        std::unique_lock<std::mutex> lock(s.mutex);
        s.done.wait(lock, [&] { return s.busy == 0; });
    }
    s.frame = nullptr;
}
