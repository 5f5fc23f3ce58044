// One fault at a time over the game's start-up and first frames. A clean run counts the device
// calls and the toolkit's allocations of a step; then each of them in turn is made to fail:
// in SetUpDevice (with its two fonts), in each of the 21 picture loads, in the first frames on
// map 11 and on the boss map. The game never looks at a result, so after every fault it simply
// goes on: the next frame runs and a picture that did not load draws nothing. Then everything
// is released, and each object must go with its last reference, leaving nothing alive on the
// device or in GDI.
//
// Each allocation is refused twice over: alone, the work going on after it, and as the start
// of a spell of refusals that lasts to the end of the step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/graphics.h"
#include "app/shell.h"
#include "game/enemies.h"
#include "game/harness/game_driver.h"
#include "game/harness/playthrough_bot.h"
#include "game/harness/world_reset.h"
#include "game/levels.h"
#include "game/scene.h"
#include "game/sheet_table.h"
#include "game/text_overlay.h"
#include "game/world.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/test_device.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/win32/modules.h"
#include "platform/win32/window.h"
#include "toolkit/common/allocation.h"
#include "toolkit/font/d3dx_font.h"
#include "toolkit/font/text_services.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/sprite/d3dx_sprite.h"
#include "toolkit/surface/d3dx_surface.h"

namespace {

constexpr HRESULT kInjectedFailure = D3DERR_INVALIDCALL;

ULONG CountOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

template <class Interface>
void ExpectLastRelease(Interface*& object, const std::string& what) {
  if (object == nullptr) return;
  EXPECT_EQ(0u, object->Release()) << what << " outlived its last release";
  object = nullptr;
}

// What a step of a clean run asks of the device and of the allocator.
struct StepCost {
  unsigned calls = 0;
  long long allocations = 0;
};

StepCost Measure(const d3d9::TestSetup& setup, const std::function<void()>& step) {
  const unsigned calls = setup.TotalCallCount();
  const long long allocations = testing_hooks::AllocationsAsked();
  step();
  return {setup.TotalCallCount() - calls, testing_hooks::AllocationsAsked() - allocations};
}

// The index-th device call or allocation of a step, from 0.
enum class FaultKind { kDeviceCall, kAllocation, kAllocationSpell };

struct FaultPoint {
  FaultKind kind = FaultKind::kDeviceCall;
  unsigned index = 0;
  bool IsAllocation() const { return kind != FaultKind::kDeviceCall; }
};

std::vector<FaultPoint> PointsOf(StepCost cost) {
  std::vector<FaultPoint> points;
  for (unsigned i = 0; i < cost.calls; ++i) points.push_back({FaultKind::kDeviceCall, i});
  for (long long i = 0; i < cost.allocations; ++i) {
    for (FaultKind kind : {FaultKind::kAllocation, FaultKind::kAllocationSpell}) {
      points.push_back({kind, static_cast<unsigned>(i)});
    }
  }
  return points;
}

std::string Describe(const FaultPoint& point) {
  const char* kinds[] = {"device call ", "allocation ", "allocations from "};
  return kinds[static_cast<int>(point.kind)] + std::to_string(point.index);
}

// Arms one fault for the coming step, counted from where calls and allocations stand now.
class ArmedFault {
 public:
  ArmedFault(d3d9::TestSetup& testSetup, FaultPoint faultPoint)
      : setup(testSetup),
        point(faultPoint),
        callBase(testSetup.TotalCallCount()),
        allocationBase(testing_hooks::AllocationsAsked()) {
    const int allowed = static_cast<int>(point.index);
    switch (point.kind) {
      case FaultKind::kDeviceCall:
        setup.FailAnyCall(callBase + point.index + 1, kInjectedFailure);
        break;
      case FaultKind::kAllocation:
        testing_hooks::FailOneAllocationAfter(allowed);
        break;
      case FaultKind::kAllocationSpell:
        testing_hooks::FailAllocationAfter(allowed);
        break;
    }
  }
  ArmedFault(const ArmedFault&) = delete;
  ArmedFault& operator=(const ArmedFault&) = delete;
  ~ArmedFault() { Disarm(); }

  // Ends the fault; false when the step never came to it (it went another way than the
  // clean run).
  bool Disarm() {
    setup.ClearFaults();
    testing_hooks::FailAllocationAfter(-1);
    if (point.IsAllocation()) {
      return testing_hooks::AllocationsAsked() - allocationBase > point.index;
    }
    return setup.TotalCallCount() - callBase > point.index;
  }

 private:
  d3d9::TestSetup& setup;
  FaultPoint point;
  unsigned callBase;
  long long allocationBase;
};

// The sheet table's row for sheet `index`.
const SheetRow& RowOf(int32_t index) {
  for (const SheetRow& row : kSheetTable) {
    if (row.index == index) return row;
  }
  return kSheetTable[0];
}

void LoadRow(const SheetRow& row) {
  LoadSheet(row.index, row.file, row.colorKey, row.frameWidth, row.frameHeight, row.frameCount,
            row.anchorX, row.anchorY, row.frameDelay);
}

// ResetWorld without losing the pictures.
void ResetWorldKeepingSheets() {
  SpriteSheet kept[kSheetCount];
  std::memcpy(kept, sheets, sizeof kept);
  ResetWorld();
  std::memcpy(sheets, kept, sizeof kept);
}

// The hero as the story screen sets him up, on his way into the boss map.
void PutOnBossMap() {
  ResetWorldKeepingSheets();
  SpawnObject(heroIndex, HeroWalkSheet(0), 0.0f, 0.0f, 20, 10, 0, 0, -1, 0, 0, 0);
  gameState = Playing;
  currentMap = kBossMap;
  entryX = 28;
  entryY = 14;
  entryHealth = 20;
}

// The cover, the story, then map 11 as the bot plays it.
void StartNewGame() { ResetWorldKeepingSheets(); }

// How a frame is played: without the device (as after a failed start-up: the world moves on,
// the device and the toolkit see nothing), without the map's sprite batch, or in full.
enum class Drawing { kNone, kWithoutMap, kFull };

void PlayFrame(GameDriver& driver, const PlaythroughBot& bot, Drawing drawing = Drawing::kFull) {
  IDirect3DDevice9* const keptDevice = device;
  ID3DXSprite* const keptSprite = sprite;
  if (drawing == Drawing::kNone) device = nullptr;
  if (drawing == Drawing::kWithoutMap) sprite = nullptr;
  driver.Frame(bot.NextKeys());
  device = keptDevice;
  sprite = keptSprite;
}

class StartupFaultSweep : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    ASSERT_TRUE(CreateGameWindow(GetModuleHandleA(nullptr)));
    ResetWorld();
    // The stock objects come with the first DC; they are no leak.
    DeleteDC(CreateCompatibleDC(nullptr));
    gdiObjects = gdi::ObjectCount();
  }
  void TearDown() override {
    ReleaseAndExpectNothingLeft("at the end");
    DestroyWindow(window);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassA(gameTitle, GetModuleHandleA(nullptr));
    window = nullptr;
  }

  // Start-up's first step on a fresh adapter, the text services probed afresh as in a new
  // process.
  void SetUpGraphics() {
    setup = std::make_shared<d3d9::TestSetup>();
    testing_hooks::ForgetTextServicesProbe();
    SetUpDeviceOn(d3d9::CreateTestDirect3D(setup));
  }

  // Releases what start-up made. The device goes first, so that what a fault left bound to it
  // is no leak; every object made on the device holds its Direct3D object through it, so
  // Direct3D going at its last release shows that none outlived it.
  void ReleaseAndExpectNothingLeft(const std::string& where) {
    SCOPED_TRACE(where);
    ExpectLastRelease(sprite, "the sprite");
    ExpectLastRelease(directionFont, "the direction font");
    ExpectLastRelease(creditFont, "the credit font");
    ExpectLastRelease(device, "the device");
    for (SpriteSheet& sheet : sheets) {
      ExpectLastRelease(sheet.texture, "a picture");
      sheet = SpriteSheet{};
    }
    ExpectLastRelease(d3d, "Direct3D (an object made on the device is alive)");
    EXPECT_EQ(gdi::ObjectCount(), gdiObjects) << "GDI objects left behind";
  }

  // Operation names of the calls logged since the log was last cleared.
  std::vector<std::string> Operations() const {
    std::vector<std::string> names;
    for (const d3d9::CallRecord& call : setup->Log()) names.push_back(call.operation);
    return names;
  }

  std::shared_ptr<d3d9::TestSetup> setup;
  std::size_t gdiObjects = 0;
};

// --- SetUpDevice and its two fonts ---------------------------------------------------------------

// The frames that follow a faulty set-up: the boss map (sprite, bars and both fonts) with the
// pictures it shows.
void PlayBossMapBriefly() {
  for (int32_t index : {kTileSheet, HeroWalkSheet(0), kBoss.walkSheet}) LoadRow(RowOf(index));
  PutOnBossMap();
  GameDriver driver;
  PlaythroughBot bot;
  for (int frame = 0; frame < 2; ++frame) PlayFrame(driver, bot);
}

TEST_F(StartupFaultSweep, SetUpDevice) {
  setup = std::make_shared<d3d9::TestSetup>();
  testing_hooks::ForgetTextServicesProbe();
  IDirect3D9* const cleanDirect3d = d3d9::CreateTestDirect3D(setup);
  const StepCost cost = Measure(*setup, [&] { SetUpDeviceOn(cleanDirect3d); });
  ASSERT_NE(directionFont, nullptr);
  ASSERT_NE(creditFont, nullptr);
  ReleaseAndExpectNothingLeft("clean set-up");
  ASSERT_GE(cost.calls, 10u);
  ASSERT_GE(cost.allocations, 3);
  RecordProperty("deviceCalls", static_cast<int>(cost.calls));
  RecordProperty("allocations", static_cast<int>(cost.allocations));

  for (const FaultPoint& point : PointsOf(cost)) {
    const std::string where = "set-up, " + Describe(point);
    SCOPED_TRACE(where);
    setup = std::make_shared<d3d9::TestSetup>();
    testing_hooks::ForgetTextServicesProbe();
    IDirect3D9* const direct3d = d3d9::CreateTestDirect3D(setup);
    {
      ArmedFault fault(*setup, point);
      SetUpDeviceOn(direct3d);
      EXPECT_TRUE(fault.Disarm()) << "not reached";
    }
    PlayBossMapBriefly();
    ReleaseAndExpectNothingLeft(where);
    if (HasFailure()) return;  // the points after the first faulty one tend to fail alike
  }
}

// The toolkit's creation calls of start-up, with the game's arguments, each fault in turn: a
// failure leaves the caller's pointer as it was, a success hands over an object with one
// reference. The game's own pointers start null, where a stray write would go unseen.
class CreationFaultSweep : public StartupFaultSweep {
 protected:
  template <class Interface>
  void Sweep(const std::string& what, const std::function<HRESULT(Interface**)>& create) {
    Interface* const untouched = reinterpret_cast<Interface*>(std::uintptr_t{0x5EED0});
    Interface* made = untouched;
    const StepCost cost = Measure(*setup, [&] { EXPECT_EQ(S_OK, create(&made)); });
    ExpectLastRelease(made, what);
    const unsigned objectsMade = d3d9::LiveObjectCount(device);
    for (const FaultPoint& point : PointsOf(cost)) {
      SCOPED_TRACE(what + ", " + Describe(point));
      made = untouched;
      HRESULT result = S_OK;
      {
        ArmedFault fault(*setup, point);
        result = create(&made);
        EXPECT_TRUE(fault.Disarm()) << "not reached";
      }
      if (FAILED(result)) {
        EXPECT_EQ(made, untouched) << "written on failure";
      } else {
        ASSERT_NE(made, untouched) << "not written on success";
        ExpectLastRelease(made, what);
      }
      EXPECT_EQ(d3d9::LiveObjectCount(device), objectsMade) << "objects made on the device leaked";
      if (HasFailure()) return;
    }
  }
};

TEST_F(CreationFaultSweep, CreationCallsWriteTheirResultOnlyOnSuccess) {
  SetUpGraphics();
  ASSERT_NE(device, nullptr);
  Sweep<ID3DXSprite>("the sprite", [](ID3DXSprite** out) { return D3DXCreateSprite(device, out); });
  Sweep<ID3DXFont>("the direction font", [](ID3DXFont** out) {
    return D3DXCreateFontA(device, 24, 0, 0, 0, FALSE, 0, 0, 0, 0, "Times New Roman Italic", out);
  });
  const SheetRow& tiles = RowOf(kTileSheet);
  Sweep<IDirect3DTexture9>("the tile picture", [&](IDirect3DTexture9** out) {
    D3DXIMAGE_INFO info{};
    return D3DXCreateTextureFromFileExA(device, tiles.file, 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                        D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE,
                                        tiles.colorKey, &info, nullptr, out);
  });
}

// --- The 21 pictures -----------------------------------------------------------------------------

class PictureFaultSweep : public StartupFaultSweep,
                          public ::testing::WithParamInterface<int> {};

// Level 0 of a texture, row after row over the picture's own size.
std::vector<uint32_t> Texels(IDirect3DTexture9* texture, int32_t width, int32_t height) {
  std::vector<uint32_t> texels;
  D3DLOCKED_RECT locked{};
  if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return texels;
  for (int32_t y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) +
                                                        std::size_t(y) * locked.Pitch);
    texels.insert(texels.end(), row, row + width);
  }
  texture->UnlockRect(0);
  return texels;
}

D3DSURFACE_DESC LevelDesc(IDirect3DTexture9* texture) {
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  return desc;
}

bool SameLayout(const D3DSURFACE_DESC& a, const D3DSURFACE_DESC& b) {
  return a.Width == b.Width && a.Height == b.Height && a.Format == b.Format;
}

bool PresentedBlack() {
  const d3d9::PresentedFrame* frame = d3d9::LastPresentedFrame(device);
  if (frame == nullptr) return false;
  for (uint32_t pixel : frame->pixels) {
    if ((pixel & 0x00FFFFFF) != 0) return false;
  }
  return true;
}

TEST_P(PictureFaultSweep, LoadSheet) {
  const SheetRow& row = kSheetTable[GetParam()];
  SetUpGraphics();
  ASSERT_NE(device, nullptr);
  SpriteSheet& sheet = sheets[row.index];

  setup->ClearLog();
  const StepCost cost = Measure(*setup, [&] { LoadRow(row); });
  const std::vector<std::string> operations = Operations();
  ASSERT_NE(sheet.texture, nullptr);
  DrawScreenPicture(row.index);  // the sprite makes its buffers and state blocks
  const int32_t width = sheet.imageWidth;
  const int32_t height = sheet.imageHeight;
  const D3DSURFACE_DESC layout = LevelDesc(sheet.texture);
  const std::vector<uint32_t> picture = Texels(sheet.texture, width, height);
  ExpectLastRelease(sheet.texture, row.file);
  const unsigned objectsMade = d3d9::LiveObjectCount(device);
  ASSERT_GE(cost.calls, 10u);
  ASSERT_GE(cost.allocations, 3);
  RecordProperty("deviceCalls", static_cast<int>(cost.calls));
  RecordProperty("allocations", static_cast<int>(cost.allocations));

  for (const FaultPoint& point : PointsOf(cost)) {
    const std::string where = std::string(row.file) + ", " + Describe(point);
    SCOPED_TRACE(where);
    {
      ArmedFault fault(*setup, point);
      LoadRow(row);
      EXPECT_TRUE(fault.Disarm()) << "not reached";
    }
    if (sheet.texture == nullptr) {
      // The size is kept only when the file could be read.
      EXPECT_TRUE((sheet.imageWidth == 0 && sheet.imageHeight == 0) ||
                  (sheet.imageWidth == width && sheet.imageHeight == height));
    } else {
      // A picture handed over as loaded holds the picture, whatever failed on the way.
      EXPECT_EQ(CountOf(sheet.texture), 1u);
      EXPECT_EQ(sheet.imageWidth, width);
      EXPECT_EQ(sheet.imageHeight, height);
      // A failed unlock leaves the level locked on this device; it cannot be read back.
      const bool unlockFailed =
          !point.IsAllocation() && operations[point.index].find("Unlock") != std::string::npos;
      if (SameLayout(LevelDesc(sheet.texture), layout) && !unlockFailed) {
        EXPECT_TRUE(Texels(sheet.texture, width, height) == picture) << "picture spoilt";
      }
    }
    // The next frame shows it, or nothing where it did not load.
    DrawScreenPicture(row.index);
    if (sheet.texture == nullptr) {
      EXPECT_TRUE(PresentedBlack());
    }
    ExpectLastRelease(sheet.texture, row.file);
    EXPECT_EQ(d3d9::LiveObjectCount(device), objectsMade) << "objects made on the device leaked";
    if (HasFailure()) return;
  }
}

std::string PictureName(const ::testing::TestParamInfo<int>& info) {
  std::string name = kSheetTable[info.param].file;
  name = name.substr(name.find('/') + 1);
  name = name.substr(0, name.find('.'));
  for (char& c : name) {
    if (c == '-') c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(EachPicture, PictureFaultSweep, ::testing::Range(0, kSheetRowCount),
                         PictureName);

// --- The first frames ----------------------------------------------------------------------------

// A stretch of play to sweep: where it starts, its frames, whether they draw text, and in how
// many test cases the points of its first frame (which makes the most) are swept.
struct FramePhase {
  const char* name;
  void (*enter)();
  int frames;
  bool drawsText;
  int firstFrameCases;
};

// The cover and the story, then 50 frames on map 11; 50 frames on the boss map, whose first
// frame draws every glyph of both lines into the caches.
constexpr FramePhase kMap11 = {"Map11", StartNewGame, 52, false, 1};
constexpr FramePhase kBossMap = {"BossMap", PutOnBossMap, 50, true, 3};

// One test case: the frames first .. end-1 of a phase, and of their points every `slices`th
// from the `slice`th.
struct FrameRange {
  const FramePhase* phase;
  int first;
  int end;
  int slice = 0;
  int slices = 1;
};

// The operations of one frame and what it cost.
struct FrameRecord {
  StepCost cost;
  std::vector<std::string> operations;
  unsigned primitivesAfter = 0;  // asked for by the frame after it
};

// Frames on a device whose pictures are loaded once. Each fault point starts from a fresh
// sprite (and fresh fonts where the frames draw text), as start-up leaves them, so that the
// work of a first frame (buffers made, queues grown, glyphs drawn into the cache) is swept
// too. Of the frames before the one to fail, those in which a clean run made something are
// drawn, the others played without the device: the world is the same, and the toolkit comes
// to the frame with the same things made. Once the sprite has drawn a map it makes nothing
// more, so later such frames leave out the map's batch and only make their glyphs.
class FrameFaultSweep : public StartupFaultSweep,
                        public ::testing::WithParamInterface<FrameRange> {
 protected:
  void SetUp() override {
    StartupFaultSweep::SetUp();
    // What the frames draw is not examined: a back buffer of a tenth of the screen's width and
    // height keeps the software rasterizer's share of the sweep small; the calls are the same.
    const int32_t fullWidth = screenWidth;
    const int32_t fullHeight = screenHeight;
    screenWidth = fullWidth / 10;
    screenHeight = fullHeight / 10;
    SetUpGraphics();
    screenWidth = fullWidth;
    screenHeight = fullHeight;
    ASSERT_NE(device, nullptr);
    LoadSheets();
    ASSERT_EQ(S_OK, device->CreateStateBlock(D3DSBT_ALL, &startStates));
    ExpectLastRelease(sprite, "the sprite");
    if (Phase().drawsText) {
      ExpectLastRelease(directionFont, "the direction font");
      ExpectLastRelease(creditFont, "the credit font");
    }
    objectsMade = d3d9::LiveObjectCount(device);
    deviceReferences = CountOf(device);
  }
  void TearDown() override {
    ExpectLastRelease(startStates, "the start-up states");
    StartupFaultSweep::TearDown();
  }

  const FramePhase& Phase() const { return *GetParam().phase; }

  void MakeToolkitObjects() {
    startStates->Apply();
    D3DXCreateSprite(device, &sprite);
    if (Phase().drawsText) CreateOverlayFonts();
  }

  // After a fault: the start-up states put back (a fault may have kept the sprite from
  // restoring them), then the sprite and fonts must go, and with them all they made. Only a
  // failed EndStateBlock may leave the device recording.
  void DropToolkitObjects(const std::string& failedOperation) {
    IDirect3DStateBlock9* recorded = nullptr;
    if (SUCCEEDED(device->EndStateBlock(&recorded))) {
      recorded->Release();
      EXPECT_EQ(failedOperation, "EndStateBlock") << "the device was left recording";
    }
    startStates->Apply();
    ExpectLastRelease(sprite, "the sprite");
    if (Phase().drawsText) {
      ExpectLastRelease(directionFont, "the direction font");
      ExpectLastRelease(creditFont, "the credit font");
    }
    EXPECT_EQ(CountOf(device), deviceReferences) << "a reference to the device leaked";
    for (const SpriteSheet& sheet : sheets) {
      if (sheet.texture != nullptr) {
        EXPECT_EQ(CountOf(sheet.texture), 1u) << "picture leaked";
      }
    }
    EXPECT_EQ(d3d9::LiveObjectCount(device), objectsMade) << "objects made on the device leaked";
  }

  // Plays frames 0 .. `last` of the phase, those before `last` drawn where `drawn` says, and
  // one frame more; `fault`, when given, strikes frame `last`. Answers frame `last`'s record
  // with what the frame after it asked to draw.
  FrameRecord Play(int last, const std::vector<bool>& drawn, const FaultPoint* fault,
                   const std::string& failedOperation) {
    MakeToolkitObjects();
    Phase().enter();
    GameDriver driver;
    PlaythroughBot bot;
    bool mapDrawn = false;
    for (int frame = 0; frame < last; ++frame) {
      if (!drawn[frame]) {
        PlayFrame(driver, bot, Drawing::kNone);
        continue;
      }
      const bool drawsMap = gameState == Playing;
      PlayFrame(driver, bot, mapDrawn ? Drawing::kWithoutMap : Drawing::kFull);
      mapDrawn = mapDrawn || drawsMap;
    }
    setup->ClearLog();
    FrameRecord record;
    if (fault == nullptr) {
      record.cost = Measure(*setup, [&] { PlayFrame(driver, bot); });
      record.operations = Operations();
    } else {
      ArmedFault armed(*setup, *fault);
      PlayFrame(driver, bot);
      EXPECT_TRUE(armed.Disarm()) << "not reached";
    }
    setup->ClearLog();
    PlayFrame(driver, bot);
    record.primitivesAfter = PrimitivesAsked();
    DropToolkitObjects(failedOperation);
    return record;
  }

  // Primitives the logged draw calls asked for.
  unsigned PrimitivesAsked() const {
    unsigned primitives = 0;
    for (const d3d9::CallRecord& call : setup->Log()) {
      if (call.operation == "DrawPrimitive") primitives += call.arguments[2];
      if (call.operation == "DrawIndexedPrimitive") primitives += call.arguments[5];
      if (call.operation == "DrawPrimitiveUP") primitives += call.arguments[1];
      if (call.operation == "DrawIndexedPrimitiveUP") primitives += call.arguments[3];
    }
    return primitives;
  }

  // Which frames of a clean run made something: allocated, created, or wrote a texture.
  std::vector<bool> FramesThatMakeSomething() {
    MakeToolkitObjects();
    Phase().enter();
    GameDriver driver;
    PlaythroughBot bot;
    std::vector<bool> makes;
    for (int frame = 0; frame < Phase().frames; ++frame) {
      setup->ClearLog();
      bool made = Measure(*setup, [&] { PlayFrame(driver, bot); }).allocations > 0;
      for (const std::string& operation : Operations()) {
        made = made || operation.rfind("Create", 0) == 0 ||
               operation == "IDirect3DTexture9::LockRect";
      }
      makes.push_back(made);
    }
    DropToolkitObjects("");
    return makes;
  }

  IDirect3DStateBlock9* startStates = nullptr;
  unsigned objectsMade = 0;
  ULONG deviceReferences = 0;
};

TEST_P(FrameFaultSweep, FirstFrames) {
  const FrameRange& range = GetParam();
  const std::vector<bool> drawn = FramesThatMakeSomething();
  StepCost swept;
  int pointNumber = 0;
  for (int frame = range.first; frame < range.end; ++frame) {
    const FrameRecord clean = Play(frame, drawn, nullptr, "");
    for (const FaultPoint& point : PointsOf(clean.cost)) {
      if (pointNumber++ % range.slices != range.slice) continue;
      SCOPED_TRACE(std::string(Phase().name) + ", frame " + std::to_string(frame) + ", " +
                   Describe(point));
      const std::string failedOperation =
          point.IsAllocation() ? "" : clean.operations[point.index];
      const FrameRecord faulty = Play(frame, drawn, &point, failedOperation);
      // The toolkit gets over the fault: the next frame draws as much as without it. A failed
      // unlock or EndStateBlock leaves this device locked or recording for good.
      const bool deviceStuck = failedOperation.find("Unlock") != std::string::npos ||
                               failedOperation == "EndStateBlock";
      if (!deviceStuck) {
        EXPECT_EQ(faulty.primitivesAfter, clean.primitivesAfter) << "the next frame drew less";
      }
      if (HasFailure()) return;
      if (point.kind == FaultKind::kDeviceCall) ++swept.calls;
      if (point.kind == FaultKind::kAllocation) ++swept.allocations;
    }
  }
  ASSERT_GE(swept.calls, 40u * (range.end - range.first) / range.slices);
  RecordProperty("deviceCalls", static_cast<int>(swept.calls));
  RecordProperty("allocations", static_cast<int>(swept.allocations));
}

std::string NameOf(const FrameRange& range) {
  std::string name = std::string(range.phase->name);
  name += range.end - range.first == 1 ? "Frame" + std::to_string(range.first)
                                       : "Frames" + std::to_string(range.first) + "To" +
                                             std::to_string(range.end - 1);
  if (range.slices > 1) {
    name += "Part" + std::to_string(range.slice + 1) + "Of" + std::to_string(range.slices);
  }
  return name;
}

void PrintTo(const FrameRange& range, std::ostream* out) { *out << NameOf(range); }

std::string RangeName(const ::testing::TestParamInfo<FrameRange>& info) {
  return NameOf(info.param);
}

// Cases of at most three frames each keep within seconds in the sanitizer build.
std::vector<FrameRange> FrameRanges() {
  constexpr int kFramesPerCase = 3;
  std::vector<FrameRange> ranges;
  for (const FramePhase* phase : {&kMap11, &kBossMap}) {
    int first = 0;
    if (phase->firstFrameCases > 1) {
      for (int slice = 0; slice < phase->firstFrameCases; ++slice) {
        ranges.push_back({phase, 0, 1, slice, phase->firstFrameCases});
      }
      first = 1;
    }
    while (first < phase->frames) {
      const int end = std::min((first / kFramesPerCase + 1) * kFramesPerCase, phase->frames);
      ranges.push_back({phase, first, end});
      first = end;
    }
  }
  return ranges;
}

INSTANTIATE_TEST_SUITE_P(Phases, FrameFaultSweep, ::testing::ValuesIn(FrameRanges()), RangeName);

}  // namespace
