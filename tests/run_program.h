// Runs a built program in a folder of its own and captures what it says.
#pragma once

#include <string>
#include <vector>

struct RunResult {
    int status = -1;  // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `argv` (argv[0] included) in `folder`. A `fileSizeLimit` of 0 or more caps
// the size of every file the program writes, with SIGXFSZ ignored so writes fail instead; `env`
// holds NAME=VALUE settings added to the environment.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& argv,
                     const std::string& folder, long fileSizeLimit = -1,
                     const std::vector<std::string>& env = {});

// Runs a program of the project: `built`, the one built beside the tests, or, when the environment
// variables TEST_RUNNER and `exeVariable` are set, the program that `exeVariable` names under that
// runner (a Windows build under wine). argv[0] is replaced by the program's path then.
RunResult RunUnderTest(const std::string& built, const char* exeVariable,
                       std::vector<std::string> argv, const std::string& folder,
                       long fileSizeLimit = -1, const std::vector<std::string>& env = {});

// The value of the environment variable `name`, or `fallback` when it is not set.
std::string EnvironmentOr(const char* name, const char* fallback);

// A new empty folder, removed with everything in it when the object goes.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Every regular file below `folder`, by path relative to it, with its contents.
std::vector<std::pair<std::string, std::string>> ListFiles(const std::string& folder);
