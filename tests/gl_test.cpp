// The GL context, projection and frame drawing on Mesa's software renderer.
// Runs under Xvfb (tests/with-xvfb.sh); one window serves every test.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include <imgui.h>

#include "app/app.h"
#include "app/frame_loop.h"
#include "app/key_actions.h"
#include "values/tuned_values.h"
#include "values/preset_file.h"
#include "values/presets.h"
#include "app/program_frame.h"
#include "values/recorder.h"
#include "values/recording.h"
#include "values/replay.h"
#include "app/scene.h"
#include "io/user_message.h"
#include "app/window_handler.h"
#include "platform/sdl_platform.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/graphics.h"
#include "render/read_back.h"
#include "sim/particles.h"
#include "tests/dib_builder.h"
#include "tests/scratch_dir.h"
#include "tests/sim_support.h"

// Counts the program's own heap allocations while armed. The replacement
// pairs malloc with free, which the compiler cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<bool> countAllocations{false};
std::atomic<int> allocations{0};
}  // namespace

namespace {
void *CountedAllocation(std::size_t size) noexcept {
    if (countAllocations) ++allocations;
    return std::malloc(size ? size : 1);
}
void *CheckedAllocation(std::size_t size) {
    if (void *block = CountedAllocation(size)) return block;
    throw std::bad_alloc();
}
}  // namespace

// Every form, so that no allocation reaches a mismatched release.
void *operator new(std::size_t size) { return CheckedAllocation(size); }
void *operator new[](std::size_t size) { return CheckedAllocation(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return CountedAllocation(size); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return CountedAllocation(size); }
void operator delete(void *block) noexcept { std::free(block); }
void operator delete[](void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }
void operator delete[](void *block, std::size_t) noexcept { std::free(block); }
void operator delete(void *block, const std::nothrow_t &) noexcept { std::free(block); }
void operator delete[](void *block, const std::nothrow_t &) noexcept { std::free(block); }

namespace {

std::vector<std::string> messages;
bool RecordMessage(MessageStyle, const char *caption, const char *text) {
    messages.push_back(std::string(caption) + ": " + text);
    return true;
}

GLint startViewport[4];
GLdouble startProjection[16];

// The program's state, over the process-wide blocks, as the program has it.
App app(gParams, gParticles, gSmoke);

class GlEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        SetMessageSink(RecordMessage);
        SetGraphicsPlatform(SdlGraphicsPlatform());
        ASSERT_TRUE(OpenMainWindow());
        ASSERT_TRUE(InitGraphics(ShowGraphicsWarning));
        glGetIntegerv(GL_VIEWPORT, startViewport);
        glGetDoublev(GL_PROJECTION_MATRIX, startProjection);
    }
    void TearDown() override {
        ShutdownPanel(app.panel);
        ShutdownGraphics();
        CloseMainWindow();
    }
};

const auto *environment = ::testing::AddGlobalTestEnvironment(new GlEnvironment);

// The aspect of a perspective projection: the ratio of its y and x scales.
double Aspect(const GLdouble *projection) { return projection[5] / projection[0]; }

// Red channel of one pixel of the back buffer.
int RedAt(int x, int y) {
    GLubyte rgba[4];
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return rgba[0];
}

class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSimulation();
        // Everything out of sight behind the camera, unless placed.
        for (Particle &p : gParticles) {
            p.position = Vector3(0.0f, 0.0f, 50.0f);
            p.color[0] = p.color[1] = p.color[2] = 0.5f;
        }
        glViewport(0, 0, kDrawableSize, kDrawableSize);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixd(startProjection);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBindTexture(GL_TEXTURE_2D, ParticleTexture());
    }
    static void Place(int index, float x, float y, float z) {
        gParticles[index].position = Vector3(x, y, z);
    }
};

TEST_F(GlTest, ContextOffersThePointExtensions) {
    const char *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    EXPECT_TRUE(ExtensionOffered(extensions, "GL_ARB_point_parameters"));
    EXPECT_TRUE(ExtensionOffered(extensions, "GL_ARB_point_sprite"));
    EXPECT_NE(PointParameters().pointParameterf, nullptr);
    EXPECT_NE(PointParameters().pointParameterfv, nullptr);
    EXPECT_TRUE(messages.empty());
    GLint doubleBuffered = 0;
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_TRUE(doubleBuffered);
}

TEST_F(GlTest, StartUpProjectionIsFourThirdsOverTheWholeWindow) {
    EXPECT_EQ(startViewport[2], 800);
    EXPECT_EQ(startViewport[3], 800);
    EXPECT_NEAR(Aspect(startProjection), 1.3333334, 1e-6);
    EXPECT_NEAR(startProjection[5], 1.0 / std::tan(22.5 * M_PI / 180.0), 1e-6);
}

TEST_F(GlTest, ResizeSetsViewportAndAspect) {
    ResizeGraphics(400, 200);
    GLint viewport[4];
    GLdouble projection[16];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_EQ(viewport[2], 400);
    EXPECT_EQ(viewport[3], 200);
    EXPECT_NEAR(Aspect(projection), 2.0, 1e-9);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
}

TEST_F(GlTest, SpritesAddHalfGreyTimesAlpha) {
    Place(0, 0.0f, 0.0f, -10.0f);
    DrawParticles(gParams, gParticles, 1);
    EXPECT_NEAR(RedAt(400, 400), 64, 1);  // 0.5 grey x 0.5 alpha
    EXPECT_EQ(RedAt(10, 10), 0);

    glClear(GL_COLOR_BUFFER_BIT);
    Place(999, 0.0f, 0.0f, -10.0f);
    DrawParticles(gParams, gParticles, 1);
    EXPECT_NEAR(RedAt(400, 400), 128, 2);  // two sprites add up
}

TEST_F(GlTest, DistanceAttenuationShrinksTheSprite) {
    // 30 pixels at distance 10: 30 / sqrt(1 + 0.01 * 100), about 21.
    Place(0, 0.0f, 0.0f, -10.0f);
    DrawParticles(gParams, gParticles, 1);
    EXPECT_GT(RedAt(400 + 8, 400), 0);
    EXPECT_EQ(RedAt(400 + 13, 400), 0);
}

TEST_F(GlTest, WithoutTheEntryPointsTheFrameStillDraws) {
    const PointParameterEntryPoints saved = PointParameters();
    // A fresh default state: no attenuation from earlier tests.
    const GLfloat plain[3] = {1.0f, 0.0f, 0.0f};
    saved.pointParameterfv(GL_POINT_DISTANCE_ATTENUATION_ARB, plain);
    SetPointParameters({});
    Place(0, 0.0f, 0.0f, -10.0f);
    DrawParticles(gParams, gParticles, 1);
    SetPointParameters(saved);
    EXPECT_NEAR(RedAt(400, 400), 64, 1);
    EXPECT_GT(RedAt(400 + 13, 400), 0);  // full 30-pixel sprite
}

TEST_F(GlTest, BatchesStayInsideThePool) {
    for (int i = 0; i < kPoolSize; ++i) Place(i, 0.0f, 0.0f, -10.0f);
    gParams.constantAlpha = 0.01f;
    DrawParticles(gParams, gParticles, 102);  // the count one step beyond the pool
    EXPECT_GT(RedAt(400, 400), 0);
}

TEST_F(GlTest, FramesAllocateNothing) {
    FillParticlePool(gParticles, gSmoke, gParams);
    SetParticleCount(gParams, 100000);
    const auto frame = [](std::uint32_t now) {
        DrawFrame(gParams, gParticles, gSmoke, now);
        CurrentGraphicsPlatform().swapBuffers();
    };
    frame(0);  // the first frame may set things up
    allocations = 0;
    countAllocations = true;
    for (std::uint32_t k = 1; k <= 10; ++k) frame(16 * k);
    countAllocations = false;
    EXPECT_EQ(allocations, 0);
}

std::uint32_t scriptedNow = 0;
std::uint32_t SixtyHertz() { return scriptedNow += 16; }

// Thirty frames of the same smoke; with `panel`, the panel shows over the
// last five. Returns the frame drawn next, with the panel hidden.
std::vector<unsigned char> FrameAfter(bool panel) {
    ResetSimulation();
    FillParticlePool(gParticles, gSmoke, gParams);
    scriptedNow = 0;
    for (int frame = 1; frame <= 30; ++frame) {
        app.panelShown = panel && frame > 25;
        DrawProgramFrame(app, SixtyHertz());
        CurrentGraphicsPlatform().swapBuffers();
    }
    app.panelShown = false;
    DrawProgramFrame(app, SixtyHertz());
    std::vector<unsigned char> rgba(800 * 800 * 4);
    glReadPixels(0, 0, 800, 800, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

// The texture step in a scratch working directory holding `sprite`.
class GlTextureTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        ASSERT_TRUE(scratch_.Ok());
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        ASSERT_EQ(chdir(scratch_.Path().c_str()), 0);
        messages.clear();
    }
    void TearDown() override {
        const GLuint name = ParticleTexture();
        glDeleteTextures(1, &name);
        SetParticleTexture(kNoTexture);
        EXPECT_EQ(chdir(previous_), 0);
        GlTest::TearDown();
    }
    static void WriteSprite(const DibLayout &layout) {
        const std::vector<std::uint8_t> bytes = BuildDib(layout);
        std::FILE *f = std::fopen("particle3.bmp", "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    ScratchDir scratch_;
    char previous_[4096] = {};
};

TEST_F(GlTextureTest, UploadedTextureReadsBackAsTheImage) {
    // Two pixels wide: six-byte rows, which only byte alignment keeps intact.
    const std::vector<std::uint8_t> rgb = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    DibLayout layout;
    layout.width = layout.height = 2;
    layout.pixels = StoredRows24(rgb, 2, 2);
    WriteSprite(layout);
    MakeParticleTexture("");
    EXPECT_TRUE(messages.empty());
    ASSERT_NE(ParticleTexture(), kNoTexture);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), ParticleTexture());

    std::vector<std::uint8_t> back(12, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(back, rgb);
}

TEST_F(GlTextureTest, SpriteAddsTexelTimesHalfTimesAlpha) {
    DibLayout layout;
    layout.width = layout.height = 8;
    layout.pixels = StoredRows24(std::vector<std::uint8_t>(8 * 8 * 3, 200), 8, 8);
    WriteSprite(layout);
    MakeParticleTexture("");
    Place(0, 0.0f, 0.0f, -10.0f);
    gParams.constantAlpha = 1.0f;
    glBindTexture(GL_TEXTURE_2D, ParticleTexture());
    DrawParticles(gParams, gParticles, 1);
    EXPECT_NEAR(RedAt(400, 400), 100, 2);  // 200 x 0.5 x 1
    glClear(GL_COLOR_BUFFER_BIT);
    gParams.constantAlpha = 0.5f;
    DrawParticles(gParams, gParticles, 1);
    EXPECT_NEAR(RedAt(400, 400), 50, 2);
}

TEST_F(GlTextureTest, MissingSpriteIsReportedOnceAndLeavesTheNameUnset) {
    MakeParticleTexture("");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error: Failed to open DIB file ./particle3.bmp.\n");
    EXPECT_EQ(ParticleTexture(), kNoTexture);
    // Drawn untextured, as a plain grey square.
    Place(0, 0.0f, 0.0f, -10.0f);
    glBindTexture(GL_TEXTURE_2D, ParticleTexture());
    DrawParticles(gParams, gParticles, 1);
    EXPECT_NEAR(RedAt(400, 400), 64, 1);
}

// The panel puts back every piece of GL state the frame relies on: the
// frame after it equals, pixel for pixel, the frame drawn without the
// panel ever having been shown (no test before this one shows it). The
// sprites are textured, as in the program.
TEST_F(GlTextureTest, FrameAfterThePanelIsUntouchedByIt) {
    std::vector<std::uint8_t> rgb(16 * 16 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(40 + i % 200);
    DibLayout layout;
    layout.width = layout.height = 16;
    layout.pixels = StoredRows24(rgb, 16, 16);
    WriteSprite(layout);
    MakeParticleTexture("");
    const std::vector<unsigned char> plain = FrameAfter(false);
    const std::vector<unsigned char> after = FrameAfter(true);
    int lit = 0, differ = 0;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        lit += plain[i] != 0 && i % 4 != 3;
        differ += plain[i] != after[i];
    }
    EXPECT_GT(lit, 10000) << "the frame shows smoke";
    EXPECT_EQ(differ, 0);
}

// Swaps, then spoils the new back buffer with magenta: what a GL may leave
// there, since a swap leaves the back buffer's contents undefined.
void SwapAndSpoil() {
    SdlGraphicsPlatform().swapBuffers();
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
}

// Eight loop passes of the program: Tab goes down in pass 4, so its action
// runs in pass 5; the window is destroyed in pass 8.
int pumpPass = 0;
void TabInPassFour(MessageQueue &queue) {
    ++pumpPass;
    if (pumpPass == 4) queue.Post({MessageKind::KeyDown, 0x09});
    if (pumpPass == 6) queue.Post({MessageKind::KeyUp, 0x09});
    if (pumpPass == 8) queue.Post({MessageKind::Destroy, 0});
}

constexpr int kTabFrame = 5;
int framesDrawn = 0;
std::vector<unsigned char> readBack;

// The capture's way: the frame read back after drawing, before its swap.
void CaptureFrame(App &app, std::uint32_t now) {
    ++framesDrawn;
    DrawProgramFrame(app, now);
    if (framesDrawn == kTabFrame) {
        readBack.assign(3 * kDrawableSize * kDrawableSize, 0);
        ASSERT_TRUE(ReadBackRgb(kDrawableSize, kDrawableSize, readBack.data()));
    }
    CurrentGraphicsPlatform().swapBuffers();
}

// The wrong moment: Tab's frame saved between frames, after the swap.
void SaveAfterTheSwap(App &app, std::uint32_t now) {
    ++framesDrawn;
    if (framesDrawn == kTabFrame) SaveScreenshot(kScreenshotFile, kDrawableSize, kDrawableSize, nullptr);
    DrawFrame(app.params, app.pool, app.smoke, now);
    CurrentGraphicsPlatform().swapBuffers();
}

// Runs the frame loop from a fresh pool with the scripted clock and keys;
// returns the pixels of screenshot0.ppm, or the whole file if it is not a
// PPM of the drawable.
std::string RunWithTab(FrameRenderer renderFrame) {
    ResetSimulation();
    FillParticlePool(gParticles, gSmoke, gParams);
    app.messages.Clear();
    app.input = InputState{};
    scriptedNow = pumpPass = framesDrawn = 0;
    std::remove(kScreenshotFile);
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunFrameLoop(app, TabInPassFour, SixtyHertz, renderFrame), 0);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "wrote file (800 x 800 pixels, 1920000 bytes)\n");
    std::FILE *f = std::fopen(kScreenshotFile, "rb");
    std::string file;
    if (f) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) file.append(buffer, n);
        std::fclose(f);
    }
    const std::string header = "P6\n# CREATOR: glReadPixel()\n800 800\n255\n";
    return file.compare(0, header.size(), header) == 0 ? file.substr(header.size()) : file;
}

// Tab's screenshot is the frame drawn right after the press, read before
// its swap, even where a swap leaves the back buffer spoiled: byte for byte
// what the capture reads back from that frame. Read after the swap, as
// between frames, it is not.
TEST_F(GlTextureTest, TabSavesTheFrameAboutToBeShown) {
    DibLayout layout;
    layout.width = layout.height = 8;
    layout.pixels = StoredRows24(std::vector<std::uint8_t>(8 * 8 * 3, 180), 8, 8);
    WriteSprite(layout);
    MakeParticleTexture("");
    GraphicsPlatform spoiling = SdlGraphicsPlatform();
    spoiling.swapBuffers = SwapAndSpoil;
    SetGraphicsPlatform(spoiling);

    const std::string screenshot = RunWithTab(RenderProgramFrame);
    RunWithTab(CaptureFrame);
    const std::string captured(readBack.begin(), readBack.end());
    const std::string afterSwap = RunWithTab(SaveAfterTheSwap);
    SetGraphicsPlatform(SdlGraphicsPlatform());
    app.screenshotRequested = false;  // that last run never took its request

    ASSERT_EQ(captured.size(), 1920000u);
    EXPECT_GT(std::count_if(captured.begin(), captured.end(), [](char c) { return c != 0; }), 10000)
        << "the frame shows smoke";
    EXPECT_TRUE(screenshot == captured) << "the screenshot is not the frame the capture read back";
    EXPECT_FALSE(afterSwap == captured) << "a read after the swap went unnoticed";
}

void DrawAndSwap() { RenderProgramFrame(app, scriptedNow += 16); }

// A window message through the real handler, then a frame.
void Send(MessageKind kind, int x, int y) {
    HandleWindowMessage(app, {kind, PackLowHigh(x, y)});
    DrawAndSwap();
}

// Where the panel drew the control with that label.
bool ControlRect(const std::string &label, int rect[4]) { return app.panel.controls.Find(label, rect); }

void Click(int x, int y) {
    Send(MessageKind::MouseMove, x, y);
    Send(MessageKind::LeftButtonDown, x, y);
    Send(MessageKind::LeftButtonUp, x, y);
}

// The start values, no input held, and the panel shown and laid out.
void ShowPanelAtTheStart() {
    gParams = SimulationParameters{};
    app.input = InputState{};
    app.panelShown = true;
    DrawAndSwap();
    DrawAndSwap();  // laid out
}

// With the panel shown: a press over it works the panel and never turns
// the view; a drag begun over the smoke turns it, one degree a pixel, even
// across the panel; keys act as ever.
TEST_F(GlTest, PanelTakesPressesOverItAndLeavesTheRestToTheView) {
    ShowPanelAtTheStart();
    int slider[4] = {}, reset[4] = {};
    ASSERT_TRUE(ControlRect("sprite size", slider));
    ASSERT_TRUE(ControlRect("Start values", reset));

    Click(slider[0] + slider[2] - 2, slider[1] + slider[3] / 2);  // the track's right end
    SimulationParameters expected;
    expected.pointSize = 200.0f;
    EXPECT_TRUE(gParams == expected) << "sprite size " << gParams.pointSize;

    const int labelX = slider[0] - 60, labelY = slider[1] + 4;  // the panel, on no control
    Send(MessageKind::LeftButtonDown, labelX, labelY);
    Send(MessageKind::MouseMove, labelX + 50, labelY + 30);
    Send(MessageKind::LeftButtonUp, labelX + 50, labelY + 30);
    EXPECT_TRUE(gParams == expected) << "a drag from the panel turned the view";

    Send(MessageKind::LeftButtonDown, 600, 600);
    Send(MessageKind::MouseMove, 500, 580);
    Send(MessageKind::MouseMove, labelX, labelY);  // over the panel
    Send(MessageKind::LeftButtonUp, labelX, labelY);
    EXPECT_EQ(gParams.yawAngle, static_cast<float>(600 - labelX));
    EXPECT_EQ(gParams.pitchAngle, static_cast<float>(600 - labelY));
    EXPECT_EQ(gParams.pointSize, 200.0f) << "the drag across the panel worked a control";

    HandleWindowMessage(app, {MessageKind::KeyDown, 'Q'});
    ApplyPendingKey(app);
    EXPECT_EQ(gParams.driftSpeed, -5.5f);

    Click(reset[0] + reset[2] / 2, reset[1] + reset[3] / 2);
    EXPECT_TRUE(gParams == SimulationParameters{}) << "Start values left something changed";

    app.panelShown = false;
    DrawAndSwap();
}

// The WCAG 2 contrast of two sRGB pixels.
double Contrast(const unsigned char *a, const unsigned char *b) {
    const auto luminance = [](const unsigned char *p) {
        double sum = 0.0;
        const double weights[3] = {0.2126, 0.7152, 0.0722};
        for (int c = 0; c < 3; ++c) {
            const double v = p[c] / 255.0;
            sum += weights[c] * (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return sum;
    };
    const double x = luminance(a), y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// Every text of the panel reads over white smoke and over black: drawn
// once as it is and once with its text all but see-through, the pixels that differ
// are the text's (the font has no soft edges at this size), and each keeps
// a contrast of 4.5:1 or more against what lies right behind it, wherever
// the smoke shows through.
TEST_F(GlTest, PanelTextKeepsItsContrastOverWhiteAndBlack) {
    ShowPanelAtTheStart();
    ImGuiStyle &style = ImGui::GetStyle();
    const ImVec4 text = style.Colors[ImGuiCol_Text], quiet = style.Colors[ImGuiCol_TextDisabled];
    // Over white, then over black: as it is, then all but see-through.
    std::vector<unsigned char> frames[2][2];
    for (int over = 0; over < 2; ++over) {
        const float level = over == 0 ? 1.0f : 0.0f;
        std::vector<unsigned char> *drawn = frames[over];
        for (int seeThrough = 0; seeThrough < 2; ++seeThrough) {
            // Nearly see-through: with no alpha at all the text, and its band, would not be drawn.
            style.Colors[ImGuiCol_Text].w = seeThrough ? 1.0f / 255.0f : text.w;
            style.Colors[ImGuiCol_TextDisabled].w = seeThrough ? 1.0f / 255.0f : quiet.w;
            app.panel.built = false;  // built anew, in these colours
            glClearColor(level, level, level, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            DrawPanel(app.panel, gParams, true, scriptedNow);
            drawn[seeThrough].assign(3 * kDrawableSize * kDrawableSize, 0);
            ASSERT_TRUE(ReadBackRgb(kDrawableSize, kDrawableSize, drawn[seeThrough].data()));
            CurrentGraphicsPlatform().swapBuffers();
        }
    }
    for (int over = 0; over < 2; ++over) {
        const float level = over == 0 ? 1.0f : 0.0f;
        const std::vector<unsigned char> *drawn = frames[over];
        // How far each pixel moved with the text; one that moved less than
        // half as far as a neighbour is the soft edge of a drawn shape (the
        // title bar's arrow), not a glyph's.
        const auto moved = [&](int x, int y) {
            const std::size_t i = 3 * (static_cast<std::size_t>(y) * kDrawableSize + static_cast<std::size_t>(x));
            int most = 0;
            for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(drawn[0][i + c] - drawn[1][i + c]));
            return most;
        };
        int textPixels = 0, below = 0;
        double worst = 1e9;
        for (int y = 1; y + 1 < kDrawableSize; ++y)
            for (int x = 1; x + 1 < kDrawableSize; ++x) {
                const int own = moved(x, y);
                if (own == 0) continue;
                int nearby = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) nearby = std::max(nearby, moved(x + dx, y + dy));
                if (2 * own < nearby) continue;
                const std::size_t i = 3 * (static_cast<std::size_t>(y) * kDrawableSize + static_cast<std::size_t>(x));
                // Where nothing of the smoke shows (the title bar), the
                // contrast is the panel's own, whatever lies behind.
                if (std::equal(&frames[0][1][i], &frames[0][1][i] + 3, &frames[1][1][i])) continue;
                ++textPixels;
                const double contrast = Contrast(&drawn[0][i], &drawn[1][i]);
                worst = std::min(worst, contrast);
                below += contrast < 4.5;
            }
        EXPECT_GT(textPixels, 5000) << "over " << level << ": the text was not found";
        EXPECT_EQ(below, 0) << "over " << level << ": " << below << " of " << textPixels
                            << " text pixels below 4.5:1, the worst " << worst << ":1";
    }
    style.Colors[ImGuiCol_Text] = text;
    style.Colors[ImGuiCol_TextDisabled] = quiet;
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    app.panelShown = false;
    DrawAndSwap();
}

// A slider takes an exact value: Ctrl+click opens a field in its place
// without moving it, and what is typed there is set on Return; the wheel
// over it steps it as its keys do; its reset button puts it back.
TEST_F(GlTest, PanelSlidersTakeTypedValuesTheWheelAndReset) {
    ShowPanelAtTheStart();
    int slider[4] = {};
    ASSERT_TRUE(ControlRect("sprite size", slider));
    const int x = slider[0] + slider[2] - 4, y = slider[1] + slider[3] / 2;  // near the track's right end
    HandleWindowMessage(app, {MessageKind::KeyDown, kKeyControl});
    Click(x, y);
    HandleWindowMessage(app, {MessageKind::KeyUp, kKeyControl});
    EXPECT_EQ(gParams.pointSize, 30.0f) << "Ctrl+click moved the slider";
    DrawAndSwap();
    DrawAndSwap();  // the field has the keyboard
    for (char c : std::string("45.5")) HandleWindowMessage(app, {MessageKind::Text, static_cast<std::uint32_t>(c)});
    DrawAndSwap();
    for (MessageKind kind : {MessageKind::KeyDown, MessageKind::KeyUp}) {
        HandleWindowMessage(app, {kind, kKeyReturn});
        DrawAndSwap();
    }
    EXPECT_EQ(gParams.pointSize, 45.5f);

    Send(MessageKind::MouseMove, x, y);
    HandleWindowMessage(app, {MessageKind::Wheel, static_cast<std::uint32_t>(-2)});
    DrawAndSwap();
    EXPECT_EQ(gParams.pointSize, 37.5f) << "two notches down are two X presses";

    int reset[4] = {};
    ASSERT_TRUE(ControlRect("reset sprite size", reset));
    Click(reset[0] + reset[2] / 2, reset[1] + reset[3] / 2);
    EXPECT_TRUE(gParams == SimulationParameters{}) << "sprite size " << gParams.pointSize;
    app.panelShown = false;
    DrawAndSwap();
}

// The live panel names the files its preset listing passed over, once for
// each change of the folder, in this run or a later one.
TEST_F(GlTest, PassedOverFilesAreNamedOncePerChange) {
    ScratchDir config, state;
    ASSERT_TRUE(config.Ok() && state.Ok());
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
    std::filesystem::create_directories(config.File("nimbrel/presets/a folder.toml"));
    std::ofstream(config.File("nimbrel/presets/bad!name.toml")) << "sprite_size = 30.0\n";
    const auto showPanel = []() {  // a run of the program: the panel shown, then put away
        testing::internal::CaptureStdout();
        app.panelShown = true;
        DrawAndSwap();
        app.panelShown = false;
        DrawAndSwap();
        ShutdownPanel(app.panel);
        return testing::internal::GetCapturedStdout();
    };
    ShutdownPanel(app.panel);  // as at start
    app.panel.live = true;
    const std::string said = showPanel();
    EXPECT_NE(said.find("bad!name.toml (a name is"), std::string::npos) << said;
    EXPECT_NE(said.find("a folder.toml (not a regular file)"), std::string::npos) << said;
    EXPECT_EQ(showPanel(), "") << "said again with nothing changed";
    std::ofstream(config.File("nimbrel/presets/worse?.toml")) << "\n";
    EXPECT_NE(showPanel().find("worse?.toml"), std::string::npos) << "a change was not said";
    app.panel.live = false;
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_STATE_HOME");
}

// F11 makes the drawable the size of the screen, and the projection
// follows it through the size message; F11 again brings the window back.
TEST_F(GlTest, F11FillsTheScreenAndBack) {
    app.messages.Clear();
    const auto pressAndSettle = [](int wantWidth) {
        HandleWindowMessage(app, {MessageKind::KeyDown, kKeyF11});
        ApplyPendingKey(app);
        int width = 0, height = 0;
        for (int pass = 0; pass < 300 && width != wantWidth; ++pass) {
            PumpSdlEvents(app.messages);
            for (WindowMessage message; app.messages.Take(message);) HandleWindowMessage(app, message);
            DrawAndSwap();
            DrawableSize(width, height);
            usleep(10000);
        }
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        return std::vector<int>{width, height, viewport[2], viewport[3]};
    };
    EXPECT_EQ(pressAndSettle(1024), (std::vector<int>{1024, 1024, 1024, 1024}));
    EXPECT_TRUE(IsFullscreen());
    EXPECT_EQ(pressAndSettle(800), (std::vector<int>{800, 800, 800, 800}));
    EXPECT_FALSE(IsFullscreen());
}

// The panel's Save as writes the user's preset, typed in through Text
// messages; Load applies it again.
TEST_F(GlTest, PanelSavesAPresetAndLoadsItBack) {
    ScratchDir config;
    ASSERT_TRUE(config.Ok());
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    SimulationParameters look;
    look.pointSize = 66.0f;
    look.fadeIn = true;
    SetParticleCount(look, 12000);
    gParams = look;
    app.input = InputState{};
    app.panelShown = true;
    DrawAndSwap();
    DrawAndSwap();
    int field[4] = {}, save[4] = {};
    ASSERT_TRUE(ControlRect("save name", field));
    ASSERT_TRUE(ControlRect("Save", save));

    testing::internal::CaptureStdout();
    Click(field[0] + 10, field[1] + field[3] / 2);
    for (char c : std::string("my look")) Send(MessageKind::Text, c, 0);
    HandleWindowMessage(app, {MessageKind::Text, 'x'});  // typed, then taken back
    DrawAndSwap();
    HandleWindowMessage(app, {MessageKind::KeyDown, 0x08});  // Backspace, not a control
    DrawAndSwap();
    HandleWindowMessage(app, {MessageKind::KeyUp, 0x08});
    DrawAndSwap();
    // Ctrl+A selects it all: typed again, the name replaces itself.
    HandleWindowMessage(app, {MessageKind::KeyDown, kKeyControl});
    HandleWindowMessage(app, {MessageKind::KeyDown, 'A'});
    DrawAndSwap();
    HandleWindowMessage(app, {MessageKind::KeyUp, 'A'});
    HandleWindowMessage(app, {MessageKind::KeyUp, kKeyControl});
    DrawAndSwap();
    for (char c : std::string("my look")) Send(MessageKind::Text, c, 0);
    Click(save[0] + save[2] / 2, save[1] + save[3] / 2);
    const std::string saved = testing::internal::GetCapturedStdout();
    const PresetPanel &presets = app.panel.presets;
    ASSERT_GE(presets.picked, 0) << "the preset saved is not picked";
    EXPECT_EQ(presets.presets[static_cast<std::size_t>(presets.picked)].name, "my look");
    const std::string path = config.Path() + "/nimbrel/presets/my look.toml";
    EXPECT_EQ(saved, "saved preset \"my look\" as " + path + "\n");
    const PresetLoad file = ReadPresetFile(path);
    ASSERT_TRUE(file.ok) << file.error;
    EXPECT_TRUE(file.params == look);

    gParams = SimulationParameters{};
    DrawAndSwap();
    int entry[4] = {}, load[4] = {};
    ASSERT_TRUE(ControlRect("preset my look", entry));
    ASSERT_TRUE(ControlRect("Load", load));
    testing::internal::CaptureStdout();
    Click(entry[0] + 10, entry[1] + entry[3] / 2);
    Click(load[0] + load[2] / 2, load[1] + load[3] / 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "loaded preset \"my look\"\n");
    EXPECT_TRUE(gParams == look);

    app.panelShown = false;
    DrawAndSwap();
    gParams = SimulationParameters{};
    unsetenv("XDG_CONFIG_HOME");
}

// The real frame loop and frame, with the panel shown, fed by a script of
// messages due at given passes: the window system's events arriving while
// a frame is drawn, posted as its pump posts them, while the queue has room.
struct Due {
    int pass;
    WindowMessage message;
};
std::vector<Due> script;
std::size_t scriptNext = 0;
int scriptPass = 0, scriptDrainedAt = 0;

void ScriptedPump(MessageQueue &queue) {
    ++scriptPass;
    while (scriptNext < script.size() && script[scriptNext].pass <= scriptPass && queue.HasRoomForEvent())
        queue.PostEvent(script[scriptNext++].message);
    if (scriptNext == script.size() && !scriptDrainedAt && queue.Empty()) scriptDrainedAt = scriptPass;
    // The window closes once everything was taken and a frame drawn.
    if (scriptDrainedAt && scriptPass == scriptDrainedAt + 2) queue.PostEvent({MessageKind::Close, 0});
}

// Typing `text` as the keyboard does: key-down, the character, key-up.
void Type(int pass, const std::string &text) {
    for (char c : text) {
        const auto code = static_cast<std::uint32_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        script.push_back({pass, {MessageKind::KeyDown, code}});
        script.push_back({pass, {MessageKind::Text, static_cast<std::uint32_t>(c)}});
        script.push_back({pass, {MessageKind::KeyUp, code}});
    }
}

// A key of its own: down at `pass`, up at the next.
void Tap(int pass, std::uint32_t code) {
    script.push_back({pass, {MessageKind::KeyDown, code}});
    script.push_back({pass + 1, {MessageKind::KeyUp, code}});
}

// Clicks the save-name field at its right end, and empties it: returns the
// next free pass.
int ClickAndEmptyField(int pass) {
    int field[4] = {};
    EXPECT_TRUE(ControlRect("save name", field));
    const std::uint32_t at = PackLowHigh(field[0] + field[2] - 4, field[1] + field[3] / 2);
    script.push_back({pass, {MessageKind::MouseMove, at}});
    script.push_back({pass + 1, {MessageKind::LeftButtonDown, at}});
    script.push_back({pass + 2, {MessageKind::LeftButtonUp, at}});
    pass += 3;
    for (int i = 0; i < 70; ++i, pass += 2) Tap(pass, 0x08);
    return pass;
}

class PanelTypingTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        ASSERT_TRUE(config.Ok());
        setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        gParams = SimulationParameters{};
        app.input = InputState{};
        app.messages.Clear();
        app.panelShown = true;
        DrawAndSwap();
        DrawAndSwap();  // laid out
        script.clear();
        scriptNext = 0;
        scriptPass = scriptDrainedAt = 0;
    }
    void TearDown() override {
        app.panelShown = false;
        DrawAndSwap();
        gParams = SimulationParameters{};
        unsetenv("XDG_CONFIG_HOME");
    }
    // Runs the script to its end, then closes the window.
    std::string Run() {
        testing::internal::CaptureStdout();
        EXPECT_EQ(RunFrameLoop(app, ScriptedPump, SixtyHertz, RenderProgramFrame), 0);
        return testing::internal::GetCapturedStdout();
    }
    std::string Saved(const std::string &name) const { return config.Path() + "/nimbrel/presets/" + name + ".toml"; }
    ScratchDir config;
};

// A paste of 3,000 characters while frames are slow: taken within a few
// frames, every character in order (the field keeps the first 64), and none
// of its letters acts as a control.
TEST_F(PanelTypingTest, APasteArrivesWholeAndInOrder) {
    const int typing = ClickAndEmptyField(1);
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string pasted;
    while (pasted.size() < 3000) pasted += alphabet;
    pasted.resize(3000);
    Type(typing, pasted);
    Tap(typing + 1, 0x0D);  // Return saves it
    const std::string printed = Run();
    // 9,000 messages, a queue of about a thousand: ten passes at most.
    EXPECT_LE(scriptDrainedAt, typing + 10);
    EXPECT_EQ(printed, "saved preset \"" + pasted.substr(0, 64) + "\" as " + Saved(pasted.substr(0, 64)) + "\n");
    EXPECT_TRUE(gParams == SimulationParameters{}) << "typed letters acted as controls";
}

// Return held to end the field, its repeats and key-up arriving after the
// field let go of the keyboard: the panel lets go of Return too, so the
// field, clicked again at once, takes more typing instead of asking to
// replace, and no letter acts as a control.
TEST_F(PanelTypingTest, ReturnHeldPastTheFieldIsLetGo) {
    int pass = ClickAndEmptyField(1);
    Type(pass, "one");
    script.push_back({pass + 2, {MessageKind::KeyDown, 0x0D}});
    for (int repeat = 0; repeat < 8; ++repeat)
        script.push_back({pass + 3 + repeat, {MessageKind::KeyRepeat, 0x0D}});
    script.push_back({pass + 11, {MessageKind::KeyUp, 0x0D}});
    int field[4] = {};
    ASSERT_TRUE(ControlRect("save name", field));
    const std::uint32_t end = PackLowHigh(field[0] + field[2] - 4, field[1] + field[3] / 2);
    script.push_back({pass + 12, {MessageKind::LeftButtonDown, end}});
    script.push_back({pass + 13, {MessageKind::LeftButtonUp, end}});
    Type(pass + 15, "two");
    Tap(pass + 17, 0x0D);
    const std::string printed = Run();
    EXPECT_EQ(printed, "saved preset \"one\" as " + Saved("one") + "\nsaved preset \"onetwo\" as " + Saved("onetwo") + "\n");
    EXPECT_TRUE(gParams == SimulationParameters{}) << "typed letters acted as controls";
}

// The name field takes only what the rule allows and says so at once: a
// character beyond ASCII, and typing past 64 characters.
TEST_F(PanelTypingTest, TheNameFieldSaysWhatItRefuses) {
    const int typing = ClickAndEmptyField(1);
    Type(typing, "caf");
    script.push_back({typing + 1, {MessageKind::Text, kNotAsciiCharacter}});
    script.push_back({typing + 3, {MessageKind::LeftButtonDown, PackLowHigh(700, 700)}});  // away from the field
    script.push_back({typing + 4, {MessageKind::LeftButtonUp, PackLowHigh(700, 700)}});
    Run();
    EXPECT_EQ(app.panel.outcome.latest, "not taken: a name is 1 to 64 letters, digits, spaces, '-' or '_'");

    SetUp();
    const int more = ClickAndEmptyField(1);
    Type(more, std::string(70, 'a'));
    Run();
    EXPECT_EQ(app.panel.outcome.latest, "the name is full: a name is 1 to 64 letters, digits, spaces, '-' or '_'");
}

// A clock that ticks irregularly, as a busy machine's frames do.
std::uint32_t irregularNow = 1000;
int irregularCalls = 0;
std::uint32_t IrregularClock() {
    static const std::uint32_t steps[] = {16, 41, 3, 28, 0, 90, 17};
    irregularNow += steps[irregularCalls++ % 7];
    return irregularNow;
}

// What each frame showed: the pool, the picture (while the panel is
// hidden), and whether it was saved as a screenshot.
struct Seen {
    std::size_t pool, pixels;
    bool shot;
};
std::vector<Seen> seen;
int shotsWritten = 0;
ScreenshotOutcome CountShot(const char *, int, int, const std::uint8_t *) { return {++shotsWritten > 0, ""}; }

void SeeFrame(App &app, std::uint32_t now) {
    const int shotsBefore = shotsWritten;
    DrawProgramFrame(app, now);
    const std::string_view pool(reinterpret_cast<const char *>(app.pool.data()), sizeof app.pool);
    std::size_t pixels = 0;
    if (!app.panelShown) {
        std::string rgb(3u * kDrawableSize * kDrawableSize, '\0');
        ReadBackRgb(kDrawableSize, kDrawableSize, reinterpret_cast<unsigned char *>(&rgb[0]));
        pixels = std::hash<std::string>()(rgb);
    }
    seen.push_back({std::hash<std::string_view>()(pool), pixels, shotsWritten > shotsBefore});
    CurrentGraphicsPlatform().swapBuffers();
}

// Clicks at the middle of a control the panel drew (or its right end),
// from pass `pass` on: returns the next free pass.
int ClickControl(int pass, const char *label, bool rightEnd = false) {
    int rect[4] = {};
    EXPECT_TRUE(ControlRect(label, rect)) << label;
    const std::uint32_t at = PackLowHigh(rightEnd ? rect[0] + rect[2] - 2 : rect[0] + rect[2] / 2, rect[1] + rect[3] / 2);
    script.push_back({pass, {MessageKind::MouseMove, at}});
    script.push_back({pass + 1, {MessageKind::LeftButtonDown, at}});
    script.push_back({pass + 2, {MessageKind::LeftButtonUp, at}});
    return pass + 3;
}

// A live session through the real frame loop, with an irregular clock: a
// key tap, Tab, a drag, the panel shown with a slider moved and a preset
// loaded, then hidden. Recorded into its journal and read back from it, then
// replayed exactly: frame for frame the same pool, the same pictures while
// the panel is hidden, the screenshot at the same frame.
TEST_F(PanelTypingTest, ASessionReplaysExactlyFrameByFrame) {
    DrawAndSwap();  // the panel laid out, its controls where a click finds them
    Tap(2, 'Z');
    Tap(4, 0x09);  // Tab
    Tap(6, kKeyF3);
    int pass = ClickControl(9, "sprite size", true);
    pass = ClickControl(pass, "preset plume");
    pass = ClickControl(pass, "Load");
    Tap(pass + 1, kKeyF3);
    script.push_back({pass + 4, {MessageKind::LeftButtonDown, PackLowHigh(600, 600)}});
    script.push_back({pass + 5, {MessageKind::MouseMove, PackLowHigh(630, 590)}});
    script.push_back({pass + 6, {MessageKind::LeftButtonUp, PackLowHigh(630, 590)}});
    Tap(pass + 8, 'X');
    app.panelShown = false;
    app.writeScreenshot = CountShot;
    shotsWritten = 0;
    seen.clear();
    ResetSimulation();
    FillParticlePool(gParticles, gSmoke, gParams);
    irregularCalls = 0;
    ScratchDir recordings;
    std::string message;
    ASSERT_TRUE(app.recorder.Start(recordings.Path(), "test", kDrawableSize, kDrawableSize, "gl", gParams, app.panelShown,
                                   message))
        << message;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunFrameLoop(app, ScriptedPump, IrregularClock, SeeFrame), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "loaded preset \"plume\"\n");
    const SimulationParameters liveEnd = gParams;
    const std::vector<Seen> live = seen;
    ASSERT_TRUE(app.recorder.Finish(message)) << message;
    const RecordingLoad load = ReadRecordingFile(app.recorder.JournalPath());
    ASSERT_TRUE(load.ok) << load.error;
    const Recording &recording = load.recording;
    ASSERT_EQ(recording.FrameCount(), live.size());
    EXPECT_TRUE(recording.FinalValues() == liveEnd);

    seen.clear();
    ResetSimulation();
    {
        Replay replay(recording);
        replay.Start(gParams, app.panelShown);
        FillParticlePool(gParticles, gSmoke, gParams);
        for (std::size_t frame = 0; frame < replay.FrameCount(); ++frame) {
            const std::uint32_t now = replay.BeginExactFrame(frame, gParams, app.panelShown, gSmoke);
            if (replay.ScreenshotIn(frame)) app.screenshotRequested = true;
            SeeFrame(app, now);
        }
    }
    app.writeScreenshot = SaveScreenshot;
    ASSERT_EQ(seen.size(), live.size());
    int pictures = 0, shots = 0;
    for (std::size_t frame = 0; frame < live.size(); ++frame) {
        EXPECT_EQ(seen[frame].pool, live[frame].pool) << "frame " << frame;
        EXPECT_EQ(seen[frame].pixels, live[frame].pixels) << "frame " << frame;
        EXPECT_EQ(seen[frame].shot, live[frame].shot) << "frame " << frame;
        pictures += live[frame].pixels != 0;
        shots += live[frame].shot;
    }
    EXPECT_GT(pictures, 10);
    EXPECT_EQ(shots, 1);
    EXPECT_EQ(liveEnd.pointSize, LoadPreset("plume", ProgramFolder()).params.pointSize - 4.0f) << "plume's, then X";
    EXPECT_EQ(liveEnd.yawAngle, -30.0f);
}

}  // namespace
