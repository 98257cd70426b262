// The end of a session, between actions.
#include "app/session_end.h"

#include <csignal>
#include <utility>

#if !defined(_WIN32)
#include <signal.h>
#endif

namespace pelloquin {

SessionEnd::Work::Work(SessionEnd& end, std::string reason)
    : end_(end), outer_reason_(std::exchange(end.reason_, std::move(reason))) {
  ++end_.depth_;
}

SessionEnd::Work::~Work() {
  --end_.depth_;
  end_.reason_ = std::move(outer_reason_);
}

namespace {

std::atomic<SessionEnd*> signalled_session{nullptr};

extern "C" void RequestEnd(int number) {
#if defined(_WIN32)
  // The runtime puts back the default action before it calls a handler.
  std::signal(number, RequestEnd);
#else
  (void)number;
#endif
  if (SessionEnd* end = signalled_session.load()) end->Request();
}

}  // namespace

void RequestEndOnSignals(SessionEnd& end) {
  signalled_session.store(&end);
#if defined(_WIN32)
  for (int number : {SIGTERM, SIGINT}) std::signal(number, RequestEnd);
#else
  // Restarted calls: a signal must not turn a copy under way into a failure.
  struct sigaction action {};
  action.sa_handler = RequestEnd;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(number, &action, nullptr);
#endif
}

}  // namespace pelloquin
