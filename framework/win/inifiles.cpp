// Settings files over GetPrivateProfileString and WritePrivateProfileString.
#include "framework/win/inifiles.h"

#include "platform/win32.h"

namespace tess {

namespace {

// The system truncates silently; reading again with a larger buffer until the answer
// fits keeps long values whole.  Lists end in two NULs, hence Slack 2 for them.
std::string ProfileRead(const char* Section, const char* Key, const char* Default,
                        const std::string& File, DWORD Slack) {
  std::vector<char> buf(1024);
  for (;;) {
    DWORD got = GetPrivateProfileStringA(Section, Key, Default, buf.data(),
                                         static_cast<DWORD>(buf.size()), File.c_str());
    if (got + Slack < buf.size() || buf.size() >= (64u << 20)) return std::string(buf.data(), got);
    buf.resize(buf.size() * 4);
  }
}

}  // namespace

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) {
  return ProfileRead(Section.c_str(), Ident.c_str(), Default.c_str(), file_name_, 1);
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) {
  if (!WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), Value.c_str(),
                                  file_name_.c_str()))
    throw EIniFileException("Unable to write to " + file_name_);
}

int32_t TIniFile::ReadInteger(const std::string& Section, const std::string& Ident,
                              int32_t Default) {
  std::string s = ReadString(Section, Ident, "");
  int32_t v = 0;
  if (s.empty() || !TryStrToInt(s, v)) return Default;
  return v;
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int32_t Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

std::vector<std::string> TIniFile::ReadNames(const char* Section) {
  std::string all = ProfileRead(Section, nullptr, "", file_name_, 2);
  std::vector<std::string> names;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    if (end > start) names.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

void TIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    for (const std::string& n : ReadNames(Section.c_str())) Strings->Add(n);
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TIniFile::ReadSections(TStrings* Strings) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    for (const std::string& n : ReadNames(nullptr)) Strings->Add(n);
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    for (const std::string& n : ReadNames(Section.c_str()))
      Strings->Add(n + "=" + ReadString(Section, n, ""));
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

bool TIniFile::SectionExists(const std::string& Section) {
  for (const std::string& s : ReadNames(nullptr))
    if (SameText(s, Section)) return true;
  return false;
}

bool TIniFile::ValueExists(const std::string& Section, const std::string& Ident) {
  for (const std::string& k : ReadNames(Section.c_str()))
    if (SameText(k, Ident)) return true;
  return false;
}

void TIniFile::EraseSection(const std::string& Section) {
  if (!WritePrivateProfileStringA(Section.c_str(), nullptr, nullptr, file_name_.c_str()))
    throw EIniFileException("Unable to write to " + file_name_);
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), nullptr, file_name_.c_str());
}

void TIniFile::UpdateFile() {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file_name_.c_str());
}

}  // namespace tess
