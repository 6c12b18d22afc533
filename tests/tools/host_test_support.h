// Shared helpers of the host tests: a scratch folder, an in-process run of
// the host, a subprocess run of the real executable, and audio file helpers.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/fake_plugin.h"
#include "tools/host/audio_file.h"
#include "tools/host/host_app.h"

namespace hosttest {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "tavolu-host-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }
    // Names of everything in the folder, hidden files included.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename());
        return names;
    }

  private:
    fs::path path_;
};

struct RunResult {
    int code;
    std::string out;
    std::string err;
};

inline RunResult runHost(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = tavolu::host::runHost(args, FAKE_PLUGIN, out, err);
    return {code, out.str(), err.str()};
}

// Runs the built executable through the shell, both streams captured.
inline RunResult runExecutable(const std::string& arguments) {
    TempDir dir;
    const std::string cmd = std::string("'") + TAVOLU_HOST_EXE + "' " + arguments + " >'" +
                            dir.file("out") + "' 2>'" + dir.file("err") + "'";
    const int status = std::system(cmd.c_str());
    auto slurp = [](const std::string& p) {
        std::ifstream in(p);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(dir.file("out")),
            slurp(dir.file("err"))};
}

// Keeps the fake plug-in loaded for the whole test, so its journals outlive
// the host's own dlclose and can be read afterwards.
class FakePluginFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        handle_ = dlopen(FAKE_PLUGIN, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        auto fn = reinterpret_cast<FakeJournalsFn>(dlsym(handle_, "fake_plugin_journals"));
        ASSERT_NE(fn, nullptr);
        journals_ = fn();
        journals_->clear();
    }
    void TearDown() override {
        if (hookSet_) setBlockHook(nullptr, nullptr);
        if (handle_) dlclose(handle_);
    }
    // The instance that rendered: the first one the host created.
    const fake::Journal& mainJournal() const { return journals_->at(0); }
    // Runs hook after every block the fake processes, until the test ends.
    void setBlockHook(FakeBlockHook hook, void* context) {
        auto set =
            reinterpret_cast<FakeSetBlockHookFn>(dlsym(handle_, "fake_plugin_set_block_hook"));
        ASSERT_NE(set, nullptr);
        set(hook, context);
        hookSet_ = true;
    }

    TempDir dir_;
    void* handle_ = nullptr;
    std::vector<fake::Journal>* journals_ = nullptr;
    bool hookSet_ = false;
};

// Holds a variant of the fake plug-in loaded, so its journals outlive the
// host's dlclose.
class LoadedFake {
  public:
    explicit LoadedFake(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
        auto fn = handle_ ? reinterpret_cast<FakeJournalsFn>(dlsym(handle_, "fake_plugin_journals"))
                          : nullptr;
        if (fn) {
            journals = fn();
            journals->clear();
        }
    }
    ~LoadedFake() {
        if (handle_) dlclose(handle_);
    }
    LoadedFake(const LoadedFake&) = delete;
    LoadedFake& operator=(const LoadedFake&) = delete;

    std::vector<fake::Journal>* journals = nullptr;

  private:
    void* handle_;
};

// Sets (or with nullopt removes) an environment variable for one scope.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (saved_)
            setenv(name_, saved_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* name_;
    std::optional<std::string> saved_;
};

// True when this process has no child, running or ended and unreaped: a
// server the host started is gone and was waited for.
inline bool noChildProcessLeft() {
    errno = 0;
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

inline tavolu::host::Audio makeAudio(int channels, int sampleRate, int format, long frames) {
    tavolu::host::Audio a;
    a.channels = channels;
    a.sampleRate = sampleRate;
    a.format = format;
    a.samples.resize(static_cast<std::size_t>(frames) * channels);
    // A ramp of distinct steps per channel, exactly representable at 16 bits.
    for (std::size_t i = 0; i < a.samples.size(); ++i) {
        const long step = static_cast<long>(i % 4000) - 2000;
        a.samples[i] = static_cast<float>(step * 8) / 32768.0f * ((i % channels) ? -1.0f : 1.0f);
    }
    return a;
}

inline void writeFile(const std::string& path, const tavolu::host::Audio& a) {
    std::string error;
    ASSERT_TRUE(tavolu::host::writeAudioFile(path, a, error)) << error;
}

inline tavolu::host::Audio readFile(const std::string& path) {
    tavolu::host::Audio a;
    std::string error;
    EXPECT_TRUE(tavolu::host::readAudioFile(path, a, error)) << error;
    return a;
}

}  // namespace hosttest
