// The program's entry.
#pragma once

// The start: chooses the language (the saved default, else the system locale, else the user's
// pick from a list), fills the interface texts, and loads and shows the launcher without waiting.
// The program then lives in the launcher's events. Each step runs even when one before it failed.
void Main();
