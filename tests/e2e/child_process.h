#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelmora::test {

struct ChildResult {
  int exit_code = -1;  // -1 when the child ended by a signal
  int signal = 0;
  bool timed_out = false;
  long max_rss_kb = 0;  // the child's peak resident memory
  std::string out;
  std::string err;
};

struct ChildOptions {
  std::string working_folder;  // empty: the test's own
  std::chrono::seconds timeout{60};
  // Called whenever more standard output has arrived, with all of it so far; returning
  // true sends SIGINT to the child once.
  std::function<bool(const std::string& out)> interrupt_when;
  // After that, called whenever more error output has arrived; returning true sends a
  // second SIGINT once.
  std::function<bool(const std::string& err)> interrupt_again_when;
  // The same; returning true closes the reading end of the child's standard output, as a
  // reader like `head` does when it has seen enough.
  std::function<bool(const std::string& out)> close_output_when;
};

// Runs a program with arguments (args[0] is the program's path) in a process group of its
// own, collects both output streams and waits for it. A child still running at the timeout
// is killed with its whole group.
inline ChildResult RunChild(const std::vector<std::string>& args,
                            const ChildOptions& options = {}) {
  int out_pipe[2];
  int err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    setpgid(0, 0);
    dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_pipe[1], STDERR_FILENO);
    const int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd >= 0) dup2(null_fd, STDIN_FILENO);
    if (!options.working_folder.empty() && chdir(options.working_folder.c_str()) != 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  setpgid(pid, pid);
  close(out_pipe[1]);
  close(err_pipe[1]);

  ChildResult result;
  bool interrupted = false;
  bool interrupted_again = false;
  bool ended = false;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + options.timeout;
  auto linger_end = deadline;
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  int open_streams = 2;
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    rusage usage{};
    if (!ended && wait4(pid, &status, WNOHANG, &usage) == pid) {
      result.max_rss_kb = usage.ru_maxrss;
      ended = true;
      linger_end = now + std::chrono::seconds(1);
    }
    // Helpers of the child may keep the pipes open after it ended; they get a moment.
    if (ended && (open_streams == 0 || now >= linger_end)) break;
    if (!ended && now >= deadline) {
      result.timed_out = true;
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    if (poll(fds, 2, 50) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_streams;
        continue;
      }
      (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(got));
      if (i == 0 && !interrupted && options.interrupt_when && options.interrupt_when(result.out)) {
        interrupted = true;
        kill(pid, SIGINT);
      }
      if (i == 1 && interrupted && !interrupted_again && options.interrupt_again_when &&
          options.interrupt_again_when(result.err)) {
        interrupted_again = true;
        kill(pid, SIGINT);
      }
      if (i == 0 && fds[0].fd >= 0 && options.close_output_when &&
          options.close_output_when(result.out)) {
        close(fds[0].fd);
        fds[0].fd = -1;
        --open_streams;
      }
    }
  }
  for (const pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  // Helpers the child started and left behind go with it.
  kill(-pid, SIGKILL);
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace kelmora::test
