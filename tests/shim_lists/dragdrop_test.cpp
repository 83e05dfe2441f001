// Dropped files reaching window procedures as records, the drop hooks,
// promised files, drags out of the program, and the calls that answer "not
// available" on this desktop.

#include <string.h>
#include <sys/stat.h>

#include <string>

#include "lists_fixture.h"
#include "platform/drag.h"
#include "platform/panels.h"
#include "temp_dir.h"

namespace {

class Drops : public ListsTest {
protected:
  void SetUp() override {
    ListsTest::SetUp();
    SHIM_Hwnd(dlg)->shimSetExtendedStyle(WS_EX_ACCEPTFILES);
  }
  void TearDown() override {
    SHIM_DDrop_onDragEnter = nullptr;
    SHIM_DDrop_onDragOver = nullptr;
    SHIM_DDrop_onDragLeave = nullptr;
    SHIM_DDrop_getDroppedFileTargetPath = nullptr;
    plat::setFileDragStarter(nullptr);
    SHIM_FinishDragDrop();
    ListsTest::TearDown();
  }
  // A drag at a point of the dialog view's own (top-down) coordinates.
  plat::DraggingInfo at(double x, double y, std::vector<std::string> files) {
    plat::DraggingInfo d;
    plat::View* v = SHIM_View(dlg);
    d.window = v->window();
    d.location = v->convertToWindow({x, y});
    d.files = std::move(files);
    return d;
  }
};

struct HookLog {
  std::vector<std::string> enterNames;
  POINT enterPoint{0, 0};
  int overs = 0, leaves = 0;
} g_hooks;

void OnEnter(HDROP d, POINT p) {
  g_hooks.enterPoint = p;
  for (UINT i = 0; i < DragQueryFile(d, 0xFFFFFFFFu, nullptr, 0); ++i) {
    char buf[256];
    DragQueryFile(d, i, buf, sizeof buf);
    g_hooks.enterNames.push_back(buf);
  }
}
void OnOver(POINT) { ++g_hooks.overs; }
void OnLeave() { ++g_hooks.leaves; }

std::string Record(int x, int y, const std::string& names) {
  int32_t head[4] = {16, x, y, 0};
  return std::string(reinterpret_cast<const char*>(head), 16) + names;
}

TEST_F(Drops, TwoDroppedFilesReachTheProcedureAsOneRecord) {
  EXPECT_TRUE(plat::dropFiles(at(30.4, 40.6, {"/music/take 1.wav", "/music/take 2.wav"})));
  std::vector<Note> drops = notes(WM_DROPFILES);
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0].files, (std::vector<std::string>{"/music/take 1.wav", "/music/take 2.wav"}));
  EXPECT_EQ(drops[0].dropPoint.x, 30);
  EXPECT_EQ(drops[0].dropPoint.y, 41);
  EXPECT_EQ(drops[0].lp, 0);
  EXPECT_EQ(drops[0].recordBytes,
            Record(30, 41, std::string("/music/take 1.wav\0/music/take 2.wav\0\0", 37)));
}

TEST_F(Drops, ViewsWithoutTheDropFlagRefuseDrops) {
  SHIM_Hwnd(dlg)->shimSetExtendedStyle(0);
  EXPECT_FALSE(plat::dropFiles(at(30, 40, {"/a.wav"})));
  EXPECT_TRUE(notes(WM_DROPFILES).empty());
  // With the flag, a drop of nothing usable is refused too.
  SHIM_Hwnd(dlg)->shimSetExtendedStyle(WS_EX_ACCEPTFILES);
  EXPECT_FALSE(plat::dropFiles(at(30, 40, {""})));
  EXPECT_TRUE(notes(WM_DROPFILES).empty());
}

TEST_F(Drops, DropsOnAControlGoToTheViewThatTakesThem) {
  HWND lb = make("SysListView32_LB", 5, 0, 10, 10, 100, 100);
  plat::View* v = SHIM_View(lb);
  plat::DraggingInfo d = at(0, 0, {"/x.aif"});
  d.location = v->convertToWindow({20, 20});
  EXPECT_TRUE(plat::dropFiles(d));
  std::vector<Note> drops = notes(WM_DROPFILES);
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0].dropPoint.x, 30);  // in the dialog's coordinates
  EXPECT_EQ(drops[0].dropPoint.y, 30);
}

TEST_F(Drops, HooksSeeTheDragEnterMoveAndLeave) {
  g_hooks = HookLog();
  SHIM_DDrop_onDragEnter = OnEnter;
  SHIM_DDrop_onDragOver = OnOver;
  SHIM_DDrop_onDragLeave = OnLeave;
  plat::DraggingInfo d = at(10, 20, {"/a.wav", "/b.wav"});
  EXPECT_EQ(plat::dragMoved(d), unsigned(plat::kDragOperationGeneric));
  EXPECT_EQ(g_hooks.enterNames, (std::vector<std::string>{"/a.wav", "/b.wav"}));
  plat::Point screen = d.window->convertToScreen(d.location);
  EXPECT_EQ(g_hooks.enterPoint.x, int(screen.x + 0.5));
  EXPECT_EQ(g_hooks.enterPoint.y, int(screen.y + 0.5));
  plat::dragMoved(at(12, 22, d.files));
  EXPECT_EQ(g_hooks.overs, 1);
  plat::dragCancelled();
  EXPECT_EQ(g_hooks.leaves, 1);
  EXPECT_TRUE(notes(WM_DROPFILES).empty());
  // A drop says goodbye to the hook first.
  EXPECT_TRUE(plat::dropFiles(d));
  EXPECT_EQ(g_hooks.leaves, 2);
  EXPECT_EQ(notes(WM_DROPFILES).size(), 1u);
}

const char* g_targetDir = nullptr;
const char* TargetPath(const char*) { return g_targetDir; }

TEST_F(Drops, PromisedFilesAreWrittenWhereTheHookSays) {
  TempDir dir;
  std::string folder = dir.path("");
  plat::DraggingInfo d = at(5, 5, {});
  d.promised = {"loop.wav"};
  std::string askedFolder;
  d.writePromised = [&](const std::string& f) {
    askedFolder = f;
    writeText(f + "/loop.wav", "RIFF");
    return std::vector<std::string>{f + "/loop.wav"};
  };
  // Without the target-path hook nothing is produced.
  EXPECT_FALSE(plat::dropFiles(d));
  g_hooks = HookLog();
  SHIM_DDrop_onDragEnter = OnEnter;
  SHIM_DDrop_getDroppedFileTargetPath = TargetPath;
  g_targetDir = folder.c_str();
  EXPECT_TRUE(plat::dropFiles(d));
  EXPECT_EQ(g_hooks.enterNames, (std::vector<std::string>{"tmp.loop.wav"}));  // only named while dragging
  EXPECT_EQ(askedFolder, folder);
  ASSERT_EQ(notes(WM_DROPFILES).size(), 1u);
  EXPECT_EQ(notes(WM_DROPFILES)[0].files, (std::vector<std::string>{folder + "/loop.wav"}));
  g_targetDir = nullptr;  // no answer: the temporary folder
  plat::dropFiles(d);
  EXPECT_EQ(askedFolder, "/tmp/");
}

// --- drags out

std::vector<std::string> g_written;
void WriteTake(const char* path) {
  g_written.push_back(path);
  writeText(path, "data");
}

class Script : public plat::PanelRunner {
public:
  int answer = 0;
  std::vector<std::string> shown;
  int runFilePanel(plat::FilePanel&) override { return 0; }
  int runAlert(plat::Alert& a) override {
    shown.push_back(a.title + "|" + a.message);
    EXPECT_EQ(a.buttons, (std::vector<std::string>{"Keep Both Files", "Stop", "Replace"}));
    return answer;
  }
};

TEST_F(Drops, DraggingOutIsNotAvailableWithoutADragSource) {
  g_written.clear();
  RECT r{0, 0, 10, 10};
  EXPECT_FALSE(SHIM_InitiateDragDrop(dlg, &r, "/music/take 7.wav", WriteTake));
  TempDir dir;
  EXPECT_TRUE(SHIM_DoDragDrop(dir.path("").c_str()).empty());  // nothing pending
  EXPECT_TRUE(g_written.empty());
  const char* files[] = {"/music/a.wav"};
  EXPECT_FALSE(SHIM_InitiateDragDropOfFileList(dlg, &r, files, 1, nullptr));
  HWND lb = make("SysListView32_LB", 5, 0);
  EXPECT_FALSE(SHIM_InitiateDragDrop(lb, &r, "/x.wav", WriteTake));  // not a window view
}

TEST_F(Drops, PromisedDeliveryKeepsBothFilesUnderAFreeNumber) {
  std::vector<plat::FileDrag> started;
  plat::setFileDragStarter([&](const plat::FileDrag& d) {
    started.push_back(d);
    return true;
  });
  Script script;
  plat::setPanelRunner(&script);
  TempDir dir;
  std::string folder = dir.path("");
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  writeText(folder + "/take 7.wav", "old");
  writeText(folder + "/take 008.wav", "old");
  struct Case {
    const char* source;
    int answer;
    std::vector<std::string> delivered;
  } cases[] = {
      {"/music/fresh.wav", 0, {"fresh.wav"}},     // no clash: no question
      {"/music/take 7.wav", 0, {"take 009.wav"}},  // 008 is taken too
      {"/music/take 7.wav", 2, {"take 7.wav"}},    // replace
      {"/music/take 7.wav", 1, {}},                // stop
  };
  for (const Case& c : cases) {
    g_written.clear();
    script.answer = c.answer;
    RECT r{0, 0, 10, 10};
    ASSERT_TRUE(SHIM_InitiateDragDrop(dlg, &r, c.source, WriteTake));
    EXPECT_EQ(started.back().promisedTypes, (std::vector<std::string>{"wav"}));
    EXPECT_EQ(started.back().writePromised(folder), c.delivered) << c.source << " " << c.answer;
    EXPECT_EQ(SHIM_DoDragDrop(folder.c_str()), std::vector<std::string>{});  // delivered once
  }
  ASSERT_EQ(script.shown.size(), 3u);
  EXPECT_EQ(script.shown[0],
            "Copy|An item named \"take 7.wav\" already exists in this location. Do you want to replace it "
            "with the one you're moving?");
  // A name ending in 999 has no free number left.
  writeText(folder + "/loop_999.aif", "old");
  script.answer = 0;
  g_written.clear();
  ASSERT_TRUE(SHIM_InitiateDragDrop(dlg, nullptr, "/x/loop_999.aif", WriteTake));
  EXPECT_TRUE(SHIM_DoDragDrop(("file://" + folder).c_str()).empty());
  EXPECT_TRUE(g_written.empty());
  // A press on a window view forgets a pending drag.
  ASSERT_TRUE(SHIM_InitiateDragDrop(dlg, nullptr, "/x/new.aif", WriteTake));
  click(dlg, 5, 5);
  EXPECT_TRUE(SHIM_DoDragDrop(folder.c_str()).empty());
  plat::setPanelRunner(nullptr);
}

TEST_F(Drops, FileListDragsOfferExistingFiles) {
  std::vector<plat::FileDrag> started;
  plat::setFileDragStarter([&](const plat::FileDrag& d) {
    started.push_back(d);
    return true;
  });
  const char* files[] = {"/music/a.wav", "", "/music/b.wav"};
  EXPECT_TRUE(SHIM_InitiateDragDropOfFileList(dlg, nullptr, files, 3, nullptr));
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].files, (std::vector<std::string>{"/music/a.wav", "/music/b.wav"}));
  EXPECT_FALSE(SHIM_InitiateDragDropOfFileList(dlg, nullptr, files, 0, nullptr));
}

TEST_F(ListsTest, HostedViewsAreNotAvailableHere) {
  RECT r{0, 0, 100, 100};
  EXPECT_EQ(SHIM_GetAudioUnitCocoaView(dlg, nullptr, nullptr, &r), nullptr);
  void* ref = reinterpret_cast<void*>(1);
  EXPECT_EQ(SHIM_CreateCarbonWindowView(dlg, &ref, &r, true), nullptr);
  EXPECT_EQ(ref, nullptr);
  EXPECT_EQ(SHIM_GetWindowFromCarbonWindowView(dlg), nullptr);
  SHIM_AddCarbonPaneToView(dlg, nullptr);
  EXPECT_TRUE(SHIM_View(dlg)->isFlipped());
  SHIM_SetWindowFlip(dlg, false);
  EXPECT_FALSE(SHIM_View(dlg)->isFlipped());
  SHIM_SetWindowFlip(nullptr, true);
  // Found by name like every other function of the layer.
  EXPECT_EQ(SHIMAPI_GetFunc("SHIM_GetViewGL"), reinterpret_cast<void*>(&SHIM_GetViewGL));
  EXPECT_EQ(SHIMAPI_GetFunc("ListView_InsertItem"), reinterpret_cast<void*>(&ListView_InsertItem));
  EXPECT_EQ(SHIMAPI_GetFunc("TreeView_GetNextSibling"), reinterpret_cast<void*>(&TreeView_GetNextSibling));
}

}  // namespace
