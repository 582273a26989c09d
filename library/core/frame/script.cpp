// LoadScript: a compiled script linked to its slots and run to its end, with a window and device of
// its own for its graphics commands.
#include "library/core/frame/script.h"

#include <array>
#include <bit>
#include <deque>
#include <vector>

#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/frame/script_file.h"
#include "library/core/vortanautil.h"
#include "platform/win/byte_reader.h"
#include "platform/win/window_messages.h"

using namespace d3d;

namespace {

constexpr size_t kOpcodeCount = 100;
constexpr int32_t kEndWord = -1;
constexpr int32_t kJumpCommand = 50;
constexpr size_t kMaxScriptBytes = 16u << 20;
// Client sizes the window command takes, in pixels: a larger one is no window a screen shows.
constexpr int32_t kMaxWindowSide = 4096;
constexpr uint32_t kScriptWindowStyle =
    win::WS_VISIBLE | win::WS_CAPTION | win::WS_SYSMENU | win::WS_THICKFRAME | win::WS_MINIMIZEBOX;
static_assert(kScriptWindowStyle == 0x10CE0000);
constexpr const char* kWindowClass = "D3D Window";
constexpr const char* kWindowTitle = "Vortana Script";
constexpr D3DCOLOR kClearColour = 0xff000000;
constexpr int32_t kShowNormal = 1;

struct Machine {
  std::vector<int32_t> flow;
  std::deque<int32_t> cells;      // one 4-byte cell per constant; a deque keeps them in place
  std::vector<int32_t*> slots;    // S; null until a constant fills the slot
  std::vector<int32_t*> entries;  // F + 1: a flow word or, for an argument, its slot's cell
  size_t position = 0;
  bool stopped = false;
  win::HWND window = nullptr;
  IDirect3D8* direct3d = nullptr;
  IDirect3DDevice8* device = nullptr;
  bool privateDevice = false;  // the engine's device stayed current
  uint64_t windowPixels = 0;   // of the back buffer a clear or a present goes over
  uint64_t pixelBudget = 0;    // what clears and presents may still go over in this run

  size_t FlowCount() const { return flow.size(); }
  int32_t& Argument(size_t index) { return *entries[position + index]; }
  void Stop() { stopped = true; }
};

using Handler = void (*)(Machine&);

struct Opcode {
  Handler handler = nullptr;
  size_t advance = 0;  // entries of the instruction, its end word included
};

std::array<Opcode, kOpcodeCount> ScriptOpcodeTable;

intptr_t ScriptWindowProcedure(win::HWND window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) {
  if (message == win::WM_CLOSE) {
    win::DestroyWindow(window);
    return 0;
  }
  return win::DefWindowProcA(window, message, wParam, lParam);
}

// Drops the device of an earlier window command, with the library's reference when it is current.
void ReleaseDevice(Machine& m) {
  if (m.device != nullptr && m.device == CurrentDevice) SafeRelease(CurrentDevice);
  SafeRelease(m.device);
  SafeRelease(m.direct3d);
}

void CloseWindow(Machine& m) {
  if (win::IsWindow(m.window)) win::SendMessageA(m.window, win::WM_CLOSE, 0, 0);
  m.window = nullptr;
}

// A second window command replaces the first window and its device.
void OpenWindow(Machine& m, int32_t width, int32_t height) {
  if (width < 1 || height < 1 || width > kMaxWindowSide || height > kMaxWindowSide) {
    AddLog("Flow %d : window size %d x %d refused", static_cast<int>(m.position), width, height);
    m.Stop();
    return;
  }
  CloseWindow(m);
  ReleaseDevice(m);
  win::WNDCLASSA windowClass;
  windowClass.lpfnWndProc = ScriptWindowProcedure;
  windowClass.cursor = win::IDC_ARROW;
  windowClass.background = win::WHITE_BRUSH;
  windowClass.lpszClassName = kWindowClass;
  win::RegisterClassA(&windowClass);  // refused after the first run: the class stays registered
  win::RECT outer{0, 0, width, height};
  win::AdjustWindowRect(&outer, kScriptWindowStyle, true);
  m.window =
      win::CreateWindowA(kWindowClass, kWindowTitle, kScriptWindowStyle, win::CW_USEDEFAULT,
                         win::CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                         nullptr, win::CreateMenu(), nullptr, nullptr);

  // The engine's device keeps its families' objects: the script then draws on a device of its own.
  m.privateDevice = CurrentDevice != nullptr;
  m.direct3d = Direct3DCreate8(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS params{};
  params.Windowed = 1;
  params.BackBufferWidth = static_cast<UINT>(width);
  params.BackBufferHeight = static_cast<UINT>(height);
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.BackBufferCount = 1;
  params.SwapEffect = D3DSWAPEFFECT_COPY;
  params.EnableAutoDepthStencil = 1;
  params.AutoDepthStencilFormat = D3DFMT_D16;
  if (m.direct3d != nullptr &&
      FAILED(m.direct3d->CreateDevice(0, D3DDEVTYPE_HAL, m.window,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &m.device))) {
    m.device = nullptr;
  }
  m.windowPixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  if (m.device == nullptr) {
    AddLog("Error !!");
    win::MessageBoxA(m.window, "Error !!", "Error !!!", win::MB_ICONWARNING);
  } else if (!m.privateDevice) {
    CurrentDevice = m.device;
    CurrentDeviceAdopted = false;
    CurrentDevice->AddRef();  // the library's reference, which ShutDownDevice releases
  }
  win::ShowWindow(m.window, kShowNormal);
  win::UpdateWindow(m.window);
}

void FloatAdd(Machine& m) {
  m.Argument(3) = std::bit_cast<int32_t>(std::bit_cast<float>(m.Argument(1)) +
                                         std::bit_cast<float>(m.Argument(2)));
  m.position += 5;
}

// Integers wrap, as the machine's own arithmetic did.
void IntegerAdd(Machine& m) {
  m.Argument(3) = static_cast<int32_t>(static_cast<uint32_t>(m.Argument(1)) +
                                       static_cast<uint32_t>(m.Argument(2)));
  m.position += 5;
}

void IntegerMultiply(Machine& m) {
  m.Argument(3) = static_cast<int32_t>(static_cast<uint32_t>(m.Argument(1)) *
                                       static_cast<uint32_t>(m.Argument(2)));
  m.position += 5;
}

void Move(Machine& m) {
  m.Argument(2) = m.Argument(1);
  m.position += 4;
}

void WindowCommand(Machine& m) {
  OpenWindow(m, m.Argument(1), m.Argument(2));
  m.position += 4;
}

// A clear or a present goes over every pixel of the window: false, and the run stops, once that
// would pass the pixel budget.
bool ChargePixels(Machine& m) {
  if (m.windowPixels > m.pixelBudget) {
    AddLog("Flow %d : pixel budget spent", static_cast<int>(m.position));
    m.Stop();
    return false;
  }
  m.pixelBudget -= m.windowPixels;
  return true;
}

void ClearCommand(Machine& m) {
  if (m.device != nullptr && ChargePixels(m)) {
    m.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColour, 1.0f, 0);
  }
  m.position += 2;
}

void PresentCommand(Machine& m) {
  if (m.device != nullptr) {
    if (!ChargePixels(m)) return;
    m.device->Present(nullptr, nullptr, nullptr, nullptr);
  }
  win::MSG message;
  while (win::PeekMessageA(&message, nullptr, 0, 0, win::PM_REMOVE)) {
    win::TranslateMessage(&message);
    win::DispatchMessageA(&message);
  }
  if (m.window != nullptr && !win::IsWindow(m.window)) {
    // The user closed the window: a script that loops would otherwise never end.
    AddLog("Flow %d : the script window was closed, run ended", static_cast<int>(m.position));
    m.window = nullptr;
    m.Stop();
  }
  m.position += 2;
}

void Jump(Machine& m) {
  const int32_t target = m.Argument(1);
  if (target < 0 || static_cast<size_t>(target) > m.FlowCount()) {
    AddLog("Flow %d : jump to %d outside the flow", static_cast<int>(m.position), target);
    m.Stop();
    return;
  }
  m.position = static_cast<size_t>(target);
}

void FillOpcodeTable() {
  ScriptOpcodeTable[1] = {FloatAdd, 5};
  ScriptOpcodeTable[2] = {IntegerAdd, 5};
  ScriptOpcodeTable[3] = {IntegerMultiply, 5};
  ScriptOpcodeTable[6] = {Move, 4};
  ScriptOpcodeTable[10] = {WindowCommand, 4};
  ScriptOpcodeTable[11] = {ClearCommand, 2};
  ScriptOpcodeTable[12] = {PresentCommand, 2};
  ScriptOpcodeTable[kJumpCommand] = {Jump, 3};
}

bool FillSlots(Machine& m, const std::vector<ScriptConstant>& constants, const char* kind) {
  int index = 0;
  for (const ScriptConstant& constant : constants) {
    if (constant.slot < 0 || static_cast<size_t>(constant.slot) >= m.slots.size()) {
      AddLog("%s %d : slot %d outside the %d slots", kind, index, constant.slot,
             static_cast<int>(m.slots.size()));
      return false;
    }
    m.slots[static_cast<size_t>(constant.slot)] = &m.cells.emplace_back(constant.value);
    ++index;
  }
  return true;
}

bool Link(Machine& m, const ScriptFile& script) {
  m.flow = script.flow;
  m.slots.assign(static_cast<size_t>(script.slotCount), nullptr);
  m.entries.assign(m.FlowCount() + 1, nullptr);
  AddLog("Flow loading");
  for (size_t i = 0; i < m.FlowCount(); ++i) {
    AddLog("Flow %d : %d", static_cast<int>(i), m.flow[i]);
    m.entries[i] = &m.flow[i];
  }
  AddLog("Float Loading");
  if (!FillSlots(m, script.floats, "Float") || !FillSlots(m, script.integers, "Integer")) {
    return false;
  }
  AddLog("Transform Flow into Machine data");
  bool inCommand = false;
  int32_t command = 0;
  for (size_t i = 0; i < m.FlowCount(); ++i) {
    const int position = static_cast<int>(i);
    const int32_t word = m.flow[i];
    if (!inCommand) {
      AddLog("Flow %d, Command : %d", position, word);
      command = word;
      inCommand = true;
    } else if (word == kEndWord) {
      AddLog("Flow %d, End Command", position);
      inCommand = false;
    } else if (command == kJumpCommand) {
      // A flow position: the entry stays on its own word.
      AddLog("Flow %d, Argument change %d pt %d", position, word, position);
    } else if (word < 0 || static_cast<size_t>(word) >= m.slots.size()) {
      AddLog("Flow %d, Argument %d outside the %d slots", position, word,
             static_cast<int>(m.slots.size()));
      return false;
    } else if (m.slots[static_cast<size_t>(word)] == nullptr) {
      AddLog("Flow %d, Argument %d names a slot no constant filled", position, word);
      return false;
    } else {
      m.entries[i] = m.slots[static_cast<size_t>(word)];
      // The slot index stands where the cell's address was.
      AddLog("Flow %d, Argument change %d pt %d", position, *m.entries[i], word);
    }
  }
  return true;
}

void Run(Machine& m, uint64_t stepBudget) {
  for (uint64_t steps = 0; !m.stopped && m.entries[m.position] != nullptr; ++steps) {
    const int position = static_cast<int>(m.position);
    if (steps == stepBudget) {
      AddLog("Flow %d : step budget spent", position);
      return m.Stop();
    }
    const int32_t command = *m.entries[m.position];
    if (command < 0 || static_cast<size_t>(command) >= kOpcodeCount ||
        ScriptOpcodeTable[static_cast<size_t>(command)].handler == nullptr) {
      AddLog("Flow %d : unknown command %d", position, command);
      return m.Stop();
    }
    const Opcode& opcode = ScriptOpcodeTable[static_cast<size_t>(command)];
    if (m.position + opcode.advance > m.FlowCount()) {
      AddLog("Flow %d : command %d lacks its arguments", position, command);
      return m.Stop();
    }
    opcode.handler(m);
  }
}

}  // namespace

int32_t RunScriptImage(std::span<const uint8_t> image, uint64_t stepBudget, uint64_t pixelBudget) {
  if (!IsScriptFile(image)) return 1;
  const std::optional<ScriptFile> script = ReadScriptFile(image);
  if (!script) {
    AddLog("Script : flow and constants do not fit the file");
    return 1;
  }
  Machine m;
  m.pixelBudget = pixelBudget;
  if (Link(m, *script)) {
    FillOpcodeTable();
    Run(m, stepBudget);
    CloseWindow(m);
    if (!m.stopped) {
      for (size_t i = 0; i < m.FlowCount(); ++i) {
        AddLog("Flow %d : contains %d", static_cast<int>(i), *m.entries[i]);
      }
    }
  }
  // The script's own references: a device that became current keeps the library's.
  SafeRelease(m.device);
  SafeRelease(m.direct3d);
  return 1;
}

int32_t LoadScript(const char* fileName) {
  if (fileName == nullptr || fileName[0] == '\0') return 1;
  const auto image = win::ReadFileBytes(HostPath(fileName), kMaxScriptBytes);
  if (!image) {
    AddLog("Script : can't read %s", fileName);
    return 1;
  }
  return RunScriptImage(*image, std::numeric_limits<uint64_t>::max(),
                        std::numeric_limits<uint64_t>::max());
}
