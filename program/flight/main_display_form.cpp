#include "program/flight/main_display_form.h"

#include <array>
#include <utility>

namespace {

constexpr int32_t ExitTimerMs = 10;
constexpr int32_t DSKYDisplayMs = 1000;
constexpr int32_t DSKYFlashMs = 500;
constexpr int32_t DSKYDelayMs = 2000;
constexpr int32_t ProgramMessageMs = 2000;
constexpr int32_t CalloutSpacingMs = 3000;
constexpr int32_t ShortCalloutSpacingMs = 700;  // channel 9
constexpr int16_t ShortCalloutChannel = 9;
constexpr int32_t AscentParticleMs = 3000;
constexpr int32_t ExplosionFrameMs = 75;
constexpr int32_t ModifierMemoryMs = 500;
constexpr int32_t P64SpacingMs = 500;
constexpr int32_t ButtonDelayMs = 200;
constexpr int32_t PathNodeMs = 1000;
constexpr int32_t IdleTimerMs = 100;
constexpr int32_t RCSIdleTimerMs = 500;
constexpr int32_t RCSP64IdleTimerMs = 200;

}  // namespace

MainDisplayForm::MainDisplayForm() : Form("Main_Display") {
  SetRenderSurface(true);
  const std::array<std::pair<forms::Timer*, int32_t>, 20> designed{{
      {&Timer_Test_Exit, ExitTimerMs},
      {&TimerAverage, AverageTickMs},
      {&DSKY_Display_Update, DSKYDisplayMs},
      {&DSKYFlash, DSKYFlashMs},
      {&DSKYReset, DSKYDelayMs},
      {&DSKYStartProgram, DSKYDelayMs},
      {&Timer_Program_Message, ProgramMessageMs},
      {&Timer_Program_Message2, DSKYDisplayMs},
      {&Timer_Ascent_Particle, AscentParticleMs},
      {&TimerExplosion, ExplosionFrameMs},
      {&TimerKeyPress, KeyDelayMs},
      {&TimerSpecialCharacter, ModifierMemoryMs},
      {&TimerP64, P64SpacingMs},
      {&ButtonTimer, ButtonDelayMs},
      {&TimerAutoNode, PathNodeMs},
      {&TimerVortanaPause, IdleTimerMs},
      {&Timer_Replay, IdleTimerMs},
      {&TimerRCS, RCSIdleTimerMs},
      {&TimerRCSP64, RCSP64IdleTimerMs},
      {&TimerMovie, IdleTimerMs},
  }};
  for (const auto& [timer, interval] : designed) {
    timer->SetInterval(interval);
    timer->SetEnabled(timer == &TimerSpecialCharacter);
  }
  for (int16_t channel = 1; channel <= 10; ++channel) {
    TimerTalk(channel).SetInterval(channel == ShortCalloutChannel ? ShortCalloutSpacingMs
                                                                  : CalloutSpacingMs);
    TimerTalk(channel).SetEnabled(false);
  }
}
