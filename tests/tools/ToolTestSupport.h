// Helpers of the tool tests: run a command or the tool, read a file.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tooltest {

inline std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Exit status and standard output of a shell command.
inline std::pair<int, std::string> Shell(const std::string& cmd)
{
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    char buf[4096];
    for (size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    const int status = p ? pclose(p) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs nbparticle with args, in folder cwd when one is given. Standard error
// goes through a file of the test's own: ctest runs the tests in parallel.
inline Result RunTool(const std::string& args, const std::string& cwd = "")
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string errFile = std::string(NBPS_BINARY_DIR) + "/tool-test-stderr-" + test->test_suite_name() + "-" +
                                test->name() + ".txt";
    Result r;
    std::tie(r.code, r.out) =
        Shell((cwd.empty() ? "" : "cd " + cwd + " && ") + NBPARTICLE_EXE + " " + args + " 2>" + errFile);
    r.err = Slurp(errFile);
    return r;
}

// Runs nbparticle with args (no shell), its stderr into err; returns its exit
// status and sets peakKib to the peak resident memory of that one run.
inline int RunMeasured(const std::vector<std::string>& args, std::string& err, long& peakKib)
{
    const std::string errFile = std::string(NBPS_BINARY_DIR) + "/tool-test-measured-" + std::to_string(::getpid());
    std::vector<char*> argv{const_cast<char*>(NBPARTICLE_EXE)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = -1;
    struct rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid)
        return -1;
    peakKib = usage.ru_maxrss;
    err = Slurp(errFile);
    std::remove(errFile.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace tooltest
