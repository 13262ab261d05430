#include "run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

RunResult RunProgram(const std::string& program, const std::vector<std::string>& argv,
                     const std::string& folder, long fileSizeLimit,
                     const std::vector<std::string>& env) {
    TempFolder capture;
    const std::string outPath = capture / "out", errPath = capture / "err";
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || chdir(folder.c_str()) != 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (fileSizeLimit >= 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit),
                               static_cast<rlim_t>(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        for (const std::string& setting : env)
            putenv(const_cast<char*>(setting.c_str()));
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(program.c_str(), args.data());
        _exit(127);
    }
    RunResult result;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    }
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    return result;
}

RunResult RunUnderTest(const std::string& built, const char* exeVariable,
                       std::vector<std::string> argv, const std::string& folder, long fileSizeLimit,
                       const std::vector<std::string>& env) {
    const char* runner = std::getenv("TEST_RUNNER");
    const char* exe = std::getenv(exeVariable);
    if (!runner || !exe) return RunProgram(built, argv, folder, fileSizeLimit, env);
    argv[0] = exe;
    argv.insert(argv.begin(), runner);
    return RunProgram(runner, argv, folder, fileSizeLimit, env);
}

std::string EnvironmentOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "diskpeel-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();  // never let a test write into "/"
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::vector<std::pair<std::string, std::string>> ListFiles(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        if (item.is_regular_file() && !item.is_symlink()) {
            files.emplace_back(fs::relative(item.path(), folder).string(),
                               Slurp(item.path().string()));
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}
