// The settings of the Windows build: the "intl" section of the user's profile, and the
// month and day names of the user's locale.
#include <memory>

#include "components/entry/intlsup.h"
#include "platform/win32.h"

namespace tess {

namespace {

class TProfileIntlSource : public TIntlSource {
 public:
  std::string GetString(const std::string& Key, const std::string& Default) override {
    char Buf[256] = {};
    GetProfileStringA("intl", Key.c_str(), Default.c_str(), Buf, sizeof Buf);
    return Buf;
  }
  int32_t GetInt(const std::string& Key, int32_t Default) override {
    return static_cast<int32_t>(GetProfileIntA("intl", Key.c_str(), Default));
  }
  std::string MonthName(int Month) override {
    return Locale(LOCALE_SMONTHNAME1 + Month - 1, TIntlSource::MonthName(Month));
  }
  std::string DayName(int Dow) override {
    // The locale counts from Monday, we from Sunday.
    return Locale(Dow == 0 ? LOCALE_SDAYNAME7 : LOCALE_SDAYNAME1 + Dow - 1,
                  TIntlSource::DayName(Dow));
  }

 private:
  static std::string Locale(LCTYPE Type, const std::string& Default) {
    char Buf[80] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, Type, Buf, sizeof Buf) <= 1) return Default;
    return Buf;
  }
};

}  // namespace

std::unique_ptr<TIntlSource> SystemIntlSource() { return std::make_unique<TProfileIntlSource>(); }

}  // namespace tess
