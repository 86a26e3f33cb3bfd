#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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

    RunResult Run(std::vector<std::string> args) const
    {
        const fs::path outFile = dir_ / ".stdout", errFile = dir_ / ".stderr";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
        args.insert(args.begin(), TRV_CONVERT_EXE);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        RunResult result;
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, TRV_CONVERT_EXE, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            ADD_FAILURE() << "cannot start " << TRV_CONVERT_EXE;
            return result;
        }
        int wstatus = 0;
        ::waitpid(pid, &wstatus, 0);
        result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
        result.out = ReadBytes(outFile);
        result.err = ReadBytes(errFile);
        fs::remove(outFile);
        fs::remove(errFile);
        return result;
    }

  private:
    fs::path dir_;
};

} // namespace trv::clitest
