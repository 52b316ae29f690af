// Separated text files of grid cells (see separatedtext.h).
#include "components/lists/separatedtext.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tess {

void ReadSeparatedText(const std::string& Text, char Separator, int32_t MinCols, TGridCells& Cells) {
  // Lines first, so the cells are sized once.
  struct Span {
    size_t start, end;
  };
  std::vector<Span> lines;
  size_t n = Text.size();
  size_t start = 0;
  for (size_t i = 0; i < n; ++i) {
    char c = Text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back({start, i});
      if (c == '\r' && i + 1 < n && Text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < n) lines.push_back({start, n});

  int32_t cols = std::max<int32_t>(MinCols, 1);
  std::vector<int32_t> fields(lines.size());
  for (size_t r = 0; r < lines.size(); ++r) {
    const Span& l = lines[r];
    fields[r] = 1 + static_cast<int32_t>(
                        std::count(Text.begin() + static_cast<std::ptrdiff_t>(l.start),
                                   Text.begin() + static_cast<std::ptrdiff_t>(l.end), Separator));
    cols = std::max(cols, fields[r]);
  }
  Cells.SetSize(0, 0);
  Cells.SetSize(cols, std::max<int32_t>(static_cast<int32_t>(lines.size()), 1));
  for (size_t r = 0; r < lines.size(); ++r) {
    TGridCells::TRow& row = Cells.Row(static_cast<int32_t>(r));
    row.reserve(static_cast<size_t>(fields[r]));
    const char* p = Text.data() + lines[r].start;
    const char* end = Text.data() + lines[r].end;
    for (;;) {
      const char* q = static_cast<const char*>(std::memchr(p, Separator, static_cast<size_t>(end - p)));
      const char* stop = q ? q : end;
      row.push_back(TGridCells::TCell{std::string(p, stop), nullptr});
      if (!q) break;
      p = q + 1;
    }
  }
}

std::string WriteSeparatedText(const TGridCells& Cells, char Separator) {
  std::string out;
  size_t guess = 0;
  for (int32_t r = 0; r < Cells.RowCount(); ++r)
    for (const auto& c : Cells.Row(r)) guess += c.Text.size() + 1;
  out.reserve(guess + static_cast<size_t>(Cells.RowCount()) * (static_cast<size_t>(Cells.ColCount()) + 2));
  for (int32_t r = 0; r < Cells.RowCount(); ++r) {
    const TGridCells::TRow& row = Cells.Row(r);
    for (int32_t c = 0; c < Cells.ColCount(); ++c) {
      if (c) out += Separator;
      if (static_cast<size_t>(c) < row.size()) out += row[static_cast<size_t>(c)].Text;
    }
    out += "\r\n";
  }
  return out;
}

namespace {
struct FileCloser {
  void operator()(std::FILE* F) const { std::fclose(F); }
};
}  // namespace

std::string ReadFileBytes(const std::string& FileName) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(FileName.c_str(), "rb"));
  if (!f) throw EFOpenError("Cannot open file \"" + FileName + "\"", FileName);
  std::string bytes;
  char buf[65536];
  size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f.get())) > 0) bytes.append(buf, got);
  if (std::ferror(f.get())) throw EInOutError("Cannot read file \"" + FileName + "\"");
  return bytes;
}

void WriteFileBytes(const std::string& FileName, const std::string& Bytes) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(FileName.c_str(), "wb"));
  if (!f) throw EFCreateError("Cannot create file \"" + FileName + "\"", FileName);
  if (std::fwrite(Bytes.data(), 1, Bytes.size(), f.get()) != Bytes.size() ||
      std::fclose(f.release()) != 0)
    throw EInOutError("Cannot write file \"" + FileName + "\"");
}

}  // namespace tess
