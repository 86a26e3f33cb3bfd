#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace trv::clitest {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

inline std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline fs::path DataFile(const std::string& name)
{
    return fs::path(TRV_TEST_DATA_DIR) / name;
}

// A command line from its pieces, one after the other.
inline Names Args(std::initializer_list<Names> pieces)
{
    Names all;
    for (const Names& piece : pieces)
        all.insert(all.end(), piece.begin(), piece.end());
    return all;
}

inline Names SplitLines(const std::string& text)
{
    Names lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

inline Names FolderListing(const fs::path& dir)
{
    Names names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct RunResult {
    int status = -1; // -1: ended by a signal
    std::string out;
    std::string err;
    int signal = 0; // the signal that ended it
};

// A private working folder per test for the built converter.
class ConverterTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "trv-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    const fs::path& Dir() const { return dir_; }

    // Copies an input from the data folder (or `from`) into the test's folder, optionally under
    // another name.
    fs::path CopyInput(const std::string& name, const std::string& as = "",
                       const fs::path& from = TRV_TEST_DATA_DIR)
    {
        const fs::path target = dir_ / (as.empty() ? name : as);
        fs::create_directories(target.parent_path());
        fs::copy_file(from / name, target, fs::copy_options::overwrite_existing);
        return target;
    }

    // Starts the converter in the test's folder, output and errors going to files there (or its
    // output to `out`).
    pid_t Start(std::vector<std::string> args, int out = -1) const
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (const int fd : {1, 2})
            posix_spawn_file_actions_addopen(&actions, fd, Std(fd).c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) posix_spawn_file_actions_adddup2(&actions, out, 1);
        posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
        args.insert(args.begin(), TRV_CONVERT_EXE);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawn(&pid, TRV_CONVERT_EXE, &actions, nullptr, argv.data(), environ) != 0)
            ADD_FAILURE() << "cannot start " << TRV_CONVERT_EXE;
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    // Waits for a started converter. One still running at the deadline is killed and the test
    // fails, so a converter that hangs cannot hang the test suite.
    RunResult Finish(pid_t pid, std::chrono::milliseconds deadline = std::chrono::minutes(3)) const
    {
        RunResult result;
        auto end = std::chrono::steady_clock::now() + deadline;
        int wstatus = 0;
        while (pid > 0 && ::waitpid(pid, &wstatus, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) {
                ::kill(pid, SIGKILL);
                ADD_FAILURE() << "the converter was still running after " << deadline.count()
                              << " ms";
                end = std::chrono::steady_clock::time_point::max();
            }
            ::usleep(2000);
        }
        result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
        result.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
        result.out = ReadBytes(Std(1));
        result.err = ReadBytes(Std(2));
        fs::remove(Std(1));
        fs::remove(Std(2));
        return result;
    }

    RunResult Run(std::vector<std::string> args) const { return Finish(Start(std::move(args))); }

    // What a converter started by Start has printed so far.
    std::string OutSoFar() const { return ReadBytes(Std(1)); }

  private:
    fs::path Std(int fd) const { return dir_ / (fd == 1 ? ".stdout" : ".stderr"); }

    fs::path dir_;
};

} // namespace trv::clitest
