// The help of the language in use.
#pragma once

// Opens the help of the language in use in the desktop's viewer; where the page is missing or no
// viewer is there to take it, a box says so and names the page.
void ShowHelpPage();
