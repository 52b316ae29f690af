// Streams over files and memory (see streams.h).
#include "framework/core/streams.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/types.h>
#include <unistd.h>
#endif

namespace tess {

namespace {

[[noreturn]] void BadPosition() {
  throw EStreamError("Invalid stream position");
}

// Where a seek lands, refusing positions before the start and arithmetic overflow.
int64_t SeekTarget(int64_t Base, int64_t Offset) {
  if ((Offset > 0 && Base > std::numeric_limits<int64_t>::max() - Offset)) BadPosition();
  int64_t target = Base + Offset;
  if (target < 0) BadPosition();
  return target;
}

}  // namespace

// ---------------------------------------------------------------------------------------

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(int64_t) {
  throw EStreamError("Stream cannot change its size");
}

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count < 0 || (Count > 0 && Read(Buffer, Count) != Count))
    throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count < 0 || (Count > 0 && Write(Buffer, Count) != Count))
    throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  if (Count < 0) return 0;
  constexpr int64_t kChunk = 64 * 1024;
  std::vector<char> buf(static_cast<size_t>(Count < kChunk ? Count : kChunk));
  int64_t left = Count;
  while (left > 0) {
    int64_t n = left < kChunk ? left : kChunk;
    Source->ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    left -= n;
  }
  return Count;
}

// ---------------------------------------------------------------------------------------

namespace {

int SeekFile(std::FILE* f, int64_t Offset, int Whence) {
#ifdef _WIN32
  return _fseeki64(f, Offset, Whence);
#else
  return fseeko(f, static_cast<off_t>(Offset), Whence);
#endif
}

int64_t TellFile(std::FILE* f) {
#ifdef _WIN32
  return _ftelli64(f);
#else
  return static_cast<int64_t>(ftello(f));
#endif
}

}  // namespace

TFileStream::TFileStream(const std::string& FileName, uint16_t Mode) : file_name_(FileName) {
  const char* how;
  if (Mode == fmCreate) {
    how = "w+b";
    can_read_ = can_write_ = true;
  } else {
    switch (Mode & 3) {
      case fmOpenWrite:
        how = "r+b";  // opened for update so that the file is not emptied
        can_write_ = true;
        break;
      case fmOpenReadWrite:
        how = "r+b";
        can_read_ = can_write_ = true;
        break;
      default:
        how = "rb";
        can_read_ = true;
        break;
    }
  }
  file_ = std::fopen(FileName.c_str(), how);
  if (file_ == nullptr) {
    std::string reason = std::strerror(errno);
    if (Mode == fmCreate)
      throw EFCreateError("Cannot create file \"" + FileName + "\". " + reason, FileName);
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + reason, FileName);
  }
}

TFileStream::~TFileStream() {
  if (file_ != nullptr) std::fclose(file_);
}

void TFileStream::Switch(LastOp Op) {
  // A C stream needs a positioning call between reading and writing.
  if (last_ != LastOp::None && last_ != Op) SeekFile(file_, 0, SEEK_CUR);
  last_ = Op;
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  if (!can_read_ || Count <= 0) return 0;
  Switch(LastOp::Read);
  return static_cast<int64_t>(std::fread(Buffer, 1, static_cast<size_t>(Count), file_));
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  if (!can_write_ || Count <= 0) return 0;
  Switch(LastOp::Write);
  return static_cast<int64_t>(std::fwrite(Buffer, 1, static_cast<size_t>(Count), file_));
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  if (Origin == soCurrent && Offset == 0) return TellFile(file_);
  int64_t base = 0;
  if (Origin == soCurrent) {
    base = TellFile(file_);
  } else if (Origin == soEnd) {
    if (SeekFile(file_, 0, SEEK_END) != 0) throw EStreamError("Seek error in " + file_name_);
    base = TellFile(file_);
  }
  int64_t target = SeekTarget(base, Offset);
  if (SeekFile(file_, target, SEEK_SET) != 0) throw EStreamError("Seek error in " + file_name_);
  last_ = LastOp::None;
  return target;
}

int64_t TFileStream::Size() {
  int64_t pos = TellFile(file_);
  SeekFile(file_, 0, SEEK_END);
  int64_t size = TellFile(file_);
  SeekFile(file_, pos, SEEK_SET);
  last_ = LastOp::None;
  return size;
}

void TFileStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) BadPosition();
  if (!can_write_) throw EStreamError("Cannot change the size of read-only file " + file_name_);
  int64_t pos = TellFile(file_);
  std::fflush(file_);
#ifdef _WIN32
  int rc = _chsize_s(_fileno(file_), NewSize);
#else
  int rc = ftruncate(fileno(file_), static_cast<off_t>(NewSize));
#endif
  if (rc != 0) throw EStreamError("Cannot change the size of " + file_name_);
  SeekFile(file_, pos < NewSize ? pos : NewSize, SEEK_SET);
  last_ = LastOp::None;
}

void TFileStream::Flush() {
  if (std::fflush(file_) != 0) throw EWriteError("Cannot write to " + file_name_);
}

// ---------------------------------------------------------------------------------------

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  int64_t size = Size();
  if (Count <= 0 || position_ >= size) return 0;
  int64_t n = size - position_ < Count ? size - position_ : Count;
  std::memcpy(Buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (position_ > std::numeric_limits<int64_t>::max() - Count) return 0;
  int64_t end = position_ + Count;
  if (end > Size()) SetSize(end);
  std::memcpy(data_.data() + position_, Buffer, static_cast<size_t>(Count));
  position_ = end;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = Origin == soBeginning ? 0 : (Origin == soCurrent ? position_ : Size());
  position_ = SeekTarget(base, Offset);
  return position_;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) BadPosition();
  if (static_cast<uint64_t>(NewSize) > data_.max_size()) throw EOutOfMemory("Out of memory");
  try {
    data_.resize(static_cast<size_t>(NewSize));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory");
  } catch (const std::length_error&) {
    throw EOutOfMemory("Out of memory");
  }
  if (position_ > NewSize) position_ = NewSize;
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  if (Stream == this) {
    position_ = 0;
    return;
  }
  Stream->SetPosition(0);
  int64_t n = Stream->Size();
  std::vector<char> fresh;
  try {
    fresh.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory");
  }
  Stream->ReadBuffer(fresh.data(), n);
  data_.swap(fresh);
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

void TMemoryStream::SaveToStream(TStream* Stream) {
  if (Stream == this) return;
  Stream->WriteBuffer(data_.data(), Size());
}

void TMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f);
  f.Flush();
}

void TMemoryStream::SetDataString(const std::string& Data) {
  data_.assign(Data.begin(), Data.end());
  position_ = 0;
}

}  // namespace tess
