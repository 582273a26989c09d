#include "program/startup/lang_chooser.h"

#include <charconv>
#include <functional>
#include <optional>

#include "platform/win/app_path.h"
#include "platform/win/ascii_case.h"
#include "platform/win/numbers.h"
#include "platform/win/profile.h"
#include "platform/win/trim.h"
#include "program/missions/ini.h"
#include "program/startup/form_helpers.h"
#include "program/startup/startup_state.h"

forms::FormSlot<ChooseLangForm> frmChooseLang;

namespace {

constexpr const char* LanguageSection = "Language";
constexpr size_t ValueBufferChars = 255;
constexpr int32_t MaxLanguages = 10;
constexpr const char* TestWidth = "<TESTWIDTH>";
constexpr int32_t UnknownLocale = 0;

std::string Read(const std::string& sIniFile, const std::string& key) {
  return win::GetPrivateProfileString(LanguageSection, key, "", ValueBufferChars, sIniFile);
}

std::string Read(const std::string& sIniFile, const std::string& key, int32_t n) {
  return Read(sIniFile, key + std::to_string(n));
}

// The value of a whole text that is one decimal number, blanks around it allowed.
std::optional<double> NumericValue(const std::string& text) {
  const std::string_view trimmed = win::TrimBlanks(text);
  double value = 0;
  const char* end = trimmed.data() + trimmed.size();
  const auto [stop, error] = std::from_chars(trimmed.data(), end, value);
  if (trimmed.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Language n is one the file names.
bool IsListed(const std::string& sIniFile, int32_t n) {
  return !win::TrimBlanks(Read(sIniFile, "Language_", n)).empty();
}

std::string HelpFileFor(int32_t n) {
  return win::AppPath() +
         (n == GermanLanguage ? "\\help\\marovinhelpG.chm" : "\\help\\marovinhelp.chm");
}

// Scripts written right to left, by the primary language of a locale identifier: Arabic, Hebrew,
// Urdu, Farsi.
bool IsRightToLeftLocale(int32_t localeId) {
  const int32_t primary = localeId & 0x3FF;
  return primary == 0x01 || primary == 0x0D || primary == 0x20 || primary == 0x29;
}

// Language n becomes the current one: its number, its help file, and the reading direction that
// form translation gives the dialogs.
void MakeCurrent(const std::string& sIniFile, int32_t n, Tralexa& oTralexa) {
  CurrentLanguage = n;
  HelpFilePath = HelpFileFor(n);
  const double locale = win::LeadingNumber(Read(sIniFile, "LanguageLocaleID_", n));
  oTralexa.eSetRightToLeft =
      IsRightToLeftLocale(win::RoundHalfEven(locale)) ? RightToLeftOn : RightToLeftUnchanged;
}

bool SetupLanguageNumber(const std::string& sIniFile, int32_t n, Tralexa& oTralexa) {
  std::string database = Read(sIniFile, "LanguageDB_", n);
  return frmChooseLang->SetupLanguage(database, Read(sIniFile, "LanguageColumn_", n), oTralexa);
}

// Each method shows its own failure, its name first, and gives false.
bool Guarded(const char* method, const std::function<bool()>& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    forms::MsgBox(std::string(method) + " Error: " + error.what(), forms::MsgBoxButtons::Ok,
                  forms::MsgBoxIcon::Exclamation);
    return false;
  }
}

}  // namespace

ChooseLangForm::ChooseLangForm() : Form("frmChooseLang") {
  SetCaption("Select a Language");
  Move(0, 0, 4200, 3900);
  SetEscapeCloses(true);  // as closing the window: no language is chosen
  lstLanguages.Move(120, 120, 3780, 2580);
  cmdOK.SetCaption("&OK");
  cmdOK.Move(1380, 2880, 1200, 420);
}

bool ChooseLangForm::SetupLanguage(std::string& sLanguageDB, const std::string& sLanguageColumn,
                                   Tralexa& oTralexa) {
  return Guarded("SetupLanguage()", [&] {
    oTralexa.bTestStrWidth(false);
    const std::string_view database = win::TrimBlanks(sLanguageDB);
    if (win::EqualsIgnoringCase(database, TestWidth)) {
      oTralexa.bTestStrWidth(true);
      return true;
    }
    if (database.empty() || win::TrimBlanks(sLanguageColumn).empty()) {
      oTralexa.CloseLanguageDatabase();
      return true;
    }
    const bool access = win::FoldAsciiCase(sLanguageDB).find(".mdb") != std::string::npos;
    const int32_t kind = access ? AccessLanguageDb : TextLanguageDb;
    oTralexa.sForeignColumnName(sLanguageColumn);
    if (oTralexa.OpenLanguageDatabase(sLanguageDB, true, kind)) return true;
    const std::string inProgramFolder = AddPath(win::AppPath(), sLanguageDB);
    if (oTralexa.OpenLanguageDatabase(inProgramFolder, true, kind)) {
      sLanguageDB = inProgramFolder;
      return true;
    }
    forms::MsgBox("While opening Language Database (" + sLanguageDB +
                      ") the following error occurred:\r\r" + oTralexa.sErrDescription(),
                  forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Exclamation);
    return false;
  });
}

bool ChooseLangForm::SetupDefaultLanguage(const std::string& sIniFile, Tralexa& oTralexa) {
  return Guarded("SetupDefaultLanguage()", [&] {
    const std::optional<double> value = NumericValue(Read(sIniFile, "DefaultLanguage"));
    if (!value) return false;
    // Only a language the file still lists; anything else falls through to the locale and the list.
    const int32_t n = win::RoundHalfEven(*value);
    if (n < 1 || n > MaxLanguages || !IsListed(sIniFile, n)) return false;
    MakeCurrent(sIniFile, n, oTralexa);
    return SetupLanguageNumber(sIniFile, n, oTralexa);
  });
}

bool ChooseLangForm::SetLanguageByLocaleID(const std::string& sIniFile, Tralexa& oTralexa,
                                           int32_t lLocaleID) {
  return Guarded("SetLanguageByLocaleID()", [&] {
    // A locale the platform cannot name reads as 0, which an empty entry would match: the list's
    // first language stands in for it, rather than a language the list does not hold.
    if (lLocaleID == UnknownLocale) {
      if (!IsListed(sIniFile, 1)) return false;
      MakeCurrent(sIniFile, 1, oTralexa);
      return SetupLanguageNumber(sIniFile, 1, oTralexa);
    }
    for (int32_t n = 1; n <= MaxLanguages; ++n) {
      const std::string locale = Read(sIniFile, "LanguageLocaleID_", n);
      if (win::LeadingNumber(locale) != lLocaleID || !IsListed(sIniFile, n)) continue;
      MakeCurrent(sIniFile, n, oTralexa);
      const bool complete = NumericValue(locale) && !Read(sIniFile, "LanguageDB_", n).empty() &&
                            !Read(sIniFile, "LanguageColumn_", n).empty();
      return complete ? SetupLanguageNumber(sIniFile, n, oTralexa) : true;
    }
    return false;
  });
}

bool ChooseLangForm::Choose(const std::string& sIniFile, Tralexa& oTralexa) {
  const bool chosen = Guarded("Choose()", [&] {
    if (const std::string caption = Read(sIniFile, "Caption"); !caption.empty())
      SetCaption(caption);
    if (const std::string ok = Read(sIniFile, "CommandOK"); !ok.empty()) cmdOK.SetCaption(ok);
    lstLanguages.Clear();
    for (int32_t n = 1; n <= MaxLanguages; ++n) {
      const std::string name = Read(sIniFile, "Language_", n);
      if (win::TrimBlanks(name).empty()) break;
      lstLanguages.AddItem(name);
    }
    int16_t position = -1;
    if (lstLanguages.ListCount() == 1) {
      position = 0;
    } else if (lstLanguages.ListCount() > 1) {
      lstLanguages.SetListIndex(0);
      pendingChoice = &position;
      // From here on this form may be gone: a user who closes the window unloads it.
      Show(true);
    }
    if (position < 0) return false;
    const int32_t n = position + 1;
    SetupLanguageNumber(sIniFile, n, oTralexa);
    MakeCurrent(sIniFile, n, oTralexa);
    WriteINI(LanguageSection, "DefaultLanguage", std::to_string(n), sIniFile);
    return true;
  });
  // At the first start there is no language to keep: take language 1, but do not store it, so
  // that the choice is offered again at the next start.
  if (!chosen && (CurrentLanguage < 1 || CurrentLanguage > MaxLanguages)) {
    Guarded("Choose()", [&] {
      SetupLanguageNumber(sIniFile, 1, oTralexa);
      MakeCurrent(sIniFile, 1, oTralexa);
      return true;
    });
  }
  frmChooseLang.Unload();
  return chosen;
}

void frmChooseLang_cmdOK_Click() {
  ChooseLangForm& form = *frmChooseLang;
  const int16_t selected = form.lstLanguages.ListIndex();
  if (selected < 0) {
    forms::Beep();
    return;
  }
  if (form.pendingChoice) *form.pendingChoice = selected;
  form.Hide();
}

void frmChooseLang_lstLanguages_DblClick() { frmChooseLang_cmdOK_Click(); }

void ConnectChooseLang() {
  frmChooseLang.Connect([](ChooseLangForm& form) {
    form.cmdOK.Click = frmChooseLang_cmdOK_Click;
    form.lstLanguages.DblClick = frmChooseLang_lstLanguages_DblClick;
  });
}
