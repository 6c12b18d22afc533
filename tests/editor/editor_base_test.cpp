// The editor base: registration with the effect, the rectangle, open and
// close around a frame, and the host's idle, key and knob-mode requests.
#include <gtest/gtest.h>

#include "editor/aeffguieditor.h"
#include "fake_effect.h"
#include "toolkit/frame.h"

namespace tavolu {
namespace {

// A view that takes the key 'k'.
class KeyView : public CView {
  public:
    using CView::CView;
    bool onKeyDown(CKeyCode& key) override { return key.character == 'k'; }
};

// An editor the way a plug-in writes one: builds its frame in open().
class SmallEditor : public AEffGUIEditor {
  public:
    explicit SmallEditor(EditorHost* effect) : AEffGUIEditor(effect) { rect = {0, 0, 30, 40}; }
    bool open(void* parent) override {
        AEffGUIEditor::open(parent);
        frame = new CFrame({0, 0, 40, 30}, parent);
        frame->addView(new KeyView({0, 0, 10, 10}));
        return true;
    }
    void setParameter(vst2::VstInt32 index, float) override { lastIndex = index; }
    int lastIndex = -1;
};

TEST(EditorBase, RegistersWithItsEffectAndAnswersTheHost) {
    test::FakeEffect effect;
    SmallEditor editor(&effect);
    EXPECT_EQ(effect.editor, &editor);

    vst2::ERect* rect = nullptr;
    EXPECT_TRUE(editor.getRect(&rect));
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 40);
    EXPECT_FALSE(editor.getRect(nullptr));

    vst2::VstKeyCode key{'k', 0, 0};
    EXPECT_FALSE(editor.onKeyDown(key));  // closed
    editor.idle();
    EXPECT_TRUE(editor.open(nullptr));  // no parent: off screen, still open
    ASSERT_NE(editor.getFrame(), nullptr);
    EXPECT_FALSE(editor.getFrame()->getWindow().isOnScreen());
    editor.idle();
    EXPECT_FALSE(editor.onKeyDown(key));
    editor.getFrame()->setFocusView(editor.getFrame()->getView(0));
    EXPECT_TRUE(editor.onKeyDown(key));
    editor.close();
    EXPECT_EQ(editor.getFrame(), nullptr);
    editor.close();  // twice is harmless

    editor.open(nullptr);  // left open: the destructor cleans up
}

TEST(EditorBase, WorksWithoutAnEffect) {
    SmallEditor editor(nullptr);
    editor.AEffGUIEditor::setParameter(3, 0.5f);  // the base ignores it
    EXPECT_EQ(editor.lastIndex, -1);
    editor.setParameter(3, 0.5f);
    EXPECT_EQ(editor.lastIndex, 3);
}

// A view that says when it is destroyed.
class MortalView : public CView {
  public:
    MortalView(const CRect& size, int& deaths) : CView(size), deaths(deaths) {}
    ~MortalView() override { ++deaths; }
    void draw(CDrawContext*) override {}
    int& deaths;
};

// A host that opens the editor twice without closing it in between: the first
// window is closed, not left behind.
TEST(EditorBase, OpeningAgainClosesTheWindowStillOpen) {
    class Editor : public AEffGUIEditor {
      public:
        explicit Editor(int& deaths) : AEffGUIEditor(nullptr), deaths(deaths) {
            rect = {0, 0, 30, 40};
        }
        bool open(void* parent) override {
            AEffGUIEditor::open(parent);
            frame = new CFrame({0, 0, 40, 30}, parent);
            frame->addView(new MortalView({0, 0, 10, 10}, deaths));
            return true;
        }
        int& deaths;
    };
    int deaths = 0;
    Editor editor(deaths);
    editor.open(nullptr);
    editor.open(nullptr);
    EXPECT_EQ(deaths, 1);
    EXPECT_NE(editor.getFrame(), nullptr);
    EXPECT_EQ(editor.getFrame()->getNbViews(), 1);
    editor.close();
    EXPECT_EQ(deaths, 2);
}

TEST(EditorBase, KnobModeIsProcessWide) {
    SmallEditor editor(nullptr);
    editor.setKnobMode(2);
    EXPECT_EQ(CFrame::getKnobMode(), 2);
    editor.setKnobMode(0);
    EXPECT_EQ(CFrame::getKnobMode(), 0);
}

}  // namespace
}  // namespace tavolu
