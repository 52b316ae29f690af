// Byte streams: the abstract TStream, files (TFileStream) and memory (TMemoryStream).
// Positions and sizes are 64-bit.  Read and Write move as many bytes as they can and
// return the count; ReadBuffer and WriteBuffer insist on the full count and raise
// EReadError / EWriteError otherwise.  A position never goes below 0 (EStreamError);
// it may lie past the end, where reads return nothing and writes extend the stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/core/component.h"

namespace tess {

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream : public TObject {
 public:
  // Returns the bytes actually moved (0 at the end, or for Count <= 0).
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  virtual int64_t Size();
  // The base raises EStreamError: not every stream can be resized.
  virtual void SetSize(int64_t NewSize);

  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source's position; Count 0 copies all of Source from its
  // start.  Returns the bytes copied; a short source raises EReadError.
  int64_t CopyFrom(TStream* Source, int64_t Count);
};

// File open modes: one access mode, optionally or-ed with a sharing mode (the sharing
// modes are accepted for compatibility and ignored).
enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFFFF,  // create, or empty an existing file; opened for reading and writing
};

class TFileStream : public TStream {
 public:
  // Raises EFCreateError "Cannot create file "X". reason" for fmCreate, EFOpenError
  // "Cannot open file "X". reason" otherwise.  fmOpenWrite does not empty the file.
  TFileStream(const std::string& FileName, uint16_t Mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override;
  void SetSize(int64_t NewSize) override;
  // Pushes buffered bytes to the file; raises EWriteError when that fails (a full disk
  // shows here, not in Write).
  void Flush();

  const std::string& FileName() const { return file_name_; }

 private:
  enum class LastOp { None, Read, Write };
  void Switch(LastOp Op);

  std::string file_name_;
  std::FILE* file_ = nullptr;
  bool can_read_ = false;
  bool can_write_ = false;
  LastOp last_ = LastOp::None;
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override = default;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  // Keeps the content up to NewSize; new bytes are zero.  The position is kept, but
  // pulled back to the new end when it lay beyond it.
  void SetSize(int64_t NewSize) override;

  // The bytes, valid until the next change of size; null when empty.
  char* Memory() { return data_.empty() ? nullptr : data_.data(); }
  const char* Memory() const { return data_.empty() ? nullptr : data_.data(); }
  // Empties the stream.
  void Clear();

  // Replaces the content by all of Stream (from its start) / the file, position 0.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);
  // Writes the whole content to Stream / the file (created or emptied).
  void SaveToStream(TStream* Stream);
  void SaveToFile(const std::string& FileName);

  // The content as a string, and the content replaced by one (position 0).
  std::string DataString() const { return std::string(data_.begin(), data_.end()); }
  void SetDataString(const std::string& Data);

 private:
  std::vector<char> data_;
  int64_t position_ = 0;
};

}  // namespace tess
