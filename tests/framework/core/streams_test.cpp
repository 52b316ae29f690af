// Streams: positions at and past the ends, short transfers, copying, and files opened
// in every mode.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "framework/core/classes.h"
#include "framework/core/dibdata.h"

namespace tess {
namespace {

std::string TempFile(const std::string& name) {
  auto dir = std::filesystem::temp_directory_path() / "tess_core_streams";
  std::filesystem::create_directories(dir);
  std::string path = (dir / name).string();
  DeleteFile(path);
  return path;
}

std::string ReadAll(TStream& s) {
  s.SetPosition(0);
  std::string out(static_cast<size_t>(s.Size()), '\0');
  s.ReadBuffer(out.data(), s.Size());
  return out;
}

TEST(MemoryStream, PositionsAndSizes) {
  TMemoryStream ms;
  EXPECT_EQ(ms.Memory(), nullptr);
  char buf[8] = {};
  EXPECT_EQ(ms.Read(buf, 8), 0);
  ms.WriteBuffer("abc", 3);
  EXPECT_EQ(ms.Position(), 3);
  // Past the end: reading gives nothing, writing fills the gap with zeros.
  EXPECT_EQ(ms.Seek(2, soEnd), 5);
  EXPECT_EQ(ms.Read(buf, 1), 0);
  ms.WriteBuffer("z", 1);
  EXPECT_EQ(ms.DataString(), std::string("abc\0\0z", 6));
  // Before the start is refused and leaves the position alone.
  EXPECT_THROW(ms.Seek(-7, soEnd), EStreamError);
  EXPECT_EQ(ms.Position(), 6);
  EXPECT_EQ(ms.Seek(-2, soCurrent), 4);
  EXPECT_EQ(ms.Read(buf, 8), 2);
  // Shrinking pulls the position back; growing adds zeros.
  ms.SetSize(2);
  EXPECT_EQ(ms.Position(), 2);
  ms.SetSize(4);
  EXPECT_EQ(ms.DataString(), std::string("ab\0\0", 4));
  EXPECT_THROW(ms.SetSize(-1), EStreamError);
  EXPECT_EQ(ms.Read(buf, -5), 0);
  EXPECT_EQ(ms.Write(buf, 0), 0);
  ms.Clear();
  EXPECT_EQ(ms.Size(), 0);
  EXPECT_EQ(ms.Position(), 0);
}

TEST(MemoryStream, ShortTransfersRaise) {
  TMemoryStream ms;
  ms.SetDataString("12345");
  char buf[8];
  ms.SetPosition(3);
  try {
    ms.ReadBuffer(buf, 3);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  EXPECT_THROW(ms.ReadBuffer(buf, -1), EReadError);
  ms.ReadBuffer(buf, 0);  // nothing asked, nothing wrong

  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(&ms, 0), 5);  // 0: the whole source from its start
  EXPECT_EQ(dst.DataString(), "12345");
  ms.SetPosition(1);
  EXPECT_EQ(dst.CopyFrom(&ms, 3), 3);
  EXPECT_EQ(dst.DataString(), "12345234");
  EXPECT_THROW(dst.CopyFrom(&ms, 10), EReadError);
}

TEST(MemoryStream, CopiesLargerThanOneChunk) {
  TMemoryStream src, dst;
  std::string data;
  for (int i = 0; i < 200000; ++i) data += static_cast<char>(i * 7);
  src.SetDataString(data);
  EXPECT_EQ(dst.CopyFrom(&src, 0), static_cast<int64_t>(data.size()));
  EXPECT_EQ(dst.DataString(), data);
}

TEST(FileStream, ModesCreateOpenAndKeepContent) {
  const std::string path = TempFile("modes.bin");
  std::string bytes("a\0\x1a\r\nz", 6);  // binary: no text-mode translation
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer(bytes.data(), 6);
    // Reading right after writing, through the same stream.
    f.SetPosition(1);
    char c[2];
    f.ReadBuffer(c, 2);
    EXPECT_EQ(std::string(c, 2), std::string("\0\x1a", 2));
    f.WriteBuffer("X", 1);
    EXPECT_EQ(f.Size(), 6);
  }
  {
    TFileStream f(path, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(ReadAll(f), std::string("a\0\x1aX\nz", 6));
    EXPECT_EQ(f.Write("q", 1), 0);  // read-only
    EXPECT_THROW(f.WriteBuffer("q", 1), EWriteError);
  }
  {
    TFileStream f(path, fmOpenWrite);  // does not empty the file
    EXPECT_EQ(f.Size(), 6);
    f.Seek(0, soEnd);
    f.WriteBuffer("!", 1);
    char c;
    EXPECT_EQ(f.Read(&c, 1), 0);  // write-only
  }
  {
    TFileStream f(path, fmOpenReadWrite);
    EXPECT_EQ(f.Size(), 7);
    f.SetSize(3);
    EXPECT_EQ(ReadAll(f), std::string("a\0\x1a", 3));
    EXPECT_THROW(f.Seek(-1, soBeginning), EStreamError);
  }
  EXPECT_EQ(FileSizeOf(path), 3);
  {
    TFileStream f(path, fmCreate);  // empties it
    EXPECT_EQ(f.Size(), 0);
  }
}

TEST(FileStream, FailuresNameTheFile) {
  const std::string missing = TempFile("absent.bin");
  try {
    TFileStream f(missing, fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.FileName(), missing);
    EXPECT_EQ(e.Message().rfind("Cannot open file \"" + missing + "\"", 0), 0u) << e.Message();
  }
  EXPECT_THROW(TFileStream(missing, fmOpenReadWrite), EFOpenError);
  const std::string in_missing_dir = TempFile("nodir") + "/sub/x.bin";
  try {
    TFileStream f(in_missing_dir, fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.FileName(), in_missing_dir);
  }
}

TEST(MemoryStream, FileRoundTrip) {
  const std::string path = TempFile("memory.bin");
  TMemoryStream ms;
  std::string data;
  for (int i = 0; i < 1000; ++i) data += static_cast<char>(i);
  ms.SetDataString(data);
  ms.SaveToFile(path);
  TMemoryStream back;
  back.WriteBuffer("old", 3);
  back.LoadFromFile(path);
  EXPECT_EQ(back.DataString(), data);
  EXPECT_EQ(back.Position(), 0);
  EXPECT_THROW(back.LoadFromFile(path + ".none"), EFOpenError);
  EXPECT_EQ(back.DataString(), data);  // a failed load keeps the old content
}

TEST(DibData, OnlyWholeUncompressedImagesPass) {
  std::vector<uint8_t> dib = NewDib24(5, 3);
  TDibLayout d = CheckDib(dib.data(), dib.size());
  EXPECT_EQ(d.Width, 5);
  EXPECT_EQ(d.Height, 3);
  EXPECT_EQ(d.Stride, 16u);  // 15 bytes padded to 4
  EXPECT_EQ(d.BitsOffset + d.Stride * 3, dib.size());

  // One byte short of the rows, a wrong signature, compression, a colour table larger
  // than its bit count allows, an offset to the rows inside the header, absurd sizes.
  EXPECT_THROW(CheckDib(dib.data(), dib.size() - 1), EReadError);
  EXPECT_THROW(CheckDib(dib.data(), 20), EReadError);
  auto broken = [&](size_t At, uint8_t Value) {
    std::vector<uint8_t> b = dib;
    b[At] = Value;
    return b;
  };
  for (auto [at, value] : {std::pair<size_t, uint8_t>{0, 'X'},
                           {14 + 16, 1},     // compression
                           {14 + 14, 7},     // bit count
                           {14 + 32, 0xFF},  // colours used
                           {14 + 33, 0x01},  // colours used beyond 256
                           {10, 20},         // rows start inside the header
                           {14 + 7, 0x80},   // negative width
                           {14 + 10, 0x7F},  // huge height
                           {14, 12}}) {      // header shorter than the info block
    std::vector<uint8_t> b = broken(at, value);
    EXPECT_THROW(CheckDib(b.data(), b.size()), EReadError) << at;
  }
  // A negative height stores rows from the top.
  std::vector<uint8_t> top = dib;
  top[14 + 8] = 0xFD;
  top[14 + 9] = top[14 + 10] = top[14 + 11] = 0xFF;
  d = CheckDib(top.data(), top.size());
  EXPECT_TRUE(d.TopDown);
  EXPECT_EQ(d.Height, 3);
}

}  // namespace
}  // namespace tess
