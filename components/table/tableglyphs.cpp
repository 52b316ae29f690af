// The process's glyph store and the cells' glyph strips.
#include "components/table/tableglyphs.h"

#include <algorithm>
#include <cassert>

#include "components/table/celltext.h"
#include "platform/win32.h"

namespace tess {

TGlyphResourceManager& TGlyphResourceManager::Instance() {
  static TGlyphResourceManager Store;
  return Store;
}

TGlyphResourceManager::~TGlyphResourceManager() = default;

TGlyphEntry* TGlyphResourceManager::Default() {
  if (!default_) {
    default_ = std::make_unique<TGlyphEntry>();
    default_->Bitmap = std::make_unique<TBitmap>();
    try {
      default_->Bitmap->LoadFromResourceName(HInstance(), "OVCTCCHECKGLYPHS");
    } catch (const Exception&) {
      // A program without the resource paints no check boxes rather than failing.
    }
  }
  return default_.get();
}

TGlyphEntry* TGlyphResourceManager::Make(TBitmap* Bitmap) {
  auto E = std::make_unique<TGlyphEntry>();
  E->Bitmap = std::make_unique<TBitmap>();
  E->Bitmap->Assign(Bitmap);
  entries_.push_back(std::move(E));
  return entries_.back().get();
}

bool TGlyphResourceManager::Listed(const TGlyphEntry* Entry) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [Entry](const auto& E) { return E.get() == Entry; });
}

TGlyphEntry* TGlyphResourceManager::Refer(TGlyphEntry* Entry) {
  if (Entry == default_.get() || !Listed(Entry)) return Default();
  ++Entry->RefCount;
  return Entry;
}

void TGlyphResourceManager::Release(TGlyphEntry* Entry) {
  auto It = std::find_if(entries_.begin(), entries_.end(),
                         [Entry](const auto& E) { return E.get() == Entry; });
  if (It == entries_.end()) return;  // the default entry stays
  assert((*It)->RefCount >= 1);
  if (--(*It)->RefCount == 0) entries_.erase(It);
}

TOvcCellGlyphs::TOvcCellGlyphs() : entry_(TGlyphResourceManager::Instance().Default()) {
  CountGlyphs();
}

TOvcCellGlyphs::~TOvcCellGlyphs() {
  TGlyphResourceManager::Instance().Release(entry_);
}

void TOvcCellGlyphs::CountGlyphs() {
  const TBitmap* B = entry_->Bitmap.get();
  glyph_count_ = active_glyph_count_ = GlyphCountFor(B->Width(), B->Height());
}

void TOvcCellGlyphs::Changed() {
  if (OnChange) OnChange(this);
}

void TOvcCellGlyphs::SetBitMap(TBitmap* Value) {
  auto& Store = TGlyphResourceManager::Instance();
  TGlyphEntry* Old = entry_;
  entry_ = Value ? Store.Make(Value) : Store.Default();
  Store.Release(Old);
  CountGlyphs();
  Changed();
}

void TOvcCellGlyphs::SetGlyphCount(int32_t Value) {
  if (Value < 1 || Value == glyph_count_) return;
  glyph_count_ = active_glyph_count_ = Value;
  Changed();
}

void TOvcCellGlyphs::SetActiveGlyphCount(int32_t Value) {
  if (Value < 1 || Value > glyph_count_) return;
  active_glyph_count_ = Value;
  Changed();
}

bool TOvcCellGlyphs::IsDefault() const {
  return entry_ == TGlyphResourceManager::Instance().Default();
}

void TOvcCellGlyphs::SetIsDefault(bool Value) {
  if (Value) {
    auto& Store = TGlyphResourceManager::Instance();
    Store.Release(entry_);
    entry_ = Store.Default();
    CountGlyphs();
    Changed();
  } else {
    SetBitMap(BitMap());
  }
}

TBitmap* TOvcCellGlyphs::StreamBitMap() {
  if (!stream_bitmap_) stream_bitmap_ = std::make_unique<TBitmap>();
  stream_bitmap_->OnChange = nullptr;
  stream_bitmap_->Assign(BitMap());
  stream_bitmap_->OnChange = [this](TObject*) { SetBitMap(stream_bitmap_.get()); };
  return stream_bitmap_.get();
}

void TOvcCellGlyphs::PublishProperties(TPropertyList& P) {
  TPersistent::PublishProperties(P);
  P.Boolean(
       "IsDefault", [this] { return IsDefault(); }, [this](bool v) { SetIsDefault(v); })
      .Default(true);
  P.Object("BitMap", [this] { return StreamBitMap(); }).Stored([this] { return !IsDefault(); });
  P.Integer(
      "GlyphCount", [this] { return glyph_count_; }, [this](int32_t v) { SetGlyphCount(v); });
  P.Integer(
      "ActiveGlyphCount", [this] { return active_glyph_count_; },
      [this](int32_t v) { SetActiveGlyphCount(v); });
}

void TOvcCellGlyphs::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TOvcCellGlyphs*>(Source);
  if (!S) return TPersistent::Assign(Source);
  if (S->entry_ == entry_) return;
  auto& Store = TGlyphResourceManager::Instance();
  Store.Release(entry_);
  entry_ = Store.Refer(S->entry_);
  CountGlyphs();
  Changed();
}

}  // namespace tess
