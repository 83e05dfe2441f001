#pragma once

// The editor surface as far as the plug-in base reaches it. The editor
// framework completes this class; these members keep their meaning there.
class IGraphics {
public:
  virtual ~IGraphics() {}
  // Pushes a parameter's value to the controls linked to it; a plain value
  // (normalized false) is normalised through the parameter first.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // Creates the drawing bitmaps before the editor is first drawn.
  virtual void PrepDraw() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};
