// Settings files through the system's profile-string services.  Every operation opens
// the file, does its work and lets it go (nothing is cached by the object), so two
// objects on one file, or another program, always see each other's writes.  A file name
// without a directory means a file in the Windows directory, as the system has it.
#pragma once

#include <string>
#include <vector>

#include "framework/core/classes.h"

namespace tess {

class EIniFileException : public Exception {
 public:
  using Exception::Exception;
};

class TIniFile : public TObject {
 public:
  explicit TIniFile(std::string FileName) : file_name_(std::move(FileName)) {}

  const std::string& FileName() const { return file_name_; }

  // Values of any length; Default when the key is missing.
  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default);
  // Raises EIniFileException "Unable to write to <file>" when the system refuses.
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
  // Decimal, or hexadecimal after "$" or "0x"; Default when missing or not a number.
  int32_t ReadInteger(const std::string& Section, const std::string& Ident, int32_t Default);
  void WriteInteger(const std::string& Section, const std::string& Ident, int32_t Value);
  // An integer: 0 is false, any other is true; Default when missing or not a number.
  bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
  // Writes "1" or "0".
  void WriteBool(const std::string& Section, const std::string& Ident, bool Value);

  // The key names of a section, in file order (Strings is cleared first).
  void ReadSection(const std::string& Section, TStrings* Strings);
  // The section names, in file order.
  void ReadSections(TStrings* Strings);
  // The "key=value" lines of a section.
  void ReadSectionValues(const std::string& Section, TStrings* Strings);
  bool SectionExists(const std::string& Section);
  bool ValueExists(const std::string& Section, const std::string& Ident);
  void EraseSection(const std::string& Section);
  void DeleteKey(const std::string& Section, const std::string& Ident);
  // Makes the system write what it may still hold for the file.
  void UpdateFile();

 private:
  // A list of names separated by NULs (keys of a section, or sections).
  std::vector<std::string> ReadNames(const char* Section);
  std::string file_name_;
};

}  // namespace tess
