// What the panel keeps between runs, in $XDG_STATE_HOME/nimbrel/
// (~/.local/state/nimbrel/ when the variable is unset): where its window
// is, its size and whether it is folded, as ImGui's own settings text
// (panel.ini); and the passed-over notice last said (passed-over), so that
// it is said once for each change of the preset folder. Only the live
// program reads or writes them; the capture's panel opens where it first
// opens.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

constexpr std::size_t kMaxPanelStateBytes = 64u << 10;

std::filesystem::path PanelStateFolder();

// Hands panel.ini to the current ImGui context, and its text to `kept`.
// A missing file, or one that is no regular file or too large, leaves the
// panel where it first opens; what is wrong is said on the standard error.
void LoadPanelPlace(std::string &kept);
// Hands that text, read whole, to the current ImGui context.
void LoadPanelPlaceText(const std::string &text);
// Writes ImGui's settings to panel.ini, replacing it whole, when they
// differ from `kept`, which then holds them.
void SavePanelPlace(std::string &kept);

// Whether `text` is what was said last time, in this run or an earlier
// one; and remembering it.
bool SaidBefore(const std::string &text);
void RememberSaid(const std::string &text);
