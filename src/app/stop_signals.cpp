#include "app/stop_signals.h"

#include <QSocketNotifier>

#include "files/stop_cleanup.h"

#ifdef SLEEVEMASTER_HAVE_STOP_SIGNALS
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace sleevemaster {

#ifdef SLEEVEMASTER_HAVE_STOP_SIGNALS

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The notifier's socket pair: the handler writes to [0], the event loop reads [1].
int g_socket[2] = {-1, -1};
volatile sig_atomic_t g_requested = 0;
// Whether a notifier reads the socket: there is one at a time.
bool g_notifier_exists = false;

// Removes the pending temporary files and lets the signal take its default course.
[[noreturn]] void EndBySignal(int signal) {
  RemoveFilesOnStop();
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  _exit(128 + signal);  // not reached: the default action ends the program
}

extern "C" void OnBatchStop(int signal) {
  EndBySignal(signal);
}

extern "C" void OnWindowStop(int signal) {
  if (g_requested != 0)
    EndBySignal(signal);
  g_requested = 1;
  const int saved = errno;
  const char byte = static_cast<char>(signal);
  // A full socket already holds a wake-up for the event loop.
  (void)!write(g_socket[0], &byte, 1);
  errno = saved;
}

// Installs the handler for every stop signal not ignored from the start.
void InstallHandler(void (*handler)(int)) {
  for (const int signal : kStopSignals) {
    struct sigaction previous {};
    if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
      continue;
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (const int other : kStopSignals)
      sigaddset(&action.sa_mask, other);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
  }
}

void RestoreDefaults() {
  for (const int signal : kStopSignals) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler != &OnWindowStop)
      continue;
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
  }
}

}  // namespace

void EndBatchOnStopSignals() {
  InstallHandler(&OnBatchStop);
}

void HoldWindowStopSignals() {
  if (g_socket[0] >= 0 || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_socket) != 0)
    return;
  // The handler must never block on a full socket.
  fcntl(g_socket[0], F_SETFL, fcntl(g_socket[0], F_GETFL) | O_NONBLOCK);
  fcntl(g_socket[1], F_SETFL, fcntl(g_socket[1], F_GETFL) | O_NONBLOCK);
  g_requested = 0;
  InstallHandler(&OnWindowStop);
}

StopSignalNotifier::StopSignalNotifier(QObject* parent) : QObject(parent) {
  HoldWindowStopSignals();
  if (g_socket[1] < 0 || g_notifier_exists)
    return;
  g_notifier_exists = true;
  // A byte written before this point is still in the socket: the notifier reports it as soon
  // as the event loop runs.
  notifier_ = std::make_unique<QSocketNotifier>(g_socket[1], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &StopSignalNotifier::Drain);
}

StopSignalNotifier::~StopSignalNotifier() {
  if (notifier_ == nullptr)
    return;
  RestoreDefaults();
  notifier_.reset();
  g_notifier_exists = false;
  close(g_socket[0]);
  close(g_socket[1]);
  g_socket[0] = g_socket[1] = -1;
}

bool StopSignalNotifier::Requested() const {
  return g_requested != 0;
}

void StopSignalNotifier::Drain() {
  char bytes[16];
  while (read(g_socket[1], bytes, sizeof bytes) > 0) {
  }
  emit StopRequested();
}

#else

void EndBatchOnStopSignals() {}
void HoldWindowStopSignals() {}

StopSignalNotifier::StopSignalNotifier(QObject* parent) : QObject(parent) {}
StopSignalNotifier::~StopSignalNotifier() = default;
bool StopSignalNotifier::Requested() const {
  return false;
}
void StopSignalNotifier::Drain() {}

#endif

}  // namespace sleevemaster
