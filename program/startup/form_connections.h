// The program's forms get their handlers from the subsystems that own them. A form's file holds
// only its controls, so that what touches a form does not link every handler behind it.
#pragma once

// Connects every form of the program to its handlers. Called once before any form loads: by the
// program's entry, and by any test that loads a form.
void ConnectForms();
