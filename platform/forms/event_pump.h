#pragma once
// The one event pump of the program: the yield (DoEvents), the idle loop (Run), deferred actions
// and ending the program.
//
// Rules the dialogs and the flight loops rely on:
// - Window events and timers fire only inside DoEvents, a modal Show or Run.
// - Each DoEvents fires every due timer at most once, earliest due first (ties in the order the
//   timers were created); a timer that fired next falls due one interval after that pass, so a
//   late pump does not replay the ticks it missed. A timer whose handler is still running is not
//   fired again from a nested DoEvents; its count restarts when it is next due.
// - Handlers may call DoEvents again (a flight runs inside a timer's handler).
// - Defer() queues an action for the outermost loop: it runs once every handler on the stack has
//   returned, so a handler that restarts a flight does not nest one flight inside another.
// - End() ends the program at once: it unloads every form without their events and unwinds the
//   stack by throwing ProgramEnded, which Run() catches.

#include <cstdint>
#include <functional>

#include "platform/win/clock.h"

namespace forms {

// Timers count on the process's one clock; tests put a win::VirtualClock in its place.
using win::Clock;
using win::CurrentClock;
using win::Duration;
using win::Now;
using win::UseClock;
using win::VirtualClock;

void DoEvents();
// The idle loop: pumps and waits until End() or until no form is loaded. Returns the exit code.
// Headless, a wait that no timer or scripted action can end throws Error kNoInput.
int Run();
void Defer(std::function<void()> action);

// Thrown by End(); not a std::exception, so a handler's catch of ordinary errors lets it pass.
struct ProgramEnded {};
[[noreturn]] void End();
bool ProgramHasEnded();

// SIGINT and SIGTERM end the program as the user would: the next pass of the pump (the idle wait
// included, which a signal wakes) runs `asQuit` as a handler, which is expected to end the
// program; without one the pump ends it.
void EndOnTerminationSignals(std::function<void()> asQuit);

// True while an event handler, a timer or a deferred action runs.
bool InsideHandler();

namespace detail {

// Counts the handlers on the stack; forms unloaded while one runs are freed once none does.
class HandlerScope {
 public:
  HandlerScope();
  ~HandlerScope();
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;
};

// Runs a user action from a view: an exception, End() included, is held and rethrown by the pump
// that dispatched it, so it never crosses the view's own event loop.
void DispatchUserAction(const std::function<void()>& action);
void RethrowHeldException();

}  // namespace detail

}  // namespace forms
