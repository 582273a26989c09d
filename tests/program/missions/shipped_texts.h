// Checks that the shipped language database translates the texts a dialog or module shows.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "program/startup/text_language_db.h"

class ShippedTexts {
 public:
  ShippedTexts()
      : native_(LoadTextLanguageColumn(MAROVIN_DATA "/MarovinLanguages.txt", "Native")),
        german_(LoadTextLanguageColumn(MAROVIN_DATA "/MarovinLanguages.txt", "Deutsch")) {}

  void ExpectTranslated(const std::string& text) const {
    const auto found = std::lower_bound(native_.phrases.begin(), native_.phrases.end(), text);
    ASSERT_TRUE(found != native_.phrases.end() && *found == text) << "missing: " << text;
    EXPECT_FALSE(german_.phrases[static_cast<size_t>(found - native_.phrases.begin())].empty())
        << text;
  }
  // Every caption and tool tip of the form and its controls, and every item of its list boxes;
  // the caption of a form that names itself in code is not one the database holds.
  void ExpectFormTranslated(const forms::Form& form, bool withCaption = true) const {
    if (withCaption) ExpectTranslated(form.Caption());
    for (const forms::Control* control : form.Controls()) {
      if (control->Kind() == forms::ControlKind::Timer) continue;
      std::string caption;
      try {
        caption = control->Caption();
      } catch (const std::exception&) {  // a kind without a caption
      }
      std::vector<std::string> texts = {caption, control->ToolTipText()};
      if (control->Kind() == forms::ControlKind::ListBox)
        for (int16_t i = 0; i < control->ListCount(); ++i) texts.push_back(control->List(i));
      for (const std::string& text : texts) {
        if (!text.empty() && text.find_first_not_of("0123456789") != std::string::npos)
          ExpectTranslated(text);
      }
    }
  }

 private:
  TextLanguageColumn native_;
  TextLanguageColumn german_;
};
