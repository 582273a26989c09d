// What LeakSanitizer leaves unreported in every test program: fontconfig keeps its font cache for
// the life of the process, and D-Bus (which Qt's X11 platform opens) a connection buffer; neither
// frees them at exit, and neither is a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
