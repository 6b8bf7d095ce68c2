#include "tests/fuzz/child_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

std::string read_all(int fd) {
  std::string text;
  lseek(fd, 0, SEEK_SET);
  char buffer[4096];
  ssize_t got = 0;
  while ((got = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(got));
  return text;
}

}  // namespace

ChildResult run_child(const std::vector<std::string>& argv, double limit_seconds) {
  ChildResult result;
  char output_name[] = "/tmp/orvane-fuzz-output-XXXXXX";
  int output = mkstemp(output_name);
  if (output < 0) return result;
  unlink(output_name);
  auto started = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    dup2(output, 1);
    dup2(output, 2);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  auto deadline = started + std::chrono::duration<double>(limit_seconds);
  while (child > 0 && waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      result.timed_out = true;
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  result.exited = child > 0 && WIFEXITED(status);
  result.status = result.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  result.output = read_all(output);
  close(output);
  return result;
}

std::string describe(const ChildResult& result) {
  if (result.timed_out) return "killed after " + std::to_string(result.seconds) + " s";
  if (result.exited) return "exit " + std::to_string(result.status);
  return "signal " + std::to_string(result.status) + " (" + strsignal(result.status) + ")";
}
