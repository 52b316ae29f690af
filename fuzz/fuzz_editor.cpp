// The editor's model over any bytes: the input's head chooses the settings, its text
// part is loaded as a file and saved back (byte for byte when nothing was trimmed), and
// its tail is replayed as editing commands, with a clipboard that may refuse the text.
// A cut that the clipboard refused keeps the text, a character typed over a selection
// replaces only the selection, and a save writes the lines the user sees: pieces of a
// line cut at a (small) paragraph limit join only while no edit has come between them.  After every command the wrap tables, line
// counts and cached lookups equal a full rewrap; at the end undoing everything gives back
// the loaded text (unless the bounded history had to give something up) and redoing
// everything gives back the newest text.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "components/core/commands.h"
#include "components/editor/textfile.h"
#include "fuzz/fuzz_check.h"
#include "tests/components/editor/wrap_reference.h"

using namespace tess;

namespace {

class TTextClipboard : public TEditorClipboard {
 public:
  bool HasText() override { return !text.empty(); }
  std::string GetText() override { return text; }
  bool SetText(const std::string& Text) override {
    if (failing) return false;
    text = Text;
    return true;
  }
  std::string text;
  bool failing = false;
};

std::string TempName(const char* Tag) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/fuzz_editor_" + std::to_string(getpid()) + Tag;
}

std::string ReadAll(const std::string& Name) {
  std::ifstream f(Name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// The commands replayed; each takes one argument byte.
const uint16_t kCommands[] = {
    kCmdChar,      kCmdChar,      kCmdChar,   ccBack,         ccDel,       ccDelBol,
    ccDelEol,      ccDelLine,     ccDelWord,  ccNewLine,      ccTab,       ccUndo,
    ccRedo,        ccLeft,        ccRight,    ccUp,           ccDown,      ccHome,
    ccEnd,         ccWordLeft,    ccWordRight, ccExtendLeft,  ccExtendRight, ccExtendUp,
    ccExtendDown,  ccExtendEnd,   ccExtendHome, ccExtWordLeft, ccExtWordRight, ccFirstPage,
    ccLastPage,    ccNextPage,    ccPrevPage, ccExtendPgDn,   ccCut,       ccCopy,
    ccPaste,       ccIns,         ccTopOfPage, ccBotOfPage,   ccScrollDown, ccScrollUp,
};
constexpr size_t kCommandCount = sizeof kCommands / sizeof kCommands[0];

bool UniformBreaks(const std::string& S) {
  int crlf = 0, lf = 0;
  for (size_t i = 0; i < S.size(); ++i)
    if (S[i] == '\n') ++(i > 0 && S[i - 1] == '\r' ? crlf : lf);
  return crlf == 0 || lf == 0;
}

void CheckWrap(TEditorModel& M) {
  std::string why = WrapMismatch(M.Paragraphs());
  if (!why.empty()) std::fprintf(stderr, "wrap: %s\n", why.c_str());
  FUZZ_CHECK(why.empty());
  int32_t col;
  int32_t line = M.GetCaretPosition(col);
  FUZZ_CHECK(line >= 1 && line <= M.GetLineCount() && col >= 1);
}

// The pieces of cut lines as pairs of neighbouring paragraphs, kept apart from the
// editor's own bookkeeping: a pair stands while its two paragraphs stay neighbours; once
// parted it is parted for good.
struct TCutLines {
  std::set<std::pair<const TParaNode*, const TParaNode*>> pairs;
  void Load(TParaList& L) {
    pairs.clear();
    for (const TParaNode* n = L.Head(); n && n->Next; n = n->Next)
      if (n->Next->Continues) pairs.insert({n, n->Next});
  }
  // After every command (never dereferences a node that may have gone).
  void Follow(TParaList& L) {
    std::set<std::pair<const TParaNode*, const TParaNode*>> now;
    for (const TParaNode* n = L.Head(); n && n->Next; n = n->Next)
      if (pairs.count({n, n->Next})) now.insert({n, n->Next});
    pairs.swap(now);
  }
  std::string Expected(TParaList& L, const std::string& Break, bool FinalBreak) const {
    std::string out;
    const TParaNode* tail = L.Tail();
    const TParaNode* last = tail->Length == 0 ? tail->Prev : tail;
    for (const TParaNode* n = L.Head(); n; n = n->Next) {
      if (n == tail && n->Length == 0) break;
      out.append(n->GetText(), n->Length);
      if (n->Next && pairs.count({n, n->Next})) continue;
      // A line whose text ends in a CR keeps it behind a CR LF, whatever the file's break.
      bool cr = n->Length > 0 && n->GetText()[n->Length - 1] == '\r';
      if (n != last || FinalBreak) out += cr ? std::string("\r\n") : Break;
    }
    return out;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const uint8_t flags = data[0];
  const int32_t wrapColumn = 1 + data[1] % 60;
  const auto tabSize = static_cast<uint8_t>(1 + data[2] % 8);
  const int32_t paraLengthLimit = 4 + (data[2] >> 3) % 24;
  size_t textLen = (size_t{data[3]} | size_t{data[4]} << 8) % 4096;
  data += 5;
  size -= 5;
  if (textLen > size) textLen = size;
  const std::string file(reinterpret_cast<const char*>(data), textLen);
  data += textLen;
  size -= textLen;

  TTextFileModel m;
  TTextClipboard clip;
  m.Clipboard = &clip;
  uint16_t lastError = 0;
  m.OnError = [&lastError](uint16_t& Code) { lastError = Code; };
  m.SetUndoBufferSize(flags & 0x40 ? 512 : 65535);
  m.TrimWhiteSpace = (flags & 0x02) != 0;
  m.AutoIndent = (flags & 0x04) != 0;
  m.TabType = static_cast<TTabType>((flags >> 3) % 3);
  m.SetTabSize(tabSize);
  m.SetWrapColumn(wrapColumn);
  if (flags & 0x20) m.SetParaLengthLimit(paraLengthLimit);
  m.SetMetrics(8, 16, 15, 5, 8 * 40, 16 * 10);
  if (flags & 0x01) m.SetWordWrap(true);
  if (flags & 0x80) m.SetScrollPastEnd(true);

  const std::string in = TempName(".in"), out = TempName(".out");
  {
    std::FILE* f = std::fopen(in.c_str(), "wb");
    FUZZ_CHECK(f);
    FUZZ_CHECK(std::fwrite(file.data(), 1, file.size(), f) == file.size());
    std::fclose(f);
  }
  m.LoadFromFile(in);
  CheckWrap(m);
  FUZZ_CHECK(!m.GetModified());
  // Nothing trimmed and one kind of line break: saving gives back the same bytes (a file
  // of mixed breaks is saved with the first line's).
  if (!m.TrimWhiteSpace && UniformBreaks(file)) {
    m.SaveToFile(out);
    std::string expected = file;
    std::replace(expected.begin(), expected.end(), '\0', ' ');
    FUZZ_CHECK(ReadAll(out) == expected);
  }
  const std::string loaded = m.GetTextString();
  TCutLines cut;
  cut.Load(m.Paragraphs());
  // Nodes are freed only when history is given up; then a pair cannot be told apart
  // from a new paragraph at the same address, and the save is not checked.
  bool cutKnown = file.empty() || file.back() == '\n';

  for (size_t i = 0; i + 1 < size && i < 600; i += 2) {
    const uint8_t op = data[i], arg = data[i + 1];
    if (op < 200) {
      uint16_t cmd = kCommands[op % kCommandCount];
      char ch = static_cast<char>(cmd == kCmdChar ? (arg % 8 == 0 ? '\t' : 32 + arg % 95) : '0' + arg % 10);
      const std::string before = m.GetTextString(), sel = m.GetSelText();
      lastError = 0;
      m.ProcessCommand(cmd, ch);
      if (lastError == 0 && !sel.empty() && cmd == kCmdChar && ch != '\t')
        FUZZ_CHECK(m.GetTextString().size() >= before.size() - sel.size() + 1);
      if (cmd == ccCut && clip.failing && !sel.empty()) FUZZ_CHECK(m.GetTextString() == before);
    } else if (op < 215) {
      int32_t l1 = 1 + arg % m.GetLineCount(), l2 = 1 + (arg * 7) % m.GetLineCount();
      m.SetSelection(l1, 1 + arg % 9, l2, 1 + arg % 13, (arg & 1) != 0);
    } else if (op < 230) {
      // A text with line breaks, cut from the input itself.
      size_t n = std::min<size_t>(arg % 24, size - i - 2);
      std::string t(reinterpret_cast<const char*>(data + i + 2), n);
      for (char& c : t)
        if (c == 0) c = ' ';
      m.Insert(t.c_str());
    } else if (op < 240) {
      static const char* const kFind[] = {"a", " ", "e", "--", "\t", "ab"};
      static const char* const kRepl[] = {"aa", "", "E", "-", "  ", "b"};
      m.SearchReplace(kFind[arg % 6], kRepl[(arg / 6) % 6],
                      static_cast<uint8_t>(srReplaceAll | srGlobal | (arg & srMatchCase) |
                                           (arg & srWholeWord) | (arg & srBackward)));
    } else if (op < 250) {
      m.SetCaretPosition(1 + arg % m.GetLineCount(), 1 + arg % 17);
    } else if (op < 253) {
      clip.failing = !clip.failing;
    } else {
      m.SetWordWrap(!m.WordWrap());
    }
    CheckWrap(m);
    cut.Follow(m.Paragraphs());
  }
  cutKnown = cutKnown && m.Paragraphs().UndoBuffer().Losses() == 0;
  if (cutKnown) {
    // The lines the user sees, with the file's line break.
    m.SaveToFile(out);
    FUZZ_CHECK(ReadAll(out) == cut.Expected(m.Paragraphs(), m.LineBreak(), true));
    // Read back, the file is the text: the same paragraphs (and the empty one that ends
    // every loaded text), unless trimming or the joined pieces of a cut line change them.
    if (!m.TrimWhiteSpace && cut.pairs.empty()) {
      TTextFileModel back;
      back.TrimWhiteSpace = false;
      back.SetParaLengthLimit(m.ParaLengthLimit());
      back.LoadFromFile(out);
      std::vector<std::string> want, got;
      for (int32_t p = 1; p <= m.GetParaCount(); ++p) want.push_back(m.GetPara(p));
      if (!want.back().empty()) want.push_back("");
      for (int32_t p = 1; p <= back.GetParaCount(); ++p) got.push_back(back.GetPara(p));
      FUZZ_CHECK(got == want);
    }
  }

  // The newest text: what the commands left, with any undone changes redone.
  auto redoAll = [&m] {
    for (int n = 0; m.GetCanRedo(); ++n) {
      FUZZ_CHECK(n < 70000);
      m.Redo();
      CheckWrap(m);
    }
  };
  redoAll();
  const std::string newest = m.GetTextString();
  const uint32_t losses = m.Paragraphs().UndoBuffer().Losses();
  for (int n = 0; m.GetCanUndo(); ++n) {
    FUZZ_CHECK(n < 70000);
    m.Undo();
    CheckWrap(m);
  }
  if (losses == 0) {
    FUZZ_CHECK(m.GetTextString() == loaded);
    FUZZ_CHECK(!m.GetModified());
  }
  redoAll();
  if (losses == 0) FUZZ_CHECK(m.GetTextString() == newest);
  std::remove(in.c_str());
  std::remove(out.c_str());
  return 0;
}
