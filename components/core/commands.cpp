// See commands.h.
#include "components/core/commands.h"

#include <cctype>
#include <sstream>

#include "components/core/componentstrings.h"
#include "components/core/exceptions.h"

namespace tess {

namespace {

// Virtual keys of the built-in rows.
enum : uint8_t {
  VK_Back = 8, VK_Tab = 9, VK_Return = 13, VK_Prior = 33, VK_Next = 34, VK_End = 35,
  VK_Home = 36, VK_Left = 37, VK_Up = 38, VK_Right = 39, VK_Down = 40, VK_Insert = 45,
  VK_Delete = 46, VK_F2 = 113,
};
constexpr uint8_t S = kShiftFlagShift, C = kShiftFlagCtrl, A = kShiftFlagAlt, CS = C | S;

constexpr TOvcCmdRec K(uint8_t Key, uint8_t Shift, uint16_t Cmd) {
  return {Key, Shift, 0, 0, Cmd};
}
// Ctrl+First, then Second with or without Ctrl.
constexpr TOvcCmdRec Seq(char First, char Second, uint16_t Cmd) {
  return {uint8_t(First), C, uint8_t(Second), kShiftFlagCtrlOptional, Cmd};
}

std::vector<TOvcCmdRec> MakeDefault() {
  std::vector<TOvcCmdRec> t = {
      K(VK_Left, 0, ccLeft), K(VK_Right, 0, ccRight), K(VK_Left, C, ccWordLeft),
      K(VK_Right, C, ccWordRight), K(VK_Home, 0, ccHome), K(VK_End, 0, ccEnd),
      K(VK_Delete, 0, ccDel), K(VK_Back, 0, ccBack), K(VK_Back, S, ccBack),
      K(VK_Prior, C, ccTopOfPage), K(VK_Next, C, ccBotOfPage), K(VK_Insert, 0, ccIns),
      K('Z', C, ccUndo), K(VK_Back, A, ccRestore), K(VK_Up, 0, ccUp), K(VK_Down, 0, ccDown),
      K(VK_Return, C, ccNewLine), K(VK_Left, S, ccExtendLeft), K(VK_Right, S, ccExtendRight),
      K(VK_Home, S, ccExtendHome), K(VK_End, S, ccExtendEnd), K(VK_Left, CS, ccExtWordLeft),
      K(VK_Right, CS, ccExtWordRight), K(VK_Prior, S, ccExtendPgUp),
      K(VK_Next, S, ccExtendPgDn), K(VK_Up, S, ccExtendUp), K(VK_Down, S, ccExtendDown),
      K(VK_Home, CS, ccExtFirstPage), K(VK_End, CS, ccExtLastPage),
      K(VK_Prior, CS, ccExtTopOfPage), K(VK_Next, CS, ccExtBotOfPage),
      K(VK_Delete, S, ccCut), K('X', C, ccCut), K(VK_Insert, C, ccCopy), K('C', C, ccCopy),
      K(VK_Insert, S, ccPaste), K('V', C, ccPaste), K(VK_Prior, 0, ccPrevPage),
      K(VK_Next, 0, ccNextPage), K(VK_Home, C, ccFirstPage), K(VK_End, C, ccLastPage),
      K(VK_Tab, 0, ccTab), K(VK_Tab, C, ccTab), K('Z', CS, ccRedo)};
  for (int d = 0; d < 10; ++d) t.push_back(K(uint8_t('0' + d), C, uint16_t(ccGotoMarker0 + d)));
  for (int d = 0; d < 10; ++d) t.push_back(K(uint8_t('0' + d), CS, uint16_t(ccSetMarker0 + d)));
  return t;
}

std::vector<TOvcCmdRec> MakeWordStar() {
  std::vector<TOvcCmdRec> t = {
      K('S', C, ccLeft), K('D', C, ccRight), K('E', C, ccUp), K('X', C, ccDown),
      K('R', C, ccPrevPage), K('C', C, ccNextPage), K('W', C, ccScrollUp),
      K('Z', C, ccScrollDown), K('A', C, ccWordLeft), K('F', C, ccWordRight),
      Seq('Q', 'S', ccHome), Seq('Q', 'D', ccEnd), K('G', C, ccDel), K('H', C, ccBack),
      K('Y', C, ccDelLine), Seq('Q', 'Y', ccDelEol), K('V', C, ccIns), K('T', C, ccDelWord),
      K('P', C, ccCtrlChar), Seq('Q', 'L', ccRestore)};
  for (int d = 0; d < 10; ++d) t.push_back(Seq('Q', char('0' + d), uint16_t(ccGotoMarker0 + d)));
  for (int d = 0; d < 10; ++d) t.push_back(Seq('K', char('0' + d), uint16_t(ccSetMarker0 + d)));
  return t;
}

std::vector<TOvcCmdRec> MakeGrid() {
  return {K(VK_Left, 0, ccLeft), K(VK_Right, 0, ccRight), K(VK_Left, C, ccPageLeft),
          K(VK_Right, C, ccPageRight), K(VK_Home, 0, ccHome), K(VK_End, 0, ccEnd),
          K(VK_Delete, 0, ccDel), K(VK_Back, 0, ccBack), K(VK_Next, C, ccBotOfPage),
          K(VK_Prior, C, ccTopOfPage), K(VK_Insert, 0, ccIns), K('Z', C, ccRestore),
          K(VK_Up, 0, ccUp), K(VK_Down, 0, ccDown), K(VK_Left, S, ccExtendLeft),
          K(VK_Right, S, ccExtendRight), K(VK_Home, S, ccExtendHome), K(VK_End, S, ccExtendEnd),
          K(VK_Left, CS, ccExtWordLeft), K(VK_Right, CS, ccExtWordRight),
          K(VK_Prior, S, ccExtendPgUp), K(VK_Next, S, ccExtendPgDn), K(VK_Up, S, ccExtendUp),
          K(VK_Down, S, ccExtendDown), K(VK_Home, CS, ccExtFirstPage),
          K(VK_End, CS, ccExtLastPage), K(VK_Prior, CS, ccExtTopOfPage),
          K(VK_Next, CS, ccExtBotOfPage), K('X', C, ccCut), K('C', C, ccCopy),
          K('V', C, ccPaste), K(VK_Prior, 0, ccPrevPage), K(VK_Home, C, ccFirstPage),
          K(VK_Next, 0, ccNextPage), K(VK_End, C, ccLastPage), K(VK_Up, C, ccTopLeftCell),
          K(VK_Down, C, ccBotRightCell), K(VK_F2, 0, ccTableEdit)};
}

// Shift, Ctrl, Alt, Caps Lock, Num Lock, Scroll Lock.
bool IsModifierKey(uint16_t Key) {
  return Key == 16 || Key == 17 || Key == 18 || Key == 20 || Key == 144 || Key == 145;
}

[[noreturn]] void BadLine(int LineNo, const std::string& Line) {
  throw EInOutError(Format("Invalid key binding on line %d: \"%s\"", LineNo, Line.c_str()));
}

}  // namespace

const std::string& DefaultTableName() {
  return ComponentString(kDefaultTableName);
}
const std::string& WordStarTableName() {
  return ComponentString(kWordStarTableName);
}
const std::string& GridTableName() {
  return ComponentString(kGridTableName);
}

TOvcCmdRec TOvcCmdRec::FromKeys(uint32_t Keys, uint16_t Cmd) {
  return {uint8_t(Keys), uint8_t(Keys >> 8), uint8_t(Keys >> 16), uint8_t(Keys >> 24), Cmd};
}

const std::vector<TOvcCmdRec>& BuiltInCommands(const std::string& TableName) {
  static const std::vector<TOvcCmdRec> def = MakeDefault(), ws = MakeWordStar(),
                                       grid = MakeGrid(), none;
  if (SameText(TableName, DefaultTableName())) return def;
  if (SameText(TableName, WordStarTableName())) return ws;
  if (SameText(TableName, GridTableName())) return grid;
  return none;
}

// ---------------------------------------------------------------------------------------
// TOvcCommandTable
// ---------------------------------------------------------------------------------------

TOvcCommandTable::TOvcCommandTable() : table_name_(ComponentString(kUnknownTableName)) {}

TOvcCommandTable::~TOvcCommandTable() = default;

namespace {
void CheckIndex(int Index, int Count) {
  if (Index < 0 || Index >= Count)
    throw EListError(Format("List index out of bounds (%d)", Index));
}
}  // namespace

const TOvcCmdRec& TOvcCommandTable::GetCommandRec(int Index) const {
  CheckIndex(Index, Count());
  return commands_[static_cast<size_t>(Index)];
}

void TOvcCommandTable::PutCommandRec(int Index, const TOvcCmdRec& Rec) {
  CheckIndex(Index, Count());
  commands_[static_cast<size_t>(Index)] = Rec;
}

int TOvcCommandTable::AddCommandRec(const TOvcCmdRec& Rec) {
  commands_.push_back(Rec);
  return Count() - 1;
}

void TOvcCommandTable::InsertCommandRec(int Index, const TOvcCmdRec& Rec) {
  if (Index != Count()) CheckIndex(Index, Count());
  commands_.insert(commands_.begin() + Index, Rec);
}

void TOvcCommandTable::DeleteCommand(int Index) {
  CheckIndex(Index, Count());
  commands_.erase(commands_.begin() + Index);
}

void TOvcCommandTable::Clear() {
  commands_.clear();
}

int TOvcCommandTable::IndexOfKeys(const TOvcCmdRec& Rec) const {
  uint32_t keys = Rec.Keys();
  for (size_t i = 0; i < commands_.size(); ++i)
    if (commands_[i].Keys() == keys) return static_cast<int>(i);
  return -1;
}

std::string TOvcCommandTable::SaveToText() const {
  std::string out = table_name_ + "\r\n";
  for (const TOvcCmdRec& r : commands_)
    out += Format("%4u%4u%4u%4u%6u\r\n", unsigned(r.Key1), unsigned(r.ShiftState1),
                  unsigned(r.Key2), unsigned(r.ShiftState2), unsigned(r.Cmd));
  return out;
}

void TOvcCommandTable::LoadFromText(const std::string& Text) {
  Clear();
  std::istringstream in(Text);
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  table_name_ = line;
  int line_no = 1;
  while (std::getline(in, line)) {
    ++line_no;
    std::istringstream fields(line);
    long long v[5];
    int got = 0;
    std::string word;
    while (fields >> word) {
      // Plain decimal numbers only: no signs, no letters, nothing after the fifth.
      if (got == 5 || word.size() > 6) BadLine(line_no, line);
      for (char ch : word)
        if (!std::isdigit(static_cast<unsigned char>(ch))) BadLine(line_no, line);
      v[got++] = std::stoll(word);
    }
    if (got == 0) continue;  // blank lines (a final line break) carry nothing
    if (got != 5 || v[0] > 255 || v[1] > 255 || v[2] > 255 || v[3] > 255 || v[4] > 65535)
      BadLine(line_no, line);
    AddCommandRec({uint8_t(v[0]), uint8_t(v[1]), uint8_t(v[2]), uint8_t(v[3]), uint16_t(v[4])});
  }
}

void TOvcCommandTable::LoadFromFile(const std::string& FileName) {
  TMemoryStream data;
  data.LoadFromFile(FileName);
  LoadFromText(data.DataString());
}

void TOvcCommandTable::SaveToFile(const std::string& FileName) const {
  std::string text = SaveToText();
  TFileStream file(FileName, fmCreate);
  file.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  file.Flush();
}

void TOvcCommandTable::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      "CommandList", [this](TReader* R) { ReadCommands(R); },
      [this](TWriter* W) { WriteCommands(W); }, Count() >= 1);
}

void TOvcCommandTable::WriteCommands(TWriter* Writer) const {
  Writer->WriteListBegin();
  Writer->WriteString(table_name_);
  Writer->WriteBoolean(active_);
  Writer->WriteListBegin();
  auto pair = [Writer](uint32_t Keys, uint16_t Cmd) {
    Writer->WriteInteger(static_cast<int32_t>(Keys));
    Writer->WriteInteger(Cmd);
  };
  const std::vector<TOvcCmdRec>& builtin = BuiltInCommands(table_name_);
  if (!builtin.empty()) {
    for (const TOvcCmdRec& b : builtin)
      if (IndexOfKeys(b) < 0) pair(b.Keys(), ccNone);
    for (const TOvcCmdRec& r : commands_) {
      bool same = false;
      for (const TOvcCmdRec& b : builtin) same = same || b == r;
      if (!same) pair(r.Keys(), r.Cmd);
    }
  } else {
    for (const TOvcCmdRec& r : commands_) pair(r.Keys(), r.Cmd);
  }
  Writer->WriteListEnd();
  Writer->WriteListEnd();
}

void TOvcCommandTable::ReadCommands(TReader* Reader) {
  Reader->ReadListBegin();
  table_name_ = Reader->ReadString();
  active_ = Reader->ReadBoolean();
  Clear();
  const std::vector<TOvcCmdRec>& builtin = BuiltInCommands(table_name_);
  commands_ = builtin;
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) {
    uint32_t keys = static_cast<uint32_t>(Reader->ReadInteger());
    int32_t cmd = Reader->ReadInteger();
    if (cmd < 0 || cmd > 65535) throw EReadError("Invalid property value");
    TOvcCmdRec rec = TOvcCmdRec::FromKeys(keys, static_cast<uint16_t>(cmd));
    int at = builtin.empty() ? -1 : IndexOfKeys(rec);
    if (at < 0) {
      AddCommandRec(rec);
    } else if (cmd == ccNone) {
      DeleteCommand(at);
    } else {
      PutCommandRec(at, rec);
    }
  }
  Reader->ReadListEnd();
  Reader->ReadListEnd();
}

// ---------------------------------------------------------------------------------------
// TOvcCommandProcessor
// ---------------------------------------------------------------------------------------

TOvcCommandProcessor::TOvcCommandProcessor() {
  auto builtIn = [this](const std::string& Name, bool Active) {
    CreateCommandTable(Name, Active);
    for (const TOvcCmdRec& r : BuiltInCommands(Name)) AddCommandRec(Name, r);
  };
  builtIn(DefaultTableName(), true);
  builtIn(WordStarTableName(), false);
  builtIn(GridTableName(), false);
  ResetCommandProcessor();
}

TOvcCommandProcessor::~TOvcCommandProcessor() = default;

TOvcCommandTable* TOvcCommandProcessor::Table(int Index) const {
  if (Index < 0 || Index >= Count()) throw ETableNotFound();
  return tables_[static_cast<size_t>(Index)].get();
}

int TOvcCommandProcessor::Add(std::unique_ptr<TOvcCommandTable> Table) {
  const std::string name = Table->TableName();
  std::string base = name;
  while (base.size() >= 2 && std::isdigit(static_cast<unsigned char>(base.back())))
    base.pop_back();
  std::string candidate = base;
  int n = 0;
  while (GetCommandTable(candidate)) candidate = base + std::to_string(++n);
  if (n > 0) {
    Table->SetTableName(candidate);
  } else if (GetCommandTable(name)) {
    // The base is free but the name itself is taken ("Default2" twice): number on
    // until the name is free, rather than keep a duplicate.
    do candidate = base + std::to_string(++n);
    while (GetCommandTable(candidate));
    Table->SetTableName(candidate);
  }
  tables_.push_back(std::move(Table));
  return Count() - 1;
}

int TOvcCommandProcessor::CreateCommandTable(const std::string& TableName, bool Active) {
  auto table = std::make_unique<TOvcCommandTable>();
  table->SetTableName(TableName);
  table->SetActive(Active);
  return Add(std::move(table));
}

void TOvcCommandProcessor::Delete(int Index) {
  CheckIndex(Index, Count());
  tables_.erase(tables_.begin() + Index);
}

TOvcCommandTable* TOvcCommandProcessor::GetCommandTable(const std::string& TableName) const {
  for (const auto& t : tables_)
    if (SameText(t->TableName(), TableName)) return t.get();
  return nullptr;
}

void TOvcCommandProcessor::AddCommandRec(const std::string& TableName, const TOvcCmdRec& Rec) {
  TOvcCommandTable* table = GetCommandTable(TableName);
  if (!table) throw ETableNotFound();
  if (table->IndexOfKeys(Rec) >= 0) throw EDuplicateCommand();
  table->AddCommandRec(Rec);
}

int TOvcCommandProcessor::LoadCommandTable(const std::string& FileName) {
  auto table = std::make_unique<TOvcCommandTable>();
  table->LoadFromFile(FileName);
  return Add(std::move(table));
}

void TOvcCommandProcessor::SaveCommandTable(const std::string& TableName,
                                            const std::string& FileName) {
  if (TOvcCommandTable* table = GetCommandTable(TableName)) table->SaveToFile(FileName);
}

void TOvcCommandProcessor::ResetCommandProcessor() {
  state_ = 0;
  pending_key_ = 0;
  pending_shift_ = 0;
}

uint16_t TOvcCommandProcessor::ScanTable(const TOvcCommandTable& Table, uint8_t Key,
                                         uint8_t Shift) {
  for (const TOvcCmdRec& r : Table.Commands()) {
    if (state_ != 1) {
      if (r.Key1 != Key || r.ShiftState1 != Shift) continue;
      if (r.Key2 != 0) {
        state_ = 1;
        pending_key_ = Key;
        pending_shift_ = Shift;
        return ccPartial;
      }
      if (r.Cmd == ccCtrlChar) state_ = 2;
      return r.Cmd;
    }
    if (r.Key1 != pending_key_ || r.ShiftState1 != pending_shift_ || r.Key2 != Key) continue;
    if (r.ShiftState2 == Shift ||
        (r.ShiftState2 == kShiftFlagCtrlOptional && (Shift == 0 || Shift == kShiftFlagCtrl))) {
      state_ = r.Cmd == ccCtrlChar ? 2 : 0;
      return r.Cmd;
    }
  }
  return 0;
}

uint16_t TOvcCommandProcessor::Run(const std::vector<TOvcCommandTable*>* Tables, uint16_t Key,
                                   uint8_t Shift) {
  if (IsModifierKey(Key)) return state_ == 1 ? ccPartial : ccUnmatched;
  if (state_ == 2) {
    state_ = 0;
    return ccUnmatched;
  }
  const auto key = static_cast<uint8_t>(Key);
  if (Tables) {
    for (TOvcCommandTable* t : *Tables)
      if (uint16_t cmd = ScanTable(*t, key, Shift)) return cmd;
  } else {
    // The common case, once per key press: the active tables, without building a list.
    for (const auto& t : tables_)
      if (t->Active())
        if (uint16_t cmd = ScanTable(*t, key, Shift)) return cmd;
  }
  uint16_t result = state_ == 1 ? ccSequenceBroken : ccUnmatched;
  state_ = 0;
  return result;
}

uint16_t TOvcCommandProcessor::TranslateKey(uint16_t Key, uint8_t ShiftFlags) {
  return Run(nullptr, Key, ShiftFlags);
}

uint16_t TOvcCommandProcessor::TranslateUsingTables(const std::vector<std::string>& TableNames,
                                                    uint16_t Key, uint8_t ShiftFlags) {
  std::vector<TOvcCommandTable*> tables;
  for (const std::string& name : TableNames)
    if (TOvcCommandTable* t = GetCommandTable(name)) tables.push_back(t);
  return Run(&tables, Key, ShiftFlags);
}

void TOvcCommandProcessor::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      "TableList",
      [this](TReader* R) {
        tables_.clear();
        R->ReadListBegin();
        while (!R->EndOfList()) {
          auto table = std::make_unique<TOvcCommandTable>();
          table->ReadCommands(R);
          Add(std::move(table));
        }
        R->ReadListEnd();
      },
      [this](TWriter* W) {
        W->WriteListBegin();
        for (const auto& t : tables_) t->WriteCommands(W);
        W->WriteListEnd();
      },
      Count() >= 1);
}

}  // namespace tess
