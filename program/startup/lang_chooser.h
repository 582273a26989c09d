// The language chooser: reads the language list file and sets a language up on the program's
// Tralexa object, by the saved default, by the system locale or by the user's pick from a list.
//
// The language list file (an INI file), section "Language"; n is 1 to 10:
//   Caption=...               title of the chooser's window (empty: "Select a Language")
//   CommandOK=...             caption of its OK button (empty: "&OK")
//   DefaultLanguage=2         the language chosen last; written by Choose
//   Language_n=Deutsch        the name shown in the list; the list ends at the first empty name
//   LanguageDB_n=...          the language's text language database, relative to the current
//                             folder or to the program folder, or absolute; "<TESTWIDTH>" (any
//                             case) for the width test; empty for the native texts; a name with
//                             ".MDB" in it asks for the Access kind, which is refused
//   LanguageColumn_n=Deutsch  the language's column in that database (empty: native texts)
//   LanguageLocaleID_n=1031   the locale identifier that selects the language by itself
// Values are read through a 255-character buffer, so at most 254 characters are seen.
#pragma once

#include <cstdint>
#include <string>

#include "platform/forms/forms.h"
#include "program/startup/tralexa.h"

struct ChooseLangForm : forms::Form {
  ChooseLangForm();

  // Shows the list of languages (not when it holds one language only), sets the chosen one up and
  // stores it as the default. False when the user closed the window without choosing: the
  // language in use stays, or at the first start language 1 is taken without being stored.
  bool Choose(const std::string& sIniFile, Tralexa& oTralexa);
  // Sets up the stored default; false when there is no valid default or it failed.
  bool SetupDefaultLanguage(const std::string& sIniFile, Tralexa& oTralexa);
  // Sets up the first language of the system's locale; false when no language has it.
  bool SetLanguageByLocaleID(const std::string& sIniFile, Tralexa& oTralexa, int32_t lLocaleID);
  // Opens a database column, turns on the width test or drops back to the native texts. A
  // database found only in the program folder comes back in sLanguageDB with that path.
  bool SetupLanguage(std::string& sLanguageDB, const std::string& sLanguageColumn,
                     Tralexa& oTralexa);

  forms::ListBox lstLanguages{*this, "lstLanguages"};
  forms::CommandButton cmdOK{*this, "cmdOK"};

  // Where the OK button puts the chosen list position while Choose waits for it.
  int16_t* pendingChoice = nullptr;
};
extern forms::FormSlot<ChooseLangForm> frmChooseLang;

// Connects the language chooser's OK button and list to their handlers.
void ConnectChooseLang();
void frmChooseLang_cmdOK_Click();
void frmChooseLang_lstLanguages_DblClick();
