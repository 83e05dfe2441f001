// File choosers and message boxes answered by a scripted stand-in.

#include <stdlib.h>
#include <string.h>

#include "controls_fixture.h"
#include "platform/panels.h"

namespace {

// Answers panels from a script and records what they asked.
class Script : public plat::PanelRunner {
public:
  int alertAnswer = 0;
  int panelCode = 1;
  std::vector<std::string> paths;
  std::string chooseType;  // pick this entry of the "File type:" row first
  // What was seen.
  int alerts = 0, panels = 0;
  plat::Alert lastAlert;
  plat::PanelKind kind = plat::PanelKind::Open;
  std::string directory, fileName, title;
  std::vector<std::string> typesAtStart, typesAtEnd, rowItems;
  bool multiple = false;
  plat::Menu* menuDuringRun = nullptr;  // gone after the run
  std::string menuFirstItem;
  plat::View* accessory = nullptr;  // only while the panel runs
  plat::Rect accessoryFrame;
  bool hadAccessory = false;
  std::string rowLabel;

  int runAlert(plat::Alert& a) override {
    ++alerts;
    lastAlert = a;
    return alertAnswer;
  }
  int runFilePanel(plat::FilePanel& p) override {
    ++panels;
    kind = p.kind();
    directory = p.directory;
    fileName = p.fileName;
    title = p.title;
    multiple = p.allowsMultipleSelection;
    typesAtStart = p.allowedTypes;
    menuDuringRun = plat::app().mainMenu();
    menuFirstItem = menuDuringRun && menuDuringRun->item(0) ? menuDuringRun->item(0)->title() : "";
    accessory = p.accessoryView();
    rowItems.clear();
    rowLabel.clear();
    if (accessory) {
      accessoryFrame = accessory->frame();
      char label[32] = "";
      GetDlgItemText(SHIM_H(accessory), 1001, label, sizeof label);
      rowLabel = label;
    }
    if (HWND combo = GetDlgItem(SHIM_H(accessory), 1000)) {
      for (int i = 0; i < SHIM_CB_GetNumItems(combo, 0); ++i) {
        char buf[64];
        SHIM_CB_GetItemText(combo, 0, i, buf, sizeof buf);
        rowItems.push_back(buf);
        if (chooseType == buf) {
          SHIM_CB_SetCurSel(combo, 0, i);
          SendMessage(GetParent(combo), WM_COMMAND, (CBN_SELCHANGE << 16) | 1000, (LPARAM)combo);
        }
      }
    }
    typesAtEnd = p.allowedTypes;
    p.paths = paths;
    hadAccessory = accessory != nullptr;
    accessory = nullptr;
    return panelCode;
  }
};

class Panels : public GeneratedDialog {
protected:
  void SetUp() override {
    GeneratedDialog::SetUp();
    plat::setPanelRunner(&script);
  }
  void TearDown() override {
    plat::setPanelRunner(nullptr);
    GeneratedDialog::TearDown();
  }
  Script script;
};

const char kAudio[] = "WAV files\0*.wav\0AIFF files\0*.aif;*.aiff\0All files\0*.*\0";

TEST_F(Panels, MessageBoxesOfferTheirButtonsAndMapTheAnswers) {
  struct Case {
    int type;
    std::vector<std::string> buttons;
    int answer, result;
  } cases[] = {
      {MB_OK, {"OK"}, 0, IDOK},
      {MB_OKCANCEL, {"OK", "Cancel"}, 1, IDCANCEL},
      {MB_YESNOCANCEL, {"Yes", "Cancel", "No"}, 2, IDNO},
      {MB_YESNOCANCEL, {"Yes", "Cancel", "No"}, 0, IDYES},
      {MB_YESNO, {"Yes", "No"}, 1, IDNO},
      {MB_RETRYCANCEL, {"Retry", "Cancel"}, 0, IDRETRY},
  };
  for (const Case& c : cases) {
    script.alertAnswer = c.answer;
    EXPECT_EQ(MessageBox(nullptr, "100% sure?", "Harshbloom", c.type), c.result) << c.type;
    EXPECT_EQ(script.lastAlert.buttons, c.buttons);
    EXPECT_EQ(script.lastAlert.message, "100% sure?");  // as text, not a format
    EXPECT_EQ(script.lastAlert.title, "Harshbloom");
  }
  int before = script.alerts;
  EXPECT_EQ(MessageBox(nullptr, "x", "y", 2), 0);
  EXPECT_EQ(script.alerts, before);  // no panel for an unknown type
  script.alertAnswer = 0;
  MessageBox(nullptr, nullptr, nullptr, MB_OK);
  EXPECT_EQ(script.lastAlert.message, "");
}

TEST_F(Panels, ExtensionListsPutTheDefaultFirst) {
  EXPECT_EQ(SHIM_Internal_ExtensionsFromList(kAudio, nullptr),
            (std::vector<std::string>{"wav", "aif", "aiff"}));
  EXPECT_EQ(SHIM_Internal_ExtensionsFromList(kAudio, "AIF;*.aiff"),
            (std::vector<std::string>{"aif", "wav", "aiff"}));
  EXPECT_TRUE(SHIM_Internal_ExtensionsFromList("Everything\0*.*\0", nullptr).empty());
  std::string longExt = std::string("Long\0*.", 7) + std::string(40, 'x') + std::string("\0", 2);
  EXPECT_EQ(SHIM_Internal_ExtensionsFromList(longExt.c_str(), nullptr)[0].size(), 31u);
}

TEST_F(Panels, SaveChooserOffersTheFileTypeRow) {
  script.paths = {"/music/take.aif"};
  script.chooseType = "AIFF files";
  char fn[256];
  EXPECT_TRUE(BrowseForSaveFile("Save take", "/ignored", "/music/take.wav", kAudio, fn, sizeof fn));
  EXPECT_STREQ(fn, "/music/take.aif");
  EXPECT_EQ(script.kind, plat::PanelKind::Save);
  EXPECT_EQ(script.title, "Save take");
  EXPECT_EQ(script.directory, "/music");
  EXPECT_EQ(script.fileName, "take.wav");
  EXPECT_EQ(script.rowItems, (std::vector<std::string>{"WAV files", "AIFF files"}));
  // The row was told once before the panel ran: the initial name's type first.
  EXPECT_EQ(script.typesAtStart, (std::vector<std::string>{"wav", "aif", "aiff"}));
  EXPECT_EQ(script.typesAtEnd, (std::vector<std::string>{"aif", "wav", "aiff"}));
  ASSERT_TRUE(script.hadAccessory);
  EXPECT_EQ(script.accessoryFrame.w, 338);
  EXPECT_EQ(script.rowLabel, "File type:");
  // One type: no row, the type is simply allowed. A hidden initial name is
  // not offered.
  EXPECT_TRUE(BrowseForSaveFile("Save", "/start", ".hidden", "Presets\0*.fxp\0", fn, sizeof fn));
  EXPECT_FALSE(script.hadAccessory);
  EXPECT_EQ(script.typesAtStart, (std::vector<std::string>{"fxp"}));
  EXPECT_EQ(script.directory, "/start");
  EXPECT_EQ(script.fileName, "");
  // A root-level name keeps "/" as its folder.
  BrowseForSaveFile("Save", nullptr, "/x.fxp", nullptr, fn, sizeof fn);
  EXPECT_EQ(script.directory, "/");
}

TEST_F(Panels, NoRoomForTheAnswerWritesNothing) {
  char fn[4] = {'#', '#', '#', '#'};
  script.paths = {"/a/long/path.wav"};
  EXPECT_FALSE(BrowseForSaveFile("Save", nullptr, nullptr, nullptr, fn, 0));
  EXPECT_FALSE(BrowseForSaveFile("Save", nullptr, nullptr, nullptr, fn, -3));
  EXPECT_FALSE(BrowseForDirectory("Folder", nullptr, fn, 0));
  EXPECT_EQ(script.panels, 0);
  EXPECT_EQ(fn[0], '#');
  EXPECT_TRUE(BrowseForSaveFile("Save", nullptr, nullptr, nullptr, fn, sizeof fn));
  EXPECT_STREQ(fn, "/a/");  // cut to fit, terminated
  script.panelCode = 0;
  EXPECT_FALSE(BrowseForSaveFile("Save", nullptr, nullptr, nullptr, fn, sizeof fn));
}

TEST_F(Panels, OpenChoosersReturnOneOrSeveralPaths) {
  script.paths = {"/s/one.wav"};
  char* one = BrowseForFiles("Open", "/s", nullptr, false, kAudio);
  ASSERT_NE(one, nullptr);
  EXPECT_STREQ(one, "/s/one.wav");
  EXPECT_EQ(one[strlen(one) + 1], 0);
  EXPECT_EQ(script.typesAtStart, (std::vector<std::string>{"wav", "aif", "aiff"}));
  EXPECT_FALSE(script.multiple);
  free(one);
  script.paths = {"/s/one.wav", "/s/two.aif"};
  char* two = BrowseForFiles("Open", nullptr, nullptr, true, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two[0], 0);
  EXPECT_STREQ(two + 1, "/s/one.wav");
  EXPECT_STREQ(two + 1 + 11, "/s/two.aif");
  EXPECT_EQ(two[1 + 11 + 11], 0);
  EXPECT_TRUE(script.multiple);
  free(two);
  script.panelCode = 0;
  EXPECT_EQ(BrowseForFiles("Open", nullptr, nullptr, true, nullptr), nullptr);
  script.panelCode = 1;
  script.paths = {"/home/me/presets"};
  char dir[64];
  EXPECT_TRUE(BrowseForDirectory("Folder", "/home", dir, sizeof dir));
  EXPECT_STREQ(dir, "/home/me/presets");
  EXPECT_EQ(script.kind, plat::PanelKind::Folder);
}

LRESULT TemplateProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return RecordingProc(h, msg, wp, lp); }
void BuildTemplate(HWND view, int) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, view, false, false);
  SHIM_MakeLabel(-1, "Extra", 5, 0, 0, 100, 20, 0);
}
SHIM_DialogResourceIndex g_tmpl = {(const char*)(INT_PTR)700, nullptr,
                                   SHIM_DLGFLAG_CHILD | SHIM_DLGFLAG_FLIPPED, BuildTemplate, 400, 40,
                                   nullptr};

TEST_F(Panels, TemplatesSitUnderTheRowAndMenusAreSwappedMeanwhile) {
  make({});
  HMENU modal = CreatePopupMenu();
  SHIM_Menu_AddMenuItem(modal, "Modal item", 1, 0);
  SHIM_SetDefaultModalWindowMenu(modal);
  HMENU own = CreatePopupMenu();
  SetMenu(dlg, own);
  BrowseFile_SetTemplate(g_tmpl.resid, (DLGPROC)TemplateProc, &g_tmpl);
  script.paths = {"/x.wav"};
  char fn[64];
  g_seen.clear();
  EXPECT_TRUE(BrowseForSaveFile("Save", nullptr, "x.wav", kAudio, fn, sizeof fn));
  ASSERT_TRUE(script.hadAccessory);
  EXPECT_EQ(script.accessoryFrame.w, 400);  // widened to the template
  EXPECT_EQ(script.accessoryFrame.h, 62);   // the row and the template
  ASSERT_NE(script.menuDuringRun, nullptr);
  EXPECT_NE(script.menuDuringRun, SHIM_Internal_Menu(modal));  // a copy
  EXPECT_EQ(script.menuFirstItem, "Modal item");
  EXPECT_EQ(plat::app().mainMenu(), SHIM_Internal_Menu(own));
  bool destroyed = false;
  for (const Seen& s : g_seen) destroyed |= s.msg == WM_DESTROY && s.hwnd != dlg;
  EXPECT_TRUE(destroyed);
  // The template was for one panel only.
  free(BrowseForFiles("Open", nullptr, nullptr, false, nullptr));
  EXPECT_FALSE(script.hadAccessory);
  DestroyMenu(modal);
  DestroyMenu(own);
}

TEST_F(Panels, TheLayersOwnAlertWindowTakesReturnAndEscape) {
  plat::setPanelRunner(nullptr);
  for (int keyChar : {13, 27}) {
    plat::app().post([keyChar] {
      for (plat::Window* w : plat::app().windows())
        if (w->level() == plat::kLevelModalPanel) {
          plat::Event e;
          e.type = plat::EventType::KeyDown;
          e.window = w;
          e.characters = e.charactersIgnoringModifiers = std::string(1, char(keyChar));
          plat::app().queueEvent(e);
        }
    });
    int r = MessageBox(nullptr, "Replace the preset?", "Harshbloom", MB_YESNO);
    EXPECT_EQ(r, keyChar == '\r' ? IDYES : IDNO);
  }
  plat::setPanelRunner(&script);
}

}  // namespace
