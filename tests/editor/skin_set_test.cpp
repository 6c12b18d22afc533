// The skin bitmaps the editor holds: the order they load in, loading only what
// is missing, and reference counts that come back after a window is gone.
#include "editor/skin_set.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "editor_window.h"
#include "toolkit/bitmap.h"
#include "toolkit/slider.h"

namespace tavolu {
namespace {

// The order the window's open step loads the skin in.
const std::vector<int> kExpectedOrder{
    151, 150, 152, 153, 154, 155, 156, 157, 158, 159, 160, 161, 166, 167, 168, 169, 170, 149, 139,
    140, 141, 142, 143, 144, 146, 163, 165, 162, 164, 129, 130, 131, 132, 133, 134, 135, 136, 138};

TEST(SkinSet, LoadsEachBitmapOnceInOpenOrderAndOnlyWhatIsMissing) {
    std::vector<int> loaded;
    auto recordingLoader = [&](int id) {
        loaded.push_back(id);
        return new CBitmap(id);
    };
    SkinSet skin;
    EXPECT_FALSE(skin.isComplete());
    skin.load(recordingLoader);
    EXPECT_EQ(loaded, kExpectedOrder);
    ASSERT_TRUE(skin.isComplete());
    for (int id : kExpectedOrder) {
        const CBitmap* bitmap = skin.get(id);
        ASSERT_NE(bitmap, nullptr) << id;
        EXPECT_EQ(bitmap->getResourceId(), id);
        EXPECT_TRUE(bitmap->isLoaded()) << id;
        EXPECT_EQ(bitmap->getReferenceCount(), 1) << id;
    }

    // A second load keeps what is there and makes nothing new.
    const CBitmap* first = skin.get(151);
    loaded.clear();
    skin.load(recordingLoader);
    EXPECT_TRUE(loaded.empty());
    EXPECT_EQ(skin.get(151), first);
    EXPECT_EQ(skin.get(151)->getReferenceCount(), 1);

    // After a partial release only the missing one comes back.
    skin.release();
    EXPECT_EQ(skin.get(151), nullptr);
    skin.load([&](int id) { return id == 146 ? new CBitmap(id) : nullptr; });
    EXPECT_NE(skin.get(146), nullptr);
    EXPECT_EQ(skin.get(151), nullptr);
    EXPECT_FALSE(skin.isComplete());
}

TEST(SkinSet, AnswersNullForIdsOutsideTheSetAndAfterRelease) {
    SkinSet skin;
    EXPECT_EQ(skin.get(151), nullptr);  // not loaded yet
    skin.load();
    for (int id : {128, 137, 145, 147, 148, 171, 0, -1, 1 << 30}) {
        EXPECT_EQ(skin.get(id), nullptr) << id;
    }
    skin.release();
    skin.release();  // twice is harmless
    for (int id : kExpectedOrder) EXPECT_EQ(skin.get(id), nullptr) << id;
}

TEST(SkinSet, ReferenceCountsComeBackWhenTheWindowCloses) {
    test::EditorWindow w;
    std::map<int, CBitmap*> held;  // the test's own reference keeps each alive
    for (CControl* control : w.controls().byId) {
        if (!control) continue;
        if (CBitmap* b = control->getBackground()) held[b->getResourceId()] = b;
        if (auto* slider = dynamic_cast<CSlider*>(control)) {
            held[slider->getHandle()->getResourceId()] = slider->getHandle();
        }
    }
    EXPECT_EQ(held.size(), 34u);  // the set but the meters' four images
    for (auto& [id, bitmap] : held) bitmap->remember();

    // The editor's set holds one, every control showing it another.
    EXPECT_EQ(held[166]->getReferenceCount(), 2 + 4);  // Start, End, Decay, Hold
    EXPECT_EQ(held[167]->getReferenceCount(), 2 + 3);  // the LFO sliders
    EXPECT_EQ(held[170]->getReferenceCount(), 2 + 2);  // Center Vol, Dry-Wet
    EXPECT_EQ(held[140]->getReferenceCount(), 2 + 2);  // both mode switches
    for (auto& [id, bitmap] : held) EXPECT_GE(bitmap->getReferenceCount(), 3) << id;

    w.editor.close();
    for (auto& [id, bitmap] : held) {
        EXPECT_EQ(bitmap->getReferenceCount(), 1) << id;
        bitmap->forget();
    }
}

}  // namespace
}  // namespace tavolu
