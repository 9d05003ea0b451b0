#include "support/process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace sleevemaster::test {

namespace {

void CloseIfOpen(int& fd) {
  if (fd >= 0)
    close(fd);
  fd = -1;
}

// In the forked child: a new session (no controlling terminal, as under CI), the working
// folder and environment of the options, then the program. Never returns.
[[noreturn]] void ExecChild(const std::vector<std::string>& argv, const RunOptions& options) {
  setsid();
  if (options.User && (setgroups(0, nullptr) != 0 || setgid(options.User->second) != 0 ||
                       setuid(options.User->first) != 0))
    _exit(125);
  if (!options.WorkingDirectory.empty() && chdir(options.WorkingDirectory.c_str()) != 0)
    _exit(126);
  for (const auto& [name, value] : options.Environment) {
    if (value)
      setenv(name.c_str(), value->c_str(), 1);
    else
      unsetenv(name.c_str());
  }
  std::vector<char*> args;
  for (const auto& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

}  // namespace

RunResult RunProcess(const std::vector<std::string>& argv, const RunOptions& options) {
  RunResult result;
  if (argv.empty())
    return result;
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0)
    return result;

  const pid_t pid = fork();
  if (pid == 0) {
    if (options.Stdin) {
      dup2(in_pipe[0], 0);
    } else {
      const int null_fd = open("/dev/null", O_RDONLY);
      dup2(null_fd, 0);
    }
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]})
      close(fd);
    ExecChild(argv, options);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  if (pid < 0) {
    close(in_pipe[1]);
    close(out_pipe[0]);
    close(err_pipe[0]);
    return result;
  }

  signal(SIGPIPE, SIG_IGN);
  std::string input = options.Stdin.value_or("");
  std::size_t written = 0;
  int in_fd = in_pipe[1], out_fd = out_pipe[0], err_fd = err_pipe[0];
  if (input.empty())
    CloseIfOpen(in_fd);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(options.TimeoutSeconds);
  while (out_fd >= 0 || err_fd >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.TimedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    pollfd fds[3] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}, {in_fd, POLLOUT, 0}};
    if (poll(fds, 3, static_cast<int>(left.count())) < 0)
      break;
    char buffer[65536];
    for (int i = 0; i < 2; ++i) {
      int& fd = i == 0 ? out_fd : err_fd;
      if (fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
        continue;
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0)
        CloseIfOpen(fd);
      else
        (i == 0 ? result.Stdout : result.Stderr).append(buffer, static_cast<std::size_t>(n));
    }
    if (in_fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t n = write(in_fd, input.data() + written, input.size() - written);
      if (n <= 0 || (written += static_cast<std::size_t>(n)) == input.size())
        CloseIfOpen(in_fd);
    }
  }
  CloseIfOpen(in_fd);
  CloseIfOpen(out_fd);
  CloseIfOpen(err_fd);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status))
    result.ExitCode = WEXITSTATUS(status);
  return result;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv,
                                     const RunOptions& options) {
  if (argv.empty())
    return;
  const pid_t pid = fork();
  if (pid == 0) {
    const int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, 0);
    dup2(null_fd, 1);
    dup2(null_fd, 2);
    ExecChild(argv, options);
  }
  pid_ = pid;
}

BackgroundProcess::~BackgroundProcess() {
  Stop();
}

int BackgroundProcess::Wait(int seconds) {
  if (pid_ <= 0 || reaped_)
    return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      reaped_ = true;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (done < 0)
      return -1;
    usleep(20000);
  }
  return -1;
}

int BackgroundProcess::WaitForSignal(int seconds) {
  if (pid_ <= 0 || reaped_)
    return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      reaped_ = true;
      return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    if (done < 0)
      return -1;
    usleep(20000);
  }
  return -1;
}

void BackgroundProcess::Stop() {
  if (pid_ <= 0 || reaped_)
    return;
  kill(pid_, SIGTERM);
  if (Wait(3) == -1 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    reaped_ = true;
  }
}

bool ProgramAvailable(const std::string& program) {
  return RunProcess({"sh", "-c", "command -v \"$0\" >/dev/null", program}).ExitCode == 0;
}

}  // namespace sleevemaster::test
