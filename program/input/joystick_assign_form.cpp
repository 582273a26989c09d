#include "program/input/joystick_assign_form.h"

#include <string>

namespace {

constexpr int32_t AxisTrackColour = 0x00404040;  // 0x00BBGGRR
constexpr int32_t AxisBarColour = 0x0000C000;

}  // namespace

JoystickAssignForm::JoystickAssignForm() : Form("JoystickAssign") {
  SetCaption("Joystick Assignments");
  SetBorderStyle(forms::BorderStyle::FixedDialog);
  Move(0, 0, 10890, 8040);
  // Left: the joystick, its 3D preview, its hat and the buttons. Right: the axis rows under their
  // column headings, then the button options over the action list.
  Label3.SetCaption("Joystick");
  Label3.Move(120, 120, 4800, 255);
  Combo1.SetEditable(false);
  Combo1.Move(120, 390, 4800, 315);
  Picture1.Move(120, 840, 4800, 3600);
  Check2.SetCaption("Use POV");
  Check2.Move(120, 4650, 1800, 300);
  for (int16_t k = 0; k < HatPictureCount; ++k) {
    Image1(k).Move(2040, 4560, 480, 480);
    Image1(k).SetVisible(k == 0);  // the test shows the picture of the hat's direction
  }
  Label4.SetCaption("POV");
  Label4.Move(2760, 4680, 600, 255);
  Text1.Move(3360, 4650, 1560, 315);
  Label2.SetCaption("Force Feedback Joystick");
  Label2.Move(120, 5220, 4800, 255);
  Command2.SetCaption("Calibrate");
  Command2.Move(120, 5640, 2280, 375);
  Command1.SetCaption("Exit");
  Command1.Move(2640, 5640, 2280, 375);
  Command1.SetCancel(true);

  constexpr int32_t frameLeft = 5040;
  constexpr int32_t frameWidth = 5640;
  Frame1.SetCaption("Axis Assignments to Functions");
  Frame1.Move(frameLeft, 120, frameWidth, 3720);
  constexpr int32_t listLeft = 1380, checkLeft = 3300, barLeft = 3720, barWidth = 1800;
  constexpr int32_t headingTop = 300, firstRowTop = 600, rowPitch = 390;
  const auto heading = [this](int16_t k, const char* caption, int32_t left, int32_t width) {
    Label1(k).SetCaption(caption);
    Label1(k).SetContainer(Frame1);
    Label1(k).Move(left, headingTop, width, 255);
  };
  heading(10, "Select", listLeft, 1800);
  heading(11, "Rvs", checkLeft - 60, 480);
  heading(8, "Low", barLeft, barWidth / 2);
  heading(9, "High", barLeft + barWidth / 2, barWidth / 2);
  constexpr const char* AxisNames[PhysicalAxisCount] = {"Axis X",     "Axis Y",    "Slider 1",
                                                        "Rotation Z", "Axis Z",    "Slider 2",
                                                        "Rotation X", "Rotation Y"};
  for (int16_t i = 0; i < PhysicalAxisCount; ++i) {
    const int32_t top = firstRowTop + rowPitch * i;
    Label1(i).SetCaption(AxisNames[i]);
    Label1(i).SetContainer(Frame1);
    Label1(i).Move(120, top + 30, 1200, 255);
    Combo2(i).SetEditable(false);
    Combo2(i).SetContainer(Frame1);
    Combo2(i).Move(listLeft, top, 1800, 315);
    Check1(i).SetContainer(Frame1);
    Check1(i).Move(checkLeft, top, 360, 300);
    // The bar grows inside its track.
    Picture5(i).SetContainer(Frame1);
    Picture5(i).Move(barLeft, top + 30, barWidth, 255);
    Picture5(i).SetBackColor(AxisTrackColour);
    Picture6(i).SetContainer(Picture5(i));
    Picture6(i).Move(0, 0, barWidth / 2, 255);
    Picture6(i).SetBackColor(AxisBarColour);
  }

  Frame2.SetCaption("Button Assignments to Functions");
  Frame2.Move(frameLeft, 3960, frameWidth, 3480);
  constexpr int16_t optionColumns = 7;
  for (int16_t n = 0; n < ButtonOptionCount; ++n) {
    Option2(n).SetContainer(Frame2);
    Option2(n).SetCaption(std::to_string(n + 1));
    Option2(n).Move(120 + 780 * (n % optionColumns), 300 + 330 * (n / optionColumns), 720, 300);
  }
  Label5.SetCaption("Function");
  Label5.SetContainer(Frame2);
  Label5.Move(120, 1680, 5400, 255);
  List2.SetContainer(Frame2);
  List2.Move(120, 1950, 5400, 1410);
}
