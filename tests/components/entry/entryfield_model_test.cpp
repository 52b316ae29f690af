// An entry field's state through a recording host: values in and out, validation and
// its report, the application's own check calling back into the field.
#include "components/entry/entryfield_model.h"

#include <gtest/gtest.h>

#include <vector>

#include "components/core/exceptions.h"
#include "tests/components/entry/entryfield_hosts.h"

namespace tess {
namespace {

using testing::RecordingHost;

TEST(EntryFieldModel, UserValidationAskingForTheValueDoesNotRecurse) {
  RecordingHost Host;
  TEntryFieldModel F(Host);
  int Calls = 0;
  std::string Seen;
  F.OnUserValidation = [&](uint16_t& Code) {
    ++Calls;
    F.GetAsString(Seen);  // the handler reads the field it checks
    if (Seen == "bad") Code = oeCustomError + 1;
  };
  F.SetAsString("good");
  std::string S;
  F.GetAsString(S);
  EXPECT_EQ(S, "good");
  EXPECT_EQ(Seen, "good");
  EXPECT_EQ(Calls, 1);
  F.SetAsString("bad");
  S = "unchanged";
  F.GetAsString(S);
  EXPECT_EQ(F.LastError(), oeCustomError + 1);
  EXPECT_EQ(S, "unchanged");
  EXPECT_EQ(Calls, 2);
}

// The window hears of changes and checks values only through the host; the model's own
// handler, when set, takes the check's place.
TEST(EntryFieldModel, ChangesAndChecksReachTheHost) {
  RecordingHost Host;
  Host.Focus = true;
  TEntryFieldModel F(Host);
  int Checks = 0;
  std::string Seen;
  Host.Check = [&](uint16_t& Code) {
    ++Checks;
    F.GetAsString(Seen);  // as a window's handler may, without recursing
    if (Seen == "bad") Code = oeCustomError;
  };
  F.SetAsString("bad");
  EXPECT_EQ(Host.Changes, 0) << "writing a value is no edit";
  EXPECT_FALSE(F.ValidateField(false));
  EXPECT_EQ(F.LastError(), oeCustomError);
  EXPECT_EQ(Checks, 1);
  EXPECT_EQ(Seen, "bad");
  F.SaveRestoreCopy();
  F.SetText("good");
  F.FieldModified();
  F.Restore();
  EXPECT_EQ(Host.Changes, 2);
  F.OnUserValidation = [](uint16_t&) {};
  EXPECT_EQ(F.ValidateContents(), 0);
  EXPECT_EQ(Checks, 1) << "the model's handler replaces the host's";
}

TEST(EntryFieldModel, ValidationMarksAndReports) {
  RecordingHost Host;
  Host.Focus = true;
  TEntryFieldModel F(Host);
  F.InputRequired = true;
  EXPECT_FALSE(F.ValidateField(true));
  EXPECT_EQ(F.LastError(), oeRequiredField);
  EXPECT_EQ(Host.Posted, std::vector<uint16_t>{oeRequiredField});
  EXPECT_EQ(Host.FocusBacks, 1);
  EXPECT_TRUE(F.KeepCaret());
  // A second error while one is queued is not reported twice.
  EXPECT_FALSE(F.ValidateField(true));
  EXPECT_EQ(Host.Posted.size(), 1u);
  F.ReportError(oeRequiredField);
  ASSERT_EQ(Host.Reports.size(), 1u);
  EXPECT_EQ(Host.Reports[0].second, "A value is required in this field");
  EXPECT_EQ(Host.Text, "A value is required in this field");
  // Application codes take the controller's text; OnError replaces the host's report.
  std::string Got;
  F.OnError = [&](uint16_t, const std::string& Msg) { Got = Msg; };
  Host.Text = "Mine";
  F.ReportError(oeCustomError);
  EXPECT_EQ(Got, "Mine");

  // Soft validation lets the focus leave and keeps the field marked.
  Host.Pending = false;
  F.SoftValidation = true;
  EXPECT_TRUE(F.ValidateField(true));
  EXPECT_TRUE(F.Invalid());
  F.SetText("x");
  EXPECT_TRUE(F.ValidateField(true));
  EXPECT_FALSE(F.Invalid());
  // An invisible or disabled field is valid.
  Host.Visible = false;
  F.SetText("");
  EXPECT_TRUE(F.ValidateField(false));
}

TEST(EntryFieldModel, TypedValuesThroughTheText) {
  RecordingHost Host;
  TEntryFieldModel F(Host);
  SetSimpleFieldType(F.Data, sftInteger);
  F.AdjustOptions();
  EXPECT_FALSE(F.TrimBlanks);
  F.SetAsString("-32768");
  EXPECT_EQ(F.Text(), "-32768");  // the field is long enough for every Integer
  int16_t V = 0;
  EXPECT_EQ(F.GetValue(&V), 0);
  EXPECT_EQ(V, -32768);
  EXPECT_THROW(F.SetAsString("40000"), EEntryFieldError);
  EXPECT_EQ(F.Text(), "-32768");
  F.SetText("12x");
  EXPECT_EQ(F.GetValue(&V), oeInvalidNumber);
  // Focused: a valid number is rewritten in its own form when checked.
  Host.Focus = true;
  F.SetText(" 0042");
  EXPECT_EQ(F.ValidateContents(), 0);
  EXPECT_EQ(F.Text(), "42");
  F.Data.SetRangeLo("0");
  F.Data.SetRangeHi("50");
  EXPECT_TRUE(F.IncDecValue(true, 10.0));
  EXPECT_EQ(F.Text(), "50");  // limited to the range
  EXPECT_TRUE(F.IncDecValue(true, 10.0));
  EXPECT_EQ(F.Text(), "0");  // at the top, Wrap goes to the bottom
  EXPECT_TRUE(F.IsModified());
  // Writing a value while focused selects it all and clears the marks.
  int16_t Seven = 7;
  F.SetValue(&Seven);
  EXPECT_EQ(F.Text(), "7");
  EXPECT_EQ(F.SelEnd(), 1);
  EXPECT_FALSE(F.IsModified());
  EXPECT_THROW(
      {
        F.Data.SetDataType(40);
        F.GetValue(&V);
      },
      EOvcException);
}

TEST(EntryFieldModel, TextCaretSelectionAndRestore) {
  RecordingHost Host;
  TEntryFieldModel F(Host);
  F.TrimBlanks = true;
  F.SetText("  hello  ");
  std::string S;
  F.GetAsString(S);
  EXPECT_EQ(S, "  hello  ");  // not focused: the text stays as typed
  Host.Focus = true;
  F.GetAsString(S);
  EXPECT_EQ(F.Text(), "  hello  ");  // reading a value never edits the text
  F.ValidateField(false);
  EXPECT_EQ(F.Text(), "hello");
  F.SetText(std::string(30, 'a'));
  EXPECT_EQ(F.Text().size(), 15u);
  EXPECT_TRUE(F.SetMaxLength(4));
  EXPECT_EQ(F.Text(), "aaaa");
  F.SetSelection(3, 1);
  EXPECT_EQ(F.SelEnd(), 0);
  F.SetSelection(-5, 99);
  EXPECT_EQ(F.SelStart(), 0);
  EXPECT_EQ(F.SelEnd(), 4);
  F.SetCaretPos(-1);
  EXPECT_EQ(F.CaretPos(), 0);
  F.SetCaretPos(10);
  EXPECT_EQ(F.CaretPos(), 4);
  F.SaveRestoreCopy();
  F.SetText("b");
  F.FieldModified();
  F.Restore();
  EXPECT_EQ(F.Text(), "aaaa");
  EXPECT_EQ(F.CaretPos(), 4);
  Host.Focus = false;
  F.SetCaretPos(0);  // only a focused field moves its caret
  EXPECT_EQ(F.CaretPos(), 4);
}

// A floating or Comp value is shown whole, in its shortest exact text when the field's
// own form does not fit, or refused through the error report; never cut to the room.
TEST(EntryFieldModel, FloatingValuesAreShownWholeOrRefused) {
  RecordingHost Host;
  TEntryFieldModel F(Host);
  SetSimpleFieldType(F.Data, sftComp);
  const int64_t Big = 1234567890123456789LL;
  F.SetValue(&Big);
  int64_t C = 0;
  EXPECT_EQ(F.GetValue(&C), 0);
  EXPECT_EQ(C, Big) << "the type's own length holds every Comp";
  EXPECT_TRUE(Host.Posted.empty());

  F.Data.LoadMaxLength(14);
  F.SetValue(&Big);
  EXPECT_EQ(F.GetValue(&C), oeRangeError);
  EXPECT_EQ(Host.Posted, std::vector<uint16_t>{oeRangeError});
  EXPECT_TRUE(F.Invalid());
  EXPECT_THROW(F.SetAsString("x"), EEntryFieldError);
  F.SetAsString("1234567890123456789");
  EXPECT_EQ(F.GetValue(&C), oeRangeError);
  // A value that fits ends the refusal.
  const int64_t Small = -42;
  F.SetValue(&Small);
  EXPECT_EQ(F.GetValue(&C), 0);
  EXPECT_EQ(C, -42);

  SetSimpleFieldType(F.Data, sftDouble);
  F.Data.LoadMaxLength(5);
  double D = 1e300;
  F.SetValue(&D);
  EXPECT_EQ(F.Text(), "1E300");
  double Back = 0;
  EXPECT_EQ(F.GetValue(&Back), 0);
  EXPECT_EQ(Back, 1e300);
  D = 1.5e300;
  F.SetValue(&D);
  EXPECT_EQ(F.GetValue(&Back), oeRangeError);
  // Editing the text ends the refusal too.
  F.SetText("7");
  F.FieldModified();
  EXPECT_EQ(F.GetValue(&Back), 0);
  EXPECT_EQ(Back, 7.0);
}

// A step that rounds to nothing changes nothing and tells no one.
TEST(EntryFieldModel, StepsThatChangeNothing) {
  RecordingHost Host;
  Host.Focus = true;
  TEntryFieldModel F(Host);
  SetSimpleFieldType(F.Data, sftLongInt);
  F.SetAsString("5");
  EXPECT_FALSE(F.IncDecValue(false, 0.3));
  EXPECT_FALSE(F.IncDecValue(true, -0.4));
  EXPECT_EQ(F.Text(), "5");
  EXPECT_EQ(Host.Changes, 0);
  EXPECT_FALSE(F.IsModified());
  EXPECT_TRUE(F.IncDecValue(false, 0.6));
  EXPECT_EQ(F.Text(), "6");
  EXPECT_EQ(Host.Changes, 1);
}

// The window's check may free the field, and the model with it, in the middle of a
// validation: the window then ends the model's work (EFreedByHandler), and the flags the
// model set for the time of its work are left alone (the sanitizers see any touch).
TEST(EntryFieldModel, AFieldFreedByItsCheckIsLeftAlone) {
  for (int way = 0; way < 2; ++way) {
    RecordingHost Host;
    auto* F = new TEntryFieldModel(Host);
    F->SetAsString("text");
    Host.Check = [F](uint16_t&) {
      delete F;
      throw EFreedByHandler();
    };
    std::string S;
    if (way == 0)
      EXPECT_THROW(F->GetAsString(S), EFreedByHandler);
    else
      EXPECT_THROW(F->ValidateField(true), EFreedByHandler);
  }
}

}  // namespace
}  // namespace tess
