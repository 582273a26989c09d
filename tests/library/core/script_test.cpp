// The script interpreter, headless: scripts from the tests' writer, their exact log lines, bad
// files of every kind, and the window command's window and device.
#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "library/core/frame/script.h"
#include "library/core/vortanautil.h"
#include "library_fixture.h"
#include "platform/win/window_messages.h"
#include "script_writer.h"

namespace {

using namespace d3d;
using Lines = std::vector<std::string>;

class Script : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    opening_ = LogMessages().size();
  }

  void TearDown() override {
    win::SetMessagePumpHook(nullptr);
    SetDirect3DCreator(nullptr);
    if (device_ != nullptr) {
      EXPECT_TRUE(ShutDownAndRelease());
    } else {
      EXPECT_EQ(ShutDownDevice(), 0);  // the script's device, when it left one, was the last
    }
    LibraryTest::TearDown();
  }

  // The log lines the script wrote.
  Lines Run(const std::vector<uint8_t>& bytes) {
    const std::string file = (Folder() / "script.bin").string();
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    EXPECT_EQ(LoadScript(file.c_str()), 1);
    return NewLines();
  }
  Lines Run(const ScriptSource& source) { return Run(source.Bytes()); }

  Lines NewLines() {
    Lines all = LogMessages();
    Lines added(all.begin() + static_cast<std::ptrdiff_t>(opening_), all.end());
    opening_ = all.size();
    return added;
  }

  static std::string Contains(int position, int32_t value) {
    return "Flow " + std::to_string(position) + " : contains " + std::to_string(value);
  }

  size_t opening_ = 0;
};

TEST_F(Script, AFileWithoutTheMagicIsIgnored) {
  EXPECT_EQ(Run(std::vector<uint8_t>{'E', 'D', 'O', 'C', 0, 0, 0, 0}), Lines{});
  EXPECT_EQ(Run(std::vector<uint8_t>{'C', 'O'}), Lines{});
  EXPECT_EQ(LoadScript((Folder() / "missing.bin").string().c_str()), 1);
  EXPECT_EQ(NewLines().size(), 1u);
}

TEST_F(Script, IntegerAdditionLogsEveryStepOfLoadingLinkingAndTheResult) {
  const ScriptSource source{{2, 0, 1, 2, -1}, {}, {{0, 3}, {1, 4}, {2, 0}}, 3};
  const Lines expected = {"Flow loading",
                          "Flow 0 : 2",
                          "Flow 1 : 0",
                          "Flow 2 : 1",
                          "Flow 3 : 2",
                          "Flow 4 : -1",
                          "Float Loading",
                          "Transform Flow into Machine data",
                          "Flow 0, Command : 2",
                          "Flow 1, Argument change 3 pt 0",
                          "Flow 2, Argument change 4 pt 1",
                          "Flow 3, Argument change 0 pt 2",
                          "Flow 4, End Command",
                          "Flow 0 : contains 2",
                          "Flow 1 : contains 3",
                          "Flow 2 : contains 4",
                          "Flow 3 : contains 7",
                          "Flow 4 : contains -1"};
  EXPECT_EQ(Run(source), expected);
}

TEST_F(Script, CommandsComputeWhatTheClosingLinesShow) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  struct Case {
    const char* name;
    ScriptSource source;
    int position;  // of the flow entry whose slot holds the result
    int32_t value;
  };
  const Case cases[] = {
      {"float add",
       {{1, 0, 0, 1, -1}, {{0, 2.5f}, {1, 0.0f}}, {}, 2},
       3,
       std::bit_cast<int32_t>(5.0f)},
      {"multiply", {{3, 0, 1, 2, -1}, {}, {{0, 6}, {1, -7}, {2, 0}}, 3}, 3, -42},
      {"move", {{6, 0, 1, -1}, {}, {{0, 99}, {1, 0}}, 2}, 2, 99},
      {"add wraps",
       {{2, 0, 1, 0, -1}, {}, {{0, kMax}, {1, 1}}, 2},
       3,
       std::numeric_limits<int32_t>::min()},
      {"multiply wraps", {{3, 0, 0, 1, -1}, {}, {{0, 65536}, {1, 5}}, 2}, 3, 0},
      // The jump skips the add that would have made 7; the move then copies the 3.
      {"forward jump",
       {{50, 8, -1, 2, 0, 1, 2, -1, 6, 0, 2, -1}, {}, {{0, 3}, {1, 4}, {2, 0}}, 3},
       6,
       3},
      // A jump into an instruction's arguments runs the slots' values as commands: 6 moves slot 1
      // into slot 0.
      {"jump into arguments", {{50, 4, -1, 2, 0, 1, 0, -1}, {}, {{0, 6}, {1, 50}}, 2}, 4, 50},
  };
  for (const Case& c : cases) {
    const Lines lines = Run(c.source);
    bool found = false;
    for (const std::string& line : lines) found = found || line == Contains(c.position, c.value);
    EXPECT_TRUE(found) << c.name << ": " << lines.back();
  }
}

TEST_F(Script, BadFilesStopWithOneLineAndNoRun) {
  const ScriptSource add{{2, 0, 1, 2, -1}, {}, {{0, 3}, {1, 4}, {2, 0}}, 3};
  std::vector<uint8_t> longFlow = add.Bytes();
  SetHeaderWord(longFlow, kFlowCount, 1 << 28);
  std::vector<uint8_t> negativeCount = add.Bytes();
  SetHeaderWord(negativeCount, kIntegerCount, -1);
  std::vector<uint8_t> manyConstants = add.Bytes();
  SetHeaderWord(manyConstants, kFloatCount, 0x7FFFFFFF);
  std::vector<uint8_t> manySlots = add.Bytes();
  SetHeaderWord(manySlots, kSlots, 0x7FFFFFFF);
  std::vector<uint8_t> truncated = add.Bytes();
  truncated.resize(truncated.size() - 4);
  struct Case {
    std::vector<uint8_t> bytes;
    std::string line;
  };
  const std::string doesNotFit = "Script : flow and constants do not fit the file";
  const Case cases[] = {
      {longFlow, doesNotFit},
      {negativeCount, doesNotFit},
      {manyConstants, doesNotFit},
      {manySlots, doesNotFit},
      {truncated, doesNotFit},
      {ScriptSource{{2, 0, 1, 2, -1}, {{5, 1.0f}}, {}, 2}.Bytes(),
       "Float 0 : slot 5 outside the 2 slots"},
      {ScriptSource{{2, 0, 1, 2, -1}, {}, {{0, 1}, {-1, 1}}, 2}.Bytes(),
       "Integer 1 : slot -1 outside the 2 slots"},
      {ScriptSource{{2, 0, 9, 2, -1}, {}, {{0, 3}, {1, 4}, {2, 0}}, 3}.Bytes(),
       "Flow 2, Argument 9 outside the 3 slots"},
      {ScriptSource{{2, 0, 1, 2, -1}, {}, {{0, 3}, {1, 4}}, 3}.Bytes(),
       "Flow 3, Argument 2 names a slot no constant filled"},
      {ScriptSource{{7, -1}, {}, {}, 0}.Bytes(), "Flow 0 : unknown command 7"},
      {ScriptSource{{100, -1}, {}, {}, 0}.Bytes(), "Flow 0 : unknown command 100"},
      {ScriptSource{{-5, -1}, {}, {}, 0}.Bytes(), "Flow 0 : unknown command -5"},
      {ScriptSource{{11, -1, 2, 0, 1}, {}, {{0, 3}, {1, 4}}, 2}.Bytes(),
       "Flow 2 : command 2 lacks its arguments"},
      {ScriptSource{{50, 99, -1}, {}, {}, 0}.Bytes(), "Flow 0 : jump to 99 outside the flow"},
      {ScriptSource{{50, -3, -1}, {}, {}, 0}.Bytes(), "Flow 0 : jump to -3 outside the flow"},
      {WindowScript(0, 100).Bytes(), "Flow 0 : window size 0 x 100 refused"},
      {WindowScript(100, 1 << 30).Bytes(), "Flow 0 : window size 100 x 1073741824 refused"},
  };
  for (const Case& c : cases) {
    const Lines lines = Run(c.bytes);
    ASSERT_FALSE(lines.empty()) << c.line;
    EXPECT_EQ(lines.back(), c.line);
    size_t contains = 0;
    for (const std::string& line : lines) contains += line.find(": contains") != std::string::npos;
    EXPECT_EQ(contains, 0u) << c.line;
  }
}

TEST_F(Script, AnEndlessLoopStopsAtTheStepBudget) {
  const std::vector<uint8_t> loop = ScriptSource{{50, 0, -1}, {}, {}, 0}.Bytes();
  EXPECT_EQ(RunScriptImage(loop, 1000), 1);
  EXPECT_EQ(NewLines().back(), "Flow 0 : step budget spent");
}

// A step may go over every pixel of a large window: clears and presents stop at a pixel budget
// long before the step budget, the window's pixels counted at each.
TEST_F(Script, ClearsAndPresentsStopAtThePixelBudget) {
  ScriptSource loop = WindowScript(100, 10);
  loop.flow.insert(loop.flow.end(), {50, 4, -1});  // back to the clear
  EXPECT_EQ(RunScriptImage(loop.Bytes(), 1'000'000, 8 * 1000 + 999), 1);
  const Lines lines = NewLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Flow 4 : pixel budget spent") << "the fifth clear, after four of each";
}

// What the pump hook saw of the script's window and device.
struct Seen {
  int pumps = 0;
  int closeAfter = 0;  // pumps; 0: the user never closes the window
  win::HWND window = nullptr;
  bool open = false;
  std::string title;
  int32_t clientWidth = 0, clientHeight = 0;
};
Seen seen;

void WatchScriptWindow() {
  IDirect3DDevice8* device = nullptr;
  Internal_GetDevice(&device);
  D3DDEVICE_CREATION_PARAMETERS creation{};
  if (device == nullptr || FAILED(device->GetCreationParameters(&creation))) return;
  seen.window = creation.hFocusWindow;
  seen.open = win::IsWindow(seen.window);
  if (!seen.open) return;
  seen.title = win::WindowTitle(seen.window);
  win::GetClientSize(seen.window, &seen.clientWidth, &seen.clientHeight);
  if (++seen.pumps == seen.closeAfter) win::PostMessageA(seen.window, win::WM_CLOSE, 0, 0);
}

TEST_F(Script, TheWindowCommandOpensAWindowAndDeviceThatStaysCurrent) {
  seen = {};
  win::SetMessagePumpHook(WatchScriptWindow);
  Run(WindowScript(320, 200));
  EXPECT_TRUE(seen.pumps > 0 && seen.open);
  EXPECT_EQ(seen.title, "Vortana Script");
  EXPECT_EQ(seen.clientWidth, 320);
  EXPECT_EQ(seen.clientHeight, 200);
  EXPECT_FALSE(win::IsWindow(seen.window)) << "closed at the end of the run";

  IDirect3DDevice8* device = nullptr;
  Internal_GetDevice(&device);
  ASSERT_NE(device, nullptr);
  D3DDEVICE_CREATION_PARAMETERS creation{};
  device->GetCreationParameters(&creation);
  EXPECT_EQ(creation.AdapterOrdinal, 0u);
  EXPECT_EQ(creation.DeviceType, D3DDEVTYPE_HAL);
  EXPECT_EQ(creation.BehaviorFlags, D3DCREATE_SOFTWARE_VERTEXPROCESSING);
  IDirect3DSurface8* surface = nullptr;
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
  surface->GetDesc(&desc);
  surface->Release();
  EXPECT_EQ(desc.Width, 320u);
  EXPECT_EQ(desc.Height, 200u);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  ASSERT_EQ(device->GetDepthStencilSurface(&surface), D3D_OK);
  surface->GetDesc(&desc);
  surface->Release();
  EXPECT_EQ(desc.Format, D3DFMT_D16);

  HeadlessControl* control = Headless(device);
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control->PresentCount(), 1u);
  const PresentedImage* image = control->Presented(seen.window);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 320u);
  EXPECT_EQ(image->pixels, std::vector<D3DCOLOR>(320 * 200, 0xff000000));
}

TEST_F(Script, ClosingTheWindowEndsALoopingScript) {
  seen = {};
  seen.closeAfter = 3;
  win::SetMessagePumpHook(WatchScriptWindow);
  // Open, then clear and present again and again.
  const Lines lines =
      Run(ScriptSource{{10, 0, 1, -1, 11, -1, 12, -1, 50, 4, -1}, {}, {{0, 64}, {1, 48}}, 2});
  EXPECT_EQ(lines.back(), "Flow 6 : the script window was closed, run ended");
  IDirect3DDevice8* device = nullptr;
  Internal_GetDevice(&device);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(Headless(device)->PresentCount(), 3u);
}

// The creation object the script gets, kept by the test to see what the script left of it.
IDirect3D8* scriptDirect3D = nullptr;
IDirect3D8* HandOutScriptDirect3D() {
  scriptDirect3D->AddRef();
  return scriptDirect3D;
}

TEST_F(Script, WithTheEnginesDeviceCurrentTheScriptDrawsOnItsOwnAndReleasesIt) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  scriptDirect3D = CreateHeadlessDirect3D();
  SetDirect3DCreator(HandOutScriptDirect3D);
  Run(WindowScript(64, 48));
  IDirect3DDevice8* current = nullptr;
  Internal_GetDevice(&current);
  EXPECT_EQ(current, device_);
  EXPECT_EQ(Control()->PresentCount(), 0u);
  scriptDirect3D->AddRef();
  EXPECT_EQ(scriptDirect3D->Release(), 1u) << "the script's device and object are released";
  scriptDirect3D->Release();
}

TEST_F(Script, ASecondWindowCommandReplacesTheFirstWindowAndDevice) {
  scriptDirect3D = CreateHeadlessDirect3D();
  SetDirect3DCreator(HandOutScriptDirect3D);
  Run(ScriptSource{{10, 0, 1, -1, 10, 1, 0, -1}, {}, {{0, 64}, {1, 48}}, 2});
  IDirect3DDevice8* current = nullptr;
  Internal_GetDevice(&current);
  ASSERT_NE(current, nullptr);
  D3DDEVICE_CREATION_PARAMETERS creation{};
  current->GetCreationParameters(&creation);
  EXPECT_FALSE(win::IsWindow(creation.hFocusWindow));
  scriptDirect3D->AddRef();
  // Ours, and the one the current device holds: the first device is gone.
  EXPECT_EQ(scriptDirect3D->Release(), 2u);
  EXPECT_EQ(ShutDownDevice(), 0);
  EXPECT_EQ(scriptDirect3D->Release(), 0u);
}

TEST_F(Script, AFailedDeviceIsReportedWithoutBlockingAndTheRunGoesOn) {
  HeadlessConfig failing;
  failing.createDeviceResult = D3DERR_NOTAVAILABLE;
  scriptDirect3D = CreateHeadlessDirect3D(failing);
  SetDirect3DCreator(HandOutScriptDirect3D);
  testing::internal::CaptureStderr();
  const Lines lines = Run(WindowScript(64, 48));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Error !!!: Error !!"), std::string::npos);
  bool reported = false;
  for (const std::string& line : lines) reported = reported || line == "Error !!";
  EXPECT_TRUE(reported);
  EXPECT_EQ(lines.back(), Contains(7, -1)) << "the run went on to its end";
  IDirect3DDevice8* current = nullptr;
  Internal_GetDevice(&current);
  EXPECT_EQ(current, nullptr);
  EXPECT_EQ(scriptDirect3D->Release(), 0u);
}

// The fuzz target's seeds are what the writer writes; MAROVIN_WRITE_CORPUS=1 writes them anew.
TEST(ScriptCorpus, SeedsAreTheWritersScripts) {
  const std::filesystem::path folder =
      std::filesystem::path(MAROVIN_FIXTURES) / "../../fuzz/script/corpus";
  const std::pair<const char*, ScriptSource> seeds[] = {
      {"add.bin", {{2, 0, 1, 2, -1}, {}, {{0, 3}, {1, 4}, {2, 0}}, 3}},
      {"float_add.bin", {{1, 0, 0, 1, -1}, {{0, 2.5f}, {1, 0.0f}}, {}, 2}},
      {"multiply_move.bin", {{3, 0, 1, 2, -1, 6, 2, 0, -1}, {}, {{0, 6}, {1, 7}, {2, 0}}, 3}},
      {"jump.bin", {{50, 8, -1, 2, 0, 1, 2, -1, 6, 0, 2, -1}, {}, {{0, 3}, {1, 4}, {2, 0}}, 3}},
      {"loop.bin", {{2, 0, 1, 0, -1, 50, 0, -1}, {}, {{0, 1}, {1, 1}}, 2}},
      {"window.bin", WindowScript(32, 24)},
      {"window_loop.bin", {{10, 0, 1, -1, 11, -1, 12, -1, 50, 4, -1}, {}, {{0, 16}, {1, 16}}, 2}},
      {"bad_slot.bin", {{2, 0, 9, 2, -1}, {}, {{0, 3}}, 3}},
  };
  const bool write = std::getenv("MAROVIN_WRITE_CORPUS") != nullptr;
  for (const auto& [name, source] : seeds) {
    const std::vector<uint8_t> bytes = source.Bytes();
    const std::filesystem::path file = folder / name;
    if (write) {
      std::ofstream(file, std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    }
    std::ifstream stored(file, std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(stored), {}), bytes) << name;
  }
}

}  // namespace
