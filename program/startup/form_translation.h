// The launcher's Export Language command. The rest of form translation and string export are
// methods of Tralexa (tralexa.h).
#pragma once

namespace forms {
class Form;
}  // namespace forms

// Asks for a database to export the interface texts into and tries it; the export is always
// refused, and the refusal is shown under the launcher's caption. The language in use stays.
void ExportAppStrings(forms::Form& launcher);
