// Recording stand-ins for an entry field's window, for the portable tests.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "components/entry/entryfield_edit.h"
#include "components/entry/entryfield_model.h"

namespace tess::testing {

class RecordingHost : public TEntryFieldHost, public TEntryEditHost {
 public:
  bool Focus = false, Visible = true, Pending = false;
  std::string Text;
  int FocusBacks = 0, Paints = 0, Beeps = 0, Nexts = 0, Prevs = 0, Changes = 0;
  // The window's own check of the contents, when a test gives one.
  std::function<void(uint16_t&)> Check;
  std::vector<uint16_t> Posted;
  std::vector<std::pair<uint16_t, std::string>> Reports;

  bool Focused() const override { return Focus; }
  bool Usable() const override { return Visible; }
  void Invalidate() override { ++Paints; }
  bool ErrorPending() const override { return Pending; }
  void SetErrorPending(bool Value) override { Pending = Value; }
  const std::string& ErrorText() const override { return Text; }
  void SetErrorText(const std::string& Value) override { Text = Value; }
  void PostFocusBack() override { ++FocusBacks; }
  void PostErrorReport(uint16_t Code) override { Posted.push_back(Code); }
  void ReportError(uint16_t Code, const std::string& Message) override {
    Reports.emplace_back(Code, Message);
  }
  void TextChanged() override { ++Changes; }
  void UserValidation(uint16_t& Code) override {
    if (Check) Check(Code);
  }
  void Beep() override { ++Beeps; }
  void MoveToNextField() override { ++Nexts; }
  void MoveToPrevField() override { ++Prevs; }
};

}  // namespace tess::testing
