// The application's own picture characters: "1".."8" each stand for a character set
// with a case rule; eight substitution characters are reserved for literal
// replacements in pictures.  Entry fields refer to an instance and never own it.
#pragma once

#include <array>
#include <cstdint>

#include "components/core/strutils.h"

namespace tess {

// Case rules of a user set.
enum : uint8_t { mcNoChange = 0, mcUpperCase = 1, mcLowerCase = 2, mcMixedCase = 3 };

class TOvcUserData {
 public:
  // Every set holds the characters 1..255, no case rule, substitutes 241..248.
  TOvcUserData();

  // The case rule of "1".."8"; 0 for any other character.
  uint8_t GetForceCase(char PictureChar) const;
  // Copies the set of "1".."8" into Set; any other character leaves Set as it was.
  void GetUserCharSet(char PictureChar, TCharSet& Set) const;

  std::array<TCharSet, 8> UserCharSets;
  std::array<uint8_t, 8> ForceCase{};
  std::array<char, 8> SubstChars{};
};

void InitUserData();
TOvcUserData& UserData();

}  // namespace tess
