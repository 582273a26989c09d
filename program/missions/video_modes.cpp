#include "program/missions/video_modes.h"

#include <string>

#include "platform/d3d/interfaces.h"
#include "platform/forms/dialogs.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/missions_state.h"
#include "program/missions/missions_texts.h"
#include "program/startup/startup_state.h"

// The mode lists speak the creation object's own terms.
using namespace d3d;

namespace {

constexpr int16_t AdapterList = 0;
constexpr int16_t ModeList = 2;

IDirect3D8& Direct3DObject() {
  DriverDialogForm& form = *DriverDialog;
  if (!form.Direct3D)
    form.Direct3D.reset(Direct3DCreate8(D3D_SDK_VERSION), [](IDirect3D8* d3d) {
      if (d3d != nullptr) d3d->Release();
    });
  return *form.Direct3D;
}

void AddMode(forms::Control& list, const DisplayModeRecord& mode, int32_t index) {
  list.AddItem(std::to_string(mode.Width) + "x" + std::to_string(mode.Height) + "x" +
               std::to_string(ModeBits(mode.Format)));
  list.SetItemData(list.NewIndex(), index);
}

}  // namespace

int32_t ModeBits(int32_t format) {
  switch (format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 32;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
      return 16;
    default:
      return 0;
  }
}

void UpdateAdapter() {
  DriverDialogForm& form = *DriverDialog;
  IDirect3D8& d3d = Direct3DObject();
  forms::Control& list = form.cboGroup(AdapterList);
  list.Clear();
  for (UINT adapter = 0; adapter < d3d.GetAdapterCount(); ++adapter) {
    D3DADAPTER_IDENTIFIER8 identifier{};
    d3d.GetAdapterIdentifier(adapter, 0, &identifier);
    identifier.Description[kAdapterTextBytes - 1] = '\0';
    list.AddItem(identifier.Description);
  }
  if (form.AdapterIndex >= 0 && form.AdapterIndex < list.ListCount())
    list.SetListIndex(static_cast<int16_t>(form.AdapterIndex));
}

void UpdateVideoModes(int32_t adapter) {
  DriverDialogForm& form = *DriverDialog;
  IDirect3D8& d3d = Direct3DObject();
  forms::Control& list = form.cboGroup(ModeList);
  list.Clear();
  const UINT count = adapter >= 0 ? d3d.GetAdapterModeCount(static_cast<UINT>(adapter)) : 0;
  form.ModeTable.assign(count, DisplayModeRecord{});
  const DisplayModeRecord* last = nullptr;
  for (UINT i = 0; i < count; ++i) {
    D3DDISPLAYMODE mode{};
    d3d.EnumAdapterModes(static_cast<UINT>(adapter), i, &mode);
    DisplayModeRecord& record = form.ModeTable[i];
    record = {static_cast<int32_t>(mode.Width), static_cast<int32_t>(mode.Height),
              static_cast<int32_t>(mode.RefreshRate), static_cast<int32_t>(mode.Format)};
    if (ModeBits(record.Format) == 0) continue;
    if (last != nullptr && last->Width == record.Width && last->Height == record.Height &&
        last->Format == record.Format)
      continue;
    AddMode(list, record, static_cast<int32_t>(i));
    last = &record;
  }
  if (list.ListCount() == 0) {
    // The desktop stands in as the one mode; its entry's index is past the enumeration's.
    const forms::ScreenInfo screen = forms::Screen();
    form.ModeTable.push_back({screen.widthPixels, screen.heightPixels, screen.refreshHz,
                              static_cast<int32_t>(D3DFMT_X8R8G8B8)});
    AddMode(list, form.ModeTable.back(), static_cast<int32_t>(form.ModeTable.size() - 1));
    if (!form.NoModesReported) {
      form.NoModesReported = true;
      forms::MsgBox(EnsureTralexa().GetTranslation(NoDisplayModesText), forms::MsgBoxButtons::Ok,
                    forms::MsgBoxIcon::Information);
    }
  }
  for (int16_t i = 0; i < list.ListCount(); ++i) {
    if (list.ItemData(i) == form.ModeIndex) {
      list.SetListIndex(i);
      break;
    }
  }
}

void DriverDialog_cboGroup_Click(int16_t index) {
  DriverDialogForm& form = *DriverDialog;
  forms::Control& list = form.cboGroup(index);
  if (list.ListIndex() < 0) return;
  if (index == AdapterList) {
    form.AdapterIndex = list.ListIndex();
    UpdateVideoModes(form.AdapterIndex);
    return;
  }
  if (index != ModeList) return;
  const int32_t mode = list.ItemData(list.ListIndex());
  form.ModeIndex = mode;
  VideoMode = mode;
  // Entries made by others than UpdateVideoModes carry no record.
  if (mode < 0 || static_cast<size_t>(mode) >= form.ModeTable.size()) return;
  form.ChosenMode = form.ModeTable[static_cast<size_t>(mode)];
  VideoWidth = form.ChosenMode.Width;
  VideoHeight = form.ChosenMode.Height;
  VideoBits = ModeBits(form.ChosenMode.Format);
}

void DriverDialog_chkWindowed_Click() {
  DriverDialogForm& form = *DriverDialog;
  const bool windowed = form.chkWindowed.Value() == forms::Control::kChecked;
  form.cboGroup(AdapterList).SetEnabled(!windowed);
  form.cboGroup(ModeList).SetEnabled(!windowed);
}
