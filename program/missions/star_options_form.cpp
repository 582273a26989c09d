#include "program/missions/star_options_form.h"

namespace {

void Place(forms::Control& control, int32_t left, int32_t top, int32_t width, int32_t height) {
  control.Move(left, top, width, height);
}

}  // namespace

StarOptionsForm::StarOptionsForm() : Form("StarForm") {
  SetCaption("Star Options");
  SetBorderStyle(forms::BorderStyle::FixedDialog);
  Move(0, 0, 4800, 3900);
  HScroll3.SetMin(MagnitudeSteps);
  HScroll3.SetMax(0);
  HScroll1.SetMin(1);
  HScroll1.SetMax(10);
  HScroll2.SetMin(0);
  HScroll2.SetMax(10);
  const struct {
    forms::Label* title;
    forms::Label* left;
    forms::Label* right;
    forms::HScrollBar* bar;
    const char* titleText;
    const char* leftText;
    const char* rightText;
  } rows[] = {{&Label1, &Label2, &Label3, &HScroll3, "Magnitude Contrast", "Less", "More"},
              {&Label4, &Label5, &Label6, &HScroll1, "Size", "Small", "Large"},
              {&Label7, &Label8, &Label9, &HScroll2, "Amount", "Natural", "Bright"}};
  int32_t top = 120;
  for (const auto& row : rows) {
    row.title->SetCaption(row.titleText);
    row.left->SetCaption(row.leftText);
    row.right->SetCaption(row.rightText);
    Place(*row.title, 240, top, 4200, 255);
    Place(*row.left, 240, top + 300, 1080, 255);
    Place(*row.bar, 1380, top + 300, 2040, 255);
    Place(*row.right, 3480, top + 300, 1080, 255);
    top += 720;
  }
  Check1.SetCaption("Mouse-over Information");
  Place(Check1, 240, top, 4200, 300);
  Command1.SetCaption("OK");
  Command2.SetCaption("Cancel");
  Place(Command1, 960, top + 480, 1200, 375);
  Place(Command2, 2520, top + 480, 1200, 375);
  Command2.SetCancel(true);
}
