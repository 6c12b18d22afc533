// The editor's mailbox on one thread: what one drain hands on and in which
// order, what coalesces, what is ignored, the curve queue's order and its
// behaviour when full, and what discardAll forgets.
#include "editor/display_mailbox.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace tavolu::test {
namespace {

using Lines = std::vector<std::string>;

template <class T>
std::string line(const char* what, T value) {
    std::ostringstream text;
    text << what << ' ' << value;
    return text.str();
}

// Writes down every call of a drain, one line each; `then` may post back into
// the mailbox after a call, the way the editor's own handler would.
struct Recorder : DisplaySink {
    void loadPreset(int32_t k) override { note(line("preset", k)); }
    void refreshParameter(int32_t index) override { note(line("parameter", index)); }
    void addCurvePoint(float value) override { note(line("point", value)); }
    void clearCurve() override { note("clear"); }
    void setMeter(Meter which, float level) override {
        note(line(which == Meter::selectivity ? "selectivity" : "trigger level", level));
    }
    void setTempo(float bpm) override { note(line("tempo", bpm)); }
    void note(const std::string& call) {
        calls.push_back(call);
        if (then) then(call);
    }

    Lines calls;
    std::function<void(const std::string&)> then;
};

class DisplayMailboxTest : public ::testing::Test {
  protected:
    Lines drain() {
        mailbox->drain(sink);
        return std::exchange(sink.calls, {});
    }
    // Fills the curve queue with the points 0, 1, 2, ... and returns their lines.
    Lines fillCurve() {
        Lines points;
        for (uint64_t i = 0; i < DisplayMailbox::kCurveCapacity; ++i) {
            mailbox->postCurvePoint(static_cast<float>(i));
            points.push_back(line("point", i));
        }
        return points;
    }

    std::unique_ptr<DisplayMailbox> mailbox = std::make_unique<DisplayMailbox>();
    Recorder sink;
};

TEST_F(DisplayMailboxTest, OneDrainGoesPresetsParametersCurveMetersTempo) {
    EXPECT_TRUE(drain().empty());
    mailbox->postTempo(120.5f);
    mailbox->postMeter(Meter::triggerLevel, 0.75f);
    mailbox->postCurvePoint(0.25f);
    mailbox->postParameter(17);
    mailbox->postPreset(6);
    mailbox->postMeter(Meter::selectivity, 0.5f);
    mailbox->postParameter(2);
    mailbox->postPreset(1);
    mailbox->postCurvePoint(99.5f);
    EXPECT_EQ(drain(),
              (Lines{"preset 1", "preset 6", "parameter 2", "parameter 17", "point 0.25",
                     "point 99.5", "selectivity 0.5", "trigger level 0.75", "tempo 120.5"}));
    EXPECT_TRUE(drain().empty());

    // Loading a preset writes parameters: they are refreshed in the same drain.
    sink.then = [&](const std::string& call) {
        if (call == "preset 3") {
            for (int32_t i : {9, 0, 4}) mailbox->postParameter(i);
        }
    };
    mailbox->postPreset(3);
    mailbox->postParameter(4);
    EXPECT_EQ(drain(), (Lines{"preset 3", "parameter 0", "parameter 4", "parameter 9"}));
}

TEST_F(DisplayMailboxTest, RequestsCoalesceAndAWriteDuringItsRefreshShowsNextTime) {
    for (int n = 0; n < 3; ++n) {
        for (int32_t i : {19, 5}) mailbox->postParameter(i);
        mailbox->postPreset(7);
    }
    EXPECT_EQ(drain(), (Lines{"preset 7", "parameter 5", "parameter 19"}));

    // A write of 5 racing its refresh is not swallowed by that refresh.
    int writes = 0;
    sink.then = [&](const std::string& call) {
        if (call == "parameter 5" && writes++ == 0) mailbox->postParameter(5);
    };
    mailbox->postParameter(5);
    EXPECT_EQ(drain(), (Lines{"parameter 5"}));
    EXPECT_EQ(drain(), (Lines{"parameter 5"}));
    EXPECT_TRUE(drain().empty());
}

TEST_F(DisplayMailboxTest, IgnoresIndicesOutOfRange) {
    for (int32_t i : {-1, 20, 31, 32, 37, INT32_MAX, INT32_MIN}) mailbox->postParameter(i);
    for (int32_t k : {-1, 8, 31, 32, INT32_MAX, INT32_MIN}) mailbox->postPreset(k);
    mailbox->postMeter(static_cast<Meter>(2), 0.5f);
    mailbox->postMeter(static_cast<Meter>(-1), 0.5f);
    EXPECT_TRUE(drain().empty());
    for (int32_t i : {0, 19}) mailbox->postParameter(i);
    mailbox->postPreset(0);
    EXPECT_EQ(drain(), (Lines{"preset 0", "parameter 0", "parameter 19"}));
}

TEST_F(DisplayMailboxTest, CurveItemsKeepTheirOrderWithClearsBetweenPoints) {
    mailbox->postCurvePoint(0.5f);
    mailbox->postCurveClear();
    mailbox->postCurvePoint(99.25f);
    mailbox->postCurvePoint(0.125f);
    mailbox->postCurveClear();
    mailbox->postCurveClear();
    mailbox->postCurvePoint(1.0f);
    EXPECT_EQ(drain(), (Lines{"point 0.5", "clear", "point 99.25", "point 0.125", "clear", "clear",
                              "point 1", "selectivity 0", "trigger level 0"}));

    // Only the items there when the drain began: a producer as fast as the
    // drain cannot keep the UI thread in it.
    sink.then = [&](const std::string& call) {
        if (call != "point 3") mailbox->postCurvePoint(static_cast<float>(call.back() - '0' + 1));
    };
    mailbox->postCurvePoint(0.0f);
    for (const char* point : {"point 0", "point 1", "point 2", "point 3"}) {
        EXPECT_EQ(drain(), (Lines{point}));
    }
    EXPECT_TRUE(drain().empty());
}

TEST_F(DisplayMailboxTest, AFullQueueDropsAndCountsPointsAndRecoversAfterADrain) {
    static_assert(DisplayMailbox::kCurveCapacity >= 256);
    Lines points = fillCurve();
    EXPECT_EQ(mailbox->droppedCurvePoints(), 0u);
    for (int n = 0; n < 10; ++n) mailbox->postCurvePoint(-1.0f);
    EXPECT_EQ(mailbox->droppedCurvePoints(), 10u);
    EXPECT_EQ(drain(), points);

    // Room again for a whole lap of the ring, and the count stays.
    points = fillCurve();
    EXPECT_EQ(drain(), points);
    EXPECT_EQ(mailbox->droppedCurvePoints(), 10u);
}

TEST_F(DisplayMailboxTest, AClearThatFindsTheQueueFullStillComesOutInItsPlace) {
    Lines expected = fillCurve();
    mailbox->postCurveClear();
    mailbox->postCurvePoint(-1.0f);  // dropped: it cannot go ahead of the clear
    mailbox->postCurveClear();       // one clear at the same place is as good as two
    expected.insert(expected.end(), {"clear", "selectivity 0", "trigger level 0"});
    EXPECT_EQ(drain(), expected);
    EXPECT_EQ(mailbox->droppedCurvePoints(), 1u);

    // A point posted after the clear stays after it, even when the drain
    // made room for it before it reached the clear.
    fillCurve();
    mailbox->postCurveClear();
    sink.then = [&](const std::string& call) {
        if (call == "point 0") mailbox->postCurvePoint(0.5f);
    };
    EXPECT_EQ(drain(), expected);
    EXPECT_EQ(drain(), (Lines{"point 0.5"}));
}

TEST_F(DisplayMailboxTest, DiscardAllForgetsEverythingPendingAndKeepsWhatComesLater) {
    mailbox->postParameter(3);
    mailbox->postPreset(2);
    mailbox->postCurvePoint(0.5f);
    mailbox->postTempo(90.0f);
    fillCurve();
    mailbox->postCurveClear();  // waits for room
    mailbox->discardAll();
    EXPECT_TRUE(drain().empty());

    mailbox->postCurvePoint(0.5f);
    mailbox->postTempo(100.0f);
    mailbox->postParameter(3);
    EXPECT_EQ(drain(), (Lines{"parameter 3", "point 0.5", "tempo 100"}));
}

TEST_F(DisplayMailboxTest, MetersAndTempoShowOnlyTheirLatestValue) {
    mailbox->postMeter(Meter::selectivity, 0.25f);
    mailbox->postTempo(90.0f);
    mailbox->postMeter(Meter::selectivity, 0.5f);
    mailbox->postTempo(0.0f);
    EXPECT_EQ(drain(), (Lines{"selectivity 0.5", "tempo 0"}));

    // A clear drops both meters; a level posted after it wins.
    mailbox->postMeter(Meter::selectivity, 0.25f);
    mailbox->postMeter(Meter::triggerLevel, 0.75f);
    mailbox->postCurveClear();
    mailbox->postMeter(Meter::triggerLevel, 0.5f);
    EXPECT_EQ(drain(), (Lines{"clear", "selectivity 0", "trigger level 0.5"}));
}

}  // namespace
}  // namespace tavolu::test
