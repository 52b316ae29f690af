// The application's picture character sets "1".."8" with their case rules, and the
// program's one instance of them.  A new set admits every character but NUL; any other
// picture character reads as no set and no case rule.  Fields keep a pointer to the
// instance: InitUserData replaces it, so it runs before the first field is made (or
// not at all: UserData makes the instance on first use).
#include "components/entry/userdata.h"

#include <memory>

namespace tess {

namespace {
bool IsUserChar(char C) {
  return C >= '1' && C <= '8';
}
}  // namespace

TOvcUserData::TOvcUserData() {
  for (auto& Set : UserCharSets) {
    Set.set();
    Set.reset(0);
  }
  for (size_t I = 0; I < SubstChars.size(); ++I) SubstChars[I] = static_cast<char>(241 + I);
}

uint8_t TOvcUserData::GetForceCase(char PictureChar) const {
  return IsUserChar(PictureChar) ? ForceCase[PictureChar - '1'] : 0;
}

void TOvcUserData::GetUserCharSet(char PictureChar, TCharSet& Set) const {
  if (IsUserChar(PictureChar)) Set = UserCharSets[PictureChar - '1'];
}

namespace {
std::unique_ptr<TOvcUserData>& GlobalUserData() {
  static std::unique_ptr<TOvcUserData> Instance;
  return Instance;
}
}  // namespace

void InitUserData() {
  GlobalUserData() = std::make_unique<TOvcUserData>();
}

TOvcUserData& UserData() {
  if (!GlobalUserData()) InitUserData();
  return *GlobalUserData();
}

}  // namespace tess
