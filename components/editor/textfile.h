// The text-file editor's model: a file name, loading a text file into the paragraphs
// and saving them with an optional backup copy.
//
// Loading keeps everything of the file: a line longer than the paragraph limit goes on
// in further paragraphs marked as continuing it, and saving writes such a paragraph
// without a line break before it (until an edit separates the pieces: the list then
// drops the mark, and the pieces are saved as the lines they are shown as); the file's line break (CR LF or LF) and whether its
// last line ended with one are remembered, so that loading and saving an unchanged file
// gives back the same bytes (with TrimWhiteSpace off; a NUL byte is read as a blank).  Saving writes a new file beside
// the old one and only then replaces it, so a failed write leaves the old file and its
// backup as they were.
#pragma once

#include <string>

#include "components/editor/editormodel.h"

namespace tess {

class TTextFileModel : public TEditorModel {
 public:
  TTextFileModel();

  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& Value);
  bool IsOpen() const { return is_open_; }
  void SetIsOpen(bool Value);
  bool MakeBackup = false;
  const std::string& BackupExt() const { return backup_ext_; }
  void SetBackupExt(const std::string& V) { backup_ext_ = V.substr(0, 3); }
  // While the owning form is being read, IsOpen is only stored.
  bool ComponentLoading = false;
  // The line break written between paragraphs: "\r\n" unless the file loaded used LF.
  const std::string& LineBreak() const { return line_break_; }
  void SetLineBreak(const std::string& V) { line_break_ = V; }

  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);
  void AttachTo(TEditorModel* Other) override;

  // The backup name of FileName: its extension replaced by "." + BackupExt.
  std::string BackupName(const std::string& FileName) const;

 protected:
  // The hourglass while loading or saving (the window shows it).
  virtual void BeginBusy() {}
  virtual void EndBusy() {}

 private:
  std::string file_name_;
  bool is_open_ = false;
  std::string backup_ext_ = "BAK";
  std::string line_break_ = "\r\n";
  bool final_break_ = true;
};

}  // namespace tess
