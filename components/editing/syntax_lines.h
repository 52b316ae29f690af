// The display lines of an editor model as the syntax scanner's backward comment scan
// reads them: the raw text of each line (tabs kept; they decide nothing), viewed in
// place in the paragraph list.
#pragma once

#include <string_view>

#include "components/editing/editormodel.h"
#include "components/editing/syntax_scanner.h"

namespace tess {

class TSynModelLines : public TSynLineSource {
 public:
  explicit TSynModelLines(TEditorModel& Model) : model_(Model) {}
  int32_t LineCount() const override { return model_.GetLineCount(); }
  std::string_view Line(int32_t Index) const override {
    const char* t = nullptr;
    int32_t len = 0;
    model_.Paragraphs().GetLineText(Index, t, len);
    return {t, static_cast<size_t>(len)};
  }

 private:
  TEditorModel& model_;
};

}  // namespace tess
