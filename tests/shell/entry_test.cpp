// Loading the plug-in as a host does: the entry point, the record it returns
// and closing the effect.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "test_host.h"

namespace tavolu::testing {
namespace {

using namespace vst2;

TEST(Entry, HostThatDoesNotAnswerTheVersionGetsNoEffect) {
    TestHost host;
    host.setAnswer(audioMasterVersion, 0);
    EXPECT_EQ(host.load(), nullptr);
    ASSERT_EQ(host.calls().size(), 1u);
    EXPECT_EQ(host.calls()[0].opcode, audioMasterVersion);
    EXPECT_FALSE(host.calls()[0].withEffect);
}

TEST(Entry, NoCallbackNoEffect) {
    void* library = dlopen(TAVOLU_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    using EntryPoint = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<EntryPoint>(dlsym(library, "VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(nullptr), nullptr);
    dlclose(library);
}

TEST(Entry, AsksVersionThenSecondInputAndNothingElse) {
    TestHost host;
    ASSERT_NE(host.load(), nullptr);
    ASSERT_EQ(host.calls().size(), 2u);
    EXPECT_EQ(host.calls()[0].opcode, audioMasterVersion);
    EXPECT_FALSE(host.calls()[0].withEffect);
    const HostCall& pin = host.calls()[1];
    EXPECT_EQ(pin.opcode, audioMasterPinConnected);
    EXPECT_TRUE(pin.withEffect);
    EXPECT_EQ(pin.index, 1);
    EXPECT_EQ(pin.value, 0);
}

TEST(Entry, PublishesTheHostRecord) {
    TestHost host;
    AEffect* e = host.load();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_NE(e->dispatcher, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_NE(e->setParameter, nullptr);
    EXPECT_NE(e->getParameter, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    EXPECT_EQ(e->numPrograms, 16);
    EXPECT_EQ(e->numParams, 20);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, effFlagsCanReplacing | effFlagsHasEditor);  // 17
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_NE(e->object, nullptr);
    EXPECT_EQ(e->user, nullptr);
    EXPECT_EQ(e->uniqueID, 0x77337A38);
    EXPECT_EQ(e->version, 1);
    const char zeros[sizeof e->future] = {};
    EXPECT_EQ(std::memcmp(e->future, zeros, sizeof zeros), 0);
    EXPECT_EQ(host.dispatch(effGetProgram), 8);
}

TEST(Entry, EachCallGivesItsOwnEffect) {
    TestHost first;
    TestHost second;
    AEffect* a = first.load();
    AEffect* b = second.load();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    first.setParameter(17, 0.9f);
    EXPECT_FLOAT_EQ(first.getParameter(17), 0.9f);
    EXPECT_FLOAT_EQ(second.getParameter(17), 0.35f);
}

TEST(Entry, MainIsTheSameRoutine) {
    TestHost host;
    ASSERT_NE(host.load(), nullptr);
    void* library = dlopen(TAVOLU_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(dlsym(library, "main"), dlsym(library, "VSTPluginMain"));
    dlclose(library);
}

TEST(Entry, CloseAnswersOneAndReleasesTheEffect) {
    TestHost host;
    ASSERT_NE(host.load(), nullptr);
    host.clearCalls();
    EXPECT_EQ(host.close(), 1);  // AddressSanitizer checks the release
    EXPECT_TRUE(host.calls().empty());
}

TEST(Entry, CloseWhileTheEditorIsOpen) {
    TestHost host;
    ASSERT_NE(host.load(), nullptr);
    int window = 0;
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(host.close(), 1);
}

TEST(Entry, RecordWithoutEffectIsAnsweredWithZero) {
    TestHost host;
    AEffect* e = host.load();
    ASSERT_NE(e, nullptr);
    AEffect stray = *e;
    stray.object = nullptr;
    EXPECT_EQ(stray.dispatcher(&stray, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(stray.getParameter(&stray, 17), 0.0f);
    stray.setParameter(&stray, 17, 1.0f);
    EXPECT_EQ(e->dispatcher(nullptr, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_FLOAT_EQ(host.getParameter(17), 0.35f);
}

}  // namespace
}  // namespace tavolu::testing
