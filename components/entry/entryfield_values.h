// The value side of an entry field's text: reading a value out of the edit text and
// writing one into it, the type check of the contents, stepping a value, the text
// shown while the field is not being edited, and the defaults a simple field takes
// with its data type.  Values travel as raw memory of the field's data size, as the
// field's Transfer hands them: strings as NUL-terminated characters, integers in the
// width of their type, the 6-byte real, the 80-bit extended, Comp as 64 bits.
#pragma once

#include <cstdint>
#include <string>

#include "components/entry/entryfield_data.h"

namespace tess {

enum TZeroDisplay : uint8_t { zdShow, zdHide, zdHideUntilModified };

// Text to value (unreadable numbers give 0); Data holds DataSize() bytes.
void TextToFieldValue(const TEntryFieldData& F, const std::string& Text, void* Data);
// Value to text: strings case-forced by the picture, floating values as
// FloatToFieldText gives them.  False, with Text untouched, when the text would be
// longer than MaxLength: the value cannot be shown whole and is not cut.
bool FieldValueToText(const TEntryFieldData& F, const void* Data, std::string& Text);

// The value that SetAsString stores for S: strings as they are, Boolean and yes/no by
// their first letter, every other type as a range text narrowed to the type.  Text
// that does not convert raises EEntryFieldError.
void AsStringToFieldValue(const TEntryFieldData& F, const std::string& S, void* Data);

// The type check of the contents: 0, oeRangeError or oeInvalidNumber.  With
// Normalize, a readable number in range is rewritten in its own form into Text.
uint16_t CheckFieldContents(const TEntryFieldData& F, std::string& Text, bool Normalize);

// One step of the value in Text; false when nothing changed.
bool StepFieldValue(const TEntryFieldData& F, std::string& Text, bool Wrap, double Delta);

// The display form of the edit text: control characters shown as the letter 64 higher
// and, for numbers equal to ZeroValue, blanks when ZeroDisplay hides them.
std::string FieldDisplayText(const TEntryFieldData& F, const std::string& EditText, bool Focused,
                             bool Modified, TZeroDisplay ZeroDisplay, double ZeroValue);

// The edit text of a field's default value: a space, 0 or the low limit, -1 for dates
// and times, empty for strings.
std::string DefaultFieldText(const TEntryFieldData& F);

// A simple field's data type with its defaults: the limits, MaxLength (long enough for
// every value of the type), the picture character and no decimal places.
void SetSimpleFieldType(TEntryFieldData& F, uint8_t DataType);

// The message of an error code; codes from oeCustomError take ControllerText.
std::string FieldErrorText(uint16_t Code, const std::string& ControllerText);

}  // namespace tess
