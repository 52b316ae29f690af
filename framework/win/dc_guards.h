// Scope guards for borrowed device contexts and the objects selected into them: the
// guard gives back what it took (deletes the memory context, releases the screen's,
// selects the previous object again) on every way out of the scope, exceptions included.
// A guard for a selection must end before the guard of its context: declare it after.
#pragma once

#include "framework/win/wintypes.h"

namespace tess {

// A memory device context compatible with the screen.
class TMemoryDC {
 public:
  TMemoryDC();
  ~TMemoryDC();
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDc Handle() const { return dc_; }

 private:
  HDc dc_;
};

// The screen's device context.
class TScreenDC {
 public:
  TScreenDC();
  ~TScreenDC();
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDc Handle() const { return dc_; }

 private:
  HDc dc_;
};

// A bitmap, font, pen or brush selected into a context; the one it replaced comes back.
class TSelectedObject {
 public:
  TSelectedObject(HDc DC, void* Object);
  ~TSelectedObject();
  TSelectedObject(const TSelectedObject&) = delete;
  TSelectedObject& operator=(const TSelectedObject&) = delete;

 private:
  HDc dc_;
  void* old_;
};

}  // namespace tess
