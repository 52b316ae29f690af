// Glyph strips for the glyph and check-box cells: one bitmap holding GlyphCount glyphs of
// equal width side by side, of which the first ActiveGlyphCount take part in editing.
// Cells with the same strip share one bitmap through the process's glyph store; the
// default strip is the program's three check-box glyphs (unchecked, checked, grayed).
//
// Invariants: 1 <= ActiveGlyphCount <= GlyphCount; every entry in the store's list has a
// reference count >= 1 and is freed when it falls to 0; the default entry is never
// listed and never freed before the store.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/win/graphics.h"

namespace tess {

struct TGlyphEntry {
  std::unique_ptr<TBitmap> Bitmap;
  int32_t RefCount = 1;
};

class TGlyphResourceManager {
 public:
  static TGlyphResourceManager& Instance();
  ~TGlyphResourceManager();

  // The strip "OVCTCCHECKGLYPHS" (loaded on first use; an empty bitmap without it).
  TGlyphEntry* Default();
  // A new listed entry holding a copy of Bitmap.
  TGlyphEntry* Make(TBitmap* Bitmap);
  // One more user of Entry; an entry that is no longer listed gives the default.
  TGlyphEntry* Refer(TGlyphEntry* Entry);
  void Release(TGlyphEntry* Entry);
  bool Listed(const TGlyphEntry* Entry) const;
  int ListedCount() const { return static_cast<int>(entries_.size()); }

 private:
  TGlyphResourceManager() = default;
  std::unique_ptr<TGlyphEntry> default_;
  std::vector<std::unique_ptr<TGlyphEntry>> entries_;
};

class TOvcCellGlyphs : public TPersistent {
 public:
  TOvcCellGlyphs();
  ~TOvcCellGlyphs() override;
  TOvcCellGlyphs(const TOvcCellGlyphs&) = delete;
  TOvcCellGlyphs& operator=(const TOvcCellGlyphs&) = delete;

  TBitmap* BitMap() const { return entry_->Bitmap.get(); }
  // A copy of Value becomes this strip's own; null goes back to the default strip.
  void SetBitMap(TBitmap* Value);
  int32_t GlyphCount() const { return glyph_count_; }
  // Values below 1 are refused (a glyph's width is the bitmap's divided by it).
  void SetGlyphCount(int32_t Value);
  int32_t ActiveGlyphCount() const { return active_glyph_count_; }
  // Accepted only between 1 and GlyphCount.
  void SetActiveGlyphCount(int32_t Value);
  bool IsDefault() const;
  void SetIsDefault(bool Value);
  void Assign(TPersistent* Source) override;
  // IsDefault, then the strip (as "BitMap.Data") unless it is the default, then the
  // counts.
  void PublishProperties(TPropertyList& Props) override;

  TNotifyEvent OnChange;

 private:
  void CountGlyphs();
  void Changed();
  // What the stream sees as BitMap: a copy of the strip, so that reading never draws on
  // a shared one; a picture read into it becomes this strip's own.
  TBitmap* StreamBitMap();
  TGlyphEntry* entry_;
  std::unique_ptr<TBitmap> stream_bitmap_;
  int32_t active_glyph_count_ = 1;
  int32_t glyph_count_ = 1;
};

}  // namespace tess
