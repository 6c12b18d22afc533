// What stands at the output's name decides how the render is put there: a
// link is written through, a device written directly, a file keeps its mode
// and its other names, a read-only file or a folder is refused before the
// render, and a failure at the very end leaves nothing behind.
#include <sys/stat.h>

#include <algorithm>

#include "tests/tools/host_test_support.h"
#include "tools/host/replacing_file.h"

using namespace hosttest;

namespace {

constexpr long kFrames = 3000;

class OutputTargets : public FakePluginFixture {
  protected:
    void SetUp() override {
        FakePluginFixture::SetUp();
        input_ = dir_.file("in.wav");
        writeFile(input_, makeAudio(2, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kFrames));
    }
    // A rendered file: what the host wrote, not what stood there before.
    static bool isRender(const std::string& path) {
        SF_INFO info{};
        SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
        if (f) sf_close(f);
        return f && info.frames == kFrames;
    }
    std::vector<std::string> sortedEntries() const {
        auto names = dir_.entries();
        std::sort(names.begin(), names.end());
        return names;
    }
    static struct stat statOf(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st;
    }

    std::string input_;
};

}  // namespace

TEST_F(OutputTargets, ALinkIsWrittenThroughAndStaysALink) {
    const std::string real = dir_.file("real.wav"), link = dir_.file("link.wav");
    { std::ofstream(real) << "old"; }
    fs::create_symlink("real.wav", link);
    ASSERT_EQ(runHost({input_, "-o", link}).code, 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(isRender(real));

    // A link to a file not there yet creates that file.
    const std::string dangling = dir_.file("dangling.wav");
    fs::create_symlink("made.wav", dangling);
    ASSERT_EQ(runHost({input_, "-o", dangling}).code, 0);
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_TRUE(isRender(dir_.file("made.wav")));
    EXPECT_EQ(sortedEntries(), (std::vector<std::string>{"dangling.wav", "in.wav", "link.wav",
                                                         "made.wav", "real.wav"}));
}

TEST_F(OutputTargets, ADeviceIsWrittenDirectly) {
    const RunResult r = runHost({input_, "-o", "/dev/null"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(S_ISCHR(statOf("/dev/null").st_mode));
    EXPECT_EQ(mainJournal().blockFrames.size(), 6u);  // 3000 frames in blocks of 512
}

TEST_F(OutputTargets, AReplacedFileKeepsItsModeAndItsOtherNames) {
    const std::string out = dir_.file("out.wav"), other = dir_.file("other-name.wav");
    { std::ofstream(out) << "old"; }
    fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_hard_link(out, other);
    const ino_t inode = statOf(out).st_ino;

    ASSERT_EQ(runHost({input_, "-o", out}).code, 0);
    EXPECT_EQ(statOf(out).st_mode & 07777, 0640u);
    EXPECT_EQ(statOf(out).st_ino, inode);
    EXPECT_EQ(statOf(out).st_nlink, 2u);
    EXPECT_TRUE(isRender(other));

    // A file with one name is replaced, still with its mode.
    fs::remove(other);
    fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(runHost({input_, "-o", out}).code, 0);
    EXPECT_EQ(statOf(out).st_mode & 07777, 0600u);
    EXPECT_TRUE(isRender(out));
    EXPECT_EQ(sortedEntries(), (std::vector<std::string>{"in.wav", "out.wav"}));
}

// Checked before the render: nothing is processed, nothing is left.
TEST_F(OutputTargets, OutputsThatCannotBeWrittenAreRefusedBeforeTheRender) {
    const std::string locked = dir_.file("locked.wav");
    { std::ofstream(locked) << "keep me"; }
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
    const std::string lockedPng = dir_.file("locked.png");
    { std::ofstream(lockedPng) << "keep me"; }
    fs::permissions(lockedPng, fs::perms::owner_read);
    fs::create_directory(dir_.file("adir"));
    const std::string out = dir_.file("o.wav");
    const struct {
        std::vector<std::string> args;
        int code;
        const char* text;
    } cases[] = {
        {{input_, "-o", locked}, 1, "the file is read-only"},
        {{input_, "-o", dir_.file("adir")}, 1, "it is a folder"},
        {{input_, "-o", dir_.file("adir") + "/"}, 1, "names a folder"},
        {{input_, "-o", out, "--plot", lockedPng}, 1, "locked.png: the file is read-only"},
        {{input_, "-o", out, "--plot", dir_.file("adir")}, 1, "it is a folder"},
        {{input_, "-o", out, "--editor-png", lockedPng}, 1, "the file is read-only"},
        {{input_, "-o", out, "--editor-png", dir_.file("adir/")}, 1, "names a folder"},
        {{input_, "-o", dir_.file("o.mp3")}, 2, "the extension .mp3 names no format"},
    };
    for (const auto& c : cases) {
        const RunResult r = runHost(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.text), std::string::npos) << r.err;
    }
    EXPECT_TRUE(mainJournal().blockFrames.empty());
    std::ifstream kept(locked);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "keep me");
    EXPECT_EQ(sortedEntries(),
              (std::vector<std::string>{"adir", "in.wav", "locked.png", "locked.wav"}));
}

// The input, by whatever name it is reached, would be destroyed by its own
// render.
TEST_F(OutputTargets, TheOutputNamingTheInputIsRefused) {
    const auto size = fs::file_size(input_);
    fs::create_hard_link(input_, dir_.file("same-inode.wav"));
    fs::create_symlink("in.wav", dir_.file("pointer.wav"));
    for (const std::string& name :
         {input_, dir_.file("./in.wav"), dir_.file("same-inode.wav"), dir_.file("pointer.wav")}) {
        const RunResult r = runHost({input_, "-o", name});
        EXPECT_EQ(r.code, 2) << name;
        EXPECT_NE(r.err.find("the output names the input file"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(mainJournal().blockFrames.empty());
    EXPECT_EQ(fs::file_size(input_), size);
}

TEST_F(OutputTargets, TheFormatFollowsTheOutputsExtension) {
    const struct {
        const char* name;
        int format;
    } cases[] = {{"o.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                 {"o.AIFF", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
                 {"o.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                 {"no-extension", SF_FORMAT_WAV | SF_FORMAT_PCM_16}};
    for (const auto& c : cases) {
        ASSERT_EQ(runHost({input_, "-o", dir_.file(c.name)}).code, 0) << c.name;
        EXPECT_EQ(readFile(dir_.file(c.name)).format, c.format) << c.name;
    }
    // FLAC takes no float: the nearest encoding it does.
    writeFile(dir_.file("float.wav"), makeAudio(2, 8000, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 100));
    ASSERT_EQ(runHost({dir_.file("float.wav"), "-o", dir_.file("f.flac")}).code, 0);
    EXPECT_EQ(readFile(dir_.file("f.flac")).format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
}

namespace {

void makeFolderAt(int block, void* path) {
    if (block == 0) fs::create_directory(*static_cast<std::string*>(path));
}

}  // namespace

// The last step fails (here the name was taken by a folder during the
// render): the run fails and its temporary file goes.
TEST_F(OutputTargets, AFinalRenameThatFailsLeavesNothingBehind) {
    std::string out = dir_.file("o.wav");
    setBlockHook(makeFolderAt, &out);
    const RunResult r = runHost({input_, "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cannot write " + out), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("wrote"), std::string::npos);
    EXPECT_EQ(sortedEntries(), (std::vector<std::string>{"in.wav", "o.wav"}));
    EXPECT_TRUE(fs::is_directory(out));
}
