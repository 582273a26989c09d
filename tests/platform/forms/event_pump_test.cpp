// Timers on virtual time, nested yields, deferred actions, the idle loop, modal forms and ending
// the program.

#include <gtest/gtest.h>

#include <chrono>

#include "platform/forms/script.h"
#include "tests/platform/forms/test_form.h"

using namespace std::chrono_literals;

namespace {

struct TimerForm : forms::Form {
  TimerForm() : Form("Clocks") {
    for (forms::Timer* timer : {&Fast, &Slow}) timer->SetEnabled(false);
    Fast.SetInterval(100);
    Slow.SetInterval(250);
    Talk(1).SetInterval(3000);
    Talk(1).SetEnabled(false);
  }
  forms::Timer Fast{*this, "Fast"};
  forms::Timer Slow{*this, "Slow"};
  forms::ControlArray<forms::Timer> Talk{*this, "TimerTalk", {1}};
};

forms::FormSlot<TimerForm> Clocks;

class EventPump : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    forms::UseClock(&clock);
  }
  void TearDown() override {
    FormsTest::TearDown();
    forms::UseClock(nullptr);
  }
  // Moves time in steps and yields after each, as a frame loop does.
  void RunFor(forms::Duration total, forms::Duration step) {
    for (forms::Duration t{0}; t < total; t += step) {
      clock.Advance(step);
      forms::DoEvents();
    }
  }
  forms::VirtualClock clock;
  std::vector<std::string> fired;
};

}  // namespace

TEST_F(EventPump, TimersFireOnlyWhenYieldingInDueOrderAndCountOnVirtualTime) {
  TimerForm& f = *Clocks;
  f.Fast.Timer = [this] { fired.push_back("fast@" + std::to_string(forms::Now() / 1ms)); };
  f.Slow.Timer = [this] { fired.push_back("slow@" + std::to_string(forms::Now() / 1ms)); };
  f.Fast.SetEnabled(true);
  f.Slow.SetEnabled(true);
  clock.Advance(1000ms);
  EXPECT_TRUE(fired.empty()) << "nothing fires without a yield";
  forms::DoEvents();
  EXPECT_EQ(fired, (std::vector<std::string>{"fast@1000", "slow@1000"}))
      << "a late pump fires each due timer once, earliest due first";

  fired.clear();
  RunFor(300ms, 50ms);
  EXPECT_EQ(fired, (std::vector<std::string>{"fast@1100", "fast@1200", "slow@1250", "fast@1300"}));
}

TEST_F(EventPump, EnablingOrChangingTheIntervalRestartsTheCount) {
  TimerForm& f = *Clocks;
  f.Fast.Timer = [this] { fired.push_back(std::to_string(forms::Now() / 1ms)); };
  f.Fast.SetEnabled(true);
  RunFor(90ms, 10ms);
  f.Fast.SetInterval(100);  // same value: the count still starts again
  RunFor(90ms, 10ms);
  f.Fast.SetEnabled(false);
  f.Fast.SetEnabled(true);
  RunFor(100ms, 10ms);
  EXPECT_EQ(fired, std::vector<std::string>{"280"});

  f.Fast.SetInterval(0);
  RunFor(500ms, 100ms);
  EXPECT_EQ(fired.size(), 1u) << "an interval of 0 stops the timer";
}

TEST_F(EventPump, OneShotTimersOfAnArrayReportTheirIndex) {
  TimerForm& f = *Clocks;
  for (int16_t i = 2; i <= 10; ++i) f.Talk.Load(i);
  f.Talk(9).SetInterval(700);
  f.Talk.Timer = [&f, this](int16_t index) {
    f.Talk(index).SetEnabled(false);
    fired.push_back("talk " + std::to_string(index));
  };
  f.Talk(3).SetEnabled(true);
  f.Talk(9).SetEnabled(true);
  RunFor(10s, 100ms);
  EXPECT_EQ(fired, (std::vector<std::string>{"talk 9", "talk 3"}));
}

TEST_F(EventPump, NestedYieldsFireOtherTimersButNeverReenterARunningOne) {
  TimerForm& f = *Clocks;
  f.Slow.Timer = [this] {
    fired.push_back("slow begins");
    // A long handler that yields, as a flight running inside a timer event does.
    RunFor(600ms, 50ms);
    fired.push_back("slow ends");
  };
  f.Fast.Timer = [this] { fired.push_back("fast"); };
  f.Fast.SetEnabled(true);
  f.Slow.SetEnabled(true);
  RunFor(250ms, 50ms);
  EXPECT_EQ(fired, (std::vector<std::string>{"fast", "fast", "slow begins", "fast", "fast", "fast",
                                             "fast", "fast", "fast", "slow ends"}));
}

TEST_F(EventPump, DeferredActionsRunOnceTheHandlerChainHasUnwound) {
  TimerForm& f = *Clocks;
  int depthOfRestart = -1;
  int flights = 0;
  std::function<void()> runFlight;
  // Each "flight" yields, and its exit timer asks for the next flight: without deferral every
  // restart would nest inside the previous one.
  runFlight = [&] {
    ++flights;
    depthOfRestart = forms::InsideHandler() ? 1 : 0;
    f.Slow.SetEnabled(true);
    for (int frame = 0; frame < 5; ++frame) {
      clock.Advance(100ms);
      forms::DoEvents();
    }
    fired.push_back("flight " + std::to_string(flights) + " ends");
  };
  f.Slow.Timer = [&] {
    f.Slow.SetEnabled(false);
    fired.push_back("restart asked");
    if (flights < 3) forms::Defer(runFlight);
  };
  forms::Defer(runFlight);
  forms::DoEvents();
  EXPECT_EQ(flights, 3);
  EXPECT_EQ(depthOfRestart, 1) << "a deferred action counts as a handler while it runs";
  EXPECT_EQ(fired, (std::vector<std::string>{"restart asked", "flight 1 ends", "restart asked",
                                             "flight 2 ends", "restart asked", "flight 3 ends"}));
}

TEST_F(EventPump, RunWaitsOnVirtualTimeUntilTheLastFormUnloads) {
  TimerForm& f = *Clocks;
  int ticks = 0;
  f.Fast.Timer = [&ticks] {
    if (++ticks == 5) Clocks.Unload();
    // A loop that outlived the last form would run on for ever; this makes it a failure instead.
    if (ticks > 5) forms::End();
  };
  f.Fast.SetEnabled(true);
  EXPECT_EQ(forms::Run(), 0);
  EXPECT_FALSE(forms::ProgramHasEnded());
  EXPECT_EQ(ticks, 5);
  EXPECT_EQ(forms::Now(), 500ms);
}

TEST_F(EventPump, EndUnwindsFromAnyDepthAndUnloadsEveryFormWithoutEvents) {
  TestDialog->Show();
  TimerForm& f = *Clocks;
  f.Fast.Timer = [] { forms::End(); };
  f.Slow.Timer = [this] { RunFor(1s, 10ms); };
  f.Slow.SetEnabled(true);
  clock.Advance(250ms);
  f.Fast.SetEnabled(true);
  EXPECT_EQ(forms::Run(), 0);
  EXPECT_TRUE(forms::ProgramHasEnded());
  EXPECT_FALSE(TestDialog.Loaded());
  EXPECT_FALSE(Clocks.Loaded());
  EXPECT_EQ(Seen, std::vector<std::string>{"Form:Load"}) << "End runs no QueryUnload";
  EXPECT_THROW(forms::DoEvents(), forms::ProgramEnded);
}

TEST_F(EventPump, AModalFormWaitsForTheUserAndTimersKeepRunning) {
  TimerForm& clocks = *Clocks;
  int ticks = 0;
  clocks.Fast.Timer = [&ticks] { ++ticks; };
  clocks.Fast.SetEnabled(true);
  TestDialog->Command1.Click = [] { TestDialog->Hide(); };
  forms::script::PostUserAction([] { TestDialog->Check1.UserClick(); });
  clocks.Slow.Timer = [] {
    forms::script::PostUserAction([] { TestDialog->Command1.UserClick(); });
  };
  clocks.Slow.SetEnabled(true);
  TestDialog->Show(true);
  EXPECT_FALSE(TestDialog->Visible());
  EXPECT_EQ(TestDialog->Check1.Value(), forms::Control::kChecked);
  EXPECT_EQ(forms::Now(), 250ms);
  EXPECT_EQ(ticks, 2);
}

TEST_F(EventPump, AHeadlessModalWaitThatNothingCanEndIsAnError) {
  try {
    TestDialog->Show(true);
    FAIL() << "the wait returned";
  } catch (const forms::Error& error) {
    EXPECT_EQ(error.Number(), forms::Error::kNoInput);
  }
}

TEST_F(EventPump, AnErrorInAUserActionReachesThePumpThatRanIt) {
  TestDialog->Show();
  TestDialog->Command1.Click = [] { throw std::runtime_error("handler failed"); };
  forms::script::PostUserAction([] { TestDialog->Command1.UserClick(); });
  EXPECT_THROW(forms::DoEvents(), std::runtime_error);
  forms::DoEvents();  // held once, rethrown once
}

TEST_F(EventPump, AModalFormOpenedByATimerWaitsOnTheOtherTimers) {
  // The running timer must not count as due, or the wait would spin without time passing.
  TimerForm& f = *Clocks;
  f.Slow.Timer = [] { TestDialog->Show(true); };
  f.Fast.Timer = [] { TestDialog->Hide(); };
  f.Slow.SetEnabled(true);
  clock.Advance(250ms);
  f.Fast.SetInterval(400);  // falls due after the running timer's next turn
  f.Fast.SetEnabled(true);
  forms::DoEvents();
  EXPECT_EQ(forms::Now(), 650ms);
  EXPECT_FALSE(TestDialog->Visible());
}
