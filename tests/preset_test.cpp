// Presets: a saved preset loads back bit for bit, and every bad file gets
// its one message with nothing applied; names and where presets live.
#include <gtest/gtest.h>

#include <pthread.h>
#include <unistd.h>
#include <iterator>
#include <filesystem>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "values/preset_file.h"
#include "values/presets.h"
#include "tests/scratch_dir.h"

namespace {

std::uint32_t Bits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Values off every grid, as keys and sliders leave them after float
// rounding, and the extremes the keys reach.
TEST(PresetTest, SavedPresetLoadsBackBitForBit) {
    SimulationParameters params;
    params.driftSpeed = -15.5f;
    params.spreadY = 4.1000004f;
    params.spreadZ = -0.099999987f;
    params.turbulence = 0.30000001f;
    params.maxAge = 10.5f;
    params.damping = 2.8000002f;
    SetParticleCount(params, 98000);
    params.constantAlpha = 1.0000001f;
    params.pointSize = 204.0f;
    params.emitterRadius = 0.1f;
    params.emitterX = 6.2000003f;
    params.cameraDistance = -50.5f;
    params.spinAngle = -725.0f;
    params.fadeOut = true;
    params.fadeIn = true;
    params.yawAngle = 1234.0f;
    params.pitchAngle = -0.0f;
    const PresetLoad load = ParsePreset(FormatPreset(params, "1.0.0"), "saved.toml");
    ASSERT_TRUE(load.ok) << load.error;
    EXPECT_TRUE(load.params == params);
    EXPECT_EQ(load.params.batchCount, 98);
    EXPECT_EQ(Bits(load.params.spreadY), Bits(params.spreadY));
    EXPECT_EQ(Bits(load.params.pitchAngle), Bits(params.pitchAngle)) << "the sign of zero";
}

TEST(PresetTest, AFileWithSomeValuesKeepsTheStartValuesForTheRest) {
    const PresetLoad load = ParsePreset("# mine\nsprite_size = 50\nparticles = 10000\n", "some.toml");
    ASSERT_TRUE(load.ok) << load.error;
    SimulationParameters expected;
    expected.pointSize = 50.0f;
    SetParticleCount(expected, 10000);
    EXPECT_TRUE(load.params == expected);
}

// Each bad file: its one message, and the start values, nothing applied.
TEST(PresetTest, BadFilesGetOneMessageAndApplyNothing) {
    const struct {
        const char *text;
        const char *message;
    } table[] = {
        {"sprite_size = 50\nspeed = 3\n", "bad.toml: line 2: unknown name \"speed\" (known: nimbrel, drift_speed,"},
        {"sprite_size = 250\n", "bad.toml: line 1: sprite_size: must be a number from 0 to 204"},
        {"opacity = -0.2\n", "bad.toml: line 1: opacity: must be a number from -0.1 to 1.1"},
        {"sprite_size = \"big\"\n", "bad.toml: line 1: sprite_size: must be a number from 0 to 204"},
        {"lifetime = nan\n", "bad.toml: line 1: lifetime: must be a number from 0 to 10.5"},
        {"particles = 5000\n", "bad.toml: line 1: particles: must be a whole multiple of 2000 from 0 to 100000"},
        {"particles = 102000\n", "bad.toml: line 1: particles: must be a whole multiple of 2000"},
        {"particles = 4000.0\n", "bad.toml: line 1: particles: must be a whole multiple of 2000"},
        {"fade_out = 1\n", "bad.toml: line 1: fade_out: must be true or false"},
        {"nimbrel = 1.0\n", "bad.toml: line 1: nimbrel: must be a version in quotes"},
        {"\n\nsprite_size = = 3\n", "bad.toml: line 3: not a valid TOML file: "},
        {"[look]\nopacity = 0.5\n", "bad.toml: line 1: a preset holds only name = value lines"},
        {"opacity = 0.5\nlook.opacity = 0.5\n", "bad.toml: line 2: a preset holds only name = value lines"},
        {"spin = [[1]]\n", "bad.toml: line 1: a preset holds only name = value lines"},
        {"sprite_size = 50\nsprite_size = 60\n", "bad.toml: line 2: not a valid TOML file: "},
        // Break assumptions of the TOML parser, which must not crash.
        {"[# Nimbrel presparticles.\nnimbrel =\": a", "bad.toml: line 1: a preset holds only name = value lines"},
        {"# plume\n# \xC3\xA9t\xC3\xA9 \xD2\x8A\n", "bad.toml: line 2: only printable ASCII text is allowed"},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.text);
        const PresetLoad load = ParsePreset(row.text, "bad.toml");
        EXPECT_FALSE(load.ok);
        EXPECT_EQ(load.error.rfind(row.message, 0), 0u) << load.error;
        EXPECT_EQ(load.error.find('\n'), std::string::npos) << "one line";
        EXPECT_TRUE(load.params == SimulationParameters{});
        // The same line as a command line's --set NAME=VALUE is refused in
        // the same words, and changes nothing.
        const std::string text = row.text;
        const std::size_t equals = text.find(" = ");
        // (The version is a line of a preset, not a value.)
        if (text.find('\n') + 1 != text.size() || equals == std::string::npos || text[0] == '\n' ||
            text.rfind("nimbrel ", 0) == 0)
            continue;
        const std::string setting = text.substr(0, equals) + "=" + text.substr(equals + 3, text.size() - equals - 4);
        SimulationParameters params;
        params.pointSize = 42.0f;
        const SimulationParameters before = params;
        std::string error;
        EXPECT_FALSE(ApplySetting(setting, params, error));
        const std::string what = std::string(row.message).substr(std::string("bad.toml: line 1: ").size());
        EXPECT_EQ(error.rfind("--set " + setting + ": " + what, 0), 0u) << error;
        EXPECT_TRUE(params == before);
    }
    // Taken, on top of what was there.
    SimulationParameters params;
    params.pointSize = 42.0f;
    std::string error;
    ASSERT_TRUE(ApplySetting("particles=20000", params, error) && ApplySetting("fade_out=true", params, error)) << error;
    SimulationParameters expected;
    expected.pointSize = 42.0f;
    SetParticleCount(expected, 20000);
    expected.fadeOut = true;
    EXPECT_TRUE(params == expected);
    EXPECT_FALSE(ApplySetting("particles=2000\nopacity=0.5", params, error));
    EXPECT_FALSE(ApplySetting("nimbrel=\"1.0.0\"", params, error)) << "the version is no value";
    const PresetLoad big = ParsePreset(std::string(kMaxPresetBytes + 1, '#'), "big.toml");
    EXPECT_EQ(big.error, "big.toml: larger than 64 KiB");
}

// A shared file of 64 KiB holding one dotted name of 32,000 levels, or
// arrays nested as deep, is refused in a 256 KiB stack: the parser never
// recurses into it.
TEST(PresetTest, DeeplyNestedFilesAreRefusedInASmallStack) {
    struct Case {
        std::string text;
        PresetLoad load;
    } cases[2];
    std::string dotted = "a";
    while (dotted.size() + 2 < kMaxPresetBytes - 4) dotted += ".a";
    cases[0].text = dotted + " = 1";
    cases[1].text = "spin = " + std::string(kMaxPresetBytes / 2 - 8, '[') + std::string(kMaxPresetBytes / 2 - 8, ']');
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 256 * 1024), 0);
    pthread_t thread;
    const auto parse = [](void *argument) -> void * {
        for (Case &c : *static_cast<Case(*)[2]>(argument)) c.load = ParsePreset(c.text, "deep.toml");
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, parse, &cases), 0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attributes);
    for (const Case &c : cases) {
        EXPECT_LE(c.text.size(), kMaxPresetBytes);
        EXPECT_EQ(c.load.error.rfind("deep.toml: line 1: a preset holds only name = value lines", 0), 0u) << c.load.error;
    }
}

TEST(PresetTest, NamesAndTheUsersFolder) {
    for (const char *name : {"a", "my look_2", "Thick-plume", "0123456789012345678901234567890123456789012345678901234567890123"})
        EXPECT_TRUE(ValidPresetName(name)) << name;
    for (const char *name : {"", "../x", "a/b", "dot.", "tab\t", "\xC3\xA9t\xC3\xA9",
                             "01234567890123456789012345678901234567890123456789012345678901234"})
        EXPECT_FALSE(ValidPresetName(name)) << name;

    ScratchDir home;
    ASSERT_TRUE(home.Ok());
    setenv("HOME", home.Path().c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserPresetFolder(), home.Path() + "/.config/nimbrel/presets");
    setenv("XDG_CONFIG_HOME", (home.Path() + "/config").c_str(), 1);
    EXPECT_EQ(UserPresetFolder(), home.Path() + "/config/nimbrel/presets");

    SimulationParameters look;
    look.pointSize = 66.0f;
    std::string message;
    ASSERT_TRUE(SavePreset("my look", look, "1.0.0", message)) << message;
    EXPECT_EQ(message, "saved preset \"my look\" as " + home.Path() + "/config/nimbrel/presets/my look.toml");
    const PresetLoad load = LoadPreset("my look", "");
    ASSERT_TRUE(load.ok) << load.error;
    EXPECT_EQ(load.params.pointSize, 66.0f);
    EXPECT_FALSE(SavePreset("../escape", look, "1.0.0", message));
    EXPECT_EQ(LoadPreset("nothing", "").error, "no preset named \"nothing\" (there are: my look)");
    EXPECT_TRUE(DeletePreset("my look", message)) << message;
    EXPECT_FALSE(UserPresetExists("my look"));

    // A preset that is a link, live or dangling, is one to ask about
    // before replacing, and saving replaces the link: the file it named,
    // outside the folder, is untouched.
    const std::string folder = home.Path() + "/config/nimbrel/presets", outside = home.Path() + "/outside.toml";
    { std::ofstream(outside) << "opacity = 0.5\n"; }
    ASSERT_EQ(symlink(outside.c_str(), (folder + "/linked.toml").c_str()), 0);
    ASSERT_EQ(symlink((home.Path() + "/gone.toml").c_str(), (folder + "/dangling.toml").c_str()), 0);
    EXPECT_TRUE(UserPresetExists("linked"));
    EXPECT_TRUE(UserPresetExists("dangling"));
    ASSERT_TRUE(SavePreset("linked", look, "1.0.0", message)) << message;
    ASSERT_TRUE(SavePreset("dangling", look, "1.0.0", message)) << message;
    std::ifstream kept(outside);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "opacity = 0.5\n");
    EXPECT_FALSE(std::filesystem::exists(home.Path() + "/gone.toml"));
    EXPECT_EQ(LoadPreset("linked", "").params.pointSize, 66.0f);
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
