// The Qt event loop around the windows, and the end of a session by a signal.
#include "ui/qt_desktop.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>

#include "ui/frm_about.h"

namespace pelloquin {

std::unique_ptr<AboutView> QtDesktop::MakeAboutView(AboutDialog& dialog) {
  return std::make_unique<frmAbout>(dialog);
}

void QtDesktop::Quit() {
  QCoreApplication::exit(0);
}

namespace {

// A handler may only write to a descriptor; the event loop reads the other end.
int signal_pipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] ssize_t written = ::write(signal_pipe[1], &byte, 1);
}

}  // namespace

void EndSessionOnSignals(std::function<void()> end) {
  if (signal_pipe[0] < 0 &&
      ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signal_pipe) != 0) {
    return;
  }
  auto* notifier =
      new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [end = std::move(end)] {
    char byte = 0;
    [[maybe_unused]] ssize_t got = ::read(signal_pipe[0], &byte, 1);
    // Every signal is passed on: the end may be waiting for
    // file work, which a second signal must not cut short.
    end();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(number, &action, nullptr);
}

}  // namespace pelloquin
