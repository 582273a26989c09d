// Tralexa, the program's localisation component: one object for the whole run, which answers every
// interface text in the current language.
//
// A text is asked for by string id (GetS) or by its native text (GetTranslation). Either way the
// native English text is looked up in the open text language database (text_language_db.h), and
// the native text itself is the answer whenever there is no database or no translation. In the
// width-test mode every text comes back padded instead, so that dialog layouts can be tried out for
// languages with longer words.
//
// Properties keep the names the rest of the program knows them by; each is a getter, with a setter
// overload where the property may be set.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace forms {
class Form;
class Object;
}  // namespace forms

// An error the component raises to its caller, with the number its callers know it by.
class LocalisationError : public std::runtime_error {
 public:
  LocalisationError(int32_t number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int32_t Number() const { return number_; }

 private:
  int32_t number_;
};

// The number of every error the component raises itself.
inline constexpr int32_t LocalisationErrorNumber = static_cast<int32_t>(0x80040000u);
inline constexpr const char* AccessDbNotEnabled = "Access Language Database is not enabled";
inline constexpr const char* ExportNeedsAccessDb =
    "Text can only be exported to an Access Language Database";

// Kinds of language database. Only the text kind can be opened; the Access kind is refused.
inline constexpr int32_t AccessLanguageDb = 0;
inline constexpr int32_t TextLanguageDb = 1;

// Values of eSetRightToLeft.
inline constexpr int32_t RightToLeftOff = 0;
inline constexpr int32_t RightToLeftOn = 1;
inline constexpr int32_t RightToLeftUnchanged = 2;

class Tralexa {
 public:
  Tralexa();
  ~Tralexa();
  Tralexa(const Tralexa&) = delete;
  Tralexa& operator=(const Tralexa&) = delete;

  // When false, an empty translation gives the native text instead.
  bool bAllowZeroLengthTranslation = false;
  // What form translation does to each object's RightToLeft (RightToLeftOff, On or Unchanged).
  int32_t eSetRightToLeft = RightToLeftUnchanged;

  bool bEnabled() const { return enabled_; }
  void bEnabled(bool value) { enabled_ = value; }
  bool bDbIsOpen() const { return dbIsOpen_; }
  bool bTestStrWidth() const { return testStrWidth_; }
  void bTestStrWidth(bool value) { testStrWidth_ = value; }
  int32_t lNumTextPhrases() const { return numTextPhrases_; }
  // The system's default locale identifier (0 when it cannot be read).
  int32_t LocaleID() const;
  const std::string& sErrDescription() const { return errDescription_; }
  const std::string& sLanguageDB() const { return languageDb_; }
  const std::string& sPadChar() const { return padChar_; }
  void sPadChar(const std::string& value);
  const std::string& sProperties() const { return properties_; }
  void sProperties(const std::string& value);
  const std::string& sStrWidthFactors() const { return strWidthFactors_; }
  void sStrWidthFactors(const std::string& value) { strWidthFactors_ = value; }
  const std::string& sTagExclude() const { return tagExclude_; }
  void sTagExclude(const std::string& value) { tagExclude_ = value; }
  const std::string& sForeignColumnName() const { return foreignColumnName_; }
  void sForeignColumnName(const std::string& value) { foreignColumnName_ = value; }
  const std::string& sUnknownStrID() const { return unknownStrId_; }
  void sUnknownStrID(const std::string& value) { unknownStrId_ = value; }
  // The phrases at a 1-based index of the open database; empty outside 1 to lNumTextPhrases.
  std::string sNativeText(int32_t lIndex) const;
  std::string sForeignText(int32_t lIndex) const;
  int32_t TextDbVersion() const { return 2; }
  // The property names that form translation handles, parsed from sProperties.
  const std::vector<std::string>& PropertyList() const { return propertyList_; }

  // Opens a database: its native column and the column named by sForeignColumnName. The Access
  // kind throws LocalisationError and leaves the open database as it was; any other failure closes
  // the database and leaves its reason in sErrDescription.
  bool OpenLanguageDatabase(const std::string& sDatabase, bool bReadOnly, int32_t eDbType);
  void CloseLanguageDatabase();

  // The text of a string id in the current language, with each "%s" replaced by the next
  // parameter and the line-break markup converted. Numbers are passed already formatted.
  std::string GetS(int32_t eStrID, const std::vector<std::string>& vParm = {});
  // The translation of a native text, or the native text when there is none.
  std::string GetTranslation(const std::string& sNative);
  // Replaces the "%s" markers from left to right by the parameters, one each; surplus parameters
  // are ignored and surplus markers stay. A marker inside an inserted parameter is not replaced.
  static std::string SubstituteParameters(std::string sText, const std::vector<std::string>& vParm);
  // "{\r}" becomes a carriage return and "{\n}" a line feed.
  static std::string ConvertCrLf(std::string sText);
  // Takes the first token off sLine: up to sSep, or a quoted token ("..." or '...').
  std::string GetToken(std::string& sLine, const std::string& sSep);
  // Everything up to and including the last path separator, or empty.
  static std::string GetFilePathOnly(const std::string& sFile);
  // Sorts the open database's native column into ascending byte order, keeping each translation
  // with its native phrase.
  bool SortMemoryLanguageDB();
  std::string TranslateString(const std::string& sText, const std::vector<std::string>& vParm);

  // Form translation: every listed property of the form and its controls, and the items of its
  // list boxes, become their translations; controls whose Tag begins with sTagExclude are left.
  void TranslateForm(forms::Form& form);
  void TranslateControlStrings(forms::Object& oControl, bool& bWasTranslated);
  void TranslateObject(forms::Object& object);

  // String export, which only the Access kind of database could take: each path ends in
  // LocalisationError, or for an over-long phrase in a message box.
  void ExportStrings(int32_t lDummyParam);
  void ExportFormStrings(forms::Form& form);
  void ExportControlStrings(forms::Object& oControl, bool& bWasExported);
  void ExportObjectStrings(forms::Object& object);
  void ExportOneString(const std::string& sNative);
  // The texts an export takes from a form: the listed properties of the form and its controls
  // and the items of its list boxes, in the walk's order, less what a Tag excludes.
  std::vector<std::string> FormStrings(forms::Form& form) const;

 private:
  std::string PadForWidthTest(const std::string& sNative) const;
  std::string GetMemoryTranslation(const std::string& sNative) const;
  void ParsePropertyList();
  bool ExcludedByTag(const forms::Object& object) const;
  // The texts of the listed properties that the object has, by property name.
  std::vector<std::pair<std::string, std::string>> ListedTexts(const forms::Object& object) const;

  bool enabled_ = true;
  bool dbIsOpen_ = false;
  bool testStrWidth_ = false;
  bool readOnly_ = false;
  bool columnsLoaded_ = false;
  int32_t numTextPhrases_ = 0;
  std::string errDescription_;
  std::string languageDb_;
  std::string padChar_ = "W";
  std::string properties_ = "Caption,ToolTipText";
  std::string strWidthFactors_ = "4:100,10:80,20:60,30:40,50:20,9999:10";
  std::string tagExclude_ = "!";
  std::string foreignColumnName_ = "Foreign";
  std::string unknownStrId_ = "GetS: Unknown String ID ";
  std::vector<std::string> propertyList_;
  // Index-aligned: foreign_[i] translates native_[i].
  std::vector<std::string> native_;
  std::vector<std::string> foreign_;
};
