// What the sanitizers leave out of their reports when the tests are built
// with them; without a sanitizer these functions are never called.

// Qt is not built with ThreadSanitizer, so the hand-offs inside its own
// thread pool (image conversion and painting) look like races to it: reports
// whose stack passes through Qt's libraries are left out.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libQt6Core.so.6\n"
         "race:libQt6Gui.so.6\n";
}

// The system's font configuration library keeps a cache for the life of the
// process; the leak checker is told not to count it.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
