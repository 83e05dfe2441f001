#pragma once

// The editor surface of a plug-in: the ordered list of controls (attach
// order is drawing order, later ones on top), the links between controls and
// parameters, mouse and key dispatch to the control under the pointer, and
// the redraw of the controls that meet the dirty area into one off-screen
// bitmap, which the desktop half (IGraphicsDesktop) copies to the screen.
//
// Controls call the drawing primitives below from their Draw; everything
// clips to the drawing rectangle, the area being redrawn. Images are loaded
// by numeric id into a process-wide cache (each file decoded once per
// process); fonts of text styles are cached process-wide as well.
//
// Main thread only. A control reaches the plug-in through SetDirty(true),
// which takes the plug-in's lock inside SetParameterFromGUI; the editor holds
// no lock of its own while dispatching.
//
// The plug-in base (library ifx) holds and calls an editor without linking
// the editor library (ifx_gui). So what it calls (the destructor, PrepDraw,
// SetParameterFromPlug) is pure here, with the surface's own behaviour
// defined for the desktop half to call, the accessors it reads are inline,
// and every other virtual function is pure or inline: the class has no
// function that would tie its type information to the editor library, and
// no call from the plug-in base can be resolved to code that lives there.

#include "IGraphicsStructs.h"
#include "kitstring.h"
#include "ptrlist.h"

class IControl;
class IFxBase;
class IParam;
class IPopupMenu;
class PIX_IBitmap;
class PIX_MemBitmap;
class PIX_SysBitmap;

class IGraphics {
public:
  // fps 0 or below: 25.
  IGraphics(IFxBase* plug, int w, int h, int fps = 0);
  // Deletes the key catcher, every control from the last to the first, and
  // both bitmaps.
  virtual ~IGraphics() = 0;
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Operations the desktop half supplies or refines.

  // Copies the draw bitmap to the screen.
  virtual void DrawScreen(IRECT* rect) = 0;
  // The text's extent: see DrawIText.
  virtual bool MeasureIText(IText* text, const char* str, IRECT* rect) {
    return DrawIText(text, str, rect, true);
  }
  virtual void ForceEndUserEdit() = 0;
  // New size: every control is deleted, the bitmaps made again and the
  // plug-in's ResizeGraphics asked to attach the controls again.
  virtual void Resize(int w, int h) { ResizeSurface(w, h); }
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  // type 4: Yes/No, 3: Yes/No/Cancel, 1: OK/Cancel, other: OK. Returns 1 for
  // OK or Yes, 7 for No, 2 for Cancel, 0 otherwise.
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // Shows the menu below the rectangle; returns the model holding the chosen
  // item (the menu itself or one of its sub-menus) with its chosen index
  // set, or null when nothing was chosen.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) = 0;
  // Opens a text field over the rectangle. When it ends, the text goes to
  // SetFromStringAfterPrompt (with a parameter) or the control's
  // TextFromTextEntry.
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                               IParam* param) = 0;
  virtual void HostPath(KIT_String* path) = 0;
  virtual void PluginPath(KIT_String* path) = 0;
  virtual void DesktopPath(KIT_String* path) = 0;
  virtual void AppSupportPath(KIT_String* path, bool isSystem = false) = 0;
  virtual void SandboxSafeAppSupportPath(KIT_String* path) = 0;
  // Runs an open or save panel. file is "" when cancelled; otherwise it
  // holds the chosen path and dir its folder with a trailing '/'. The
  // extensions are separated by spaces. The title says what the panel does
  // ("Save Program"); without one the panel names its action.
  virtual void PromptForFile(KIT_String* file, EFileAction action = kFileOpen,
                             KIT_String* dir = nullptr, const char* extensions = "",
                             const char* title = nullptr) = 0;
  virtual bool PromptForColor(IColor* color, const char* prompt = "") = 0;
  // An address containing "http" is opened as a web address, anything else
  // as a file; true when the desktop took it.
  virtual bool OpenURL(const char* url, const char* msgWindowTitle = nullptr,
                       const char* confirmMsg = nullptr, const char* errMsgOnFailure = nullptr) = 0;
  virtual void* OpenWindow(void* parent) = 0;
  // Opening in a window beside one of its controls, at a left and top
  // offset: no surface offers it, so it opens nothing.
  virtual void* OpenWindow(void* /*window*/, void* /*control*/, short /*left*/, short /*top*/) {
    return nullptr;
  }
  virtual void AttachSubWindow(void*) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  virtual bool GetTextFromClipboard(KIT_String* str) = 0;
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() = 0;
  // The decoded PNG named by the file name of `name`, or null.
  virtual PIX_IBitmap* OSLoadBitmap(int id, const char* name) = 0;

  // ---- Set-up and controls.

  // Makes the draw bitmap (width x height) and the scratch bitmap.
  virtual void PrepDraw() = 0;
  // Appends; returns the new index. The editor owns the control.
  int AttachControl(IControl* control);
  // A one-frame image copied in at (0, 0), in front of all others (index 0).
  void AttachBackground(int id, const char* name);
  // A panel of the editor's size in that colour, at index 0.
  void AttachPanelBackground(const IColor* color);
  // Receives keys that no control takes; owned.
  void AttachKeyCatcher(IControl* control);
  void ReleaseMouseCapture();

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  IFxBase* GetPlug() const { return mPlug; }
  int NControls() const { return mControls.GetSize(); }
  // Null outside the list.
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  IControl* GetKeyCatcher() const { return mKeyCatcher; }
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }
  int GetMouseX() const { return mMouseX; }
  int GetMouseY() const { return mMouseY; }
  bool CanHandleMouseOver() const { return mHandleMouseOver; }
  void HandleMouseOver(bool handle) { mHandleMouseOver = handle; }
  bool TooltipsEnabled() const { return mEnableTooltips; }
  // Switching tool tips on also turns on mouse-over handling.
  void EnableTooltips(bool enable) {
    mEnableTooltips = enable;
    if (enable) mHandleMouseOver = true;
  }
  bool IsCursorHidden() const { return mCursorHidden; }

  // ---- Parameter links (every loop runs over the whole list in order).

  // Pushes a value to the controls bound to the parameter (and those that
  // follow it as an auxiliary parameter); a plain value (normalized false)
  // is normalised first. Nothing is sent back.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // Ignored outside the list.
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  void SetAllControlsDirty();
  // Every control with a parameter gets the parameter's name as tool tip.
  void AssignParamNameToolTips();
  // Applies what a text entry for a parameter ended with.
  void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* str);
  // A popup menu (enum parameters, bool ones with display texts) or a text
  // entry over the rectangle.
  void PromptUserInput(IControl* control, IParam* param, IRECT* rect);

  // ---- Redraw.

  // Unites the rectangles of the dirty controls into rect; true when any was
  // dirty (rect untouched otherwise).
  bool IsDirty(IRECT* rect);
  // Draws the controls that meet rect, cleans them, and copies to the screen.
  void Draw(IRECT* rect);
  void SetStrictDrawing(bool strict);

  // ---- Input (editor pixels, origin top left, y down).

  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  // True when the control takes double clicks as single clicks (a capture
  // started).
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  // The handle-mouse-over flag.
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  // Keys: 0 space, 1 up, 2 down, 3 left, 4 right, 5..14 digits, 15..40 A..Z.
  bool OnKeyDown(int x, int y, int key);
  // The capture, else the topmost visible, not greyed control hit, else -1.
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  void OnGUIIdle();
  int GetParamIdxForPTAutomation(int x, int y);
  // The remembered parameter; resets it to -1.
  int GetLastClickedParamForPTAutomation();

  // ---- Images.

  // The image of that id from the cache, loaded with OSLoadBitmap on first
  // use. A missing image is reported once on standard error and comes back
  // without pixels, one pixel per frame.
  IBitmap LoadIBitmap(int id, const char* name, int nStates = 1, bool framesAreHorizontal = false);
  // New images, kept in the cache: the whole source stretched to w x h
  // (bilinear), or the part of it inside the rectangle. The frame count is
  // the source's.
  IBitmap ScaleBitmap(IBitmap* src, int w, int h);
  IBitmap CropBitmap(IBitmap* src, IRECT* rect);
  void RetainBitmap(IBitmap* bitmap);
  void ReleaseBitmap(IBitmap* bitmap);

  // ---- Drawing (inside a control's Draw; everything clips to the drawing
  // rectangle). A null blend draws with full weight using the source alpha.

  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                  const IChannelBlend* blend = nullptr);
  // Frame 1..N of the image.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame = 1,
                  const IChannelBlend* blend = nullptr);
  // The whole image turned by angle (radians, clockwise) about its centre,
  // which lies at (cx, cy); the turning point moves yOffset source pixels
  // down from the image's centre.
  bool DrawRotatedBitmap(IBitmap* bitmap, int cx, int cy, double angle, int yOffset = 0,
                         const IChannelBlend* blend = nullptr);
  // The base image at (x, y), shown only where the mask covers it, with the
  // top image laid over it; mask and top are turned by angle (degrees) about
  // the base's centre.
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                       const IChannelBlend* blend = nullptr);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr,
                 bool antiAlias = false);
  // Writes the colour as it is; (x, y) must lie in the editor.
  bool ForcePixel(const IColor* color, int x, int y);
  IColor GetPoint(int x, int y);
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // Angle 0 points up, positive angles turn clockwise.
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* color, float cx, float cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool FillCircle(const IColor* color, int cx, int cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // Four one-pixel lines through L, T, R and B.
  bool DrawRect(const IColor* color, IRECT* rect);
  bool DrawVerticalLine(const IColor* color, int x, int y1, int y2);
  bool DrawHorizontalLine(const IColor* color, int y, int x1, int x2);
  // At the fraction x (0..1) across the rectangle, from T to B.
  bool DrawVerticalLine(const IColor* color, IRECT* rect, float x);
  // At the fraction y (0..1) up from B, from L to R.
  bool DrawHorizontalLine(const IColor* color, IRECT* rect, float y);
  bool RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius,
                 bool antiAlias);
  bool FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend,
                     int cornerRadius, bool antiAlias);
  bool FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend = nullptr);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* blend = nullptr);
  bool FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints,
                          const IChannelBlend* blend = nullptr);
  // The draw bitmap's pixels (rows GetDrawBitmap()->getRowSpan() apart).
  unsigned int* GetBits();
  PIX_SysBitmap* GetDrawBitmap() const { return mDrawBitmap; }
  const IRECT& GetDrawRect() const { return mDrawRECT; }

  // Draws str at the top of the rectangle in the style's font and colour
  // (measure: only sets the rectangle to the text's extent). False when the
  // style has no usable font.
  bool DrawIText(IText* text, const char* str, IRECT* rect, bool measure = false);
  // Text from an image whose frame k shows the character k + 31.
  static bool DrawBitmapedText(IGraphics* graphics, IBitmap* font, IRECT* rect, IText* text,
                               const IChannelBlend* blend, const char* str, bool vCenter,
                               bool multiline, int charWidth, int charHeight, int charOffset);

protected:
  // The process-wide font of a text style, made on first use and remembered
  // in the style; null when none can be made.
  PIX_IFont* CacheFont(IText* text);
  void SetDrawRect(const IRECT& r) { mDrawRECT = r; }

  KIT_PtrList<IControl> mControls;
  IFxBase* mPlug;
  IRECT mDrawRECT;
  bool mCursorHidden = false;
  int mHiddenMousePointX = -1, mHiddenMousePointY = -1;
  PIX_SysBitmap* mDrawBitmap = nullptr;
  PIX_MemBitmap* mTmpBitmap = nullptr;
  int mWidth, mHeight;
  int mFPS;
  int mMouseCapture = -1;
  int mMouseOver = -1;
  int mMouseX = 0, mMouseY = 0;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  bool mEnableTooltips = false;
  IControl* mKeyCatcher = nullptr;

private:
  // The body of Resize.
  void ResizeSurface(int w, int h);
  // The hit search: the topmost visible, not greyed control under (x, y).
  int FindControl(int x, int y, bool mouseOver) const;
  void DeleteBitmaps();
  void DeleteControls();
};
