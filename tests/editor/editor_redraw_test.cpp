// The editor's window after the host's writes: what an idle leaves on the
// screen is what a window opened on the same values shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "common/parameter_index.h"
#include "editor_window.h"

namespace tavolu::test {
namespace {

int64_t differingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return -1;
    int64_t count = 0;
    for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i] ? 1 : 0;
    return count;
}

// The Start and End sliders overlap the corners of the Hold and Decay sliders;
// a preset or a program change moves all four in one idle, and each must be
// drawn whole, not just where a neighbour's redraw reached it.
TEST(EditorRedraw, SlidersMovedInOneIdleAreDrawnWhole) {
    const std::pair<int32_t, float> writes[] = {
        {kStart, 0.9f}, {kEnd, 0.2f}, {kHold, 0.05f}, {kDecay, 0.1f}};
    EditorWindow moved;
    moved.render();
    for (const auto& [index, value] : writes) {
        moved.effect.values[size_t(index)] = value;
        moved.editor.setParameter(index, value);
    }
    const std::vector<uint32_t> shown = moved.render();

    EditorWindow fresh;
    for (const auto& [index, value] : writes) fresh.effect.values[size_t(index)] = value;
    fresh.editor.close();
    fresh.editor.open(nullptr);
    EXPECT_EQ(differingPixels(shown, fresh.render()), 0);
}

}  // namespace
}  // namespace tavolu::test
