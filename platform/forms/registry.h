#pragma once
// Internal book-keeping shared by forms, controls and the pump; not for callers of the layer.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/forms/event_pump.h"

namespace forms {

class Control;
class Form;

namespace detail {

void RegisterForm(Form& form);
void UnregisterForm(Form& form);
std::vector<Form*> LoadedFormList();
void RegisterTimer(Control& timer);
void UnregisterTimer(Control& timer);
uint64_t NextSequence();

// Objects dropped while a handler may still use them; freed once no handler runs.
void Bury(std::unique_ptr<Form> form);
void Bury(std::unique_ptr<Control> control);

// How long the idle loop may wait before the next timer falls due (none: no timer runs).
std::optional<Duration> UntilNextTimer();

// Pumps and waits until `done` holds; used by modal forms.
void PumpUntil(const std::function<bool()>& done);

// The parts of script::StartAfresh that the dialogs and the headless view keep.
void ForgetScriptedDialogs();
void ForgetHeadlessInput();

}  // namespace detail
}  // namespace forms
