#include "platform/forms/event_pump.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <deque>
#include <exception>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/registry.h"
#include "platform/forms/script.h"
#include "platform/forms/view.h"

namespace forms {

namespace {

// Program-wide state of the pump. Never destroyed: forms held by program-wide slots may be
// unloaded during static destruction, after which this must still be there.
struct PumpState {
  std::vector<Form*> forms;
  std::vector<Control*> timers;
  std::deque<std::function<void()>> deferred;
  std::vector<std::unique_ptr<Form>> buriedForms;
  std::vector<std::unique_ptr<Control>> buriedControls;
  std::exception_ptr held;
  int handlerDepth = 0;
  bool ended = false;
  uint64_t sequence = 0;
  std::function<void()> onTermination;
};

// Written by the signal handler, so only what a handler may touch: the flag, and a byte into the
// pipe whose other end wakes the view's wait.
volatile std::sig_atomic_t terminationSignalled = 0;
int signalPipeWrite = -1;

extern "C" void NoteTerminationSignal(int) {
  terminationSignalled = 1;
  if (signalPipeWrite < 0) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(signalPipeWrite, &byte, 1);
}

PumpState& State() {
  static PumpState* state = new PumpState;
  return *state;
}

void FreeBuried() {
  PumpState& state = State();
  if (state.handlerDepth != 0) return;
  // Freeing a form may unload nothing else, but moving the lists out first keeps this safe even
  // if a destructor buries more.
  auto forms = std::move(state.buriedForms);
  auto controls = std::move(state.buriedControls);
  state.buriedForms.clear();
  state.buriedControls.clear();
}

void FireDueTimers() {
  PumpState& state = State();
  const Duration now = Now();
  std::vector<Control*> due;
  std::ranges::copy_if(state.timers, std::back_inserter(due),
                       [now](Control* timer) { return timer->TimerDue(now); });
  std::ranges::sort(due, {},
                    [](Control* timer) { return std::pair(timer->DueAt(), timer->Sequence()); });
  // Keeps every timer of this pass alive until the pass ends, even one whose form a handler
  // unloads.
  detail::HandlerScope scope;
  for (Control* timer : due) {
    // An earlier handler of this pass may have stopped, restarted or unloaded this timer.
    if (std::ranges::find(state.timers, timer) == state.timers.end()) continue;
    if (timer->TimerDue(now)) timer->FireTimer(now);
  }
}

void RunDeferred() {
  PumpState& state = State();
  while (state.handlerDepth == 0 && !state.deferred.empty()) {
    std::function<void()> action = std::move(state.deferred.front());
    state.deferred.pop_front();
    detail::HandlerScope scope;
    action();
  }
}

void AnswerTerminationSignal() {
  if (terminationSignalled == 0) return;
  terminationSignalled = 0;
  const std::function<void()> asQuit = State().onTermination;
  detail::HandlerScope scope;
  if (asQuit) asQuit();
  End();
}

}  // namespace

void DoEvents() {
  PumpState& state = State();
  if (state.ended) throw ProgramEnded{};
  CurrentView().ProcessEvents();
  detail::RethrowHeldException();
  AnswerTerminationSignal();
  FireDueTimers();
  RunDeferred();
  FreeBuried();
}

int Run() {
  try {
    while (!State().ended && !State().forms.empty()) {
      DoEvents();
      if (State().ended || State().forms.empty()) break;
      CurrentView().WaitForEvents(State().deferred.empty() ? detail::UntilNextTimer()
                                                           : Duration::zero());
    }
  } catch (const ProgramEnded&) {
  }
  return 0;
}

void Defer(std::function<void()> action) { State().deferred.push_back(std::move(action)); }

void End() {
  PumpState& state = State();
  state.ended = true;
  state.deferred.clear();
  // Copy: dropping a form removes it from the list.
  for (Form* form : std::vector<Form*>(state.forms)) form->DropWithoutEvents();
  throw ProgramEnded{};
}

bool ProgramHasEnded() { return State().ended; }

void EndOnTerminationSignals(std::function<void()> asQuit) {
  State().onTermination = std::move(asQuit);
  if (signalPipeWrite < 0) {
    int ends[2];
    if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0) {
      signalPipeWrite = ends[1];
      CurrentView().WatchSignalPipe(ends[0]);
    }
  }
  struct sigaction action {};
  action.sa_handler = NoteTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);
}

bool InsideHandler() { return State().handlerDepth > 0; }

namespace detail {

HandlerScope::HandlerScope() { ++State().handlerDepth; }

HandlerScope::~HandlerScope() {
  --State().handlerDepth;
  FreeBuried();
}

void DispatchUserAction(const std::function<void()>& action) {
  PumpState& state = State();
  if (state.ended || state.held) return;
  HandlerScope scope;
  try {
    action();
  } catch (...) {
    state.held = std::current_exception();
  }
}

void RethrowHeldException() {
  PumpState& state = State();
  if (!state.held) return;
  std::exception_ptr held = std::exchange(state.held, nullptr);
  std::rethrow_exception(held);
}

void RegisterForm(Form& form) { State().forms.push_back(&form); }

void UnregisterForm(Form& form) { std::erase(State().forms, &form); }

std::vector<Form*> LoadedFormList() { return State().forms; }

void RegisterTimer(Control& timer) { State().timers.push_back(&timer); }

void UnregisterTimer(Control& timer) { std::erase(State().timers, &timer); }

uint64_t NextSequence() { return ++State().sequence; }

void Bury(std::unique_ptr<Form> form) {
  State().buriedForms.push_back(std::move(form));
  FreeBuried();
}

void Bury(std::unique_ptr<Control> control) {
  State().buriedControls.push_back(std::move(control));
  FreeBuried();
}

std::optional<Duration> UntilNextTimer() {
  std::optional<Duration> wait;
  const Duration now = Now();
  for (Control* timer : State().timers) {
    if (!timer->TimerArmed()) continue;
    Duration until = std::max(Duration::zero(), timer->DueAt() - now);
    if (!wait || until < *wait) wait = until;
  }
  return wait;
}

void PumpUntil(const std::function<bool()>& done) {
  while (true) {
    DoEvents();
    if (done()) return;
    CurrentView().WaitForEvents(
        State().deferred.empty() || State().handlerDepth > 0 ? UntilNextTimer() : Duration::zero());
  }
}

}  // namespace detail

namespace script {

void StartAfresh() {
  PumpState& state = State();
  if (state.handlerDepth != 0) throw std::logic_error("StartAfresh inside a handler");
  // Copy: dropping a form removes it from the list.
  for (Form* form : std::vector<Form*>(state.forms)) form->DropWithoutEvents();
  state.deferred.clear();
  state.held = nullptr;
  state.ended = false;
  detail::ForgetScriptedDialogs();
  detail::ForgetHeadlessInput();
}

}  // namespace script

}  // namespace forms
