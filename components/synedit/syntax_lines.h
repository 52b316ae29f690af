// The display lines of an editor model as the syntax scanner's backward comment scan
// reads them: the raw text of each line (tabs kept; they decide nothing), viewed in
// place in the paragraph list; and the comment cache over them, kept in step with the
// model's text by its change hooks.
#pragma once

#include <string_view>

#include "components/editor/editormodel.h"
#include "components/synedit/syntax_scanner.h"
#include "components/editor/textfile.h"

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

class TSynModelComments {
 public:
  explicit TSynModelComments(TEditorModel& Model) : lines_(Model), cache_(lines_) {}
  TSynModelComments(const TSynModelComments&) = delete;
  TSynModelComments& operator=(const TSynModelComments&) = delete;

  // The text changed from display line FirstLine down; 0: a new text altogether.
  void Changed(int32_t FirstLine) {
    if (FirstLine < 1)
      cache_.Clear();
    else
      cache_.Invalidate(FirstLine);
  }
  bool IsLineInBlockComment(int32_t Line) { return cache_.IsLineInBlockComment(Line); }
  int64_t LinesScanned() const { return cache_.LinesScanned(); }
  TSynCommentCache& Cache() { return cache_; }
  const TSynModelLines& Lines() const { return lines_; }

 private:
  TSynModelLines lines_;
  TSynCommentCache cache_;
};

// A text-file model whose comment cache follows its own edits, as the syntax-colouring
// editor's window keeps it: for measuring and testing without a window.
class TSynTextFileModel : public TTextFileModel {
 public:
  TSynModelComments Comments{*this};

 protected:
  void TextChanged(TParaListEditor* Editor) override {
    Comments.Changed(Paragraphs().FirstChangedLine());
    TTextFileModel::TextChanged(Editor);
  }
  void TextRewrapped() override {
    Comments.Changed(1);
    TTextFileModel::TextRewrapped();
  }
  void TextReplaced() override { Comments.Changed(0); }
};

}  // namespace tess
