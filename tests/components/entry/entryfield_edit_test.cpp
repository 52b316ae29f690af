// The editing commands of a simple field, through a recording host: typing at the
// length limit, pasting under a picture, word moves and selections, auto-advance, the
// decimal character, one-character fields, and random command runs that must keep the
// field's invariants.
#include "components/entry/entryfield_edit.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "components/core/commands.h"
#include "tests/components/entry/entryfield_hosts.h"

namespace tess {
namespace {

using testing::RecordingHost;

class FieldEdit : public ::testing::Test {
 protected:
  FieldEdit() : F(Host), Ed(F, Host) { Host.Focus = true; }

  void Type(const std::string& S) {
    for (char C : S) {
      Ed.PerformEdit({ccUnmatched});
      Ed.PerformEdit({ccChar, C});
    }
  }
  void Cmd(uint16_t C) { Ed.PerformEdit({C}); }
  void Paste(const std::string& S) {
    TEntryEdit E{ccPaste};
    E.Paste = S;
    Ed.PerformEdit(E);
  }
  void Mouse(uint16_t C, int32_t Pos, bool Shift = false) {
    TEntryEdit E{C};
    E.MousePos = Pos;
    E.Shift = Shift;
    Ed.PerformEdit(E);
  }
  void SetType(uint8_t Type) {
    SetSimpleFieldType(F.Data, Type);
    F.AdjustOptions();
  }
  std::string Sel() const {
    return F.Text().substr(static_cast<size_t>(F.SelStart()),
                           static_cast<size_t>(F.SelEnd() - F.SelStart()));
  }

  RecordingHost Host;
  TEntryFieldModel F;
  TSimpleFieldEditor Ed;
};

TEST_F(FieldEdit, InsertAndOvertypeAtTheLengthLimit) {
  F.SetMaxLength(5);
  Type("abcdef");
  EXPECT_EQ(F.Text(), "abcde");  // the sixth character finds no room
  EXPECT_EQ(Host.Beeps, 1);
  EXPECT_TRUE(F.IsModified());
  // Insert inside a full field pushes the last character out.
  Cmd(ccHome);
  Type("X");
  EXPECT_EQ(F.Text(), "Xabcd");
  EXPECT_EQ(F.CaretPos(), 1);
  F.InsertPushes = false;
  Type("Y");
  EXPECT_EQ(F.Text(), "Xabcd");
  EXPECT_EQ(Host.Beeps, 2);
  // Overtype replaces, and beeps only past the last position.
  Cmd(ccIns);
  EXPECT_FALSE(Ed.InsertMode);
  Type("1234");
  EXPECT_EQ(F.Text(), "X1234");
  Type("5");
  EXPECT_EQ(F.Text(), "X1234");
  EXPECT_EQ(Host.Beeps, 3);
  // A character without a key-down before it is not taken at all.
  Ed.PerformEdit({ccChar, 'z'});
  Cmd(ccHome);
  Ed.PerformEdit({ccChar, 'z'});
  EXPECT_EQ(F.Text(), "X1234");
  // Control characters only after ccCtrlChar.
  Cmd(ccEnd);
  Cmd(ccBack);
  Type("\x01");
  EXPECT_EQ(F.Text(), "X123");
  Cmd(ccCtrlChar);
  Type("\x01");
  EXPECT_EQ(F.Text(), "X123\x01");
  EXPECT_EQ(F.DisplayText(), "X123A");
}

TEST_F(FieldEdit, DeletingCommands) {
  F.SetMaxLength(30);
  Type("one two  three");
  Cmd(ccHome);
  Cmd(ccDelWord);  // the word and the blanks after it
  EXPECT_EQ(F.Text(), "two  three");
  Cmd(ccWordRight);
  EXPECT_EQ(F.CaretPos(), 5);
  Cmd(ccDelEol);
  EXPECT_EQ(F.Text(), "two  ");
  Cmd(ccLeft);
  Cmd(ccDelBol);
  EXPECT_EQ(F.Text(), " ");
  EXPECT_EQ(F.CaretPos(), 0);
  Cmd(ccDel);
  EXPECT_EQ(F.Text(), "");
  Cmd(ccDel);
  Cmd(ccBack);
  Type("abc");
  Cmd(ccDelLine);
  EXPECT_EQ(F.Text(), "");
  // Restore gives back the text of entry, selected.
  Type("kept");
  F.SaveRestoreCopy();
  Type(" more");
  Cmd(ccRestore);
  EXPECT_EQ(F.Text(), "kept");
  EXPECT_EQ(Sel(), "kept");
}

TEST_F(FieldEdit, PasteKeepsWhatThePictureAccepts) {
  SetType(sftLongInt);
  F.Data.SetPicture("9");
  Paste("a1b2");
  EXPECT_EQ(F.Text(), "12");
  // A selection is replaced; paste always inserts and stops at the length limit.
  Cmd(ccIns);
  F.SetSelection(0, 2);
  Paste("98765432101234");
  EXPECT_EQ(F.Text(), "98765432101");
  EXPECT_EQ(F.Text().size(), F.Data.MaxLength());
  // Upper-case pictures force the case of what is pasted.
  SetType(sftString);
  F.Data.SetPicture("!");
  F.SetText("");
  Paste("mixed Case");
  EXPECT_EQ(F.Text(), "MIXED CASE");
}

TEST_F(FieldEdit, WordMovesAndSelections) {
  F.SetMaxLength(30);
  F.SetText("alpha  beta gamma");
  Cmd(ccEnd);
  Cmd(ccWordLeft);
  EXPECT_EQ(F.CaretPos(), 12);
  Cmd(ccWordLeft);
  EXPECT_EQ(F.CaretPos(), 7);
  Cmd(ccExtWordRight);
  EXPECT_EQ(Sel(), "beta ");
  Cmd(ccExtendRight);
  EXPECT_EQ(Sel(), "beta g");
  Cmd(ccExtWordLeft);
  Cmd(ccExtWordLeft);  // back to the anchor: nothing selected
  EXPECT_EQ(Sel(), "");
  Cmd(ccExtWordLeft);  // and on past it
  EXPECT_EQ(Sel(), "alpha  ");
  EXPECT_LE(F.SelStart(), F.SelEnd());
  Cmd(ccExtendEnd);
  EXPECT_EQ(Sel(), "beta gamma");
  // A plain move collapses the selection.
  Cmd(ccLeft);
  EXPECT_EQ(F.SelStart(), F.SelEnd());
  // The mouse: a click places, Shift+click extends from the caret, a drag extends.
  Mouse(ccMouse, 2);
  EXPECT_EQ(F.CaretPos(), 2);
  Mouse(ccMouse, 9, true);
  EXPECT_EQ(Sel(), "pha  be");
  Mouse(ccMouseMove, 14);
  EXPECT_EQ(Sel(), "pha  beta ga");
  // A double click selects the word and the blanks after it.
  Mouse(ccDblClk, 9);
  EXPECT_EQ(Sel(), "beta ");
  Mouse(ccDblClk, 0);
  EXPECT_EQ(Sel(), "alpha  ");
}

TEST_F(FieldEdit, AutoAdvance) {
  F.SetMaxLength(3);
  Ed.AutoAdvanceChar = true;
  Type("ab");
  EXPECT_EQ(Host.Nexts, 0);
  Type("c");  // the last position filled
  EXPECT_EQ(Host.Nexts, 1);
  Cmd(ccRight);  // at the end without left/right advance: nothing
  EXPECT_EQ(Host.Nexts, 1);
  Ed.AutoAdvanceLeftRight = true;
  Cmd(ccRight);
  EXPECT_EQ(Host.Nexts, 2);
  Cmd(ccHome);
  Cmd(ccLeft);
  EXPECT_EQ(Host.Prevs, 1);
  Ed.AutoAdvanceUpDown = true;
  Cmd(ccUp);
  Cmd(ccDown);
  EXPECT_EQ(Host.Prevs, 2);
  EXPECT_EQ(Host.Nexts, 3);
  EXPECT_EQ(Host.Beeps, 0);
}

TEST_F(FieldEdit, ArrowsStepNumbers) {
  SetType(sftWord);
  F.SetText("65534");
  Ed.ArrowIncDec = true;
  Cmd(ccUp);
  EXPECT_EQ(F.Text(), "65535");
  Cmd(ccUp);  // no wrap from the keys
  EXPECT_EQ(F.Text(), "65535");
  Cmd(ccDown);
  Cmd(ccDec);
  EXPECT_EQ(F.Text(), "65533");
  EXPECT_TRUE(F.IncDecValue(true, 1.0));
  EXPECT_TRUE(F.IncDecValue(true, 1.0));
  EXPECT_TRUE(F.IncDecValue(true, 1.0));
  EXPECT_EQ(F.Text(), "0");  // Wrap goes round to the low limit
}

TEST_F(FieldEdit, DecimalCharacterOfTheSettings) {
  TIntlValues Comma(std::map<std::string, std::string>{{"sDecimal", ","}});
  TOvcIntlSup Intl(Comma);
  F.Data.SetIntlSup(&Intl);
  SetType(sftDouble);
  Type("3,25");
  EXPECT_EQ(F.Text(), "3,25");
  Type(".");
  EXPECT_EQ(F.Text(), "3,25");
  EXPECT_EQ(Host.Beeps, 1);
  double V = 0;
  EXPECT_EQ(F.GetValue(&V), 0);
  EXPECT_DOUBLE_EQ(V, 3.25);
  // With "." as the decimal character the point is typed as itself.
  F.Data.SetIntlSup(&IntlSup());
  F.SetText("");
  Type("1.5");
  EXPECT_EQ(F.Text(), "1.5");
}

TEST_F(FieldEdit, OneCharacterFields) {
  SetType(sftBoolean);
  F.ResetValue();
  Type("t");
  EXPECT_EQ(F.Text(), "T");  // forced upper and accepted
  Type("x");
  EXPECT_EQ(F.Text(), "T");
  EXPECT_EQ(Host.Beeps, 1);
  Cmd(ccInc);
  EXPECT_EQ(F.Text(), "F");
  Cmd(ccDec);
  EXPECT_EQ(F.Text(), "T");
  // Up and Down do not step here; they may move the focus.
  Ed.ArrowIncDec = true;
  Cmd(ccUp);
  EXPECT_EQ(F.Text(), "T");
  Ed.AutoAdvanceUpDown = true;
  Cmd(ccDown);
  EXPECT_EQ(Host.Nexts, 1);
  Cmd(ccExtendRight);
  EXPECT_EQ(Sel(), "T");
  EXPECT_EQ(F.CaretPos(), 0);
  Paste("xyf");
  EXPECT_EQ(F.Text(), "F");

  SetType(sftChar);
  F.Data.SetRangeLo("a");
  F.Data.SetRangeHi("c");
  F.SetText("c");
  Cmd(ccInc);
  EXPECT_EQ(F.Text(), "c");
  EXPECT_TRUE(F.IncDecValue(true, 1.0));
  EXPECT_EQ(F.Text(), "a");
}

TEST_F(FieldEdit, CharStepsEndWhenNothingFits) {
  SetType(sftChar);
  F.Data.SetPicture("9");
  // A range no digit falls into: stepping with Wrap must end without a change.
  F.Data.SetRangeLo("a");
  F.Data.SetRangeHi("z");
  F.SetText("q");
  EXPECT_FALSE(F.IncDecValue(true, 1.0));
  EXPECT_FALSE(F.IncDecValue(true, -1.0));
  EXPECT_EQ(F.Text(), "q");
}

// Random commands on fields of every type: the text keeps within MaxLength, every
// typed or pasted character passes the picture, the selection stays ordered.
TEST_F(FieldEdit, RandomCommandsKeepTheInvariants) {
  std::mt19937 Rng(1234);
  const uint16_t Cmds[] = {ccBack,      ccDel,         ccDelBol,       ccDelEol,      ccDelLine,
                           ccDelWord,   ccLeft,        ccRight,        ccHome,        ccEnd,
                           ccWordLeft,  ccWordRight,   ccExtendLeft,   ccExtendRight, ccExtendHome,
                           ccExtendEnd, ccExtWordLeft, ccExtWordRight, ccIns,         ccInc,
                           ccDec,       ccUp,          ccDown,         ccCut,         ccRestore};
  const std::string Chars = "abcXYZ 019-.,+Et\x01";
  for (uint8_t DT = sftString; DT <= sftComp; ++DT) {
    SetType(DT);
    F.ResetValue();
    F.SaveRestoreCopy();
    const char Pic = F.Data.Picture()[0];
    for (int I = 0; I < 600; ++I) {
      const unsigned R = Rng() % 10;
      if (R < 5) {
        Type(std::string(1, Chars[Rng() % Chars.size()]));
      } else if (R == 5) {
        std::string S;
        for (int N = Rng() % 6; N > 0; --N) S += Chars[Rng() % Chars.size()];
        Paste(S);
      } else if (R == 6) {
        Mouse(static_cast<uint16_t>(ccMouse + (Rng() % 2)), static_cast<int32_t>(Rng() % 20),
              Rng() % 2);
      } else {
        Cmd(Cmds[Rng() % std::size(Cmds)]);
      }
      ASSERT_LE(F.Text().size(), F.Data.MaxLength()) << int(DT);
      ASSERT_LE(F.SelStart(), F.SelEnd());
      ASSERT_LE(F.SelEnd(), static_cast<int32_t>(F.Text().size()));
      ASSERT_LE(F.CaretPos(), static_cast<int32_t>(F.Text().size()));
      if (DT == sftString) {
        for (char C : F.Text()) {
          char T = C;
          ASSERT_TRUE(F.Data.CharIsOK(Pic, T, false, ' ')) << int(C);
        }
      }
    }
  }
  EXPECT_TRUE(CommandChangesText(ccPaste));
  EXPECT_FALSE(CommandChangesText(ccLeft));
}

}  // namespace
}  // namespace tess
