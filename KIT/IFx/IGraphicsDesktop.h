#pragma once

// The editor surface on this desktop: IGraphics completed with the platform
// layer. The editor lives in one view (IFxEditorView) that the host puts
// into its window; the view's timer asks the surface for the dirty area 25
// times a second (the surface's frame rate), the view draws by having the
// surface redraw the controls that meet the area and copying the surface's
// bitmap in, and mouse, wheel and key events become the surface's input
// calls. The view also carries the text entry field, the popup menus, the
// tool tips, the file panels and the message boxes.
//
// Editor coordinates run top-down from the view's top-left corner, the
// view's own coordinates bottom-up. Images are PNG files found by their file
// name among the program's installed resources (the raster library's
// resource folder, beside the executable).

#include <functional>
#include <string>
#include <vector>

#include "IGraphics.h"
#include "platform/app.h"
#include "platform/controls.h"
#include "platform/text.h"
#include "platform/view.h"
#include "platform/window.h"
#include "shim-controls.h"

class IFxEditorView;

class IGraphicsDesktop : public IGraphics {
public:
  IGraphicsDesktop(IFxBase* plug, int w, int h, int fps = 0);
  ~IGraphicsDesktop() override;

  void PrepDraw() override { IGraphics::PrepDraw(); }
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override {
    IGraphics::SetParameterFromPlug(paramIdx, value, normalized);
  }

  // Kept as the plug-in hands it over; images do not depend on it here.
  void SetBundleID(const char* id) { mBundleID.Set(id); }
  const char* GetBundleID() const { return mBundleID.Get(); }

  // parent: a platform view or window, or a handle of the windowing layer
  // standing for one; null makes the view without a place. Closes any view
  // open before. Returns the view.
  void* OpenWindow(void* parent) override;
  using IGraphics::OpenWindow;
  void CloseWindow() override;
  bool WindowIsOpen() override { return mView != nullptr; }
  void* GetWindow() override;
  IFxEditorView* GetView() const { return mView; }
  void Resize(int w, int h) override;
  void DrawScreen(IRECT* rect) override;
  const char* GetGUIAPI() override { return "Linux GUI"; }

  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                       IParam* param) override;
  void ForceEndUserEdit() override;
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  void PromptForFile(KIT_String* file, EFileAction action = kFileOpen, KIT_String* dir = nullptr,
                     const char* extensions = "", const char* title = nullptr) override;
  bool PromptForColor(IColor*, const char* = "") override { return false; }
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr,
               const char* confirmMsg = nullptr, const char* errMsgOnFailure = nullptr) override;
  void UpdateTooltips() override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;

  void HostPath(KIT_String* path) override;
  void PluginPath(KIT_String* path) override;
  void DesktopPath(KIT_String* path) override;
  void AppSupportPath(KIT_String* path, bool isSystem = false) override;
  void SandboxSafeAppSupportPath(KIT_String* path) override;
  bool GetTextFromClipboard(KIT_String* str) override;

  PIX_IBitmap* OSLoadBitmap(int id, const char* name) override;

private:
  IFxEditorView* mView = nullptr;  // retained while open
  KIT_String mBundleID;
};

// The PNG named by the file name of `name` (folders dropped; the extension
// must be "png" in any case) from the program's resource folder or any folder
// below it (the shallowest, then the first in path order); null when there is
// no such file or the resource folder is not an absolute path.
PIX_IBitmap* IFxLoadResourcePNG(const char* name);

// Limits what may be typed into the text entry field.
struct IFxTextFormatter {
  std::string mCharacters;  // allowed characters; empty: any
  int mMaxLength = 0;       // characters; 0: no limit
  int mMaxValue = 0;        // the text read as an integer; 0: no limit
  bool IsPartialStringValid(const std::string& text) const;
};

// The text entry field over the editor: one line in the style's text-entry
// colours, at 90 % of its size, edited by the windowing layer's line editor;
// an edit the formatter refuses is undone. Return, Enter and Tab end the
// entry with the text, Escape without it; a click elsewhere in the editor
// ends it with the text too.
class IFxTextEntryField : public plat::TextField {
public:
  IFxTextEntryField(const plat::Rect& frame, const IText& style, const IFxTextFormatter& formatter);
  // Shows the text, all of it selected, ready for typing.
  void start(const std::string& text);
  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  void keyDown(const plat::Event& e) override;
  void mouseDown(const plat::Event& e) override;
  void mouseDragged(const plat::Event& e) override;
  bool isFlipped() const override { return true; }
  const IFxTextFormatter& formatter() const { return mFormatter; }
  // The entry ended: true with the text, false when cancelled.
  std::function<void(bool commit)> onEnd;

private:
  // Where the text starts, in the field's coordinates.
  double textX(const std::string& text) const;
  IText mStyle;
  IFxTextFormatter mFormatter;
  plat::Font mFont;
  SHIM_LineEditor mEditor;
};

// The view of the editor surface.
class IFxEditorView : public plat::View {
public:
  explicit IFxEditorView(IGraphicsDesktop* graphics);

  IGraphicsDesktop* graphics() const { return mGraphics; }
  // Forgets the surface: the view no longer draws nor passes events on.
  void detachGraphics() { mGraphics = nullptr; }

  // Editor rectangle {L, T, R, B} -> view rectangle, and back.
  plat::Rect toViewRect(const IRECT& r) const;
  IRECT toEditorRect(const plat::Rect& r) const;
  // The event's position in editor pixels, remembered for keys.
  void getMouseXY(const plat::Event& e, int* x, int* y);
  IMouseMod modifiersFor(const plat::Event& e) const;

  // The timer's tick: the surface's dirty area is marked for display.
  void onTimer();
  void killTimer();
  bool hasTimer() const { return mTimer != 0; }

  // Copies the surface's bitmap in while the view draws.
  void drawScreen();

  IPopupMenu* createPopupMenu(IPopupMenu* menu, const plat::Rect& viewRect);
  void createTextEntry(IControl* control, IParam* param, const IText& style, const char* str,
                       const plat::Rect& viewRect);
  // Closes the field without using its text.
  void endUserInput();
  IFxTextEntryField* textField() const { return mTextField.get(); }

  void registerToolTip(const plat::Rect& viewRect) { mToolTips.push_back(viewRect); }
  void removeAllToolTips();
  const std::vector<plat::Rect>& toolTipRects() const { return mToolTips; }
  // The tool tip of the control under the pointer ("" for none).
  std::string stringForToolTip() const;
  // The tool tip window while one shows, else null.
  plat::Window* toolTipWindow() const { return mToolTipWindow.get(); }
  // Seconds the pointer rests before a tool tip shows.
  static constexpr double kToolTipDelay = 0.8;

  // Platform view hooks.
  bool isOpaque() const override { return mGraphics != nullptr; }
  bool acceptsFirstResponder() const override { return true; }
  bool acceptsFirstMouse(const plat::Event&) override { return true; }
  void viewDidMoveToWindow() override;
  void viewDidMoveToSuperview() override;
  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  void mouseDown(const plat::Event& e) override;
  void mouseUp(const plat::Event& e) override;
  void mouseDragged(const plat::Event& e) override;
  void rightMouseDown(const plat::Event& e) override;
  void rightMouseUp(const plat::Event& e) override;
  void rightMouseDragged(const plat::Event& e) override;
  void mouseMoved(const plat::Event& e) override;
  void mouseExited(const plat::Event& e) override;
  void scrollWheel(const plat::Event& e) override;
  void keyDown(const plat::Event& e) override;

protected:
  ~IFxEditorView() override;

private:
  // A button went down: double clicks only from the left button.
  void buttonDown(const plat::Event& e, bool doubleClicks);
  void textEntryEnded(bool commit);
  void trackToolTip(const plat::Event& e);
  void showToolTip();
  void hideToolTip();

  IGraphicsDesktop* mGraphics;
  plat::TimerId mTimer = 0;
  plat::Ref<IFxTextEntryField> mTextField;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  int mPrevX = 0, mPrevY = 0;
  plat::DrawContext* mDrawing = nullptr;  // during draw()
  std::vector<plat::Rect> mToolTips;
  plat::TimerId mToolTipTimer = 0;
  plat::Point mToolTipAt;  // screen point of the pointer
  plat::Ref<plat::Window> mToolTipWindow;
};
