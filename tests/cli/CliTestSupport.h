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
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    const fs::path& Dir() const { return dir_; }

    // Copies a data-folder input into the test's folder, optionally under another name.
    fs::path CopyInput(const std::string& name, const std::string& as = "")
    {
        const fs::path target = dir_ / (as.empty() ? name : as);
        fs::create_directories(target.parent_path());
        fs::copy_file(DataFile(name), target, fs::copy_options::overwrite_existing);
        return target;
    }

    // Copies one of the bundled samples into the test's folder.
    fs::path Sample(const std::string& name, const std::string& as = "")
    {
        const fs::path target = dir_ / (as.empty() ? name : as);
        fs::copy_file(fs::path(TRV_SOURCE_DIR) / "samples" / name, target);
        return target;
    }

    // Starts the converter in the test's folder, output and errors going to files there.
    pid_t Start(std::vector<std::string> args) const
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, OutFile().c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, ErrFile().c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
        args.insert(args.begin(), TRV_CONVERT_EXE);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        pid_t pid = 0;
        const int rc = posix_spawn(&pid, TRV_CONVERT_EXE, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            ADD_FAILURE() << "cannot start " << TRV_CONVERT_EXE;
            return -1;
        }
        return pid;
    }

    // Waits for a started converter. One that is still running at the deadline is killed
    // and the test fails, so a converter that hangs cannot hang the test suite.
    RunResult Finish(pid_t pid, std::chrono::milliseconds deadline = std::chrono::minutes(3)) const
    {
        RunResult result;
        if (pid <= 0) return result;
        const auto end = std::chrono::steady_clock::now() + deadline;
        int wstatus = 0;
        while (::waitpid(pid, &wstatus, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &wstatus, 0);
                ADD_FAILURE() << "the converter was still running after " << deadline.count()
                              << " ms";
                break;
            }
            ::usleep(2000);
        }
        result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
        result.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
        result.out = ReadBytes(OutFile());
        result.err = ReadBytes(ErrFile());
        fs::remove(OutFile());
        fs::remove(ErrFile());
        return result;
    }

    RunResult Run(std::vector<std::string> args,
                  std::chrono::milliseconds deadline = std::chrono::minutes(3)) const
    {
        return Finish(Start(std::move(args)), deadline);
    }

    // What a converter started by Start has printed so far.
    std::string OutSoFar() const { return ReadBytes(OutFile()); }

  private:
    fs::path OutFile() const { return dir_ / ".stdout"; }
    fs::path ErrFile() const { return dir_ / ".stderr"; }

    fs::path dir_;
};

} // namespace trv::clitest
