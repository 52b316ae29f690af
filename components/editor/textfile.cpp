// See textfile.h.
#include "components/editor/textfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "components/editor/paratext.h"
#include "framework/core/sysutils.h"

namespace tess {

namespace {
namespace fs = std::filesystem;

struct FileCloser {
  void operator()(std::FILE* F) const { std::fclose(F); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string StripDot(const std::string& V) {
  if (V.size() > 1 && V.back() == '.') return V.substr(0, V.size() - 1);
  return V;
}

bool SameName(const std::string& A, const std::string& B) {
  return A.size() == B.size() &&
         std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
           return std::tolower(static_cast<unsigned char>(X)) ==
                  std::tolower(static_cast<unsigned char>(Y));
         });
}

[[noreturn]] void RaiseIO(const std::string& What, const std::string& Name, int Code) {
  throw EInOutError(What + " " + Name + ": " + std::strerror(Code), Code);
}

// Ends the busy time of a model however the work ends, unless a handler run on the way
// (an error report) freed the model with its editor.
struct BusyGuard {
  BusyGuard(const TLifeMark& Model, std::function<void()> End)
      : model(Model), end(std::move(End)) {}
  ~BusyGuard() {
    if (model.Alive()) end();
  }
  TLifeWatch model;
  std::function<void()> end;
};
}  // namespace

TTextFileModel::TTextFileModel() = default;

void TTextFileModel::SetFileName(const std::string& Value) {
  if (SameName(Value, file_name_)) return;
  is_open_ = false;
  file_name_ = StripDot(Value);
}

void TTextFileModel::SetIsOpen(bool Value) {
  if (Value == is_open_ || file_name_.empty()) return;
  is_open_ = Value;
  if (ComponentLoading) return;
  if (Value) {
    LoadFromFile(file_name_);
  } else {
    DeleteAll(true);
  }
}

void TTextFileModel::AttachTo(TEditorModel* Other) {
  TEditorModel::AttachTo(Other);
  if (auto* f = dynamic_cast<TTextFileModel*>(Other)) file_name_ = f->file_name_;
}

std::string TTextFileModel::BackupName(const std::string& FileName) const {
  fs::path p(FileName);
  p.replace_extension("." + backup_ext_);
  return p.string();
}

void TTextFileModel::LoadFromFile(const std::string& FileName) {
  if (FileName.empty()) return;
  file_name_ = StripDot(FileName);
  BeginBusy();
  BusyGuard busy(LifeMark(), [this] { EndBusy(); });
  FilePtr f(std::fopen(file_name_.c_str(), "rb"));
  if (!f) RaiseIO("Cannot open", file_name_, errno);
  std::string data;
  {
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) data.append(buf, n);
    if (std::ferror(f.get())) RaiseIO("Cannot read", file_name_, errno);
  }
  f.reset();
  // A paragraph's text ends at its NUL: a NUL byte in the file would cut the line for
  // every routine that reads it, so it is taken as a blank.
  std::replace(data.begin(), data.end(), '\0', ' ');
  // The old text goes in any case, window or not.
  DeleteAll(true);
  const char* s = data.data();
  const char* end = s + data.size();
  const char* firstLF = static_cast<const char*>(std::memchr(s, '\n', data.size()));
  line_break_ = firstLF && (firstLF == s || firstLF[-1] != '\r') ? "\n" : "\r\n";
  final_break_ = data.empty() || data.back() == '\n';
  TParaList& list = Paragraphs();
  const int32_t limit = ParaLengthLimit();
  uint16_t error = 0;
  while (s < end && error == 0) {
    auto* lf = static_cast<const char*>(std::memchr(s, '\n', static_cast<size_t>(end - s)));
    const char* le = lf ? lf : end;
    const char* next = lf ? lf + 1 : end;
    if (lf && le > s && le[-1] == '\r') --le;
    auto len = static_cast<int32_t>(le - s);
    if (TrimWhiteSpace)
      while (len > 0 && IsBlank(s[len - 1])) --len;
    if (uint16_t code = list.CheckLimits(0, 1, len + 2)) {
      error = code;
      break;
    }
    // A line beyond the paragraph limit goes on in further paragraphs.
    CutLine(s, len, limit, [&](const char* P, int32_t N, bool Continues) {
      error = list.AppendPara(P, N, false);
      if (error == 0 && Continues) list.GetParaNode(list.ParaCount() - 1)->Continues = true;
      return error == 0;
    });
    s = next;
  }
  list.Compact();
  ScrollBarsChanged();
  InvalidateAll();
  is_open_ = true;
  // A text that did not fit is not dropped without a word.
  DoError(error);
}

void TTextFileModel::SaveToFile(const std::string& FileName) {
  if (FileName.empty()) return;
  BeginBusy();
  BusyGuard busy(LifeMark(), [this] { EndBusy(); });
  std::string name = StripDot(FileName);
  // Write the whole text to a new file beside the old one first.
  std::string temp = name + ".$$$";
  {
    FilePtr f(std::fopen(temp.c_str(), "wb"));
    if (!f) RaiseIO("Cannot create", temp, errno);
    std::string out;
    out.reserve(65536 + 1024);
    TParaList& list = Paragraphs();
    TParaNode* tail = list.Tail();
    // An empty last paragraph is not written; the last one written gets a line break
    // only when the file had one there.
    TParaNode* last = tail->Length == 0 ? tail->Prev : tail;
    bool ok = true;
    for (TParaNode* n = list.Head(); n && ok; n = n->Next) {
      if (n == tail && n->Length == 0) break;
      out.append(n->GetText(), n->Length);
      if (n->Next && n->Next->Continues) continue;
      if (n == last && !final_break_) continue;
      // Loading takes a CR before a LF as part of the line break: a line whose text ends
      // in a CR keeps it only behind a CR LF.
      if (n->Length > 0 && n->GetText()[n->Length - 1] == '\r')
        out += "\r\n";
      else
        out += line_break_;
      if (out.size() >= 65536) {
        ok = std::fwrite(out.data(), 1, out.size(), f.get()) == out.size();
        out.clear();
      }
    }
    if (ok && !out.empty()) ok = std::fwrite(out.data(), 1, out.size(), f.get()) == out.size();
    int err = errno;
    if (std::fclose(f.release()) != 0 && ok) {
      ok = false;
      err = errno;
    }
    if (!ok) {
      std::error_code ec;
      fs::remove(temp, ec);
      RaiseIO("Cannot write", name, err ? err : EIO);
    }
  }
  std::error_code ec;
  if (MakeBackup && fs::exists(name, ec)) {
    std::string backup = BackupName(name);
    if (!SameName(backup, name)) {
      fs::remove(backup, ec);
      fs::rename(name, backup, ec);
      if (ec) {
        fs::remove(temp, ec);
        RaiseIO("Cannot rename", name, ec.value());
      }
    }
  }
  fs::rename(temp, name, ec);
  if (ec) {
    // Some systems do not replace an existing file on rename.
    std::error_code ec2;
    fs::remove(name, ec2);
    fs::rename(temp, name, ec);
    if (ec) {
      int err = ec.value();
      fs::remove(temp, ec2);
      RaiseIO("Cannot replace", name, err);
    }
  }
}

}  // namespace tess
