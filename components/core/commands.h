// Key-command tables and the command processor: every keyboard-driven control turns a
// key press (a virtual key with its shift flags) into a 16-bit command number here,
// through an ordered list of named tables.  A table binds one key, or a sequence of two,
// to a command; the first matching record of the first table that matches wins.
//
// Shift flags are a sum: 2 Shift, 4 Ctrl, 8 Alt.  In a record's second shift byte 128
// means "no shift key or Ctrl alone".
//
// The processor is a small state machine shared by every control of a form:
//   0 idle; 1 the first key of a two-key sequence was taken (pending key and shift
//   remembered); 2 the next key passes through as a character (after ccCtrlChar).
// Modifier and lock keys never change the state.
//
// Storage: in the component stream a table is one list value
//   [ name, Active, [ keys, command, keys, command, ... ] ]
// where a table named like a built-in one ("Default", "WordStar", "Grid") stores only
// its difference from the built-in rows (a removed row as command 0); and in a text
// file as its name on the first line, then one record a line (four key bytes in fields
// of 4 characters, the command in 6).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/classes.h"

namespace tess {

class TReader;
class TWriter;
struct TMessage;
enum class TShiftFlag;
template <class E>
class TEnumSet;

// --- command numbers ---------------------------------------------------------------------
enum : uint16_t {
  ccNone = 0, ccBack, ccBotOfPage, ccBotRightCell, ccCompleteDate, ccCompleteTime, ccCopy,
  ccCtrlChar, ccCut, ccDec, ccDel, ccDelBol, ccDelEol, ccDelLine, ccDelWord, ccDown, ccEnd,
  ccExtendDown, ccExtendEnd, ccExtendHome, ccExtendLeft, ccExtendPgDn, ccExtendPgUp,
  ccExtendRight, ccExtendUp, ccExtBotOfPage, ccExtFirstPage, ccExtLastPage, ccExtTopOfPage,
  ccExtWordLeft, ccExtWordRight, ccFirstPage, ccGotoMarker0, ccGotoMarker1, ccGotoMarker2,
  ccGotoMarker3, ccGotoMarker4, ccGotoMarker5, ccGotoMarker6, ccGotoMarker7, ccGotoMarker8,
  ccGotoMarker9, ccHome, ccInc, ccIns, ccLastPage, ccLeft, ccNewLine, ccNextPage, ccPageLeft,
  ccPageRight, ccPaste, ccPrevPage, ccRedo, ccRestore, ccRight, ccScrollDown, ccScrollUp,
  ccSetMarker0, ccSetMarker1, ccSetMarker2, ccSetMarker3, ccSetMarker4, ccSetMarker5,
  ccSetMarker6, ccSetMarker7, ccSetMarker8, ccSetMarker9, ccTab, ccTableEdit, ccTopLeftCell,
  ccTopOfPage, ccUndo, ccUp, ccWordLeft, ccWordRight,
  // Results of translation, never stored in a table.
  ccUnmatched = 252,       // no table bound the key: an ordinary key
  ccSequenceBroken = 254,  // a sequence was pending and this key completed none
  ccPartial = 255,         // the first key of a sequence (or a modifier while one pends)
  ccUserFirst = 256,       // commands from here on are the application's
};

// Shift flags of a record or a key press.
enum : uint8_t {
  kShiftFlagShift = 2,
  kShiftFlagCtrl = 4,
  kShiftFlagAlt = 8,
  kShiftFlagCtrlOptional = 128,  // second key only
};

// Names of the built-in tables, from the string table.
const std::string& DefaultTableName();   // "Default"
const std::string& WordStarTableName();  // "WordStar"
const std::string& GridTableName();      // "Grid"

// One binding.  The four key bytes are its identity.
struct TOvcCmdRec {
  uint8_t Key1 = 0;
  uint8_t ShiftState1 = 0;
  uint8_t Key2 = 0;         // 0: a single-key binding
  uint8_t ShiftState2 = 0;  // 0 when Key2 is 0
  uint16_t Cmd = 0;

  // Key1 in the lowest byte, ShiftState2 in the highest.
  uint32_t Keys() const {
    return Key1 | (uint32_t(ShiftState1) << 8) | (uint32_t(Key2) << 16) |
           (uint32_t(ShiftState2) << 24);
  }
  static TOvcCmdRec FromKeys(uint32_t Keys, uint16_t Cmd);
  bool operator==(const TOvcCmdRec&) const = default;
};
static_assert(sizeof(TOvcCmdRec) == 6);

// The built-in rows of a table name (ignoring case); empty for any other name.
const std::vector<TOvcCmdRec>& BuiltInCommands(const std::string& TableName);

// ---------------------------------------------------------------------------------------

class TOvcCommandTable : public TPersistent {
 public:
  TOvcCommandTable();  // named "(Unknown)", active, empty
  ~TOvcCommandTable() override;

  const std::string& TableName() const { return table_name_; }
  void SetTableName(const std::string& Value) { table_name_ = Value; }
  bool Active() const { return active_; }
  void SetActive(bool Value) { active_ = Value; }

  int Count() const { return static_cast<int>(commands_.size()); }
  // Indexes out of range raise EListError.
  const TOvcCmdRec& GetCommandRec(int Index) const;
  void PutCommandRec(int Index, const TOvcCmdRec& Rec);
  // Appends (no duplicate check); returns the index.
  int AddCommandRec(const TOvcCmdRec& Rec);
  // Index may equal Count.
  void InsertCommandRec(int Index, const TOvcCmdRec& Rec);
  void DeleteCommand(int Index);
  void Clear();
  // The first record with the same four key bytes, else -1.
  int IndexOfKeys(const TOvcCmdRec& Rec) const;
  const std::vector<TOvcCmdRec>& Commands() const { return commands_; }

  // The text-file form.  Loading clears the table and keeps Active; a line that is not
  // five numbers in range raises EInOutError naming the line (what was read stays).
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;
  // The same forms in memory.
  void LoadFromText(const std::string& Text);
  std::string SaveToText() const;

  // "CommandList", stored while the table has records.
  void DefineProperties(TFiler* Filer) override;
  void ReadCommands(TReader* Reader);
  void WriteCommands(TWriter* Writer) const;

 private:
  std::string table_name_;
  bool active_ = true;
  std::vector<TOvcCmdRec> commands_;
};

// ---------------------------------------------------------------------------------------

class TOvcCommandProcessor : public TPersistent {
 public:
  // The three built-in tables: "Default" active, "WordStar" and "Grid" inactive.
  TOvcCommandProcessor();
  ~TOvcCommandProcessor() override;

  int Count() const { return static_cast<int>(tables_.size()); }
  // Index out of range raises ETableNotFound.
  TOvcCommandTable* Table(int Index) const;

  // Appends Table after giving it a name no other table has (ignoring case): trailing
  // digits are taken off and numbers tried from 1 ("Grid" -> "Grid1", "Grid2"); a
  // name that is free already stays as it is.
  int Add(std::unique_ptr<TOvcCommandTable> Table);
  int CreateCommandTable(const std::string& TableName, bool Active);
  // Removes and frees the table (EListError for a bad index).
  void Delete(int Index);
  // Ignoring case; null when there is none.
  TOvcCommandTable* GetCommandTable(const std::string& TableName) const;
  // ETableNotFound for an unknown table, EDuplicateCommand when the keys are bound in
  // it already.
  void AddCommandRec(const std::string& TableName, const TOvcCmdRec& Rec);
  virtual int LoadCommandTable(const std::string& FileName);
  virtual void SaveCommandTable(const std::string& TableName, const std::string& FileName);

  void ResetCommandProcessor();
  uint8_t State() const { return state_; }

  // A key press with its shift flags (2 Shift, 4 Ctrl, 8 Alt), through the active
  // tables.  The whole word decides whether it is a modifier; its low byte is matched.
  uint16_t TranslateKey(uint16_t Key, uint8_t ShiftFlags);
  // The same through the tables named, in that order, active or not.
  uint16_t TranslateUsingTables(const std::vector<std::string>& TableNames, uint16_t Key,
                                uint8_t ShiftFlags);
  // The windows build's forms: a key-down message (flags read from the keyboard now),
  // and a key with the framework's shift state.
  uint16_t Translate(TMessage& Msg);
  uint16_t TranslateKey(uint16_t Key, TEnumSet<TShiftFlag> Shift);
  uint16_t TranslateUsingTables(const std::vector<std::string>& TableNames, TMessage& Msg);

  // "TableList", stored while there are tables.
  void DefineProperties(TFiler* Filer) override;

 private:
  // Tables null: the active tables in order.
  uint16_t Run(const std::vector<TOvcCommandTable*>* Tables, uint16_t Key, uint8_t Shift);
  uint16_t ScanTable(const TOvcCommandTable& Table, uint8_t Key, uint8_t Shift);

  std::vector<std::unique_ptr<TOvcCommandTable>> tables_;
  uint8_t state_ = 0;
  uint8_t pending_key_ = 0;
  uint8_t pending_shift_ = 0;
};

}  // namespace tess
