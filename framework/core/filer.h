// The component stream: a binary format of our own in which forms and components store
// their properties, read back by TReader and written by TWriter.
//
// Layout (all numbers little-endian):
//   stream     = signature component
//   signature  = the 4 bytes "TSR1"
//   component  = str(class name) str(component name) { str(property name) value } 0
//                { component } 0          -- children, as given by GetChildren
//   str        = 1-byte length, then that many bytes (1..255; a 0 length ends a list)
//   value      = 1-byte TValueType tag, then its data:
//     vaInt8/16/32/64   the integer in 1, 2, 4 or 8 bytes (the smallest that holds it)
//     vaFalse, vaTrue, vaNil, vaNull   nothing
//     vaDouble          8 bytes
//     vaString          1-byte length + bytes; vaLString: 4-byte length + bytes
//     vaIdent           str (an enumeration value or a component reference)
//     vaSet             { str } 0
//     vaList            { value } vaNull
//     vaBinary          4-byte length + bytes
// A sub-object's properties are written as "Object.Property".  A reference to a
// component is an identifier: "Name" for a component of the same root, "Owner.Name"
// for one owned by another component (of this root, or another root such as a form);
// references are resolved after the whole stream is read.
//
// Reading never trusts the stream: a truncated stream, an unknown tag, a length longer
// than what remains or nesting deeper than kMaxFilerNesting raise EReadError.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/component.h"
#include "framework/core/streams.h"

namespace tess {

enum class TValueType : uint8_t {
  vaNull = 0,  // end of a list
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaInt64 = 5,
  vaDouble = 6,
  vaString = 7,
  vaLString = 8,
  vaIdent = 9,
  vaFalse = 10,
  vaTrue = 11,
  vaBinary = 12,
  vaSet = 13,
  vaNil = 14,
};

inline constexpr int kMaxFilerNesting = 200;

class TReader;
class TWriter;

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

// What TPersistent::DefineProperties receives: the reader or the writer at work.
class TFiler : public TObject {
 public:
  explicit TFiler(TStream* Stream) : stream_(Stream) {}

  TStream* Stream() const { return stream_; }
  // The component at the top of the read or write (references are named relative to it).
  TComponent* Root() const { return root_; }
  void SetRoot(TComponent* Value) { root_ = Value; }

  // A property the object reads and writes itself as one value (often a list).
  // Written only when HasData is true and WriteData is set.
  virtual void DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                              const TWriterProc& WriteData, bool HasData) = 0;
  // A property stored as raw bytes: WriteData writes them into a stream, ReadData gets a
  // stream holding exactly those bytes, positioned at 0.
  virtual void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                                    const TStreamProc& WriteData, bool HasData) = 0;

 protected:
  TStream* stream_;
  TComponent* root_ = nullptr;
};

// ---------------------------------------------------------------------------------------

class TWriter : public TFiler {
 public:
  explicit TWriter(TStream* Stream) : TFiler(Stream) {}

  void WriteSignature();
  void WriteValue(TValueType Value);
  // The smallest of vaInt8, vaInt16, vaInt32, vaInt64 that holds the value.
  void WriteInteger(int32_t Value) { WriteInt64(Value); }
  void WriteInt64(int64_t Value);
  void WriteBoolean(bool Value);
  void WriteFloat(double Value);
  // vaString up to 255 bytes, vaLString beyond.
  void WriteString(const std::string& Value);
  // Raises EWriteError when Value is not 1..255 bytes.
  void WriteIdent(const std::string& Value);
  void WriteListBegin();
  void WriteListEnd();
  // A bare length-prefixed name (1..255 bytes; "" writes the 0 that ends a list).
  void WriteStr(const std::string& Value);
  void WriteBinary(const TStreamProc& WriteData);

  // Writes Root and its children as the top of a stream (sets Root()).
  void WriteRootComponent(TComponent* Root);
  // Writes one component with its properties and children.
  void WriteComponent(TComponent* Component);
  // Writes the published and defined properties of a persistent object (with Prefix
  // before each name, for sub-objects).
  void WriteProperties(TPersistent* Instance, const std::string& Prefix = "");

  void DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                      const TWriterProc& WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                            const TStreamProc& WriteData, bool HasData) override;

 private:
  void WriteProperty(TPersistent* Instance, const TPropInfo& Prop, const std::string& Prefix);
  std::string ReferenceName(TComponent* Component) const;

  std::string prop_prefix_;
  int depth_ = 0;
};

// ---------------------------------------------------------------------------------------

// Called for a recoverable reading error (an unknown property); setting Handled skips
// the property's value and reading goes on.
using TReaderError =
    std::function<void(TReader* Reader, const std::string& Message, bool& Handled)>;

class TReader : public TFiler {
 public:
  explicit TReader(TStream* Stream) : TFiler(Stream) {}
  ~TReader() override;

  void ReadSignature();
  TValueType ReadValue();
  // The next tag, without consuming it.
  TValueType NextValue();
  // Consumes the next value whatever it is.
  void SkipValue();

  void ReadListBegin();
  // True when the next tag ends the list (it is not consumed).
  bool EndOfList();
  void ReadListEnd();

  // Each raises EReadError "Invalid property value" when the next value is of another
  // type, and "Integer value out of range" when it does not fit.
  int32_t ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  double ReadFloat();  // integers are accepted too
  std::string ReadString();
  // Also accepts vaFalse, vaTrue and vaNil, returned as "False", "True" and "nil".
  std::string ReadIdent();
  std::string ReadStr();
  // Reads a binary value into a memory stream, which the caller then owns.
  std::unique_ptr<TMemoryStream> ReadBinary();

  // Reads a stream's top component (with its children) into Root, or into a new
  // component made by the class registry when Root is null.  Sets csLoading and
  // csReading during the read, fixes references up, then calls Loaded() on every
  // component read.  On failure the components the read created are deleted.
  TComponent* ReadRootComponent(TComponent* Root);
  // Reads one component into Component (null: made through the class registry and
  // owned by Owner()).  Used for children by ReadRootComponent.
  TComponent* ReadComponent(TComponent* Component);

  // The owner new children get (by default the component whose children they are).
  TComponent* Owner() const { return owner_; }
  void SetOwner(TComponent* Value) { owner_ = Value; }

  void DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                      const TWriterProc& WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                            const TStreamProc& WriteData, bool HasData) override;

  TReaderError OnError;

 private:
  void CheckValue(TValueType Expected);
  uint8_t ReadByte();
  int64_t ReadLittleEndian(int Bytes);
  // Bytes left in the stream; lengths read from the stream are checked against it.
  int64_t Remaining();
  void SkipBytes(int64_t Count);
  int64_t ReadIntegerOf(TValueType Type);
  TComponent* ReadComponentAs(const std::string& ClassName, TComponent* Component,
                              TComponent* Parent);
  void ReadProperty(TComponent* Instance, const std::string& Path);
  void ReadPropValue(TComponent* Instance, const TPropInfo& Prop, const std::string& Path);
  void PropertyError(TComponent* Instance, const std::string& Path);
  [[noreturn]] void ValueError(TComponent* Instance, const std::string& Path,
                               const std::string& What);
  void FixupReferences();
  void Enter();
  void Leave() { --depth_; }

  TComponent* owner_ = nullptr;
  int depth_ = 0;
  int64_t size_ = -1;
  // The property DefineProperties is being asked about, and whether it was taken.
  std::string defining_name_;
  bool defined_ = false;
  std::vector<TComponent*> loaded_;   // every component read, in order
  std::vector<TComponent*> created_;  // those this reader made, in order
  struct Fixup {
    TComponent* Instance;                     // whose property waits
    std::function<void(TComponent*)> Setter;  // the property's setter
    std::string RefName;                      // "Name" or "Root.Name"
  };
  std::vector<Fixup> fixups_;
};

// ---------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------

// Writes the signature and Component (as root) with its children.
void WriteComponent(TStream* Stream, TComponent* Component);
// Reads the signature and one component tree into Component, or into a new component
// (no owner) when Component is null.  Returns the component read.
TComponent* ReadComponent(TStream* Stream, TComponent* Component);

// Lets "Form.Name" references to other roots be resolved: the finder returns the root
// component (normally a form) of the given name, or null.  References still unresolved
// wait until a later read can resolve them, or until their component is destroyed.
using TFindGlobalComponent = std::function<TComponent*(const std::string& Name)>;
void SetFindGlobalComponent(TFindGlobalComponent Finder);
// Retries the waiting references (call after a new root appears).
void GlobalFixupReferences();
// Drops the waiting references of a component (done by its destructor).
void RemoveFixupReferences(TComponent* Instance);

// A readable dump of a component stream, for tests and debugging:
//   object Name: TClass
//     Prop = value
//     object Child: TClass
//     end
//   end
// Raises EReadError on a corrupt stream.
std::string ObjectBinaryToText(TStream* Input);

}  // namespace tess
