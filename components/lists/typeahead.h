// The list box and combo box with type-ahead search (typing selects the first item that
// starts with what was typed), and the tabbed list box whose tab stops live in an
// integer list.
//
// The lookup runs over an index of the items kept by the control and dropped whenever
// an item is added, inserted, deleted or the list is reset (every such change passes
// through the control's window procedure), so a key costs a binary search, not a pass
// over the window's items.
#pragma once

#include <string>

#include "components/lists/integerlist.h"
#include "components/lists/prefixindex.h"
#include "framework/win/stdctrls.h"

namespace tess {

// What the type-ahead list and combo box share: the text typed so far, whether a key
// that finds nothing beeps, and the index of the items.
class TTypeAheadSearch {
 public:
  bool BeepOnInvalidKey() const { return beep_on_invalid_key_; }
  void SetBeepOnInvalidKey(bool Value) { beep_on_invalid_key_ = Value; }
  const std::string& SearchText() const { return search_text_; }
  void SetSearchText(const std::string& Value) { search_text_ = Value; }

 protected:
  explicit TTypeAheadSearch(bool StripItemSpaces) : strip_(StripItemSpaces) {}
  // The first of Items that starts with Text, ignoring case; -1 when none.
  int32_t FindIn(const TStrings& Items, const std::string& Text);
  // Drops the index when Msg changes the items of the control's window.
  void WatchItems(uint32_t Msg);

  bool beep_on_invalid_key_ = true;
  std::string search_text_;

 private:
  TPrefixIndex index_;
  bool strip_;
};

class TRzCustomListBox : public TCustomListBox, public TTypeAheadSearch {
 public:
  explicit TRzCustomListBox(TComponent* AOwner);

  // The first item whose spaceless text starts with Text, ignoring case; -1 when none.
  int32_t FindPrefix(const std::string& Text) { return FindIn(*Items(), Text); }

  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;
};

class TRzListBox : public TRzCustomListBox {
 public:
  explicit TRzListBox(TComponent* AOwner) : TRzCustomListBox(AOwner) {}
};

class TRzCustomComboBox : public TCustomComboBox, public TTypeAheadSearch {
 public:
  explicit TRzCustomComboBox(TComponent* AOwner);

  // The first item whose text starts with Text, ignoring case; -1 when none.
  int32_t FindPrefix(const std::string& Text) { return FindIn(*Items(), Text); }

  void Dispatch(TMessage& Message) override;
  void EditWndProc(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

 private:
  // Selects Index (or none) and fires OnClick and OnChange; false when a handler freed
  // the combo box.
  bool SelectItem(int32_t Index);
  bool AutoComplete();
  std::string EditText();
  void EditSelection(int32_t& Start, int32_t& End);
};

class TRzComboBox : public TRzCustomComboBox {
 public:
  explicit TRzComboBox(TComponent* AOwner) : TRzCustomComboBox(AOwner) {}
};

class TRzTabbedListBox;

// Tab stops in characters; every change goes to the owning list box's window.
class TRzTabStopList : public TIntegerList {
 public:
  explicit TRzTabStopList(TRzTabbedListBox* Owner) : owner_(Owner) {}
  void Put(int32_t Index, int32_t Value) override;
  void Insert(int32_t Index, int32_t Value) override;
  void Delete(int32_t Index) override;
  // Takes Source's values (none for null) and sends them to the window once; a value out
  // of range changes nothing.
  void Replace(const TIntegerList* Source);

 private:
  TRzTabbedListBox* owner_;
};

class TRzTabbedListBox : public TRzListBox {
 public:
  explicit TRzTabbedListBox(TComponent* AOwner);
  ~TRzTabbedListBox() override;

  uint16_t HorzExtent() const { return horz_extent_; }
  void SetHorzExtent(uint16_t Value);
  bool HorzScrollBar() const { return horz_scroll_bar_; }
  void SetHorzScrollBar(bool Value);
  TRzTabStopList* TabStops() const { return tab_stops_.get(); }
  void SetTabStops(TIntegerList* Value);
  // Sends the first 1000 tab stops, in dialog units, to the window.
  void UpdateTabStops();

  void PublishProperties(TPropertyList& Props) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  std::unique_ptr<TRzTabStopList> tab_stops_;
  uint16_t horz_extent_ = 0;
  bool horz_scroll_bar_ = false;
};

}  // namespace tess
